// Plain prompt text: the one-line texts of the prompt band, set bold and
// unmagnified, one character to a 16-pixel cell, with the half-width
// characters of two fixed tables turned into full-width forms or symbols.
#include "framework/framework.h"

namespace {

// Key strings hold single-byte characters only; the value at character k
// belongs to the key at byte k. The blank of the second table's 12th place
// is never reached: the first table takes every blank.
const char* const kUpperKeys = " XYABCDEFGHIJKLMNOPQRSTUVWZ";
const char* const kUpperValues = "　ＸＹΑＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＺ";
const char* const kOtherKeys = " 0123456789 */+-ﾀ=.?()!$@&'[]<>,%xyabcdefghijklmnopqrstuvw~:";
const char* const kOtherValues =
    "　０１２３４５６７８９　×÷＋－―＝．∽（）√≡±π∠≦≧＜＞，°χｙａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗ△：";

}  // namespace

// Draws AA$ from the pen, one character at a time; a "^" only sets JYOU.
// Leaves X after the text and AA$ empty.
void Framework::DrawPlainText() {
  for (;;) {
    LEM = static_cast<float>(KLEN(AA_S));
    if (LEM == 0) return;
    A_S = KLEFT(AA_S, 1);
    AA_S = KRIGHT(AA_S, LEM - 1);
    if (A_S == "^") {
      JYOU = 1;
      continue;
    }
    DrawPlainChars();
    X = XT;
  }
}

// Draws the characters of A$ (half-width blanks dropped) from (X, Y) and
// leaves the pen end in XT. The loop body runs once even for an empty A$,
// which so takes one empty cell. A "．" is tucked 4 pixels left of the pen
// and takes no cell; a character still one byte long sits 4 pixels higher.
void Framework::DrawPlainChars() {
  StripSpaces();
  LE = static_cast<float>(KLEN(A_S));
  XT = X;
  SETFONTBOLD(-1);
  I = 1;
  do {
    B_S = KMID(A_S, I, 1);
    if (B_S == "^") {
      JYOU = 1;
    } else {
      if (JYOU != 1) {
        ToFullWidthChar();
      } else {
        JYOU = 0;
      }
      L = LEN(B_S) == 1 ? 4 : 0;
      if (B_S == "．") XT = XT - 4;
      SYMBOL(XT, Y - L, B_S, 1, 1, static_cast<int>(CCC1));
      if (B_S == "．") XT = XT - 12;
      XT = XT + 16;
    }
    I = I + 1;
  } while (I <= LE);
}

// Converts the one character in B$ through both tables; N1 and N are its
// places in them (0 when absent).
void Framework::ToFullWidthChar() {
  HENK1_S = kUpperKeys;
  HENK2_S = kUpperValues;
  HENK_S = kOtherKeys;
  HENK3_S = kOtherValues;
  N1 = static_cast<float>(INSTR(HENK1_S, B_S));
  if (N1 != 0) B_S = KMID(HENK2_S, N1, 1);
  N = static_cast<float>(INSTR(HENK_S, B_S));
  if (N != 0) B_S = KMID(HENK3_S, N, 1);
}

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
