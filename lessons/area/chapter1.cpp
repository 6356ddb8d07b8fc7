// Chapter 1, screens 1 to 3: triangles on a common base with their apexes
// on a parallel, the equal triangles of a trapezoid and of a parallelogram.
//
// Each screen draws its opening figure before it sets its own pen width.
// The figure starts with a lettered Polygon, which leaves its own width
// SIZE1 (5) in force, so what follows it is 5 wide on every visit.
#include "lessons/area/lessons.h"

// ---- screen 1: the common-base example ----

void AreaLessons::AreaCh1S1CommonBase() {
  Steps({
      [&] {
        ScreenClear();
        Frame(680, 100, 8, 6, 70, 0);
        Points({{1, 3, 5},    // A
                {2, 1, 1},    // B
                {3, 7, 1},    // C
                {4, 6, 5},    // D
                {5, 3, 1},    // foot of A
                {6, 6, 1},    // foot of D
                {7, -1, 5},   // left end of l
                {8, 8, 5},    // right end of l
                {9, 0, 5}});  // E
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Segment(2, 4, 0);
        Segment(3, 4, 0);
        Label(0, 4, -14, -50, "D");
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(0, "Q 1マスを１cmとして、△ABCと△DBCの面積を求めなさい。", 0);
        TextLine(3, XI1, 100, "<解答>");
      },
      [&] {
        NewLine(0, "△ABC=6*4/2=");
        Segment(1, 5, 7);
      },
      [&] { SameLine(5, "12(cm^2)"); },
      [&] {
        NewLine(0, "△DBC=6*4/2=");
        Segment(4, 6, 7);
      },
      [&] { SameLine(5, "12(cm^2)"); },
      [&] {
        Segment(2, 3, 3);
        Segment(1, 4, 3);
        Parallel(2, 3, 1, 3, 1, 1, 20);
        Parallel(1, 4, 1, 3, 1, 1, 20);
        NewLine(3, "底辺が共通で、");
        NewLine(3, "BC∥AD ならば △ABC=△DBC");
      },
      [&] {
        Label(0, 7, -30, -50, "l");
        Segment(7, 8, 3);
      },
      [&] {
        Disc(9, 5, 5);
        Label(5, 9, -14, -50, "E");
      },
      [&] {
        Segment(9, 2, 5);
        Segment(9, 3, 5);
      },
      [&] {
        NewLine(5, "底辺が共通で、");
        NewLine(5, "底辺に平行な直線上に頂点があれば、");
        NewLine(5, "三角形の面積は等しい。");
      },
      [&] {
        NewLine(3, "底辺が共通で、");
        NewLine(3, "△ABC=△DBC ならば BC∥AD");
      },
  });
}

// ---- screen 2: the equal triangles of a trapezoid ----

void AreaLessons::AreaCh1S2TrapezoidTriangles() {
  Steps({
      [&] {
        ScreenClear();
        Frame(560, 100, 8, 6, 70);
        Points({{1, 3, 5}, {2, 1, 1}, {3, 7, 1}, {4, 6, 5}});  // A, B, C, D
        IntersectionInto(5, 2, 4, 1, 3);                       // O on BD and AC
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Segment(2, 4, 0);
        Segment(3, 4, 0);
        Label(0, 4, -14, -50, "D");
        Segment(1, 4, 0);
        Label(0, 5, -14, 20, "O");
        Parallel(2, 3, 1, 3, 1, 1, 20);
        Parallel(1, 4, 1, 3, 1, 1, 20);
        XI0 = 40;
        XI1 = XI0 + 36;
        YI1 = 30;
        SETDRAWWIDTH(5);
        TextLine(3, XI0, YI1, "Q ");
        SameLine(0, "AD∥BC である台形で、面積の等しい三角形の組は?");
        NewLine(7, "<解答>");
      },
      [&] {
        NewLine(3, "①");
        SameLine(5, "△ABCと△DBC");
        SameLine(0, "(BCが底辺)");
        Segment(2, 3, 9);
      },
      [&] {
        NewLine(3, "②");
        SameLine(5, "△ABDと△ACD");
        SameLine(0, "(ADが底辺)");
        Segment(1, 4, 7);
      },
      [&] {
        NewLine(3, "③");
        SameLine(5, "△AOBと△DOC");
        NewLine(0, "△AOB=△ABD-△AOD", 50, 38);
        NewLine(0, "△DOC=△ACD-△AOD", 50, 38);
        FilledPolygon({1, 5, 4});
        Parallel(1, 4, 1, 3, 1, 1, 20);
      },
      [&] { TextLine(7, 160, 480, "教科書P153 問1　をしなさい。"); },
  });
}

// ---- screen 3: question 1, the triangles of a parallelogram ----

void AreaLessons::AreaCh1S3Question1Answer() {
  Steps({
      [&] {
        ScreenClear();
        Frame(600, 100, 8, 6, 70);
        Points({{1, 2, 5},     // A
                {2, 1, 1},     // B
                {3, 6, 1},     // C
                {4, 7, 5},     // D
                {5, 3.5, 1}}); // M, the midpoint of BC
        IntersectionInto(6, 2, 4, 1, 5);  // P on BD and AM
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        Parallel(1, 2, 2, 3, 1, 2, 20);
        Parallel(4, 3, 2, 3, 1, 2, 20);
        Parallel(1, 4, 1, 3, 1, 1, 20);
        Parallel(2, 3, 1, 3, 5, 4, 20);
        Label(0, 5, -14, 10, "M");
        Ticks(2, 5, 1, 3, 0, 20);
        Ticks(5, 3, 1, 3, 0, 20);
        Segment(2, 4, 0);
        Segment(1, 5, 0);
        Segment(4, 5, 0);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "P153 問1 解答", 0);
      },
      [&] {
        NewLine(3, "①");
        SameLine(0, "△ABM=△DBM(BMが底辺)");
        Segment(2, 5, 9);
      },
      [&] { NewLine(0, "△ABM=△DMC(BM=MC)", 50, 38); },
      [&] { NewLine(5, "△ABM=△DBM=△DMC", 50, 38); },
      [&] {
        NewLine(3, "②");
        SameLine(0, "△ABD=△AMD(ADが底辺)");
        Segment(1, 4, 7);
      },
      [&] {
        NewLine(0, "△ABD=△DBC(AB=DC)", 50, 38);
        Ticks(1, 2, 2, 3, 0, 20);
        Ticks(4, 3, 2, 3, 0, 20);
      },
      [&] { NewLine(5, "△ABD=△AMD=△DBC", 50, 38); },
      [&] {
        NewLine(3, "③AMとBDの交点をPとすると");
        NewLine(5, "△APB=△DPM", 50, 38);
        NewLine(0, "△APB=△ABD-△APD", 50, 38);
        NewLine(0, "△DPM=△AMD-△APD", 50, 38);
        FilledPolygon({1, 6, 4});
        Label(3, 6, -20, 18, "P");
        Parallel(1, 4, 1, 3, 1, 1, 20);
      },
  });
}
