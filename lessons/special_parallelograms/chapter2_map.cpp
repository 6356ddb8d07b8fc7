// Chapter 2, items 6 to 10: question 6, the map of the four quadrilaterals,
// and the explanation of each of its four arrows.
#include "lessons/special_parallelograms/lessons.h"

void SpecialLessons::MapTextColumn(const std::string& heading) {
  XI1 = 38;
  YI1 = 30;
  SETDRAWWIDTH(5);
  NewLine(3, heading, 0);
}

void SpecialLessons::MapExplanationHeading(const std::string& heading,
                                           const std::string& conditions) {
  MapTextColumn(heading);
  SameLine(5, conditions, 20);
}

void SpecialLessons::RightAngleAtA() {
  NewLine(5, "ア ");
  SameLine(5, "∠A=90%");
  RightAngleAt(1, 2, 4, 40, 5);
}

void SpecialLessons::EqualAdjacentSides() {
  NewLine(5, "イ AB=BC");
  SameLine(0, " だから ");
  SideTick(1, 2);
  SideTick(2, 3);
}

// ---- item 6: question 6, which conditions turn one shape into another ----

void SpecialLessons::SpecialCh2S6Question6Answer() {
  // Arrow k runs from anchor 2k - 1 to anchor 2k; its label and its two
  // conditions stand at anchor 10 + k.
  auto answers = [&](int k, const char* first, const char* second) {
    TextLine(5, U_A(10 + k), V_A(10 + k) + 50, first);
    TextLine(5, U_A(10 + k), V_A(10 + k) + 100, second);
  };
  Steps({
      [&] {
        ScreenClear();
        MapTextColumn("問6解答");
        Frame(40, 200, 8, 5, 40);
        SpecialCh2ParallelogramFigure();
        Frame(480, 50, 8, 5, 40);
        SpecialCh2RectangleFigure();
        Frame(480, 350, 8, 5, 40);
        SpecialCh2RhombusFigure();
        Frame(920, 200, 6, 5, 40);
        SpecialCh2SquareFigure();
        for (int k = 1; k <= 4; ++k) {
          SETDRAWWIDTH(10);
          ZX0 = U_A(2 * k - 1);
          ZY0 = V_A(2 * k - 1);
          ZX = U_A(2 * k);
          ZY = V_A(2 * k);
          MUKI = 1;
          YA = 1;
          CCC2 = 7;
          NAGASA = 16;
          Arrow();
          SETDRAWWIDTH(5);
        }
        const char* labels[] = {"(1)", "(2)", "(3)", "(4)"};
        for (int k = 1; k <= 4; ++k) TextLine(3, U_A(10 + k), V_A(10 + k), labels[k - 1]);
      },
      [&] { answers(1, "ア ∠A=90%", "ウ AC=BD"); },
      [&] { answers(2, "イ AB=BC", "エ AC⊥BD"); },
      [&] { answers(3, "イ AB=BC", "エ AC⊥BD"); },
      [&] { answers(4, "ア ∠A=90%", "ウ AC=BD"); },
  });
}

// ---- item 7: (1) a parallelogram with a right angle or equal diagonals ----

void SpecialLessons::SpecialCh2S7ParallelogramToRectangle() {
  const AngleStyle arc{
      .count = 1, .radius = 40, .border = 0, .fill = 3, .labelColour = 3, .label = ""};
  AngleStyle arcBack = arc;
  arcBack.iti = -1;
  Steps({
      [&] {
        ScreenClear();
        Frame(836, 50, 8, 5, 50);
        SpecialCh2ParallelogramFigure();
        MapExplanationHeading("問6(1)", "アとウ");
        RightAngleAtA();
      },
      [&] {
        SameLine(0, " だから ∠C=90%");
        RightAngleAt(3, 2, 4, 40, 5);
      },
      [&] {
        NewLine(0, "∠B=∠D,∠B+∠D=180% だから");
        AngleAt(2, 3, 1, arc);
        AngleAt(4, 3, 1, arcBack);
      },
      [&] {
        NewLine(0, "∠B=∠D=90%");
        RightAngleAt(2, 3, 1, 40, 5);
        RightAngleAt(4, 3, 1, 40, 5);
      },
      [&] { NewLine(3, "1つの角が90%である平行四辺形は長方形"); },
      [&] {
        FreshQuadrilateral();
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        Ticks(1, 3, 1, 3, -40, 20);
        Ticks(2, 4, 1, 3, 40, 20);
        NewLine(5, "ウ AC=BD", 70);
      },
      [&] {
        NewLine(3, "対角線が等しい平行四辺形は長方形");
        RightAngleAt(2, 3, 1, 40, 5);
        RightAngleAt(4, 3, 1, 40, 5);
        RightAngleAt(1, 2, 4, 40, 5);
        RightAngleAt(3, 2, 4, 40, 5);
      },
  });
}

// ---- item 8: (2) a rectangle with equal adjacent sides or perpendicular diagonals ----

void SpecialLessons::SpecialCh2S8RectangleToSquare() {
  Steps({
      [&] {
        // The corner marks and the diagonals come before the screen sets its
        // pen width: they take the width the screen before left.
        ScreenClear();
        Frame(836, 50, 8, 5, 50);
        SpecialCh2RectangleFigure();
        Segment(2, 4, 0);
        Segment(1, 3, 0);
        Label(3, 0, -14, 4, "O");
        MapExplanationHeading("問6(2)", "イとエ");
      },
      [&] { EqualAdjacentSides(); },
      [&] {
        NewLine(0, "AB=CD=BC=DA,∠A=∠B=∠C=∠D=90%");
        SideTick(3, 4);
        SideTick(4, 1);
      },
      [&] { NewLine(3, "となりあう辺が等しい長方形は正方形"); },
      [&] {
        FreshQuadrilateral();
        NewLine(5, "エ AC⊥BD", 70);
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        CornerMarks();
        RightAngleAt(0, 1, 4, 20, 5);
      },
      [&] { NewLine(3, "対角線が垂直に交わる平行四辺形はひし形"); },
      [&] {
        SideTick(1, 2);
        SideTick(1, 4);
        SideTick(3, 2);
        SideTick(3, 4);
      },
      [&] {
        NewLine(0, "長方形でもあり、ひし形でもあるから ");
        SameLine(5, "正方形");
      },
      [&] { NewLine(3, "対角線が垂直に交わる長方形は正方形"); },
  });
}

// ---- item 9: (3) a parallelogram with equal adjacent sides or perpendicular diagonals ----

void SpecialLessons::SpecialCh2S9ParallelogramToRhombus() {
  Steps({
      [&] {
        ScreenClear();
        Frame(836, 50, 8, 5, 50);
        SpecialCh2ParallelogramFigure();
        MapExplanationHeading("問6(3)", "イとエ");
        EqualAdjacentSides();
      },
      [&] {
        NewLine(0, "AB=CD=BC=DA");
        SideTick(3, 4);
        SideTick(4, 1);
      },
      [&] { NewLine(3, "となりあう辺が等しい平行四辺形はひし形"); },
      [&] {
        FreshQuadrilateral();
        RightAngleAt(0, 1, 4, 20, 5);
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        NewLine(5, "エ AC⊥BD", 70);
      },
      [&] {
        NewLine(3, "対角線が垂直に交わる平行四辺形はひし形");
        SideTick(1, 2);
        SideTick(2, 3);
        SideTick(3, 4);
        SideTick(4, 1);
      },
  });
}

// ---- item 10: (4) a rhombus with a right angle or equal diagonals ----

void SpecialLessons::SpecialCh2S10RhombusToSquare() {
  const AngleStyle arc{
      .count = 1, .radius = 40, .border = 0, .fill = 5, .labelColour = 3, .label = ""};
  Steps({
      [&] {
        // The side ticks of this first rhombus take the pen width the screen
        // before left.
        ScreenClear();
        Frame(684, 0, 8, 5, 70);
        SpecialCh2RhombusFigure();
        MapExplanationHeading("問6(4)", "アとウ");
        RightAngleAtA();
      },
      [&] { NewLine(3, "1つの角が90%である平行四辺形は長方形"); },
      [&] {
        RightAngleAt(3, 2, 4, 40, 5);
        RightAngleAt(2, 3, 1, 40, 5);
        RightAngleAt(4, 3, 1, 40, 5);
      },
      [&] {
        NewLine(0, "長方形でもあり、ひし形でもあるから ");
        NewLine(5, "正方形");
      },
      [&] { NewLine(3, "1つの角が90%であるひし形は正方形"); },
      [&] {
        EraseBox(GX1, GY1, GX2, GY2);
        SpecialCh2RhombusFigure();
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        Ticks(1, 3, 2, 3, -40, 20);
        Ticks(2, 4, 2, 3, 40, 20);
        NewLine(5, "ウ AC=BD", 70);
      },
      [&] { NewLine(3, "対角線が等しい平行四辺形は長方形"); },
      [&] {
        AngleAt(1, 2, 4, arc);
        AngleAt(4, 1, 3, arc);
        AngleAt(2, 3, 1, arc);
        AngleAt(3, 4, 2, arc);
      },
      [&] {
        NewLine(0, "長方形でもあり、ひし形でもあるから ");
        SameLine(5, "正方形");
      },
      [&] { NewLine(3, "対角線が等しいひし形は正方形"); },
  });
}
