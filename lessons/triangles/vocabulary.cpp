// The screen vocabulary shared by Kelvaro's lesson screens.
#include <cmath>

#include "lessons/triangles/lessons.h"

void TriangleLessons::Frame(float ggx, float ggy, float yoko, float tate, float size) {
  GGX = ggx;
  GGY = ggy;
  YOKO = yoko;
  TATE = tate;
  SIZE = size;
  CCC2 = 15;
  GridFrame();
}

void TriangleLessons::Points(std::initializer_list<GridPoint> points) {
  for (const GridPoint& p : points) {
    X_A(p.slot) = GX0 + SIZE * p.x;
    Y_A(p.slot) = GY0 - SIZE * p.y;
  }
}

void TriangleLessons::NewLine(int colour, const std::string& text, float advance, float indent) {
  CCC1 = colour;
  X = XI1 + indent;
  Y = YI1 + advance;
  lineStartX = X;
  lineStartY = Y;
  AA_S = text;
  DrawText();
  XI2 = X;
  YI1 = Y;
}

void TriangleLessons::SameLine(int colour, const std::string& text, float gap) {
  CCC1 = colour;
  X = XI2 + gap;
  Y = YI1;
  AA_S = text;
  DrawText();
  XI2 = X;
  YI1 = Y;
}

void TriangleLessons::TextAt(int colour, float x, float y, const std::string& text) {
  CCC1 = colour;
  X = x;
  Y = y;
  AA_S = text;
  DrawText();
}

void TriangleLessons::Label(int colour, int slot, float dx, float dy, const std::string& text) {
  TextAt(colour, X_A(slot) + dx, Y_A(slot) + dy, text);
}

void TriangleLessons::KeepLine(int n) {
  U_A(n) = lineStartX;
  V_A(n) = lineStartY;
}

void TriangleLessons::Overdraw(int colour, int n, const std::string& text) {
  TextAt(colour, U_A(n), V_A(n), text);
  XI2 = X;
  YI1 = Y;
}

// One AnswerBox call at (x, y): the box, its colours and its text.
void TriangleLessons::BoxAt(float x, float y, const std::string& text, float width, BoxStyle style) {
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

void TriangleLessons::AnswerBox(int n, const std::string& placeholder, float width, BoxStyle style) {
  T_A(n) = XI2 + 10;
  F_A(n) = YI1;
  BoxAt(T_A(n), F_A(n), placeholder, width, style);
  XI2 = X;
}

void TriangleLessons::Reveal(int n, const std::string& answer, float width, BoxStyle style) {
  BoxAt(T_A(n), F_A(n), answer, width, style);
}

void TriangleLessons::HideBox(int n, float width, float height) {
  Reveal(n, "", width, BoxStyle{15, 15, 15, height});
}

void TriangleLessons::Steps(std::initializer_list<std::function<void()>> steps) {
  bool first = true;
  for (const auto& step : steps) {
    if (!first) WaitAnyKey();
    first = false;
    step();
  }
}

void TriangleLessons::Segment(int a, int b, int colour) {
  LINE(X_A(a), Y_A(a), X_A(b), Y_A(b), colour);
}

void TriangleLessons::EraseBox(float x1, float y1, float x2, float y2) {
  LINE(x1, y1, x2, y2, 15, 2, 15);
}

void TriangleLessons::TrianglePolygon(int a, int b, int c, float width, int outline,
                                      const std::string& letters, float distance) {
  KAKU = 3;
  G_A(1, 1) = X_A(a);
  G_A(1, 2) = Y_A(a);
  G_A(2, 1) = X_A(b);
  G_A(2, 2) = Y_A(b);
  G_A(3, 1) = X_A(c);
  G_A(3, 2) = Y_A(c);
  SIZE1 = width;
  CCC2 = outline;
  AAA_S = letters;
  NAGASA = distance;
  Polygon();
}

void TriangleLessons::Ticks(int a, int b, float count, int colour, float shift, float half) {
  AX = X_A(a);
  AY = Y_A(a);
  BX = X_A(b);
  BY = Y_A(b);
  HONSU = count;
  NAGASA = half;
  AIDA = 8;
  ITI = shift;
  CCC2 = colour;
  EqualLengthTicks();
}

void TriangleLessons::AnglePoints(int vertex, int p1, int p2) {
  ZX0 = X_A(vertex);
  ZY0 = Y_A(vertex);
  ZX1 = X_A(p1);
  ZY1 = Y_A(p1);
  ZX2 = X_A(p2);
  ZY2 = Y_A(p2);
}

void TriangleLessons::AngleAt(int vertex, int p1, int p2, const AngleStyle& style) {
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

void TriangleLessons::RightAngleAt(int vertex, int p1, int p2, float side, int colour) {
  AnglePoints(vertex, p1, p2);
  ITI = -1;
  NAGASA = side;
  CCC2 = colour;
  RightAngleMark();
}

void TriangleLessons::AngleDot(int vertex, int p1, int p2, float distance, float radius, int colour,
                               bool outline) {
  AnglePoints(vertex, p1, p2);
  ITI = 1;
  AngleRays();
  NAGASA = distance;
  X = ZX0 + NAGASA * std::cos(HH5);
  Y = ZY0 - NAGASA * std::sin(HH5);
  CIRCLE(X, Y, radius, colour, 0, 0, !outline);
}

void TriangleLessons::DottedSegment(int a, int b, float step, int colour) {
  ZX0 = X_A(a);
  ZY0 = Y_A(a);
  ZX1 = X_A(b);
  ZY1 = Y_A(b);
  TAKASA = 0;
  HOUKOU = -1;
  NAKA = 0;
  HABA = step;
  CCC2 = colour;
  AAA_S = "";
  ArcOverSegment();
}
