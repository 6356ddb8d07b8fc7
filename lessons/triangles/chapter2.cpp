// Chapter 2: the bisector of the vertex angle, the equilateral triangle.
#include <cmath>

#include "lessons/triangles/lessons.h"

// ---- screen 1: what the bisector of the vertex angle gives ----

void TriangleLessons::TriangleCh2S1BisectorConsequences() {
  Steps({
      [&] {
        ScreenClear();
        StandardIsoscelesTriangle();
        TrianglePolygon(1, 2, 3);  // letters in the colour the menu left
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "教科書P131 Q をやってみよう。", 0);
        Ticks(1, 2, 1, 3);
        Ticks(1, 3, 1, 3);
      },
      [&] {
        NewLine(0, "∠Aの二等分線ADをひくと、△ABD≡△ACDだから", 70);
        Segment(1, 4, 0);
        Label(0, 4, -14, 10, "D");
        AngleDot(1, 2, 4, 80, 8, 3);
        AngleDot(1, 4, 3, 80, 8, 3);
        Ticks(1, 4, 2, 3);
      },
      [&] {
        NewLine(3, "①∠B=∠C");
        const AngleStyle sector{.count = 0, .radius = 50, .border = 0, .fill = 3, .label = ""};
        AngleAt(2, 3, 1, sector);
        AngleAt(3, 1, 2, sector);
      },
      [&] {
        NewLine(3, "② BD=CD");
        Ticks(2, 4, 3, 5);
        Ticks(3, 4, 3, 5);
      },
      [&] {
        NewLine(3, "③∠ADB=∠ADC");
        AngleDot(4, 1, 2, 40, 12, 5);
        AngleDot(4, 3, 1, 40, 12, 5);
      },
      [&] {
        SameLine(0, "だから ", 30);
        SameLine(5, "AD⊥BC");
      },
      [&] { TextLine(7, 40, 590, "教科書P131 問4　をしなさい。"); },
  });
}

// ---- screen 2: question 4, the bisector is perpendicular to the base ----

void TriangleLessons::TriangleCh2S2Question4Answer() {
  Steps({
      [&] {
        ScreenClear(1760);
        StandardIsoscelesTriangle();
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Ticks(1, 2, 1, 3);
        Ticks(1, 3, 1, 3);
        Segment(1, 4, 0);
        Label(0, 4, -14, 10, "D");
        AngleDot(1, 2, 4, 80, 8, 3);
        AngleDot(1, 4, 3, 80, 8, 3);
        Ticks(1, 4, 2, 3);
        AngleDot(4, 1, 2, 40, 12, 5);
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<問4　解答>", 0);
        SameLine(0, "△ABD≡△ACDより、", 20);
        NewLine(0, "対応する角は等しいから、", 55);
        SameLine(0, "∠ADB=");
        AnswerBox(1, "ア", 152);
        SameLine(0, "…①", 4);
        NewLine(0, "また、", 55);
        SameLine(0, "∠ADB+");
        AnswerBox(2, "イ", 152);
        SameLine(0, "=180%…②", 4);
        NewLine(0, "①②から、2∠ADB=180%", 55);
        NewLine(0, "したがって、", 55);
        SameLine(0, "∠ADB=");
        AnswerBox(3, "ウ", 114);
        NewLine(0, "すなわち、AD⊥BC", 55);
      },
      [&] {
        Reveal(1, "∠ADC", 152);
        AngleDot(4, 3, 1, 40, 12, 5);
      },
      [&] { Reveal(2, "∠ADC", 152); },
      [&] {
        Reveal(3, "90%", 114);
        RightAngleAt(4, 1, 2, 50, 5);
      },
      [&] {
        NewLine(3, "  <二等辺三角形の頂角の二等分線>", 90);
        NewLine(5, "二等辺三角形の頂角の二等分線は、");
        NewLine(5, "底辺を垂直に2等分する。", 50, 304);
        NewLine(0, "AB=AC,∠BAD=∠CAD ならば AD⊥BC,BD=CD");
        Ticks(2, 4, 3, 5);
        Ticks(3, 4, 3, 5);
      },
      [&] { TextLine(7, 40, 590, "教科書P132 問5　をしなさい。"); },
  });
}

// ---- screen 3: question 5, two isosceles triangles on one base ----

void TriangleLessons::TriangleCh2S3Question5Answer() {
  Steps({
      [&] {
        ScreenClear(1760);
        Frame(840, 50, 8, 9, 50);
        Points({{1, 1, 5}, {2, 7, 5}, {3, 4, 8}, {4, 4, 1}, {5, 4, 5}});
        SETDRAWWIDTH(5);
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Segment(1, 4, 0);
        Label(0, 4, -14, 10, "D");
        Segment(3, 4, 0);
        Label(0, 5, 4, -50, "E");
        Segment(2, 4, 0);
        Ticks(1, 4, 1, 3);
        Ticks(2, 4, 1, 3);
        Ticks(3, 1, 2, 3);
        Ticks(3, 2, 2, 3);
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<問5　解答>", 0);
        SameLine(3, "(1)", 20);
        SameLine(0, "△ADCと△BDCにおいて");
        NewLine(0, "仮定から、", 55);
        SameLine(0, "CA=");
        AnswerBox(1, "ア", 76);
        SameLine(0, "…①", 4);
        SameLine(0, "　　");
        SameLine(0, "DA=");
        AnswerBox(2, "イ", 76);
        SameLine(0, "…②", 4);
        NewLine(0, "また、　　", 55);
        SameLine(0, "CD=");
        AnswerBox(3, "ウ", 76);
        SameLine(0, "…③", 4);
        NewLine(0, "①②③から、", 55);
        AnswerBox(4, "エ", 152);
        SameLine(0, "がそれぞれ等しいので", 4);
        NewLine(0, "△ADC≡△BDC", 55);
        NewLine(0, "合同な図形の対応する角は等しいので", 55);
        NewLine(0, "∠ACD=∠BCD", 55);
      },
      [&] { Reveal(1, "CB", 76); },
      [&] { Reveal(2, "DB", 76); },
      [&] {
        Reveal(3, "CD", 76);
        Ticks(3, 4, 3, 3);
      },
      [&] {
        Reveal(4, "3組の辺", 152);
        AngleDot(3, 1, 4, 50, 8, 5);
        AngleDot(3, 4, 2, 50, 8, 5);
      },
      [&] {
        NewLine(3, "(2)", 60);
        SameLine(0, "△CABは二等辺三角形で、CEは頂角の二等分線だから");
        NewLine(0, "底辺ABを垂直に2等分する。", 50, 76);
        NewLine(0, "したがって、CDは線分ABの垂直二等分線である。", 50, 76);
        RightAngleAt(5, 1, 3, 40, 5);
        Ticks(1, 5, 4, 5, -20);
        Ticks(2, 5, 4, 5, -20);
      },
  });
}

// ---- screen 4: the equilateral triangle ----

void TriangleLessons::TriangleCh2S4EquilateralTriangle() {
  const AngleStyle resultSector{.count = 0, .radius = 50, .border = 0, .fill = 5, .label = ""};
  Steps({
      [&] {
        ScreenClear();
        Frame(840, 50, 8, 8, 50);
        Points({{1, 4, 1 + 3 * std::sqrt(3.0f)}, {2, 1, 1}, {3, 7, 1}});
        SETDRAWWIDTH(5);
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Ticks(1, 2, 1, 3);
        Ticks(1, 3, 1, 3);
        Ticks(2, 3, 1, 3);
        AngleAt(2, 3, 1, {.count = 0, .radius = 50, .border = 0, .fill = 3, .label = ""});
        AngleAt(1, 2, 3, {.count = 0, .radius = 50, .border = 0, .fill = 7, .label = ""});
        XI1 = 38;
        YI1 = 30;
        NewLine(0, "正三角形の定義…", 0);
        AnswerBox(1, "ア", 304);
        SameLine(3, "三角形", 10);
      },
      [&] { Reveal(1, "3つの辺が等しい", 304); },
      [&] {
        NewLine(5, "正三角形の3つの角は等しい。(1つの角は60%)", 60);
        NewLine(0, "AB=BC=CA ならば ∠A=∠B=∠C", 50);
      },
      [&] {
        NewLine(3, "<証明 問6>", 50);
        NewLine(0, "△ABCは、AB=ACである二等辺三角形と", 50);
        NewLine(0, "考えられるから、", 55);
        SameLine(0, "∠B=");
        AnswerBox(1, "ア", 76);
        SameLine(3, "…①", 4);
        NewLine(0, "また、△ABCは、BA=BCである二等辺三角形と", 50);
        NewLine(0, "とも考えられるから、∠A=", 55);
        AnswerBox(2, "イ", 76);
        SameLine(3, "…②", 4);
        NewLine(0, "①②から、∠A=∠B=∠C", 55);
      },
      [&] {
        Reveal(1, "∠C", 76);
        AngleAt(2, 3, 1, resultSector);
        AngleAt(3, 1, 2, resultSector);
      },
      [&] {
        Reveal(2, "∠C", 76);
        AngleAt(1, 2, 3, resultSector);
      },
      [&] {
        AngleStyle labelled = resultSector;
        labelled.labelColour = 5;
        labelled.label = "60%";
        AngleAt(2, 3, 1, labelled);
        AngleAt(3, 1, 2, labelled);
        AngleAt(1, 2, 3, labelled);
      },
  });
}
