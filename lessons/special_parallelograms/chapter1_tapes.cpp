// Chapter 1, screen 1: two tapes crossed at the centre O. The fixed tape
// lies horizontally; the arrow keys turn the second tape about O in steps of
// 5 degrees between 0 and 180, "2" and "3" make it as wide as the fixed one
// or narrower, "1" ends the exploration.
//
// Every point lies on the circle of radius R1 about O (slot 0); a tape of
// half-angle h has its edge points at h, 180 - h, 180 + h and 360 - h
// degrees, turned by its direction. Point slots:
//   1 to 4     the fixed tape: upper edge right, left; lower edge left, right
//   5 to 8     the turning tape, the same four ends turned by KAKUDO
//   11 to 14   the corners of the overlap (edge 1-2 or 3-4 with 5-6 or 7-8)
#include <cmath>

#include "lessons/special_parallelograms/lessons.h"

void SpecialLessons::SpecialCh1S1TapeCorners(float first) {
  for (II = first; II <= first + 3; II = II + 1) TurnedPoint(static_cast<int>(II), 0, R_A(II), R1);
}

void SpecialLessons::SpecialCh1S1TapeSetup() {
  SETDRAWWIDTH(5);
  R1 = SIZE * 10;
  R_A(1) = 15;
  MirroredAngles(1);
  MirroredAngles(5);
  for (II = 1; II <= 4; II = II + 1) R_A(II) = R_A(II) * PI / 180;
  SpecialCh1S1TapeCorners(1);
  // The turning tape's base angles, in degrees, for the key loop's turns.
  for (II = 1; II <= 4; II = II + 1) R_A(II) = R_A(II + 4);
  for (II = 5; II <= 8; II = II + 1) R_A(II) = R_A(II) * PI / 180;
  SpecialCh1S1TapeCorners(5);
}

void SpecialLessons::SpecialCh1S1TapeDraw() {
  Segment(1, 2, 0);
  Segment(3, 4, 0);
  Segment(6, 5, 7);
  Segment(7, 8, 7);
  IntersectionInto(11, 1, 2, 5, 6);
  IntersectionInto(12, 3, 4, 5, 6);
  IntersectionInto(13, 3, 4, 7, 8);
  IntersectionInto(14, 1, 2, 7, 8);
  if (KAKUDO > 22 && KAKUDO < 158) FilledPolygon({11, 12, 13, 14}, 13, 5);
  Parallel(2, 1, 2, 3);
  Parallel(3, 4, 2, 3);
  Parallel(6, 5, 1, 3);
  Parallel(7, 8, 1, 3);
}

void SpecialLessons::SpecialCh1S1CrossedTapes() {
  Steps({
      [&] {
        ScreenClear();
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "教科書P148 Q をやってみよう。", 0);
      },
      [&] {
        Frame(760, 100, 20, 20, 25);
        Points({{0, 10, 10}});
        EraseBox(GX1, GY1 - 50, GX1 + (GX2 + 100), GY1 - 50 + (GY2 + 50));
        AINP = 5;
        KAKUDO = 0;
        R_A(5) = 10;
        SpecialCh1S1TapeSetup();
        while (AINP != 1) {
          SpecialCh1S1TapeDraw();
          TurnKey(5, GX1 - 80, GY1 - 50, GX2 + 100, GY2 + 50, "←→動く；１終了 2幅同 3幅違");
          // The widths: "2" equal, "3" unequal.
          if (I_S == "2") {
            R_A(5) = 15;
            SpecialCh1S1TapeSetup();
          }
          if (I_S == "3") {
            R_A(5) = 10;
            SpecialCh1S1TapeSetup();
          }
          for (II = 5; II <= 8; II = II + 1) R_A(II) = (R_A(II - 4) + KAKUDO) * PI / 180;
          SpecialCh1S1TapeCorners(5);
        }
      },
      [&] {
        NewLine(3, "長方形");
        SameLine(0, "…異なる幅のテープを垂直に重ねる。");
      },
      [&] {
        NewLine(3, "ひし形");
        SameLine(0, "…同じ幅のテープを重ねる。");
      },
      [&] {
        NewLine(3, "正方形");
        SameLine(0, "…同じ幅のテープを垂直に重ねる。");
      },
      [&] {
        NewLine(5, "「テープの重なった部分はいつも平行四辺形」", 70);
        NewLine(0, "かどうかを、長方形、ひし形、正方形の");
        NewLine(0, "定義をもとに調べてみよう。");
      },
  });
}
