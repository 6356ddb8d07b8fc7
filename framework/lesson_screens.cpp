// The screen vocabulary shared by every lesson set.
#include "framework/lesson_screens.h"

#include <cmath>
#include <vector>

// ---- pacing ----

void LessonScreens::Steps(std::initializer_list<std::function<void()>> steps) {
  bool first = true;
  for (const auto& step : steps) {
    if (!first) WaitAnyKey();
    first = false;
    step();
  }
}

void LessonScreens::MotionKey(const std::string& hint, float x1, float y1, float x2, float y2) {
  AA_S = hint;
  PauseWithMessage();
  if (I_S == "1") {
    AINP = 1;
  } else {
    EraseBox(x1, y1, x2, y2);
  }
}

void LessonScreens::MotionPause(const std::string& hint) { MotionKey(hint, GX1, GY1, GX2, GY2 + 50); }

void LessonScreens::TurnKey(float step, float x, float y, float w, float h,
                            const std::string& hint) {
  MotionKey(hint, x, y, x + w, y + h);
  if (I_S == CHR(28)) KAKUDO = KAKUDO - step;
  if (I_S == CHR(29)) KAKUDO = KAKUDO + step;
  if (KAKUDO > 180) {
    KAKUDO = 180;
  } else if (KAKUDO < 0) {
    KAKUDO = 0;
  }
}

// ---- page and figure frame ----

void LessonScreens::GoalScreen(std::initializer_list<const char*> goals) {
  ScreenClear(1760);
  XI1 = 44;
  YI1 = 240;
  NewLine(3, "<めあて>", 0);
  for (const char* goal : goals) NewLine(0, goal, 65);
}

void LessonScreens::Frame(float ggx, float ggy, float yoko, float tate, float size, int grid) {
  GGX = ggx;
  GGY = ggy;
  YOKO = yoko;
  TATE = tate;
  SIZE = size;
  CCC2 = grid;
  GridFrame();
}

void LessonScreens::Points(std::initializer_list<GridPoint> points) {
  for (const GridPoint& p : points) {
    X_A(p.slot) = GX0 + SIZE * p.x;
    Y_A(p.slot) = GY0 - SIZE * p.y;
  }
}

// ---- text lines and labels ----

void LessonScreens::NewLine(int colour, const std::string& text, float advance, float indent) {
  TextLine(colour, XI1 + indent, YI1 + advance, text);
}

void LessonScreens::SameLine(int colour, const std::string& text, float gap) {
  TextAt(colour, XI2 + gap, YI1, text);
  XI2 = X;
  YI1 = Y;
}

void LessonScreens::TextLine(int colour, float x, float y, const std::string& text) {
  lineStartX = x;
  lineStartY = y;
  TextAt(colour, x, y, text);
  XI2 = X;
  YI1 = Y;
}

void LessonScreens::TextAt(int colour, float x, float y, const std::string& text) {
  CCC1 = colour;
  X = x;
  Y = y;
  AA_S = text;
  DrawText();
}

void LessonScreens::Label(int colour, int slot, float dx, float dy, const std::string& text) {
  TextAt(colour, X_A(slot) + dx, Y_A(slot) + dy, text);
}

void LessonScreens::KeepLine(int n) {
  U_A(n) = lineStartX;
  V_A(n) = lineStartY;
}

void LessonScreens::Overdraw(int colour, int n, const std::string& text) {
  TextAt(colour, U_A(n), V_A(n), text);
  XI2 = X;
  YI1 = Y;
}

// ---- answer boxes ----

void LessonScreens::BoxAt(float x, float y, const std::string& text, float width, BoxStyle style) {
  CCC1 = style.text;
  CCC2 = style.border;
  CCC3 = style.fill;
  HABA = width;
  TATE = style.height;
  X = x;
  Y = y;
  A_S = text;
  BoxAroundText();
}

void LessonScreens::AnswerBox(int n, const std::string& placeholder, float width, BoxStyle style,
                              float gap) {
  T_A(n) = XI2 + gap;
  F_A(n) = YI1;
  BoxAt(T_A(n), F_A(n), placeholder, width, style);
  XI2 = X;
}

void LessonScreens::MarginAnswerBox(int n, const std::string& placeholder, float width,
                                    float advance) {
  XI2 = XI1 - 10;
  YI1 = YI1 + advance;
  AnswerBox(n, placeholder, width);
}

void LessonScreens::Reveal(int n, const std::string& answer, float width, BoxStyle style) {
  BoxAt(T_A(n), F_A(n), answer, width, style);
}

void LessonScreens::HideBox(int n, float width, float height) {
  Reveal(n, "", width, BoxStyle{15, 15, 15, height});
}

void LessonScreens::TextBoxAt(float x, float y, float width, float height,
                              const std::string& text, int textColour, int border, int fill) {
  X = x;
  Y = y;
  HABA = width;
  TATE = height;
  CCC1 = textColour;
  CCC2 = border;
  CCC3 = fill;
  A_S = text;
  TextInBox();
  XI2 = X;
  YI1 = Y;
}

void LessonScreens::NumberBadge(float x, float y, const std::string& number) {
  TextBoxAt(x, y, 44, 44, number, 13, 4, 3);
}

// ---- drawing ----

void LessonScreens::Segment(int a, int b, int colour) {
  LINE(X_A(a), Y_A(a), X_A(b), Y_A(b), colour);
}

void LessonScreens::EraseBox(float x1, float y1, float x2, float y2) {
  FilledBox(x1, y1, x2, y2, 15, 15);
}

void LessonScreens::FilledBox(float x1, float y1, float x2, float y2, int border, int fill) {
  LINE(x1, y1, x2, y2, border, 2, fill);
}

namespace {
std::vector<rt::Point> closedPath(LessonScreens::NumberArray& xs, LessonScreens::NumberArray& ys,
                                  std::initializer_list<int> slots) {
  std::vector<rt::Point> points;
  for (int s : slots) points.push_back({xs(s), ys(s)});
  if (!points.empty()) points.push_back(points.front());
  return points;
}
}  // namespace

void LessonScreens::ClosedOutline(std::initializer_list<int> slots, int colour) {
  CONNECT(closedPath(X_A, Y_A, slots), colour, false, 0);
}

void LessonScreens::FilledPolygon(std::initializer_list<int> slots, int fill, int border) {
  CONNECT(closedPath(X_A, Y_A, slots), border, true, fill);
}

void LessonScreens::PolygonAt(std::initializer_list<int> slots, float width, int outline,
                              const std::string& letters, float distance) {
  KAKU = static_cast<float>(slots.size());
  int i = 1;
  for (int s : slots) {
    G_A(i, 1) = X_A(s);
    G_A(i, 2) = Y_A(s);
    ++i;
  }
  SIZE1 = width;
  CCC2 = outline;
  AAA_S = letters;
  NAGASA = distance;
  Polygon();
}

void LessonScreens::TrianglePolygon(int a, int b, int c, float width, int outline,
                                    const std::string& letters, float distance) {
  PolygonAt({a, b, c}, width, outline, letters, distance);
}

void LessonScreens::Disc(int slot, float radius, int colour) {
  CIRCLE(X_A(slot), Y_A(slot), radius, colour, 0, 0, true);
}

// ---- marks ----

void LessonScreens::Ticks(int a, int b, float count, int colour, float shift, float half,
                          float spacing) {
  SegmentEnds(a, b);
  HONSU = count;
  NAGASA = half;
  AIDA = spacing;
  ITI = shift;
  CCC2 = colour;
  EqualLengthTicks();
}

void LessonScreens::Parallel(int a, int b, float count, int colour, float ratioA, float ratioB,
                             float size) {
  SegmentEnds(a, b);
  HONSU = count;
  NAGASA = size;
  A = ratioA;
  B = ratioB;
  CCC2 = colour;
  ParallelMarks();
}

void LessonScreens::AnglePoints(int vertex, int p1, int p2) {
  ZX0 = X_A(vertex);
  ZY0 = Y_A(vertex);
  ZX1 = X_A(p1);
  ZY1 = Y_A(p1);
  ZX2 = X_A(p2);
  ZY2 = Y_A(p2);
}

void LessonScreens::AngleAt(int vertex, int p1, int p2, const AngleStyle& style) {
  AnglePoints(vertex, p1, p2);
  ITI = style.iti;
  HONSU = style.count;
  NAGASA = style.radius;
  CCC2 = style.border;
  CCC3 = style.fill;
  CCC1 = style.labelColour;
  AAA_S = style.label;
  AAAX = style.dx;
  AAAY = style.dy;
  AngleMark();
}

void LessonScreens::RightAngleAt(int vertex, int p1, int p2, float side, int colour) {
  AnglePoints(vertex, p1, p2);
  ITI = -1;
  NAGASA = side;
  CCC2 = colour;
  RightAngleMark();
}

void LessonScreens::AngleDot(int vertex, int p1, int p2, float distance, float radius, int colour,
                             bool outline, float iti) {
  AnglePoints(vertex, p1, p2);
  ITI = iti;
  AngleRays();
  NAGASA = distance;
  X = ZX0 + NAGASA * std::cos(HH5);
  Y = ZY0 - NAGASA * std::sin(HH5);
  CIRCLE(X, Y, radius, colour, 0, 0, !outline);
}

void LessonScreens::DottedSegment(int a, int b, float step, int colour) {
  ArcOver(a, b, 0, -1, step, colour, "");
}

void LessonScreens::ArcOver(int a, int b, float height, float side, float step, int colour,
                            const std::string& label) {
  ZX0 = X_A(a);
  ZY0 = Y_A(a);
  ZX1 = X_A(b);
  ZY1 = Y_A(b);
  TAKASA = height;
  HOUKOU = side;
  NAKA = 0;
  HABA = step;
  CCC2 = colour;
  AAA_S = label;
  ArcOverSegment();
}

// ---- points ----

void LessonScreens::SegmentEnds(int a, int b) {
  AX = X_A(a);
  AY = Y_A(a);
  BX = X_A(b);
  BY = Y_A(b);
}

void LessonScreens::IntersectionInto(int slot, int a, int b, int c, int d) {
  SegmentEnds(a, b);
  CX = X_A(c);
  CY = Y_A(c);
  DX = X_A(d);
  DY = Y_A(d);
  LineIntersection();
  X_A(slot) = AX2;
  Y_A(slot) = AY2;
}

void LessonScreens::FootInto(int slot, int a, int b, int c) {
  SegmentEnds(a, b);
  CX = X_A(c);
  CY = Y_A(c);
  FootOfPerpendicular();
  X_A(slot) = EX;
  Y_A(slot) = EY;
}

void LessonScreens::RayPoint(int slot, float degrees, float length, float& x, float& y) {
  x = X_A(slot) + length * std::cos(degrees * PI / 180);
  y = Y_A(slot) - length * std::sin(degrees * PI / 180);
}

float LessonScreens::Distance(int p, int q) {
  return std::sqrt((X_A(q) - X_A(p)) * (X_A(q) - X_A(p)) + (Y_A(q) - Y_A(p)) * (Y_A(q) - Y_A(p)));
}

void LessonScreens::MirroredAngles(int k) {
  R_A(k + 1) = 180 - R_A(k);
  R_A(k + 2) = 180 + R_A(k);
  R_A(k + 3) = 360 - R_A(k);
}

void LessonScreens::TurnedPoint(int slot, int centre, float radians, float radius) {
  X_A(slot) = X_A(centre) + radius * std::cos(radians);
  Y_A(slot) = Y_A(centre) - radius * std::sin(radians);
}
