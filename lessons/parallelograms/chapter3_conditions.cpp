// Chapter 3, screens 5, 7 and 9: two sticks on ruled lines, the five
// conditions for a parallelogram, and question 2 (three sets of conditions
// judged on one figure). The figure is parallelogram ABCD in slots 1 to 4,
// O in slot 0.
#include "lessons/parallelograms/lessons.h"

// ---- screen 5: two sticks on ruled lines ----
//
// Ruled line k (k = 1 to 8) runs from slot 10 + k to slot 20 + k, at grid
// y 8 - k across the whole frame.

void ParallelogramLessons::ParallelogramCh3S5TwoSticks() {
  Steps({
      [&] {
        ScreenClear();
        Frame(680, 100, 9, 7, 60);
        StandardParallelogram();
        for (int k = 1; k <= 8; ++k) {
          X_A(10 + k) = GX0;
          Y_A(10 + k) = GY0 - SIZE * static_cast<float>(8 - k);
          X_A(20 + k) = GX0 + SIZE * 9;
          Y_A(20 + k) = Y_A(10 + k);
        }
        // The ruled lines take the pen width the screen before left.
        for (int k = 1; k <= 8; ++k) Segment(10 + k, 20 + k, 0);
        SETDRAWWIDTH(10);
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "教科書P146 Q をやってみよう。", 0);
      },
      [&] {
        Segment(1, 4, 3);
        Label(0, 1, -35, -50, "A");
        Label(0, 4, 8, -50, "D");
        SETDRAWWIDTH(5);
        CCC1 = 7;
        ArcOver(1, 4, 40, -1, 5, 7, "3cm");
      },
      [&] {
        SETDRAWWIDTH(10);
        Segment(2, 3, 3);
        Label(0, 2, -14, 8, "B");
        Label(0, 3, -14, 8, "C");
        SETDRAWWIDTH(5);
        CCC1 = 7;
        ArcOver(2, 3, 40, 1, 5, 7, "3cm");
      },
      [&] {
        SETDRAWWIDTH(10);
        Segment(1, 2, 3);
        Segment(4, 3, 3);
        SETDRAWWIDTH(5);
      },
      [&] {
        OppositeSideArrows(5, 25);
        TextLine(0, XI1, 100, "四角形ABCDは平行四辺形だろうか。");
      },
      [&] { NewLine(3, "AD=BC", 60); },
      [&] {
        SameLine(3, ",AD∥BC");
        NewLine(0, " ならば ");
        Parallel(1, 4, 1, 7, 1, 2, 25);
        Parallel(2, 3, 1, 7, 1, 2, 25);
      },
      [&] { NewLine(5, "AB∥DC"); },
      [&] {
        NewLine(5, "1組の対辺が平行でその長さが等しい", 100);
        NewLine(5, "四角形は、平行四辺形である。");
      },
      [&] { TextLine(7, 160, YI1 + 80, "証明しよう。"); },
  });
}

// ---- screen 7: the five conditions ----

void ParallelogramLessons::ParallelogramCh3S7FiveConditions() {
  Steps({
      [&] {
        ParallelogramFigure(720);
        XI1 = 76;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(5, "<平行四辺形になるための条件>", 0);
        NewLine(0, "四角形は、次のどれかが成り立てば、");
        NewLine(0, "平行四辺形である。", 50, -38);
        NewLine(7, "①", 70, -38);
        SameLine(3, "2組の対辺がそれぞれ平行である。(定義)");
        OppositeSideArrows(5, 20);
      },
      [&] {
        NewLine(7, "②", 70, -38);
        SameLine(3, "2組の対辺がそれぞれ等しい。");
        SideTicks(9);
      },
      [&] {
        NewLine(7, "③", 70, -38);
        SameLine(3, "2組の対角がそれぞれ等しい。");
        OppositeAngleArcs(70, 80, 3);
      },
      [&] {
        NewLine(7, "④", 70, -38);
        SameLine(3, "対角線がそれぞれの中点で交わる。");
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        Label(0, 0, -14, 14, "O");
        HalfDiagonalTicks(0);
      },
      [&] {
        NewLine(7, "⑤", 70, -38);
        SameLine(3, "1組の対辺が平行でその長さが等しい。");
        Parallel(1, 4, 1, 7, 1, 2, 20);
        Parallel(2, 3, 1, 7, 1, 2, 20);
        Ticks(1, 4, 2, 7, 0, 18);
        Ticks(2, 3, 2, 7, 0, 18);
      },
  });
}

// ---- screen 9: question 2, three sets of conditions ----

void ParallelogramLessons::ParallelogramCh3S9Question2Answer() {
  // Each set is marked on the same parallelogram, drawn afresh.
  auto freshFigure = [&] {
    EraseBox(GX1, GY1, GX2, GY2);
    CCC1 = 0;
    PolygonAt({1, 2, 3, 4});
  };
  auto notAlways = [&] {
    SameLine(0, "いつでも平行四辺形に");
    NewLine(0, "なるとはいえない。");
  };
  Steps({
      [&] {
        ScreenClear(1760);
        ParallelogramFigureAt(560, 100, false);
        XI0 = 40;
        XI1 = XI0 + 36;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(7, "<問2　解答>", 0);
      },
      [&] {
        TextLine(3, XI0, YI1 + 70, "ア");
        Ticks(1, 2, 1, 3, -20, 18);
        Ticks(1, 4, 1, 3, -20, 18);
        Ticks(2, 3, 2, 3, -20, 18);
        Ticks(3, 4, 2, 3, -20, 18);
      },
      notAlways,
      [&] {
        freshFigure();
        TextLine(3, XI0, YI1 + 70, "イ");
        Ticks(1, 2, 1, 7, 20, 18);
        Ticks(3, 4, 1, 7, 20, 18);
        Parallel(1, 4, 1, 7, 1, 2, 20);
        Parallel(2, 3, 1, 7, 1, 2, 20);
      },
      notAlways,
      [&] {
        freshFigure();
        TextLine(3, XI0, YI1 + 70, "ウ");
        OppositeAngleArcs(70, 80, 5);
      },
      [&] {
        SameLine(5, "いつでも平行四辺形になる。");
        NewLine(3, "2組の対角がそれぞれ等しいから");
      },
  });
}
