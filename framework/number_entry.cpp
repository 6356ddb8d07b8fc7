// The keyboard number entry: a small field at (KAIX, KAIY) that takes "-",
// ".", "/" and the digits, echoes them in full-width form and returns the
// text on Enter; ParseInputNumber reads it as a number or a fraction.
#include "framework/framework.h"

namespace {
// The disc of the cursor dot in the echo cell at (XX, YY).
constexpr float kDotRadius = 4;
}  // namespace

// Label "入力", the key loop, then the whole field erased. Leaves the
// confirmed text in AINP$.
void Framework::InputNumberText() {
  XX = KAIX;
  YY = KAIY;
  AINP_S = "";
  CCC1 = 0;
  X = XX - 48;
  Y = YY;
  AA_S = "入力";
  DrawPlainText();
  InputKeyLoop();
  LINE(KAIX - 48, KAIY - 8, 240, 30, 15, 2, 15, true);
}

// One pass per poll: the dot is drawn before each poll and erased after a
// poll that finds nothing. Backspace, code 12, or any key once the field
// holds ten characters clears the field; Enter confirms; "-" to "9" are
// echoed and kept; every other key is ignored.
void Framework::InputKeyLoop() {
  for (;;) {
    CIRCLE(XX + 8, YY + 8, kDotRadius, 5, 0, 0, true, 5);
    I_S = INKEY();
    if (I_S.empty()) {
      CIRCLE(XX + 8, YY + 8, kDotRadius, 15, 0, 0, true, 15);
      continue;
    }
    const unsigned char key = static_cast<unsigned char>(I_S[0]);
    if (key == rt::kBackspace || key == rt::kClear || KLEN(AINP_S) > 9) {
      LINE(KAIX, KAIY - 8, 192, 30, 15, 2, 15, true);
      AINP_S = "";
      XX = KAIX;
      YY = KAIY;
      I_S = "";
      continue;
    }
    if (key == rt::kEnter) {
      CIRCLE(XX + 8, YY + 8, kDotRadius, 15, 0, 0, true, 15);
      return;
    }
    if (key >= '-' && key <= '9') {
      CIRCLE(XX + 8, YY + 8, kDotRadius, 15, 0, 0, true, 15);
      CCC1 = 5;
      A_S = I_S;
      X = XX;
      Y = YY;
      DrawPlainChars();
      XX = XT;
      AINP_S += I_S;
    }
  }
}

// AINP = the value of AINP$, the part before its first "/" divided by the
// part after it. An empty or zero denominator makes an invalid entry of
// value 0, which every prompt's caller refuses.
void Framework::ParseInputNumber() {
  LEM = static_cast<float>(KLEN(AINP_S));
  N = static_cast<float>(KINSTR(1, AINP_S, "/"));
  if (N == 0) {
    AINP = VAL(AINP_S);
    return;
  }
  A_S = KLEFT(AINP_S, N - 1);
  B_S = KRIGHT(AINP_S, LEM - N);
  AINP = VAL(B_S) == 0 ? 0 : VAL(A_S) / VAL(B_S);
}
