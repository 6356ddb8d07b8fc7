// Chapter 1: the three special parallelograms, their definitions and
// properties, and the marks they share with chapter 2's figures.
//
// The shape figures: the rectangle in slots 1 to 4 (centre 5), the rhombus
// in slots 11 to 14 (centre 15), the square in slots 21 to 24 (centre 25),
// vertex k of a figure in slot k, 10 + k or 20 + k, lettered A to D
// anticlockwise from the top-left corner (the rhombus from its top).
#include "lessons/special_parallelograms/lessons.h"

// ---- shared marks ----

void SpecialLessons::CornerRightAngles(int first, int colour) {
  const int a = first, b = first + 1, c = first + 2, d = first + 3;
  RightAngleAt(a, b, d, 30, colour);
  RightAngleAt(b, c, a, 30, colour);
  RightAngleAt(c, d, b, 30, colour);
  RightAngleAt(d, a, c, 30, colour);
}

void SpecialLessons::SideTicks(int first, int colour, float half) {
  const int a = first, b = first + 1, c = first + 2, d = first + 3;
  Ticks(a, b, 1, colour, 0, half);
  Ticks(b, c, 1, colour, 0, half);
  Ticks(c, d, 1, colour, 0, half);
  Ticks(d, a, 1, colour, 0, half);
}

void SpecialLessons::HalfDiagonalTicks(int centre, int first) {
  Ticks(centre, first, 3, 3, -30, 18);
  Ticks(centre, first + 2, 3, 3, -30, 18);
  Ticks(centre, first + 1, 4, 3, -35, 18);
  Ticks(centre, first + 3, 4, 3, -35, 18);
}

// ---- the shape figures ----

void SpecialLessons::SpecialCh1ShapeFigures() {
  // The rectangle, 4 x 3 units.
  Frame(560, 30, 6, 5, 60);
  Points({{1, 1, 4}, {2, 1, 1}, {3, 5, 1}, {4, 5, 4}, {5, 3, 2.5f}});
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  // The rhombus, diagonals 6 and 3 units.
  Frame(760, 350, 8, 5, 60);
  Points({{11, 4, 4}, {12, 1, 2.5f}, {13, 4, 1}, {14, 7, 2.5f}, {15, 4, 2.5f}});
  CCC1 = 0;
  PolygonAt({11, 12, 13, 14});
  // The square, 3 units a side.
  Frame(920, 30, 5, 5, 65);
  Points({{21, 1, 4}, {22, 1, 1}, {23, 4, 1}, {24, 4, 4}, {25, 2.5f, 2.5f}});
  CCC1 = 0;
  PolygonAt({21, 22, 23, 24});
}

// ---- screen 2: the definitions ----

void SpecialLessons::SpecialCh1S2Definitions() {
  Steps({
      [&] {
        ScreenClear();
        SpecialCh1ShapeFigures();
      },
      [&] {
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(5, "<長方形の定義>", 0);
        NewLine(3, "4つの角がすべて等しい四角形");
        NewLine(0, "∠A=∠B=∠C=∠D=90%");
        CornerRightAngles(1, 5);
      },
      [&] {
        NewLine(5, "<ひし形の定義>", 70);
        NewLine(3, "4つの辺がすべて等しい四角形");
        NewLine(0, "AB=BC=CD=DA");
        SideTicks(11, 5);
      },
      [&] {
        NewLine(5, "<正方形の定義>", 70);
        NewLine(3, "4つの角がすべて等しく、");
        NewLine(3, "4つの辺がすべて等しい四角形");
        NewLine(0, "∠A=∠B=∠C=∠D=90%");
        NewLine(0, "AB=BC=CD=DA");
        CornerRightAngles(21, 5);
        SideTicks(21, 5);
      },
  });
}

// ---- screen 5: how the four shapes are related, and their properties ----
//
// The diagram's slots: 1-2 the parallelogram region, 4-5 the rectangle
// region, 7-8 the rhombus region, 7-5 their overlap, the square region;
// 3, 6, 9, 10 the top-left corners of the four names.

void SpecialLessons::SpecialCh1S5Properties() {
  AngleStyle oneArc = Arcs(1, 50, 3);
  oneArc.labelColour = 3;
  AngleStyle twoArcs = Arcs(2, 60, 3);
  twoArcs.labelColour = 3;
  Steps({
      [&] {
        ScreenClear();
        Frame(720, 160, 12, 10, 38);
        Points({{1, 0, 10}, {2, 12, 0}, {3, 4, 9}, {4, 1, 7}, {5, 10, 3},
                {6, 3, 6.5f}, {7, 2, 5}, {8, 11, 1}, {9, 5, 2.5f}, {10, 4, 4.5f}});
        SETDRAWWIDTH(5);
        struct Region {
          int from, to, border, fill, nameColour, name;
          const char* text;
        };
        for (const Region& r : {Region{1, 2, 0, 10, 13, 3, "平行四辺形"},
                                Region{4, 5, 9, 12, 15, 6, "長方形"},
                                Region{7, 8, 9, 6, 15, 9, "ひし形"},
                                Region{7, 5, 9, 4, 15, 10, "正方形"}}) {
          FilledBox(X_A(r.from), Y_A(r.from), X_A(r.to), Y_A(r.to), r.border, r.fill);
          Label(r.nameColour, r.name, 0, 0, r.text);
        }
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "長方形,ひし形,正方形は特別な平行四辺形である。", 0);
        NewLine(5, "長方形,ひし形,正方形は", 80);
        NewLine(5, "平行四辺形の性質をもつ。");
      },
      [&] {
        NewLine(3, "正方形は長方形でもあり、ひし形でもある。", 80);
        NewLine(5, "正方形は長方形とひし形の性質をもつ。", 80);
      },
      [&] {
        ScreenClear();
        SpecialCh1ShapeFigures();
        for (int first : {1, 11, 21}) {
          Segment(first, first + 2, 0);
          Segment(first + 1, first + 3, 0);
          Label(0, first + 4, first == 11 ? -30 : -14, 4, "O");
        }
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "<長方形>", 0);
        SameLine(0, "AB=CD,AD=BC", 10);
        NewLine(0, "OA=OC,OB=OD");
        NewLine(0, "∠A=∠B=∠C=∠D=90%(定義)");
        CornerRightAngles(1, 5);
        Ticks(1, 4, 1, 3, -30, 18);
        Ticks(2, 3, 1, 3, -30, 18);
        Ticks(1, 2, 2, 3, -35, 18);
        Ticks(4, 3, 2, 3, -35, 18);
        HalfDiagonalTicks(5, 1);
      },
      [&] {
        NewLine(3, "<ひし形>", 70);
        SameLine(0, "∠A=∠C,∠B=∠D", 10);
        NewLine(0, "OA=OC,OB=OD");
        NewLine(0, "AB=BC=CD=DA(定義)");
        SideTicks(11, 5);
        HalfDiagonalTicks(15, 11);
        AngleAt(11, 12, 14, oneArc);
        AngleAt(13, 14, 12, oneArc);
        AngleAt(12, 13, 11, twoArcs);
        AngleAt(14, 11, 13, twoArcs);
      },
      [&] {
        NewLine(3, "<正方形>", 70);
        SameLine(0, "OA=OC,OB=OD", 10);
        NewLine(0, "∠A=∠B=∠C=∠D=90%,");
        NewLine(0, "AB=BC=CD=DA(定義)");
        NewLine(5, "正方形は、長方形とひし形の性質をもつ");
        CornerRightAngles(21, 5);
        SideTicks(21, 5);
        HalfDiagonalTicks(25, 21);
      },
  });
}
