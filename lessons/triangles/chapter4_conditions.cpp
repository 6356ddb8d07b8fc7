// Chapter 4, screens 4 and 5: the two congruence conditions of right
// triangles, and the answer to question 2.
#include "lessons/triangles/lessons.h"

void TriangleLessons::TriangleCh4S4Pair(int first, const std::string& number) {
  CCC1 = 7;
  TrianglePolygon(first, first + 1, first + 2, 5, 0, "A", 0);
  TrianglePolygon(first + 3, first + 4, first + 5, 5, 0, "D", 0);
  TextBoxAt(GX1, Y_A(first) - SIZE, 40, 48, number, 0, 3, 13);
  Ticks(first, first + 1, 1, 3);
  Ticks(first + 3, first + 4, 1, 3);
}

// Two pairs of congruent right triangles, each beside its number box: the
// upper pair (slots 11 to 16) for condition 1, the lower (1 to 6) for 2.
void TriangleLessons::TriangleCh4S4Figure() {
  Frame(690, 50, 12, 14, 40);
  SETDRAWWIDTH(5);
  Points({{1, 5, 6}, {2, 1, 1}, {3, 5, 1}, {4, 11, 6}, {5, 7, 1}, {6, 11, 1},
          {11, 5, 13}, {12, 1, 8}, {13, 5, 8}, {14, 11, 13}, {15, 7, 8}, {16, 11, 8}});

  // Condition 1: the hypotenuse and one acute angle.
  TriangleCh4S4Pair(11, "1");
  SectorAt(11, 12, 13, 3);
  SectorAt(14, 15, 16, 3);
  RightAngleAt(13, 11, 12, 30, 3);
  RightAngleAt(16, 14, 15, 30, 3);

  // Condition 2: the hypotenuse and another side.
  TriangleCh4S4Pair(1, "2");
  RightAngleAt(3, 1, 2, 30, 3);
  RightAngleAt(6, 4, 5, 30, 3);
  Ticks(2, 3, 2, 3);
  Ticks(5, 6, 2, 3);
}

void TriangleLessons::TriangleCh4S4CongruenceConditions() {
  Steps({
      [&] {
        ScreenClear(1760);
        TriangleCh4S4Figure();
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<直角三角形の合同条件>", 0, 38);
        NewLine(0, "2つの直角三角形は、");
        NewLine(0, "次のどちらかが成り立つとき合同である。");
        TextBoxAt(XI1, YI1 + 80, 40, 48, "1", 0, 3, 13);
        SameLine(5, "斜辺と1つの鋭角がそれぞれ等しい。", 20);
        NewLine(0, "∠C=∠F=90%,AB=DE,∠A=∠D", 70, 38);
        TextBoxAt(XI1, YI1 + 90, 40, 48, "2", 0, 3, 13);
        SameLine(5, "斜辺と他の1辺がそれぞれ等しい。", 20);
        NewLine(0, "∠C=∠F=90%,AB=DE,BC=EF", 70, 38);
      },
      [&] { TextAt(7, 40, 540, "教科書P137 問2　をしなさい。"); },
  });
}

void TriangleLessons::TriangleCh4S5Question2Answer() {
  Steps({
      [&] {
        ScreenClear(1760);
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<問2　解答>", 0);
      },
      [&] { NewLine(0, "① △ABC≡△LKJ", 70); },
      [&] { NewLine(0, "直角三角形の斜辺と他の1辺がそれぞれ等しい", 60, 76); },
      [&] { NewLine(0, "② △DEF≡△GHI", 70); },
      [&] { NewLine(0, "直角三角形の斜辺と1つの鋭角がそれぞれ等しい", 60, 76); },
  });
}
