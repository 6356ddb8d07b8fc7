// Angle arithmetic and the angle marks: the rays of an angle, arcs and
// sectors, the right-angle square, labels on the bisector, and the dotted
// arc over a segment.
#include <cmath>

#include "framework/figure_math.h"
#include "framework/framework.h"

// The angle at Z0 from ray Z0Z1 to ray Z0Z2: arc ends HH1, HH2 (fractions
// of a turn), directions HH3, HH4 (radians), and HH5 the bisector of the
// side swept anticlockwise from the first ray to the second; ITI = -1
// exchanges the rays. HHP keeps the direction of Z0Z2.
void Framework::AngleRays() {
  PI = figure::kPi;
  HHP = figure::rayDirection(ZX1 - ZX0, ZY1 - ZY0, PI);
  HH1 = 1 - HHP / (2 * PI);
  HH3 = HHP;
  HHP = figure::rayDirection(ZX2 - ZX0, ZY2 - ZY0, PI);
  HH2 = 1 - HHP / (2 * PI);
  HH4 = HHP;
  if (ITI == -1) {
    std::swap(HH1, HH2);
    std::swap(HH3, HH4);
  }
  HH5 = (HH3 + HH4) / 2;
  if (HH4 < HH3) HH5 = HH5 + PI;
  CHECK();
}

// HONSU arcs in CCC3 at radii NAGASA - 8, NAGASA - 16, ..., or for HONSU
// 0 or below one sector of radius NAGASA bordered in CCC2 and filled in
// CCC3; then the label AAA$ on the bisector at the distance NAGASA.
void Framework::AngleMark() {
  AngleRays();
  if (HONSU > 6) HONSU = 1;
  if (HONSU > 0) {
    NAGASA1 = NAGASA;
    float n = figure::passes(1, HONSU, 1);
    II = 1;
    for (float k = 0; k < n; ++k, II = II + 1) {
      NAGASA1 = NAGASA1 - 8;
      CIRCLE(ZX0, ZY0, NAGASA1, figure::ink(CCC3), HH2, HH1);
    }
  } else {
    CIRCLE(ZX0, ZY0, NAGASA, figure::ink(CCC2), HH2, HH1, true, figure::ink(CCC3));
  }
  AngleLabel();
  ITI = 0;
  AAA_S = "";
}

// The right-angle square: the open polyline Z3, Z5, Z4 whose sides along
// the rays are NAGASA long, in CCC2 at the current pen width.
void Framework::RightAngleMark() {
  AngleRays();
  ZX3 = ZX0 + NAGASA * std::cos(HH3);
  ZY3 = ZY0 - NAGASA * std::sin(HH3);
  ZX4 = ZX0 + NAGASA * std::cos(HH4);
  ZY4 = ZY0 - NAGASA * std::sin(HH4);
  ZX5 = ZX3 + NAGASA * std::cos(HH4);
  ZY5 = ZY3 - NAGASA * std::sin(HH4);
  CHECK();
  CONNECT({{ZX3, ZY3}, {ZX5, ZY5}, {ZX4, ZY4}}, figure::ink(CCC2));
}

// The label AAA$ set beyond the point NAGASA from Z0 on the bisector of
// the marked side, pushed away from the vertex by half its box, shifted by
// (AAAX, AAAY); drawn small when MU_DO = 1. The one-shot inputs go back.
void Framework::AngleLabel() {
  A_S = AAA_S;
  MeasureText();
  AngleRays();
  N1 = static_cast<float>(KINSTR(AAA_S, "ﾀ"));
  DY = N1 > 0 ? 40 : 22;
  X = ZX0 + NAGASA * std::cos(HH5) + LLT * (std::cos(HH5) / 2 - 0.5f) + AAAX;
  Y = ZY0 - NAGASA * std::sin(HH5) - 2 * DY * (std::sin(HH5) / 2 + 0.5f) + AAAY;
  CHECK();
  AA_S = AAA_S;
  if (MU_DO == 1) DrawSmallText();
  else DrawText();
  ITI = 0;
  AAA_S = "";
  AAAX = 0;
  AAAY = 0;
  NAGASA = 0;
  MU_DO = 0;
}

// HHP: the direction of ray Z0Z1 in radians; HH the same in degrees.
void Framework::RayDirection() {
  PI = figure::kPi;
  HHP = figure::rayDirection(ZX1 - ZX0, ZY1 - ZY0, PI);
  HH = HHP * 180 / PI;
  CHECK();
}

// The marked angle of AngleRays in degrees: HH, and KAKUDO$ with at most
// one decimal.
void Framework::MeasureAngle() {
  AngleRays();
  if (HH4 < HH3) HH4 = HH4 + 2 * PI;
  HH5 = HH4 - HH3;
  HH = HH5 * 180 / PI;
  CHECK();
  KAKUDO_S = STR(static_cast<float>(std::lround(10 * HH)) / 10);
  A_S = KAKUDO_S;
  StripSpaces();
  KAKUDO_S = A_S;
}

// Drops every "^", "ﾝ", "ﾀ" and "=" from A$.
void Framework::StripMarkup() {
  for (const char* mark : {"^", "ﾝ", "ﾀ", "="}) {
    while ((TA1 = static_cast<float>(KINSTR(A_S, mark))) > 0) {
      TA2 = TA1 - 1;
      TA3 = TA1 + 1;
      A_S = KLEFT(A_S, TA2) + KMID(A_S, TA3);
    }
  }
}

// The point is first found on the half-ellipse laid out along +x from Z0
// (ZX3, ZY3), then turned about Z0 by the segment's direction H.
void figure::pointOnHalfEllipse(Framework& f, float t, float height) {
  f.HH = t * f.PI / 180;
  f.ZX3 = f.ZX2 + f.RR * std::cos(f.HH);
  f.ZY3 = f.ZY2 - height * std::sin(f.HH);
  f.ZX1 = f.ZX3;
  f.ZY1 = f.ZY3;
  f.RayDirection();
  f.R = std::sqrt((f.ZX3 - f.ZX0) * (f.ZX3 - f.ZX0) + (f.ZY3 - f.ZY0) * (f.ZY3 - f.ZY0));
  f.ZX = f.ZX0 + f.R * std::cos(f.H + f.HHP);
  f.ZY = f.ZY0 - f.R * std::sin(f.H + f.HHP);
  rt::calcCheck();
}

void figure::layOutHalfEllipse(Framework& f) {
  f.ZX11 = f.ZX0;
  f.ZY11 = f.ZY0;
  f.ZX12 = f.ZX1;
  f.ZY12 = f.ZY1;
  f.CX = f.ZX1 - f.ZX0;
  f.CY = f.ZY1 - f.ZY0;
  f.RR = std::sqrt(f.CX * f.CX + f.CY * f.CY) / 2;
  f.ZX2 = f.ZX0 + f.RR;
  f.ZY2 = f.ZY0;
  f.RayDirection();
  f.H = f.HHP;
}

// A dotted half-ellipse TAKASA high over the segment Z0Z1, right of the
// walk from Z0 to Z1 for HOUKOU > 0, else left; NAKA > 0 draws only its
// first NAKA degrees; dots HABA degrees apart, in CCC2. The label AAA$
// stands against the middle M of the arc. Leaves Z0 = M, Z1 = A, Z2 = B.
void Framework::ArcOverSegment() {
  if (TAKASA > 0 && TAKASA < 16) TAKASA = TAKASA * 16;
  else if (TAKASA < 0) TAKASA = std::fabs(TAKASA);
  figure::layOutHalfEllipse(*this);
  if (HOUKOU > 0) {
    D1 = 180;
    D2 = NAKA > 0 ? 180 + NAKA : 360;
  } else {
    D1 = 0;
    D2 = HOUKOU < 0 && NAKA > 0 ? NAKA : 180;
  }
  CHECK();
  float n = figure::passes(D1, D2, HABA);
  II = D1;
  for (float k = 0; k < n; ++k, II = II + HABA) {
    figure::pointOnHalfEllipse(*this, II, TAKASA);
    CIRCLE(ZX, ZY, 0.5f, figure::ink(CCC2), 0, 0, true);
  }
  figure::pointOnHalfEllipse(*this, (D1 + D2) / 2, TAKASA);
  ZX2 = ZX12;
  ZY2 = ZY12;
  ZX1 = ZX11;
  ZY1 = ZY11;
  ZX0 = ZX;
  ZY0 = ZY;
  NAGASA = 0;
  ITI = HOUKOU;
  AngleLabel();
  AAA_S = "";
  NAKA = 0;
}
