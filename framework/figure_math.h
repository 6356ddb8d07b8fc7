// Arithmetic shared by the figure routines (grid, marks, angles, plane
// geometry): the direction of a ray, guarded division, palette indices
// from colour variables and the pass count of a counted loop.
#pragma once

#include <cmath>
#include <source_location>

#include "framework/state.h"
#include "runtime/basic.h"

class Framework;

namespace figure {

// The circle constant the figure routines store into PI.
inline constexpr float kPi = 3.14159f;

// The most passes a figure loop makes; a count beyond it is a bad count.
inline constexpr float kMaxPasses = 100000;

// Direction in radians of the ray from a point to another that lies
// (dx, dy) pixels away (y downwards): anticlockwise on the screen from the
// +x direction, in [0, 2 pi). A point on the vertex gives pi.
inline float rayDirection(float dx, float dy, float pi) {
  if (dy > 0) return 3 * pi / 2 + rt::ATN(dx / dy);
  if (dy < 0) return pi / 2 + rt::ATN(dx / dy);
  return dx > 0 ? 0.0f : pi;
}

// n / d; a zero divisor is the runtime error "division by zero" at the
// caller's line, so no infinity or NaN goes on.
inline float divide(float n, float d, std::source_location where = std::source_location::current()) {
  if (d == 0.0f) rt::raise(rt::kDivisionByZero, "division by zero", where);
  float q = n / d;
  return rt::finite(q, where);
}

// A colour variable as the palette index the drawing statements take.
inline int ink(float colour, std::source_location where = std::source_location::current()) {
  return static_cast<int>(std::lround(rt::finite(colour, where)));
}

// Passes of a counted loop from `first` to `last` in steps of `step` that
// makes its first pass before it tests the limit: 1 when the limit lies
// below the start, the step is not positive or the count is not sensible.
inline float passes(float first, float last, float step) {
  if (!(step > 0) || !(last >= first)) return 1;
  // In double precision no quotient of two floats overflows.
  double n = std::floor((static_cast<double>(last) - first) / step) + 1;
  if (!(n <= kMaxPasses)) return 1;
  return static_cast<float>(n);
}

// The first step of the segment marks: C = B - A, D = |AB| and the unit
// vector (DX, DY) from A to B. A segment of length 0 is the runtime error
// "division by zero".
inline void segmentDirection(ProgramState& s, float ax, float ay, float bx, float by,
                             std::source_location where = std::source_location::current()) {
  s.CX = bx - ax;
  s.CY = by - ay;
  s.D = std::sqrt(s.CX * s.CX + s.CY * s.CY);
  s.DX = divide(s.CX, s.D, where);
  s.DY = divide(s.CY, s.D, where);
}

// The half-ellipse over the segment Z0Z1 (the dotted arcs and the point
// on an arc): keeps A and B in ZX11, ZY11, ZX12, ZY12, sets CX, CY, RR
// (half the length), the centre ZX2, ZY2 laid out along +x from Z0, and H,
// the segment's direction (PI through RayDirection).
void layOutHalfEllipse(Framework& f);
// The point at t degrees of that half-ellipse, `height` across the
// segment, turned about Z0 onto the segment: in ZX, ZY. Leaves the unturned
// point in ZX3, ZY3 and in ZX1, ZY1, its direction in HHP, HH and its
// distance from Z0 in R.
void pointOnHalfEllipse(Framework& f, float t, float height);

// An open arrowhead with its tip at (tipX, tipY) pointing along the unit
// vector (DX, DY): its base (EX, EY) NAGASA back from the tip and its two
// barb ends NAGASA / 2 to either side of the base, the first on the right
// of the direction as seen on the screen.
inline void arrowhead(ProgramState& s, float tipX, float tipY, float& x1, float& y1, float& x2,
                      float& y2) {
  s.EX = tipX - s.NAGASA * s.DX;
  s.EY = tipY - s.NAGASA * s.DY;
  x1 = s.EX - (s.NAGASA / 2) * s.DY;
  y1 = s.EY + (s.NAGASA / 2) * s.DX;
  x2 = s.EX + (s.NAGASA / 2) * s.DY;
  y2 = s.EY - (s.NAGASA / 2) * s.DX;
}

}  // namespace figure
