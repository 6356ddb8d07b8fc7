// Plane geometry of the figures: the foot of a perpendicular, the crossing
// of two lines, a point on a half-ellipse over a segment, and arrows.
#include <cmath>
#include <utility>

#include "framework/figure_math.h"
#include "framework/framework.h"

// E: the foot of the perpendicular from C onto the line AB; a disc of
// radius 2 in the page colour is painted on it.
void Framework::FootOfPerpendicular() {
  if (BX == AX) {
    EX = AX;
    EY = CY;
  } else if (BY == AY) {
    EX = CX;
    EY = AY;
  } else {
    AA1 = (BY - AY) / (BX - AX);
    BB1 = AY - AA1 * AX;
    AA2 = -1 / AA1;
    BB2 = CY - AA2 * CX;
    EX = -(BB1 - BB2) / (AA1 - AA2);
    EY = (AA1 * BB2 - AA2 * BB1) / (AA1 - AA2);
  }
  CHECK();
  CIRCLE(EX, EY, 2, 15, 0, 0, true, 15);
}

namespace {

// The line through P and Q as slope and intercept: slope 0 and P's y when
// it is horizontal (also for P = Q); slope 1000 and its x in AX2 when it is
// vertical (the intercept is then not set), which the result tells.
bool slopeFormOf(ProgramState& s, float px, float py, float qx, float qy, float& slope, float& intercept) {
  if (qy == py) {
    slope = 0;
    intercept = py;
    return false;
  }
  if (qx == px) {
    slope = 1000;
    s.AX2 = px;
    return true;
  }
  slope = (qy - py) / (qx - px);
  intercept = py - slope * px;
  return false;
}

}  // namespace

// (AX2, AY2): where the line AB crosses the line CD. A horizontal line
// has slope 0; a vertical one slope 1000 and its x in AX2. Lines of equal
// slope give no point: the routine returns at once.
void Framework::LineIntersection() {
  // A vertical line is told from a slanted one of slope 1000 by its ends.
  bool abVertical = slopeFormOf(*this, AX, AY, BX, BY, A1, B1);
  bool cdVertical = slopeFormOf(*this, CX, CY, DX, DY, A2, B2);
  CHECK();
  if (A1 == A2 && abVertical == cdVertical) return;
  if (abVertical) {
    AY2 = A2 * AX2 + B2;
  } else if (cdVertical) {
    AY2 = A1 * AX2 + B1;
  } else {
    AX2 = -(B2 - B1) / (A2 - A1);
    AY2 = (-A1 * (B2 - B1) + B1 * (A2 - A1)) / (A2 - A1);
  }
  CHECK();
}

// (ZX, ZY): the point at KAKUDO degrees of the half-ellipse TAKASA high
// over Z0Z1 (0 at Z1, 90 TAKASA to the left of the walk from Z0 to Z1, 180
// at Z0). Z0Z1 of length 0 is the runtime error "division by zero".
void Framework::PointOnArc() {
  figure::layOutHalfEllipse(*this);
  float height = figure::divide(TAKASA, RR) * RR;
  figure::pointOnHalfEllipse(*this, KAKUDO, height);
}

// An arrow from (ZX, ZY) to Z0 with an open head NAGASA long at its tip, in
// CCC2: unless MUKI = -1 the two ends are exchanged first, so the head
// goes to (ZX, ZY); YA = 2 adds a head at the other end. Equal ends are the
// runtime error "division by zero" once the shaft is drawn.
void Framework::Arrow() {
  if (MUKI != -1) {
    std::swap(ZX0, ZX);
    std::swap(ZY0, ZY);
  }
  for (;;) {
    LINE(ZX, ZY, ZX0, ZY0, figure::ink(CCC2));
    figure::segmentDirection(*this, ZX, ZY, ZX0, ZY0);
    figure::arrowhead(*this, ZX0, ZY0, ZX1, ZY1, ZX2, ZY2);
    CHECK();
    LINE(ZX1, ZY1, ZX0, ZY0, figure::ink(CCC2));
    LINE(ZX2, ZY2, ZX0, ZY0, figure::ink(CCC2));
    if (YA != 2) break;
    YA = 0;
    std::swap(ZX0, ZX);
    std::swap(ZY0, ZY);
  }
  MUKI = 0;
}
