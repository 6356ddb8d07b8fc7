// Plain text in the small font (size 15), without formula markup, alone
// or centred in boxes of one or two lines.
#include "framework/framework.h"

// AA$ from (X, Y) in CCC1, one character per pass; X after the text. Each
// pass notes the pen and the pen width again and selects bold size 15; the
// pass that finds AA$ empty turns bold off and selects size 16.
void Framework::DrawSmallText() {
  for (;;) {
    TX = X;
    TY = Y;
    DR = GETDRAWWIDTH();
    LEM = static_cast<float>(KLEN(AA_S));
    if (LEM == 0) {
      SETFONTBOLD(0);
      SETDRAWWIDTH(DR);
      SETFONTSIZE(16);
      return;
    }
    A_S = KLEFT(AA_S, 1);
    AA_S = KRIGHT(AA_S, LEM - 1);
    R_S = A_S;
    NAG = static_cast<float>(KLEN(R_S));
    SETFONTBOLD(-1);
    SETFONTSIZE(15);
    for (I = 1; I <= NAG; I = I + 1) {
      B_S = KMID(R_S, I, 1);
      TA2 = static_cast<float>(LEN(B_S));
      if (B_S == "." || B_S == ",") {
        SYMBOL(TX, TY, B_S, 3, 2, CCC1);
        TX = TX + 8;
      } else if (B_S == "(") {
        SYMBOL(TX - 8, TY, B_S, 3, 2, CCC1);
        TX = TX + 12;
      } else if (B_S == ")") {
        SYMBOL(TX, TY, B_S, 3, 2, CCC1);
        TX = TX + 8;
      } else if (B_S == " ") {
        TX = TX + 20;
      } else if (TA2 == 2) {
        SYMBOL(TX, TY, B_S, 2, 2, CCC1);
        TX = TX + 30;
      } else if (B_S == "a" || B_S == "x" || B_S == "c") {
        SETFONTNAME("Times New Roman");
        SETFONTSIZE(8);
        SETFONTITALIC(-1);
        SYMBOL(TX + 4, TY - 12, B_S, 7, 4, CCC1);
        SETFONTNAME("ゴシック");
        SETFONTITALIC(0);
        TX = TX + 20;
      } else if (B_S == "y") {
        SYMBOL(TX, TY - 6, B_S, 3, 2, CCC1);
        TX = TX + 20;
      } else {
        SYMBOL(TX, TY, B_S, 3, 2, CCC1);
        TX = TX + 20;
      }
    }
    X = TX;
    Y = TY;
  }
}

// LLT = the width DrawSmallText gives A$, drawn off the page; X, Y kept,
// AA$ left holding the text.
void Framework::MeasureSmallText() {
  XX1 = X;
  YY1 = Y;
  X = 0;
  Y = 1800;
  AA1_S = A_S;
  AA_S = A_S;
  rt.beginMeasure();
  DrawSmallText();
  rt.endMeasure();
  LLT = X;
  X = XX1;
  Y = YY1;
  AA_S = AA1_S;
}

namespace {
// Measures the box line in A$ (kept in MOTOA$) and sets LT1 to where it
// starts across the box: centred, or at the left edge when it is wider.
void MeasureBoxLine(Framework& f) {
  f.MOTOA_S = f.A_S;
  f.MeasureSmallText();
  f.LT1 = (f.HABA - f.LLT) / 2;
  if (f.LT1 < 0) f.LT1 = 0;
}

// Draws the measured box line with its top at y.
void DrawBoxLine(Framework& f, float y) {
  f.X = f.X1 + f.LT1;
  f.Y = y;
  f.AA_S = f.MOTOA_S;
  f.DrawSmallText();
}
}  // namespace

// A filled box (X, Y) HABA × TATE in CCC2/CCC3 with A$ centred in it;
// X at the box's right edge afterwards.
void Framework::SmallTextInBox() {
  X1 = X;
  Y1 = Y;
  MeasureBoxLine(*this);
  Y2 = Y1 + INT((TATE - 26) / 2);
  Y3 = Y1 + TATE;
  LINE(X1, Y1, X1 + HABA, Y3, CCC2, 2, CCC3);
  DrawBoxLine(*this, Y2);
  X = X1 + HABA;
  Y = Y1;
}

// The box of SmallTextInBox with A1$ over A2$, each centred across; a lone
// first line (A2$ empty) moves 15 pixels down.
void Framework::SmallTwoLineBox() {
  X1 = X;
  Y1 = Y;
  A_S = A1_S;
  MeasureBoxLine(*this);
  Y2 = Y1 + INT((TATE / 2 - 26) / 2);
  Y3 = Y1 + TATE;
  LINE(X1, Y1, X1 + HABA, Y3, CCC2, 2, CCC3);
  Y22 = A2_S.empty() ? Y2 + 15 : Y2;
  DrawBoxLine(*this, Y22);
  A_S = A2_S;
  MeasureBoxLine(*this);
  Y4 = Y2 + 30;
  DrawBoxLine(*this, Y4);
  X = X1 + HABA;
  Y = Y1;
}
