// The four quadrilaterals of question 6 and its explanations: a slanted
// parallelogram, a rectangle, a rhombus and a square, lettered A, B, C, D
// anticlockwise on the screen. Each routine draws on the frame its caller
// has just set, and keeps its points for the arrows of question 6 in U(), V().
#include "lessons/special_parallelograms/lessons.h"

namespace {
// Arrow anchor k taken from a converted point of the figure.
void anchor(SpecialLessons& s, int k, int slot, float dy = 0) {
  s.U_A(k) = s.X_A(slot);
  s.V_A(k) = s.Y_A(slot) + dy;
}
}  // namespace

void SpecialLessons::FreshQuadrilateral() {
  EraseBox(GX1, GY1, GX2, GY2);
  KAKU = 4;
  SIZE1 = 5;
  CCC2 = 0;
  CCC1 = 3;
  NAGASA = 10;
  AAA_S = std::string("A");  // a literal here trips a false -Wrestrict in GCC 12
  Polygon();
}

void SpecialLessons::CornerMarks() {
  for (int k = 1; k <= 4; ++k) {
    AnglePoints(k, k + 1, k == 1 ? 4 : k - 1);
    NAGASA = 25;
    ITI = 1;
    CCC2 = 3;
    RightAngleMark();
  }
}

void SpecialLessons::SideTick(int a, int b) { Ticks(a, b, 1, 3, 0, 20); }

void SpecialLessons::SpecialCh2ParallelogramFigure() {
  Points({{0, (2 + 6) / 2.0f, (4 + 1) / 2.0f},
          {1, 2, 4},
          {2, 1, 1},
          {3, 6, 1},
          {4, 7, 4},
          {5, 2, 4},
          {10, 8, 3},
          {11, 8, 2},
          {12, 5, 9},
          {13, 5, -1}});
  anchor(*this, 1, 10);
  anchor(*this, 5, 11);
  anchor(*this, 11, 12);
  anchor(*this, 13, 13);
  CCC1 = 3;
  PolygonAt({1, 2, 3, 4});
}

void SpecialLessons::SpecialCh2RectangleFigure() {
  Points({{0, 3.5f, 2.5f},
          {1, 1, 4},
          {2, 1, 1},
          {3, 6, 1},
          {4, 6, 4},
          {5, 1, 4},
          {10, 0, 3},
          {11, 8, 3}});
  anchor(*this, 2, 10);
  anchor(*this, 3, 11);
  CCC1 = 3;
  PolygonAt({1, 2, 3, 4});
  CornerMarks();
}

void SpecialLessons::SpecialCh2RhombusFigure() {
  Points({{1, 4, 4}, {2, 1, 2.5f}, {3, 4, 1}, {4, 7, 2.5f}, {5, 4, 2.5f}, {10, 0, 2}, {11, 8, 2}});
  anchor(*this, 6, 10);
  anchor(*this, 7, 11);
  CCC1 = 3;
  PolygonAt({1, 2, 3, 4});
  SideTick(1, 2);
  SideTick(2, 3);
  SideTick(3, 4);
  SideTick(4, 1);
}

void SpecialLessons::SpecialCh2SquareFigure() {
  Points({{0, 3, 2.5f},
          {1, 1, 4.5f},
          {2, 1, 0.5f},
          {3, 5, 0.5f},
          {4, 5, 4.5f},
          {5, 1, 4.5f},
          {10, 0, 3},
          {11, 0, 2},
          {12, -2, 9},
          {13, -2, -1}});
  anchor(*this, 4, 10);
  anchor(*this, 8, 11);
  anchor(*this, 12, 12, -10);
  anchor(*this, 14, 13);
  CCC1 = 3;
  PolygonAt({1, 2, 3, 4});
  CornerMarks();
  SideTick(1, 2);
  SideTick(2, 3);
  SideTick(3, 4);
  SideTick(4, 1);
}
