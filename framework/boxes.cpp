// Text measurement and the boxes that centre a formula text: the answer
// box on a text line, the box that hangs from the pen, and the two-line box.
#include <string>

#include "framework/framework.h"

// LLT = the advance DrawText gives A$ in the current fraction mode. The text
// is laid out at (0, 1800) with every state change of a real drawing, but
// nothing reaches the page. Puts back the caller's X, Y and A$; it runs
// inside itself when a measured text holds a fraction, so each call keeps
// its own caller's values.
void Framework::MeasureText() {
  const float callerX = X, callerY = Y;
  const std::string callerA = A_S;
  XX1 = X;
  YY1 = Y;
  AA1_S = A_S;
  X = 0;
  Y = 1800;
  AA_S = A_S;
  rt.beginMeasure();
  DrawText();
  rt.endMeasure();
  LLT = X;
  X = callerX;
  Y = callerY;
  A_S = callerA;
}

// The box routines keep their text in MOTOA$, measure it, and take its
// indent LT1 from the box's left edge X1: centred, never negative (a text
// wider than the box starts at its left edge), half pixels kept.
static void measureBoxText(Framework& f) {
  f.MOTOA_S = f.A_S;
  f.MeasureText();
  f.LT1 = (f.HABA - f.LLT) / 2;
  if (f.LT1 < 0) f.LT1 = 0;
}

// Draws the kept text at its indent with its top at `top`.
static void drawBoxText(Framework& f, float top) {
  f.X = f.X1 + f.LT1;
  f.Y = top;
  f.AA_S = f.MOTOA_S;
  f.DrawText();
}

// A filled box whose top-left is the pen, the text centred in it on a
// 44-pixel line (50 with a stacked fraction). X comes back at the box's
// right edge, Y as it was.
void Framework::TextInBox() {
  X1 = X;
  Y1 = Y;
  N1 = static_cast<float>(KINSTR(A_S, "ﾀ"));
  measureBoxText(*this);
  Y2 = Y1 + INT((TATE - (N1 == 0 ? 44 : 50)) / 2);
  Y3 = Y1 + TATE;
  LINE(X1, Y1, X1 + HABA, Y3, static_cast<int>(CCC2), 2, static_cast<int>(CCC3));
  drawBoxText(*this, Y2);
  X = X1 + HABA;
  Y = Y1;
}

// The answer box: TATE high, centred on the 44-pixel text line that begins
// at Y, the text centred across it on the line's top. The box depends only
// on X, Y, HABA and TATE, so an answer covers its placeholder exactly.
void Framework::BoxAroundText() {
  X1 = X;
  Y1 = Y;
  measureBoxText(*this);
  Y2 = Y1 - INT((TATE - 44) / 2);
  Y3 = Y1 + TATE - INT((TATE - 44) / 2);
  LINE(X1, Y2, X1 + HABA, Y3, static_cast<int>(CCC2), 2, static_cast<int>(CCC3));
  drawBoxText(*this, Y1);
  X = X1 + HABA;
  Y = Y1;
}

// Two centred lines A1$ and A2$ in one box that hangs from the pen; an empty
// second line leaves the first one lower, in the middle.
void Framework::TwoLineTextBox() {
  X1 = X;
  Y1 = Y;
  A_S = A1_S;
  N1 = static_cast<float>(KINSTR(A1_S, "ﾀ"));
  measureBoxText(*this);
  Y2 = Y1 + INT((TATE / 2 - (N1 == 0 ? 44 : 50)) / 2);
  Y3 = Y1 + TATE;
  LINE(X1, Y1, X1 + HABA, Y3, static_cast<int>(CCC2), 2, static_cast<int>(CCC3));
  Y22 = A2_S.empty() ? Y2 + 25 : Y2;
  drawBoxText(*this, Y22);

  A_S = A2_S;
  N1 = static_cast<float>(KINSTR(A2_S, "ﾀ"));
  measureBoxText(*this);
  Y4 = N1 == 0 ? Y1 + 44 + INT((TATE / 2 - 44) / 2) : Y1 + 50 + INT((TATE / 2 - 50) / 2);
  drawBoxText(*this, Y4);
  X = X1 + HABA;
  Y = Y1;
}
