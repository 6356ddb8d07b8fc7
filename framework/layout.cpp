// Formula page layouts: a left curly brace and a column calculation.
#include "framework/framework.h"

// A left curly brace in CCC1, HABA high, in the box whose top-left is
// (X, Y): tips at X + 35, stem at X + 23, point at X + 8 halfway down.
void Framework::CurlyBrace() {
  DR = GETDRAWWIDTH();
  X1 = X + 35;
  X2 = X1 - 12;
  X3 = X2;
  X4 = X2 - 15;
  Y1 = Y + 5;
  Y7 = Y + HABA - 10;
  Y4 = (Y1 + Y7) / 2;
  Y2 = Y1 + 3;
  Y3 = Y4 - 7;
  Y5 = Y4 + 7;
  Y6 = Y7 - 3;
  CHECK();
  SETDRAWWIDTH(5);
  CONNECT({{X1, Y1}, {X2, Y2}, {X3, Y3}, {X4, Y4}, {X3, Y5}, {X2, Y6}, {X1, Y7}}, CCC1);
  SETDRAWWIDTH(DR);
}

// A1$ over A2$, both from X + 54, the operator ENZAN$ and ")" in front of
// the second line, and a rule TAKASA below it under both. The text cursor
// continues on the second line (YI1) after the rule's right end (XI2).
void Framework::ColumnLayout() {
  X1 = X;
  Y1 = Y;
  DR = GETDRAWWIDTH();
  A_S = A1_S;
  MeasureText();
  LT1 = LLT;
  A_S = A2_S;
  MeasureText();
  LT2 = LLT;
  LT = LT1 > LT2 ? LT1 : LT2;
  X = X1 + 54;
  Y = Y1;
  AA_S = A1_S;
  DrawText();
  X = X1;
  Y = Y1 + TAKASA + 6;
  AA_S = ENZAN_S;
  DrawText();
  AA_S = std::string(")");
  DrawText();
  X = X1 + 54;
  Y = Y1 + TAKASA;
  AA_S = A2_S;
  DrawText();
  SETDRAWWIDTH(3);
  LINE(X1 + 27, Y1 + 2 * TAKASA, LT + 30, 0, CCC2, 0, -1, true);
  SETDRAWWIDTH(DR);
  XI2 = X1 + 57 + LT;
  YI1 = Y1 + TAKASA;
  XI3 = X1 + 54;
}
