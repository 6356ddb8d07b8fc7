// Chapter 3: the conditions for a parallelogram. The sub-menu, the marks
// that several screens put on parallelogram ABCD, and screen 1, the
// swinging ride.
#include <cmath>

#include "lessons/parallelograms/lessons.h"

void ParallelogramLessons::ParallelogramCh3Menu() {
  ChapterMenu(
      "①P143Q　②対辺証明　③対角辺証明　④対角線証明　⑤P146Q　⑥証明　⑦条件説明　⑧判別　⑨問２　⑩終了",
      {
          [this] { ParallelogramCh3S1SwingLinkage(); },
          [this] { ParallelogramCh3S2OppositeSidesProof(); },
          [this] { ParallelogramCh3S3OppositeAnglesProof(); },
          [this] { ParallelogramCh3S4DiagonalsProof(); },
          [this] { ParallelogramCh3S5TwoSticks(); },
          [this] { ParallelogramCh3S6ParallelEqualSidesProof(); },
          [this] { ParallelogramCh3S7FiveConditions(); },
          [this] { ParallelogramCh3S8ConditionDrill(); },
          [this] { ParallelogramCh3S9Question2Answer(); },
      });
}

// ---- parallelogram ABCD and its marks ----

void ParallelogramLessons::ParallelogramFigureAt(float ggx, float ggy, bool centre) {
  Frame(ggx, ggy, 9, 6, 60);
  StandardParallelogram(centre);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
}

AngleStyle ParallelogramLessons::ParallelogramAngle(float count, float radius, int fill) {
  AngleStyle s = EqualSector(radius, fill);
  s.count = count;
  return s;
}

void ParallelogramLessons::OppositeSideArrows(int colour, float size, float adBc) {
  Parallel(1, 2, 2, colour, 1, 2, size);
  Parallel(4, 3, 2, colour, 1, 2, size);
  Parallel(1, 4, 1, colour, 1, adBc, size);
  Parallel(2, 3, 1, colour, 1, adBc, size);
}

void ParallelogramLessons::OppositeAngleArcs(float r1, float r2, int colour) {
  AngleAt(1, 2, 4, ParallelogramAngle(1, r1, colour));
  AngleAt(3, 4, 2, ParallelogramAngle(1, r1, colour));
  AngleAt(2, 3, 1, ParallelogramAngle(2, r2, colour));
  AngleAt(4, 1, 3, ParallelogramAngle(2, r2, colour));
}

// ---- screen 1: the swinging ride ----
//
// Point slots: 1 B and 2 C (the pivots), 3 A and 4 D (the arms' free
// ends), 5 and 6 the ends of the top bar, 7 and 8 the feet of the posts,
// 9 and 10 the ends of the ground line.

void ParallelogramLessons::ParallelogramCh3SwingArms() {
  R_A(1) = KAKUDO * PI / 180;
  TurnedPoint(3, 1, R_A(1), R1);
  TurnedPoint(4, 2, R_A(1), R1);
  X_A(5) = X_A(3) - SIZE;
  Y_A(5) = Y_A(3);
  X_A(6) = X_A(4) + SIZE;
  Y_A(6) = Y_A(4);
}

void ParallelogramLessons::ParallelogramCh3S1SwingLinkage() {
  Steps({
      [&] {
        ScreenClear();
        Frame(480, 150, 15, 8, 50);
        Points({{1, 5, 4}, {2, 10, 4}, {7, 5, 0}, {8, 10, 0}, {9, 3, 0}, {10, 12, 0}});
        R1 = SIZE * 4;
        KAKUDO = 160;
        ParallelogramCh3SwingArms();
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "教科書P143 Q をやってみよう。", 0);
      },
      [&] {
        NewLine(3, "①", 60);
        SameLine(0, "乗り物の動きを図に表すと、");
      },
      [&] {
        // Every key but "1" swings the arms 5 degrees; at 20 and at 160
        // degrees the swing stays one more key and turns round.
        AINP = 5;
        KAKUDO1 = 20;
        KAKUDO = 180 - KAKUDO1;
        DK = -5;
        ParallelogramCh3SwingArms();
        while (AINP != 1) {
          SETDRAWWIDTH(10);
          Segment(1, 7, 0);  // the posts, the beam, the ground
          Segment(2, 8, 0);
          Segment(1, 2, 0);
          Segment(9, 10, 0);
          Segment(1, 3, 3);  // the arms and the top bar
          Segment(2, 4, 3);
          Segment(5, 6, 3);
          SETDRAWWIDTH(5);
          MotionKey("１で次のステップ。他のキーで動かす。", GX1 - 10, GY1 - 10, GX2, GY2);
          if (AINP != 1) KAKUDO = KAKUDO + DK;
          if (KAKUDO < KAKUDO1) {
            KAKUDO = KAKUDO1;
            DK = 5;
          } else if (KAKUDO > 180 - KAKUDO1) {
            KAKUDO = 180 - KAKUDO1;
            DK = -5;
          }
          ParallelogramCh3SwingArms();
        }
      },
      [&] {
        NewLine(3, "②", 60);
        SameLine(0, "等しい辺の組は?");
        Label(0, 3, -14, -50, "A");
        Label(0, 1, -40, 0, "B");
        Label(0, 2, 10, 0, "C");
        Label(0, 4, -14, -50, "D");
      },
      [&] {
        NewLine(3, "AB=DC,AD=BC", 50, 36);
        Ticks(1, 3, 1, 7, 0, 18);
        Ticks(2, 4, 1, 7, 0, 18);
        Ticks(1, 2, 2, 7, 0, 18);
        Ticks(3, 4, 2, 7, 0, 18);
      },
      [&] {
        NewLine(3, "③", 60);
        SameLine(0, "ADがいつも水平なわけは?");
      },
      [&] { NewLine(3, "AD∥BC", 50, 36); },
      [&] { NewLine(3, "四角形が平行四辺形", 50, 36); },
      [&] {
        NewLine(3, "AB=DC,AD=BC");
        NewLine(3, "である四角形ABCDは、");
        NewLine(5, "平行四辺形だろうか?");
        NewLine(5, "証明してみよう！");
      },
  });
}
