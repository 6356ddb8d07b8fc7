#include "framework/pending.h"

PENDING_ROUTINE(DrawPlainText)
PENDING_ROUTINE(DrawPlainChars)
PENDING_ROUTINE(ToFullWidthChar)

// Drops every half-width blank from A$; a full-width blank stays.
void Framework::StripSpaces() {
  X9_S = "";
  KB8 = static_cast<float>(LEN(A_S));
  IB8 = KB8;
  for (char32_t c : rt::decode(A_S)) {
    X8_S = rt::encode(c);
    if (X8_S != " ") X9_S += X8_S;
  }
  A_S = X9_S;
}

// The start-up seeding once more: hours + minutes + seconds of the clock.
void Framework::ReseedRandom() {
  std::string now = rt.TIME();
  A = VAL(LEFT(now, 2)) + VAL(MID(now, 4, 2)) + VAL(RIGHT(now, 2));
  rt.RANDOMIZE(A);
}
