// Chapter 3, screen 8: the condition drill. Each turn draws one of ten
// pairs of conditions at random, marks it on a quadrilateral that is not a
// parallelogram, then on the figure that settles it, and gives the
// verdict. The turns go on until the pupil types 1.
//
// Every figure keeps O, A, B, C, D in slots 0 to 4 (pixels); the case
// marks read whatever figure was drawn last.
#include "lessons/parallelograms/lessons.h"

namespace {

struct DrillCase {
  const char* condition;
  const char* verdict;
  void (ParallelogramLessons::*answerFigure)();
  void (ParallelogramLessons::*marks)();
};

using L = ParallelogramLessons;
const DrillCase kDrillCases[10] = {
    {"AB∥DC,AD∥BC", "なる", &L::ParallelogramCh3S8ParallelogramFigure,
     &L::ParallelogramCh3S8Case1Marks},
    {"AB=DC,AD=BC", "なる", &L::ParallelogramCh3S8ParallelogramFigure,
     &L::ParallelogramCh3S8Case2Marks},
    {"∠A=∠C,∠B=∠D", "なる", &L::ParallelogramCh3S8ParallelogramFigure,
     &L::ParallelogramCh3S8Case3Marks},
    {"OA=OC,OB=OD", "なる", &L::ParallelogramCh3S8ParallelogramFigure,
     &L::ParallelogramCh3S8Case4Marks},
    {"AD=BC,AD∥BC", "なる", &L::ParallelogramCh3S8ParallelogramFigure,
     &L::ParallelogramCh3S8Case5Marks},
    {"AB=AD,BC=DC", "ならない", &L::ParallelogramCh3S8KiteFigure, &L::ParallelogramCh3S8Case6Marks},
    {"∠A=∠B,∠C=∠D", "ならない", &L::ParallelogramCh3S8TrapezoidABDCFigure,
     &L::ParallelogramCh3S8Case7Marks},
    {"OA=OB,OC=OD", "ならない", &L::ParallelogramCh3S8TrapezoidABDCFigure,
     &L::ParallelogramCh3S8Case8Marks},
    {"AD=BC,AB∥DC", "ならない", &L::ParallelogramCh3S8TrapezoidABDCFigure,
     &L::ParallelogramCh3S8Case9Marks},
    {"AB=DC,AD∥BC", "ならない", &L::ParallelogramCh3S8TrapezoidADBCFigure,
     &L::ParallelogramCh3S8Case10Marks},
};

}  // namespace

void ParallelogramLessons::ParallelogramCh3S8ConditionDrill() {
  AINP = 3;
  while (AINP != 1) ParallelogramCh3S8Turn();
  TextLine(7, 160, 620, "教科書P146 問2　をしなさい。");
}

void ParallelogramLessons::ParallelogramCh3S8Turn() {
  Steps({
      [&] {
        ScreenClear(1760);
        XI0 = 40;
        XI1 = XI0 + 40;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NO = INT(RND() * 10 + 1);
        // A random source that ever reached 1 still picks a case.
        if (NO > 10) NO = 10;
        if (NO < 1) NO = 1;
        for (int k = 1; k <= 10; ++k) {
          X_SA(k) = kDrillCases[k - 1].condition;
          U_SA(k) = kDrillCases[k - 1].verdict;
        }
        TextLine(3, XI0, YI1, "Q ");
        SameLine(0, "次の四角形ABCDは、いつでも平行四辺形になりますか。");
        NewLine(3, X_SA(static_cast<int>(NO)), 60);
        ParallelogramCh3S8QuestionFigure();
      },
      [&] { (this->*kDrillCases[static_cast<int>(NO) - 1].marks)(); },
      [&] {
        (this->*kDrillCases[static_cast<int>(NO) - 1].answerFigure)();
        (this->*kDrillCases[static_cast<int>(NO) - 1].marks)();
      },
      [&] {
        NewLine(5, U_SA(static_cast<int>(NO)));
        AskNextStep();
      },
  });
}

// ---- the figures ----

void ParallelogramLessons::DrillFigure(float ggx, float ggy, std::initializer_list<GridPoint> points,
                                       bool crossing, bool diagonals) {
  Frame(ggx, ggy, 9, 6, 60);
  Points(points);
  if (crossing) IntersectionInto(0, 1, 3, 2, 4);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  if (diagonals) {
    Segment(1, 3, 0);
    Segment(2, 4, 0);
    Label(0, 0, -14, 14, "O");
  }
}

void ParallelogramLessons::ParallelogramCh3S8QuestionFigure() {
  DrillFigure(640, 100, {{1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 6, 4}}, true, NO == 4 || NO == 8);
}

void ParallelogramLessons::ParallelogramCh3S8ParallelogramFigure() {
  DrillFigure(40, 200, {{0, 4.5f, 3}, {1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 8, 5}}, false, NO == 4);
}

void ParallelogramLessons::ParallelogramCh3S8KiteFigure() {
  DrillFigure(40, 200, {{1, 4, 5}, {2, 1, 2}, {3, 4, 0}, {4, 7, 2}}, false, false);
}

void ParallelogramLessons::ParallelogramCh3S8TrapezoidABDCFigure() {
  DrillFigure(40, 200, {{1, 1, 5}, {2, 1, 1}, {3, 6, 2}, {4, 6, 4}}, true, NO == 8);
}

void ParallelogramLessons::ParallelogramCh3S8TrapezoidADBCFigure() {
  DrillFigure(40, 200, {{1, 1, 5}, {2, 3, 1}, {3, 5, 1}, {4, 7, 5}}, false, false);
}

// ---- the case marks ----

void ParallelogramLessons::DrillArrows(int p, int q, float count) { Parallel(p, q, count, 3, 1, 2, 20); }

void ParallelogramLessons::DrillTicks(int p, int q, float count) { Ticks(p, q, count, 3, 0, 20); }

void ParallelogramLessons::DrillArcs(int vertex, int p, int q, float count) {
  AngleAt(vertex, p, q, ParallelogramAngle(count, 60, 3));
}

void ParallelogramLessons::ParallelogramCh3S8Case1Marks() { OppositeSideArrows(3, 20); }

void ParallelogramLessons::ParallelogramCh3S8Case2Marks() { SideTicks(3); }

void ParallelogramLessons::ParallelogramCh3S8Case3Marks() { OppositeAngleArcs(60, 60, 3); }

void ParallelogramLessons::ParallelogramCh3S8Case4Marks() {
  DrillTicks(0, 1, 1);
  DrillTicks(0, 3, 1);
  DrillTicks(0, 2, 2);
  DrillTicks(0, 4, 2);
}

void ParallelogramLessons::ParallelogramCh3S8Case5Marks() {
  DrillArrows(1, 4, 1);
  DrillArrows(2, 3, 1);
  DrillTicks(1, 4, 1);
  DrillTicks(2, 3, 1);
}

void ParallelogramLessons::ParallelogramCh3S8Case6Marks() {
  DrillTicks(1, 2, 1);
  DrillTicks(1, 4, 1);
  DrillTicks(3, 4, 2);
  DrillTicks(2, 3, 2);
}

void ParallelogramLessons::ParallelogramCh3S8Case7Marks() {
  DrillArcs(1, 2, 4, 1);
  DrillArcs(3, 4, 2, 2);
  DrillArcs(2, 3, 1, 1);
  DrillArcs(4, 1, 3, 2);
}

void ParallelogramLessons::ParallelogramCh3S8Case8Marks() {
  DrillTicks(0, 1, 1);
  DrillTicks(0, 3, 2);
  DrillTicks(0, 2, 1);
  DrillTicks(0, 4, 2);
}

void ParallelogramLessons::ParallelogramCh3S8Case9Marks() {
  DrillArrows(1, 2, 1);
  DrillArrows(4, 3, 1);
  DrillTicks(1, 4, 2);
  DrillTicks(2, 3, 2);
}

void ParallelogramLessons::ParallelogramCh3S8Case10Marks() {
  DrillArrows(1, 4, 1);
  DrillArrows(2, 3, 1);
  DrillTicks(1, 2, 1);
  DrillTicks(4, 3, 1);
}
