// Chapter 2, screen 3: the converses on one slanted parallelogram ABCD
// (slots 1 to 4, O the crossing of its diagonals in slot 0). A parallelogram
// with equal diagonals is a rectangle; one whose diagonals cross at right
// angles is a rhombus. Each proof on a page of its own.
#include "lessons/special_parallelograms/lessons.h"

void SpecialLessons::SpecialCh2S3Figure() {
  Frame(640, 130, 8, 5, 70);
  // O is the midpoint of AC, taken in grid units.
  Points({{1, 2, 4}, {2, 1, 1}, {3, 6, 1}, {4, 7, 4}, {0, (2 + 6) / 2.0f, (4 + 1) / 2.0f}});
  CCC1 = 3;
  PolygonAt({1, 2, 3, 4});
}

void SpecialLessons::SpecialCh2S3DiagonalConverses() {
  AngleStyle arc = Arcs(1, 40, 5);
  arc.labelColour = 3;
  const auto tick = [&](int a, int b, float count, int colour, float shift = 0) {
    Ticks(a, b, count, colour, shift, 20);
  };
  Steps({
      // A parallelogram whose diagonals are equal is a rectangle.
      [&] {
        ScreenClear();
        SpecialCh2S3Figure();
        tick(1, 3, 1, 3, -40);
        tick(2, 4, 1, 3, 40);
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "対角線が等しい平行四辺形は長方形", 0);
        NewLine(0, "&ABCDで、AC=BD ならば ∠A=∠B=∠C=∠D");
        NewLine(3, "<証明>");
      },
      [&] {
        FilledPolygon({1, 2, 4}, 13, 0);
        SETDRAWWIDTH(8);
        ClosedOutline({4, 3, 1}, 0);
        SETDRAWWIDTH(5);
        tick(1, 3, 1, 3, -40);
        tick(2, 4, 1, 3, 40);
        NewLine(0, "△ABDと△DCAにおいて、");
      },
      [&] {
        NewLine(0, "仮定より ");
        SameLine(3, "BD=CA…①,ADは共通…②");
        tick(1, 4, 2, 3);
      },
      [&] {
        NewLine(0, "平行四辺形の対辺は等しいので");
        NewLine(3, "AB=DC…③");
        tick(1, 2, 3, 3);
        tick(4, 3, 3, 3);
      },
      [&] {
        NewLine(0, "3組の辺がそれぞれ等しいから、");
        NewLine(3, "△ABD≡△DCA");
      },
      [&] { NewLine(0, "合同な図形の対応する角は等しいから"); },
      [&] {
        SameLine(3, "∠A=∠D", 40);
        AngleAt(1, 2, 4, arc);
        AngleAt(4, 1, 3, arc);
      },
      [&] {
        NewLine(0, "平行四辺形の対角は等しいので");
        AngleAt(2, 3, 1, arc);
        AngleAt(3, 4, 2, arc);
      },
      [&] { SameLine(3, " ∠A=∠C,∠D=∠B"); },
      [&] {
        NewLine(0, "よって ");
        SameLine(5, "∠A=∠B=∠C=∠D");
      },
      // A parallelogram whose diagonals cross at right angles is a rhombus.
      [&] {
        ScreenClear();
        SpecialCh2S3Figure();
        RightAngleAt(0, 1, 4, 20, 5);
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "対角線が垂直に交わる平行四辺形はひし形", 0);
        NewLine(0, "&ABCDで、AC⊥BD ならば AB=BC=CD=DA");
        NewLine(3, "<証明>");
      },
      [&] {
        SameLine(7, "△ABOと△ADOにおいて", 20);
        FilledPolygon({1, 2, 0}, 13, 0);
        FilledPolygon({1, 4, 0}, 11, 0);
        Segment(1, 3, 0);
        Label(3, 0, -14, 4, "O");
        RightAngleAt(0, 1, 4, 20, 5);
      },
      [&] {
        NewLine(0, "AC⊥BD だから");
        NewLine(3, "∠AOB=∠AOD=90%…①");
        RightAngleAt(0, 1, 2, 20, 5);
      },
      [&] {
        NewLine(0, "対角線はそれぞれの中点で交わるから");
        NewLine(3, "BO=DO…②");
        tick(2, 0, 2, 3);
        tick(0, 4, 2, 3);
      },
      [&] {
        SameLine(3, "AOは共通…③", 30);
        tick(1, 0, 3, 3);
      },
      [&] {
        NewLine(0, "2組の辺とその間の角がそれぞれ");
        NewLine(0, "等しいから、");
        SameLine(3, "△ABO≡△ADO");
      },
      [&] {
        NewLine(0, "合同な図形の対応する辺は等しいから ");
        SameLine(3, "AB=AD");
        tick(1, 2, 1, 5);
        tick(1, 4, 1, 5);
        NewLine(0, "平行四辺形の対辺は等しいので");
      },
      [&] {
        SameLine(3, " AB=DC,BC=AD");
        tick(3, 2, 1, 5);
        tick(3, 4, 1, 5);
      },
      [&] {
        NewLine(0, "よって ");
        SameLine(5, "AB=BC=CD=DA");
      },
      [&] { SameLine(0, "教科書P150 問4　をしなさい。", 50); },
  });
}
