// Chapter 2, screens 1 and 2: the diagonals of a rectangle are equal, the
// diagonals of a rhombus cross at right angles. Each screen draws its
// figure's marks twice: on the bare figure at the pen width it found, and
// again at width 5 over the shaded triangles.
#include "lessons/special_parallelograms/lessons.h"

// ---- screen 1: rectangle ABCD in slots 1 to 4 ----

void SpecialLessons::SpecialCh2S1RectangleMarks() {
  CornerRightAngles(1, 3);
  Ticks(1, 3, 1, 5, -30, 18);
  Ticks(2, 4, 1, 5, 30, 18);
}

void SpecialLessons::SpecialCh2S1RectangleDiagonals() {
  Steps({
      [&] {
        ScreenClear();
        Frame(800, 100, 6, 5, 80);
        Points({{1, 1, 4}, {2, 1, 1}, {3, 5, 1}, {4, 5, 4}});
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        SpecialCh2S1RectangleMarks();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(0, "問2", 0);
        SameLine(3, "長方形の対角線は等しい。", 20);
        NewLine(0, "∠A=∠B=∠C=∠D=90% ならば AC=BD");
        NewLine(3, "<証明>");
      },
      [&] {
        SameLine(0, "△ABCと△DCBにおいて", 20);
        FilledPolygon({1, 2, 3}, 13, 0);
        SETDRAWWIDTH(8);
        ClosedOutline({4, 3, 2}, 0);
        SETDRAWWIDTH(5);
        SpecialCh2S1RectangleMarks();
      },
      [&] {
        Ticks(1, 2, 1, 3, 0, 25);
        NewLine(0, "平行四辺形の対辺はそれぞれ等しいから");
        NewLine(0, "AB=", 55);
        AnswerBox(1, "ア", 76);
        SameLine(3, "…①", 4);
        NewLine(0, "仮定から、", 55);
        SameLine(0, "∠ABC=");
        AnswerBox(2, "イ", 152);
        SameLine(0, "=90%", 4);
        SameLine(3, "…②", 4);
        NewLine(0, "BCは共通で、BC=", 55);
        AnswerBox(3, "ウ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、", 55);
        AnswerBox(4, "エ", 380);
        NewLine(0, "がそれぞれ等しいので、", 55);
        SameLine(0, "△ABC≡△DCB", 30);
        NewLine(0, "合同な図形では、対応する辺は等しいので、");
        SameLine(0, "AC=DB");
        NewLine(0, "したがって、");
        SameLine(3, "長方形の対角線は等しい。");
      },
      [&] {
        Reveal(1, "DC", 76);
        Ticks(4, 3, 1, 3, 0, 25);
      },
      [&] {
        Reveal(2, "∠DCB", 152);
        Ticks(2, 3, 2, 3, 0, 25);
      },
      [&] { Reveal(3, "CB", 76); },
      [&] { Reveal(4, "2組の辺とその間の角", 380); },
      [&] { TextLine(7, 160, 600, "教科書P149 問3　をしなさい。"); },
  });
}

// ---- screen 2: rhombus ABCD in slots 1 to 4, O in slot 5 ----

void SpecialLessons::SpecialCh2S2RhombusMarks() {
  SideTicks(1, 3);
  RightAngleAt(5, 1, 2, 40, 5);
}

void SpecialLessons::SpecialCh2S2RhombusDiagonals() {
  AngleStyle sector = Sector(30, 7);
  sector.labelColour = 3;
  Steps({
      [&] {
        ScreenClear();
        Frame(720, 80, 8, 5, 70);
        Points({{1, 4, 4}, {2, 1, 2.5f}, {3, 4, 1}, {4, 7, 2.5f}, {5, 4, 2.5f}});
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        Label(0, 5, -35, 4, "O");
        SpecialCh2S2RhombusMarks();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(0, "問3", 0);
        SameLine(3, "ひし形の対角線は垂直に交わる。", 20);
        NewLine(0, "AB=BC=CD=DA ならば AC⊥BD");
        NewLine(3, "<証明>");
      },
      [&] {
        SameLine(0, "△ABOと△ADOにおいて", 20);
        FilledPolygon({1, 2, 5}, 13, 0);
        FilledPolygon({1, 4, 5}, 11, 0);
        SpecialCh2S2RhombusMarks();
      },
      [&] {
        Ticks(2, 5, 2, 3, 0, 20);
        AngleAt(5, 1, 2, sector);
        NewLine(0, "平行四辺形の対角線はそれぞれの");
        NewLine(0, "中点で交わるから、BO=", 55);
        AnswerBox(1, "ア", 76);
        SameLine(3, "…①", 4);
        NewLine(0, "仮定から、", 55);
        SameLine(0, "AB=");
        AnswerBox(2, "イ", 76);
        SameLine(3, "…②", 4);
        AnswerBox(3, "ウ", 76, {}, 30);
        SameLine(0, "は共通", 4);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、", 55);
        AnswerBox(4, "エ", 152);
        SameLine(0, "がそれぞれ等しいので、", 8);
        NewLine(0, "△ABO≡△ADO    合同な図形では、", 55);
        NewLine(0, "対応する角は等しいので、");
        SameLine(0, "∠AOB=");
        AnswerBox(5, "オ", 152);
        NewLine(0, "∠AOB+∠AOD=", 55);
        AnswerBox(6, "カ", 152);
        SameLine(0, "だから", 10);
        NewLine(0, "∠AOB=∠AOD=", 55);
        AnswerBox(7, "キ", 114);
      },
      [&] {
        Reveal(1, "DO", 76);
        Ticks(4, 5, 2, 3, 0, 20);
      },
      [&] { Reveal(2, "AD", 76); },
      [&] {
        Reveal(3, "AO", 76);
        Ticks(1, 5, 3, 3, -20, 20);
      },
      [&] { Reveal(4, "3組の辺", 152); },
      [&] {
        Reveal(5, "∠AOD", 152);
        AngleAt(5, 4, 1, sector);
      },
      [&] { Reveal(6, "180%", 152); },
      [&] {
        Reveal(7, "90%", 114);
        RightAngleAt(5, 4, 1, 40, 5);
      },
  });
}
