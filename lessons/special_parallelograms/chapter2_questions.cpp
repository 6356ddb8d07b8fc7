// Chapter 2, screens 4 and 5: the midpoint of the hypotenuse, and two
// counter-examples drawn on visible grids.
#include "lessons/special_parallelograms/lessons.h"

// ---- screen 4: A, B, C, D in slots 1 to 4, M the midpoint of AC in slot 5 ----

void SpecialLessons::SpecialCh2S4Question4Answer() {
  Steps({
      [&] {
        ScreenClear();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(0, "問4", 0);
        Frame(800, 100, 6, 5, 80);
        Points({{1, 1, 4}, {2, 1, 1}, {3, 5, 1}, {4, 5, 4}, {5, 3, 2.5f}});
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        RightAngleAt(2, 3, 1, 30, 3);
      },
      [&] {
        Segment(2, 5, 0);
        Label(0, 5, -14, -50, "M");
        Ticks(1, 5, 1, 3, 0, 18);
        Ticks(3, 5, 1, 3, 0, 18);
      },
      [&] {
        Ticks(2, 5, 1, 5, 0, 18);
        TextLine(3, 38, 100, "<証明>");
      },
      [&] {
        SameLine(0, "AB,BCを2辺とする長方形をつくる。", 20);
        X_SA(1) = "";
        X_SA(2) = "";
        X_SA(3) = "";
        X_SA(4) = "D";
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4}, 5, 0, "1");
        CornerRightAngles(1, 3);
      },
      [&] { Segment(2, 4, 0); },
      [&] {
        Ticks(1, 2, 1, 3, 0, 25);
        NewLine(0, "平行四辺形の対角線はそれぞれの中点で交わるから");
        NewLine(0, "MA=MC=ﾀ1/2ﾀ", 65);
        AnswerBox(1, "ア", 76);
        SameLine(3, "…①", 4);
        NewLine(0, "MB=ﾀ1/2ﾀ", 65);
        AnswerBox(2, "イ", 76);
        SameLine(3, "…②", 4);
        NewLine(0, "長方形の対角線は等しいから", 60);
        NewLine(0, "AC=", 55);
        AnswerBox(3, "ウ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、MA=MB=MC", 55);
        NewLine(0, "したがって、");
        SameLine(3, "直角三角形の斜辺の中点から、3つの頂点までの長さは等しい。");
      },
      [&] {
        Reveal(1, "AC", 76);
        Ticks(5, 4, 1, 5, 0, 18);
      },
      [&] { Reveal(2, "BD", 76); },
      [&] { Reveal(3, "BD", 76); },
      [&] { TextLine(7, 160, 600, "教科書P147 問5　をしなさい。"); },
  });
}

// ---- screen 5: an isosceles trapezoid, then a kite ----

void SpecialLessons::SpecialCh2S5Question5Answer() {
  // A part's heading and verdict, and the two lines under it.
  const auto heading = [&](float column, const char* part, const char* figure,
                           const char* verdict) {
    XI1 = column;
    YI1 = 30;
    SETDRAWWIDTH(5);
    NewLine(3, part, 0);
    SameLine(5, "正しくない", 20);
    NewLine(0, figure);
    NewLine(0, verdict);
  };
  // The quadrilateral 1-2-3-4 without letters, and its diagonals 2-4, 1-3.
  const auto quadrilateral = [&] {
    CCC1 = 0;
    PolygonAt({1, 2, 3, 4}, 5, 0, "");
    Segment(2, 4, 0);
    Segment(1, 3, 0);
  };
  Steps({
      [&] {
        ScreenClear();
        heading(38, "問5(1)", "下図のような台形。", "対角線は等しいが長方形ではない。");
        Frame(80, 250, 5, 4, 80, 0);
        Points({{1, 1, 4}, {2, 0, 0}, {3, 5, 0}, {4, 4, 4}});
        quadrilateral();
        Ticks(1, 2, 1, 3, 0, 18);
        Ticks(4, 3, 1, 3, 0, 18);
        Parallel(1, 4, 1, 3, 1, 1, 20);
        Parallel(2, 3, 1, 3, 1, 1, 20);
      },
      [&] {
        heading(608, "問5(2)", "下図のような四角形。", "対角線は垂直に交わるがひし形ではない。");
        Frame(608, 250, 6, 5, 70, 0);
        Points({{1, 3, 5}, {2, 0, 3}, {3, 3, 0}, {4, 6, 3}, {5, 3, 3}});
        quadrilateral();
        Ticks(1, 2, 1, 3, 0, 18);
        Ticks(1, 4, 1, 3, 0, 18);
        Ticks(3, 2, 2, 3, 0, 18);
        Ticks(3, 4, 2, 3, 0, 18);
        RightAngleAt(5, 1, 4, 40, 3);
      },
  });
}
