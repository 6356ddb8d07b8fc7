// Chapter 1, screens 4 to 7: a quadrilateral turned into a triangle of
// the same area, its proof, the triangle BCF, and a bent boundary
// straightened.
//
// A construction screen sets up its figure and task, may preview the
// finished construction and then clear the figure half, and draws the
// numbered steps one key at a time.
#include "lessons/area/lessons.h"

// ---- the pieces of the construction screens ----

void AreaLessons::AreaCh1QuadFigurePoints() {
  Points({{1, 4, 7},      // A
          {2, 1, 2},      // B
          {3, 6, 2},      // C
          {4, 7, 6},      // D
          {6, 10, 2},     // end of BC extended
          {7, 6, 8.5},    // upper end of l
          {8, 9.4, 0}});  // lower end of l
  IntersectionInto(5, 2, 3, 4, 8);  // E on BC and l
}

void AreaLessons::AreaQuadrilateral() {
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
}

void AreaLessons::AreaParallelPair(int p, int q, int a, int c, int colour, float size) {
  Parallel(p, q, 1, colour, 1, 1, size);
  Parallel(a, c, 1, colour, 1, 1, size);
}

void AreaLessons::AreaLineL(int upper, int lower, int a, int c, int colour, float size) {
  Label(3, upper, 10, -22, "l");
  Segment(upper, lower, 3);
  AreaParallelPair(upper, lower, a, c, colour, size);
}

void AreaLessons::AreaCh1DiagonalStep() {
  NewLine(3, "①対角線ACをひく。");
  Segment(1, 3, 3);
}

void AreaLessons::AreaCh1ParallelThroughDStep() {
  NewLine(3, "②頂点Dを通り、ACに平行な直線lをひく。");
  AreaLineL(7, 8, 1, 3, 9, 20);
}

void AreaLessons::AreaFigureHalfClear() { EraseBox(GX1, 0, GX1 + 1600, 1800); }

// ---- screen 4: a quadrilateral to a triangle of the same area ----

void AreaLessons::AreaCh1S4QuadToTriangle() {
  Steps({
      [&] {
        ScreenClear();
        Frame(680, 100, 10, 9, 50);
        AreaCh1QuadFigurePoints();
        AreaQuadrilateral();
        SETDRAWWIDTH(5);
        XI1 = 38;
        YI1 = 30;
        TextLine(3, XI1, YI1, "Q ");
        SameLine(0, "四角形ABCDの面積を変えずに、");
        NewLine(0, "△ABEをかこう。 ", 50, 27);
      },
      [&] { NewLine(5, "かけたとして、考えよう。", 70); },
      // the finished construction first
      [&] {
        Segment(3, 6, 0);
        Label(3, 5, -30, 10, "E");
        Segment(1, 5, 5);
      },
      [&] { Segment(1, 3, 3); },
      [&] { Segment(4, 5, 3); },
      [&] { AreaParallelPair(4, 5, 1, 3, 9, 20); },
      // then step by step
      [&] {
        AreaFigureHalfClear();
        AreaQuadrilateral();
      },
      [&] { AreaCh1DiagonalStep(); },
      [&] { AreaCh1ParallelThroughDStep(); },
      [&] {
        NewLine(3, "③辺BCの延長との交点をEとする。");
        Segment(3, 6, 0);
        Label(3, 5, -30, 10, "E");
      },
      [&] {
        NewLine(3, "④点AとEを結び、△ABEをつくる。");
        Segment(1, 5, 5);
      },
      [&] { NewLine(7, "教科書P154 の図に△ABE をかこう。", 70); },
      [&] { NewLine(3, "図で、四角形ABCD=△ABE を証明しよう。", 70); },
  });
}

// ---- screen 5: the proof that the quadrilateral and the triangle are equal ----

void AreaLessons::AreaCh1S5QuadToTriangleProof() {
  Steps({
      [&] {
        ScreenClear();
        Frame(640, 100, 10, 9, 50);
        AreaCh1QuadFigurePoints();
        AreaQuadrilateral();
        Segment(1, 3, 3);
        AreaLineL(7, 8, 1, 3, 9, 20);
        Segment(3, 6, 0);
        Label(3, 5, -30, 10, "E");
        Segment(1, 5, 5);
        SETDRAWWIDTH(5);
        XI1 = 38;
        YI1 = 30;
        NewLine(3, " AC∥DE ならば 四角形ABCD=△ABE", 0);
        TextLine(3, XI1, 100, "<証明>");
      },
      [&] {
        SameLine(0, "△DACと△EACは、", 20);
        NewLine(0, "底辺", 55);
        AnswerBox(1, "ア", 76);
        SameLine(0, "が共通で、AC∥", 4);
        AnswerBox(2, "イ", 76);
        SameLine(0, "だから", 4);
        NewLine(0, "△DAC=", 55);
        AnswerBox(3, "ウ", 152);
        SameLine(3, "…①", 4);
        NewLine(0, "四角形ABCD=△ABC+", 55);
        AnswerBox(4, "エ", 152);
        SameLine(3, "…②", 4);
        NewLine(0, "△ABE=△ABC+", 55);
        AnswerBox(5, "オ", 152);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、四角形ABCD=△ABE", 55);
      },
      [&] { Reveal(1, "AC", 76); },
      [&] { Reveal(2, "DE", 76); },
      [&] { Reveal(3, "△EAC", 152); },
      [&] { Reveal(4, "△DAC", 152); },
      [&] { Reveal(5, "△EAC", 152); },
      [&] {
        NewLine(7, "辺ABをAのほうへ延長した半直線上に", 70);
        NewLine(7, "点F をとってできる△BCF を");
        NewLine(7, "教科書P154 の図にかこう。");
      },
  });
}

// ---- screen 6: the triangle BCF ----

void AreaLessons::AreaCh1S6TriangleBCFConstruction() {
  Steps({
      [&] {
        ScreenClear();
        Frame(600, 30, 9, 11, 50);
        Points({{1, 4, 6},        // A
                {2, 1, 1},        // B
                {3, 6, 1},        // C
                {4, 7, 5},        // D
                {6, 6.4, 10},     // end of AB extended beyond A
                {7, 5, 10},       // upper end of l
                {8, 8, 2.5}});    // lower end of l
        IntersectionInto(5, 1, 2, 4, 7);  // F on AB and l
        SETDRAWWIDTH(5);
        XI1 = 38;
        YI1 = 30;
        NewLine(0, "<△BCF の作図>", 0);
        AreaQuadrilateral();
      },
      [&] { AreaCh1DiagonalStep(); },
      [&] { AreaCh1ParallelThroughDStep(); },
      [&] {
        NewLine(3, "③辺ABの延長との交点をFとする。");
        Segment(1, 6, 0);
        Label(5, 5, -50, -22, "F");
      },
      [&] {
        NewLine(3, "④点CとFを結び、△BCFをつくる。");
        Segment(3, 5, 5);
      },
      [&] { TextLine(7, 40, 480, "教科書P154 問2　をしなさい。"); },
  });
}

// ---- screen 7: question 2, a bent boundary made straight ----

void AreaLessons::AreaCh1S7BaseFigure() {
  LINE(X_A(11), Y_A(11), X_A(14), Y_A(14), 0, 1);  // the rectangle
  Segment(1, 2, 0);
  Segment(2, 3, 0);
  Label(3, 15, 0, 0, "①");
  Label(3, 16, 0, 0, "②");
  Label(0, 1, -14, -50, "A");
  Label(0, 2, -30, -22, "B");
  Label(0, 3, -14, 10, "C");
}

void AreaLessons::AreaCh1S7Question2Answer() {
  Steps({
      [&] {
        ScreenClear();
        Frame(640, 150, 8, 7, 60);
        Points({{1, 6, 6},      // A
                {2, 3, 4},      // B, the bend
                {3, 5, 1},      // C
                {4, 2.4, 1},    // D, where l meets the bottom side
                {5, 3.6, 7},    // upper end of l
                {6, 2.2, 0},    // lower end of l
                {11, 0, 6},     // top-left corner of the rectangle
                {14, 8, 1},     // bottom-right corner
                {15, 1, 3},     // region ①
                {16, 6, 3}});   // region ②
        SETDRAWWIDTH(5);
        AreaCh1S7BaseFigure();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(7, "<問2　解答>", 0);
      },
      // the answer first
      [&] { Segment(4, 1, 5); },
      [&] {
        Segment(1, 3, 3);
        Segment(2, 4, 3);
      },
      [&] { AreaParallelPair(2, 4, 1, 3, 7, 25); },
      // then step by step
      [&] {
        AreaFigureHalfClear();
        AreaCh1S7BaseFigure();
      },
      [&] {
        NewLine(3, "①点AとCを結ぶ。");
        Segment(1, 3, 3);
      },
      [&] {
        NewLine(3, "②点Bを通り、ACに平行な直線lをひく。");
        AreaLineL(5, 6, 1, 3, 7, 25);
      },
      [&] {
        NewLine(3, "③四角形との交点をDとする。");
        Label(3, 4, -50, 10, "D");
      },
      [&] {
        NewLine(3, "④点AとDを結ぶ。");
        Segment(4, 1, 5);
      },
  });
}
