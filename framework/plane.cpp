// Work on a coordinate plane: the slope triangle between two points, the
// point of a line at a given x or y, the plane itself with its grid and
// numbers, and the points and function graphs drawn on it.
#include <cmath>

#include "framework/counted_loop.h"
#include "framework/framework.h"

// ---- slope triangle and axis-line hit ----

namespace {
// One arrow of the slope triangle, its head at (x, y).
void SlopeArrow(Framework& f, float x0, float y0, float x, float y, float colour) {
  f.ZX0 = x0;
  f.ZY0 = y0;
  f.ZX = x;
  f.ZY = y;
  f.MUKI = 1;
  f.CCC2 = colour;
  f.NAGASA = 16;
  f.Arrow();
}
}  // namespace

// The run arrow from the left point and the rise arrow up (or down) to the
// right point, their sizes in grid steps in X$ and Y$, and the labels that
// HYOUJI$ switches on ("y" in the first place: run, in the second: rise).
void Framework::SlopeTriangle() {
  if (GX3 > GX4) {
    std::swap(GX3, GX4);
    std::swap(GY3, GY4);
  }
  SETDRAWWIDTH(4);
  SlopeArrow(*this, GX3, GY3, GX4, GY3, 7);
  SlopeArrow(*this, GX4, GY3, GX4, GY4, 3);
  A_S = STR((GX4 - GX3) / SIZE);
  StripSpaces();
  X_S = A_S;
  float rise = (GY3 - GY4) / SIZE;
  CHECK();
  A_S = STR(rise);
  StripSpaces();
  Y_S = A_S;
  // Below one step the number text starts at its point: a zero goes in
  // front of it, after the sign.
  if (std::fabs(rise) < 1 && rise != 0) {
    Y_S = KLEFT(Y_S, 1) == "-" ? "-0" + KMID(Y_S, 2) : "0" + Y_S;
  }
  if (LEFT(HYOUJI_S, 1) == "y") SlopeRunLabel();
  if (MID(HYOUJI_S, 2, 1) == "y") SlopeRiseLabel();
}

// X$ beside the run arrow, on the side the rise arrow goes to.
void Framework::SlopeRunLabel() {
  Y = GY3 > GY4 ? GY3 - 44 : GY3;
  CCC1 = 7;
  X = (GX3 + GX4) / 2 - 14;
  AA_S = X_S;
  DrawText();
}

// Y$ right of the rise arrow, its top 16 pixels above the arrow's middle.
void Framework::SlopeRiseLabel() {
  CCC1 = 3;
  X = GX4;
  Y = (GY3 + GY4) / 2 - 16;
  AA_S = Y_S;
  DrawText();
}

// The point (X1, Y1) of line AB at the given x or y of C; the coordinate
// to be found is marked by a negative value.
void Framework::AxisLineHit() {
  if (BX == AX) {
    X1 = AX;
    Y1 = CY;
    return;
  }
  if (AY == BY) {
    X1 = CX;
    Y1 = AY;
    return;
  }
  A = (BY - AY) / (BX - AX);
  B = AY - A * AX;
  if (CX < 0) {
    X1 = (CY - B) / A;
    Y1 = CY;
  }
  if (CY < 0) {
    Y1 = A * CX + B;
    X1 = CX;
  }
  CHECK();
}

// ---- coordinate plane ----

namespace {
// The layout counts SIZE1 pixels for each character of a number drawn
// magnified 2 across.
float Chars(const std::string& text) { return static_cast<float>(KLEN(text)); }

// AA$ magnified 2 across and 1 down at (X, Y) in CCC1.
void PlaneText(Framework& f) { f.rt.SYMBOL(f.X, f.Y, f.AA_S, 2, 1, static_cast<int>(f.CCC1)); }

// The number of the thick line II in AA$ ("" at the origin and with
// NASI = -1); A$ keeps its text.
void AxisNumberText(Framework& f) {
  f.A_S = STR(f.II);
  f.StripSpaces();
  f.AA_S = f.II == 0 || f.NASI == -1 ? "" : f.A_S;
}

// The value II·scale of a thick line: P1 the whole part and P2 the tenths
// digit of its magnitude, P1$ with the sign, P2$; AA$ the digits to draw
// and CCC1 = 0. False for the origin and for lines that are not thick.
bool ScaledValueText(Framework& f, float scale) {
  float value = f.II * scale;
  float tenths = INT(std::fabs(value) * 10 + 0.5f);
  f.P1 = INT(tenths / 10);
  f.P2 = tenths - 10 * f.P1;
  rt::calcCheck();
  f.A_S = STR(f.P1);
  f.StripSpaces();
  f.P1_S = (value < 0 ? "-" : "") + f.A_S;
  f.A_S = STR(f.P2);
  f.StripSpaces();
  f.P2_S = f.A_S;
  if (f.II == 0 || MOD(f.II, 5) != 0) return false;
  f.AA_S = f.P2 == 0 ? f.P1_S : f.P1_S + f.P2_S;
  f.CCC1 = 0;
  return true;
}

// The value of the graph's function at x: 1 a/x, 2 a·x², else a·x + b.
float GraphValue(Framework& f, float x) {
  if (f.IROIRO == 1) return f.AA / x;
  if (f.IROIRO == 2) return f.AA * POW(x, 2);
  return f.AA * x + f.BB;
}
}  // namespace

// The plane over AA1..AA2 across and BB1..BB2 up (in values, BAIX and
// BAIY a step), its top-left at (GGX, GGY): thin lines every step, thick
// lines with their numbers every fifth, the axes and "x", "0", "y".
// The frame spans exactly the given ranges: its left edge lies at AA1 and
// its bottom at BB1, also when a range does not hold 0 (the origin, and so
// the axes, then lie outside the frame).
void Framework::CoordinatePlane() {
  DR = GETDRAWWIDTH();
  BAIX = BAIX == 0 ? 1 : std::fabs(BAIX);
  BAIY = BAIY == 0 ? 1 : std::fabs(BAIY);
  AA1 = AA1 / BAIX;
  AA2 = AA2 / BAIX;
  BB1 = BB1 / BAIY;
  BB2 = BB2 / BAIY;
  if (GGX == 0 && GGY == 0) {
    GGX = 640;
    GGY = 180;
  }
  GX0 = GGX - SIZE * AA1;
  GY0 = GGY + SIZE * BB2;
  GX1 = GGX;
  GY1 = GGY;
  GX2 = GX0 + SIZE * AA2;
  GY2 = GY0 - SIZE * BB1;
  CHECK();
  SIZE1 = SIZE < 40 ? 26 : 30;
  SETFONTSIZE(SIZE1);
  if (CCC2 != 0) {
    CountedLoop(II, AA1, AA2, [this] {
      SETDRAWWIDTH(1);
      LINE(GX0 + SIZE * II - 0.5f, GY1, GX0 + SIZE * II - 0.5f, GY2, 0);
    });
    CountedLoop(II, BB1, BB2, [this] {
      LINE(GX1, GY0 - SIZE * II - 0.5f, GX2, GY0 - SIZE * II - 0.5f, 0);
    });
    CountedLoop(II, AA1, AA2, [this] {
      if (MOD(II, 5) != 0) return;
      SETDRAWWIDTH(3);
      LINE(GX0 + SIZE * II, GY1, GX0 + SIZE * II, GY2, 1);
      AxisNumberText(*this);
      CCC1 = 0;
      X = GX0 + SIZE * II - SIZE1 * (Chars(AA_S) / 2);
      Y = GY0;
      PlaneText(*this);
    });
    CountedLoop(II, BB1, BB2, [this] {
      if (MOD(II, 5) != 0) return;
      SETDRAWWIDTH(3);
      LINE(GX1, GY0 - SIZE * II, GX2, GY0 - SIZE * II, 1);
      AxisNumberText(*this);
      CCC1 = 0;
      X = GX0 - SIZE1 * Chars(AA_S);
      Y = GY0 - SIZE * II - SIZE1 / 2 - 4;
      PlaneText(*this);
    });
  }
  SETDRAWWIDTH(4);
  LINE(GX0, GY1, GX0, GY2, 0);
  SETDRAWWIDTH(4);
  LINE(GX1, GY0, GX2, GY0, 0);
  SETFONTBOLD(-1);
  SETFONTNAME("Times New Roman");
  SETFONTSIZE(0.8f * SIZE1);
  SETFONTITALIC(-1);
  CCC1 = 0;
  X = GX2 - 0.8f * SIZE1;
  Y = GY0 - 1.5f * SIZE1;
  SYMBOL(X, Y, "x", 3, 2, CCC1);
  SETFONTNAME("ゴシック");
  SETFONTSIZE(SIZE1);
  SETFONTITALIC(0);
  CCC1 = 0;
  X = GX0 - SIZE1;
  Y = GY0;
  AA_S = "0";
  PlaneText(*this);
  CCC1 = 0;
  X = GX0;
  Y = GY1 - SIZE1 / 2;
  AA_S = "y";
  PlaneText(*this);
  SETFONTBOLD(0);
  SETFONTSIZE(16);
  SETDRAWWIDTH(DR);
  NASI = 0;
}

// The values that the thick lines of the plane stand for under its scale,
// 4 pixels below the plane's own numbers; a value that is not whole gets
// one decimal, its point drawn apart. The sign is kept apart from the
// digits and the tenths of the magnitude are rounded, so -2.5 reads
// "-2.5" and 0.7·5 reads "3.5".
void Framework::ScaledAxisLabels() {
  SETFONTSIZE(SIZE1);
  CountedLoop(II, AA1, AA2, [this] {
    if (!ScaledValueText(*this, BAIX)) return;
    X = GX0 + SIZE * II - SIZE1 * (Chars(AA_S) / 2);
    Y = GY0 + 4;
    PlaneText(*this);
    if (P2 == 0) return;
    CCC1 = 0;
    X = X + SIZE1 * Chars(P1_S) - 6;
    Y = GY0 + 8;
    AA_S = ".";
    PlaneText(*this);
  });
  CountedLoop(II, BB1, BB2, [this] {
    if (!ScaledValueText(*this, BAIY)) return;
    X = GX0 - SIZE1 * Chars(AA_S);
    Y = GY0 - SIZE * II - SIZE1 / 2;
    PlaneText(*this);
    if (P2 == 0) return;
    CCC1 = 0;
    X = X + SIZE1 * Chars(P1_S) - 6;
    Y = GY0 - SIZE * II - SIZE1 / 2 + 4;
    AA_S = ".";
    PlaneText(*this);
  });
  SETFONTSIZE(16);
}

// ---- plotted points and function graphs ----

namespace {
// The label AAA$ in CCC3 at (x, y) plus the shift; then the shift and the
// scale hold no longer.
void PlotLabel(Framework& f, float x, float y) {
  f.CCC1 = f.CCC3;
  f.X = x + f.KASANARIX;
  f.Y = y + f.KASANARIY;
  f.AA_S = f.AAA_S;
  f.DrawText();
  f.KASANARIX = 0;
  f.KASANARIY = 0;
  f.BAIX = 1;
  f.BAIY = 1;
}
}  // namespace

// A disc of radius R at the plane's point (XG, YG) and the label AAA$ 20
// pixels left of and 40 above it.
void Framework::PlotPoint() {
  if (BAIX == 0) BAIX = 1;
  if (BAIY == 0) BAIY = 1;
  GX = GX0 + SIZE * XG / BAIX;
  GY = GY0 - SIZE * YG / BAIY;
  CIRCLE(GX, GY, R, CCC3, 0, 0, true);
  PlotLabel(*this, GX - 20, GY - 40);
}

// The graph of kind IROIRO (1 y = a/x, 2 y = a·x², 3 y = a·x + b, 4 the
// line a·x + b·y = c) over x from AA1 to AA2, and its label AAA$ where it
// ends.
void Framework::GraphFunction() {
  const float widthAtCall = GETDRAWWIDTH();
  if (BAIX == 0) BAIX = 1;
  if (BAIY == 0) BAIY = 1;
  if (IROIRO == 4 && BB == 0) {
    CC = CC / AA;
    CHECK();
    PlotVerticalLine();
  } else if (IROIRO == 4) {
    AA = -AA / BB;
    BB = CC / BB;
    IROIRO = 3;
    PlotCurve();
  } else {
    PlotCurve();
  }
  PlotLabel(*this, X, Y);
  SETDRAWWIDTH(widthAtCall);
}

// 5001 dots of radius 1 from x = AA1 on in steps of (AA2 - AA1)/5000, cut
// off at the plane's top and bottom; the pen at the last dot drawn. Every
// kind but 3 steps over x = 0.
void Framework::PlotCurve() {
  X1 = AA1;
  HABA = 5000;
  if (IROIRO != 3 && X1 == 0) X1 = X1 + 0.002f;
  Y1 = GraphValue(*this, X1);
  GX5 = X1;
  GY5 = Y1;
  P1 = (AA2 - AA1) / HABA;
  CHECK();
  CountedLoop(II, 0, HABA, [this] {
    GX = GX0 + SIZE * GX5 / BAIX;
    GY = GY0 - SIZE * GY5 / BAIY;
    CHECK();
    if (GY >= GY1 && GY <= GY2) {
      X = GX;
      Y = GY;
      CIRCLE(GX, GY, 1, CCC3, 0, 0, true);
    }
    GX5 = GX5 + P1;
    if (IROIRO != 3 && GX5 == 0) GX5 = GX5 + P1;
    GY5 = GraphValue(*this, GX5);
  });
  CHECK();
}

// The vertical line x = CC from y = BB1 to BB2, 5 pixels wide; the pen 10
// pixels right of its end at BB2.
void Framework::PlotVerticalLine() {
  SETDRAWWIDTH(5);
  LINE(GX0 + SIZE * CC / BAIX, GY0 - SIZE * BB1 / BAIY, GX0 + SIZE * CC / BAIX,
       GY0 - SIZE * BB2 / BAIY, CCC3);
  X = GX0 + SIZE * CC / BAIX + 10;
  Y = GY0 - SIZE * BB2 / BAIY;
}
