// Chapter 4, screens 2 and 3: the flip and the slide of two right triangles
// with equal hypotenuses and one other equal side, and the proof drawn on
// the slid figure. Also the small helpers the chapter 4 and 5 screens share.
#include <utility>

#include "lessons/triangles/lessons.h"

// ---- chapter 4 and 5 helpers ----

void TriangleLessons::SectorAt(int vertex, int p1, int p2, int fill) {
  AngleStyle sector = Sector(50, fill);
  sector.labelColour = static_cast<int>(CCC1);
  AngleAt(vertex, p1, p2, sector);
}

void TriangleLessons::EqualSideArc(int base, int apex, float houkou, int colour) {
  CCC1 = colour;
  ArcOver(base, apex, 50, houkou, 5, colour, "○");
}

// ---- screen 2: flip and slide ----

// One state of the flip: the turned triangle D, F and the moving E (slot
// 11) solid, the first place of DEF dotted, triangle ABC with its marks.
void TriangleLessons::TriangleCh4S2FlipStep() {
  CONNECT({{X_A(11), Y_A(11)}, {X_A(4), Y_A(4)}, {X_A(6), Y_A(6)}, {X_A(11), Y_A(11)}}, 0);
  Label(0, 4, -28, -50, "D");
  Label(0, 5, 4, 6, "E");
  Label(0, 6, -28, 6, "F");
  Label(0, 11, 4, 6, "E");
  TrianglePolygon(1, 2, 3);
  // The sides DE and EF at their first place, as rows of dots.
  DottedSegment(4, 5, 5, 0);
  DottedSegment(5, 6, 8, 0);
  Ticks(1, 2, 1, 3);
  Ticks(4, 5, 1, 3);
  RightAngleAt(3, 1, 2, 25, 3);
  RightAngleAt(6, 4, 5, 25, 3);
  Ticks(1, 3, 2, 3);
  Ticks(4, 6, 2, 3);
  RightAngleAt(6, 4, 11, 25, 3);
  Ticks(4, 11, 1, 3);
}

// One state of the slide: ABC lettered in the colour in force, the sliding
// triangle (slots 12 to 14) lettered D, E, F in colour 0, with the marks.
void TriangleLessons::TriangleCh4SlideStep() {
  TrianglePolygon(1, 2, 3);
  TrianglePolygon(12, 13, 14, 5, 0, "");
  Label(0, 12, -28, -50, "D");
  Label(0, 13, 4, 6, "E");
  Label(0, 14, -28, 6, "F");
  Ticks(1, 2, 1, 3);
  Ticks(12, 13, 1, 3);
  RightAngleAt(3, 1, 2, 25, 3);
  RightAngleAt(14, 12, 13, 25, 3);
  Ticks(1, 3, 2, 3);
  Ticks(12, 14, 2, 3);
}

void TriangleLessons::TriangleCh4S2HypotenuseOtherSide() {
  Steps({
      [&] {
        ScreenClear();
        Frame(520, 250, 16, 10, 40);
        Points({{1, 5, 8}, {2, 1, 1}, {3, 5, 1}, {4, 11, 8}, {5, 7, 1}, {6, 11, 1}, {7, 15, 1}});
        SETDRAWWIDTH(5);
        for (auto [slot, from] : std::initializer_list<std::pair<int, int>>{
                 {11, 5}, {12, 4}, {13, 7}, {14, 6}}) {
          X_A(slot) = X_A(from);
          Y_A(slot) = Y_A(from);
        }
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "∠C=∠F=90%,AB=DE,AC=DF ならば △ABC≡△DEF", 0);

        // The flip: E turns about DF on a flat half-ellipse, 10 degrees a key.
        AINP = 5;
        KAKUDO = 180;
        while (AINP != 1) {
          TriangleCh4S2FlipStep();
          MotionPause("裏返し　←→動く；１終了");
          if (I_S == CHR(28)) KAKUDO = KAKUDO + 10;
          if (I_S == CHR(29)) KAKUDO = KAKUDO - 10;
          if (KAKUDO < 180) {
            KAKUDO = 180;
          } else if (KAKUDO > 360) {
            KAKUDO = 360;
          }
          ZX0 = X_A(5);
          ZY0 = Y_A(5);
          ZX1 = X_A(7);
          ZY1 = Y_A(7);
          TAKASA = 20;
          PointOnArc();
          X_A(11) = ZX;
          Y_A(11) = ZY;
        }
        NewLine(0, "△DEFをDFを対称の軸として裏返した。", 70);

        // The slide: the turned triangle moves along BC, half a unit a key,
        // its first pass drawn over the last flip picture.
        AINP = 5;
        while (AINP != 1) {
          TriangleCh4SlideStep();
          MotionPause("平行移動　←→動く；１終了");
          DX = SIZE / 2;
          if (I_S == CHR(29)) {
            for (int slot : {12, 13, 14}) X_A(slot) = X_A(slot) - DX;
          }
          if (I_S == CHR(28)) {
            for (int slot : {12, 13, 14}) X_A(slot) = X_A(slot) + DX;
          }
          if (X_A(12) < X_A(1)) {
            X_A(12) = X_A(1);
            X_A(13) = X_A(12) + SIZE * 4;
            X_A(14) = X_A(12);
          } else if (X_A(12) > X_A(4)) {
            X_A(12) = X_A(4);
            X_A(13) = X_A(7);
            X_A(14) = X_A(12);
          }
        }
        NewLine(0, "△DEFを平行移動してACとDFを重ねた。", 70);
      },
      [&] {
        NewLine(3, "∠C=∠F=90% で、∠BCE=180%　", 60);
        NewLine(0, "だから", 50);
      },
      [&] {
        NewLine(3, "3点B,C,Eは1つの直線上にある。", 60);
        NewLine(0, "したがって、", 60);
        SameLine(5, "△ABEができる。");
      },
      [&] { TextLine(7, 40, YI1 + 80, "教科書P136 問1　をしなさい。"); },
  });
}

// ---- screen 3: the proof on the slid figure ----

void TriangleLessons::TriangleCh4S3Question1Answer() {
  Steps({
      [&] {
        ScreenClear(1760);
        Frame(720, 50, 8, 9, 40);
        // D lies on A, F on C, and E 4 units right of C.
        Points({{1, 5, 8}, {2, 1, 1}, {3, 5, 1}, {12, 5, 8}, {13, 9, 1}, {14, 5, 1}});
        SETDRAWWIDTH(5);
        TriangleCh4SlideStep();
        SectorAt(2, 3, 1, 3);
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<問1　解答>", 0);
        NewLine(0, "△ABEにおいて");
      },
      [&] {
        NewLine(0, "AB=", 55);
        AnswerBox(1, "ア", 76);
        SameLine(0, "だから ", 10);
        SameLine(0, "△ABEは二等辺三角形で、", 10);
        MarginAnswerBox(2, "イ", 76, 55);
        SameLine(0, "は等しいから", 4);
        SameLine(0, "∠B=", 10);
        AnswerBox(3, "ウ", 76);
        SameLine(0, "…①", 4);
      },
      [&] {
        NewLine(0, "△ABCと△DEFにおいて", 55);
        NewLine(0, "仮定から、", 55);
        SameLine(0, "∠C=");
        AnswerBox(4, "エ", 76);
        SameLine(0, "=", 4);
        AnswerBox(5, "オ", 114);
        SameLine(0, "…②", 4);
        NewLine(0, "　　   ", 55);
        SameLine(0, "AB=");
        AnswerBox(6, "カ", 76);
        SameLine(0, "…③", 4);
        NewLine(0, "①②③から、", 55);
        SameLine(0, "直角三角形で、");
        MarginAnswerBox(7, "キ", 342, 55);
        SameLine(0, "がそれぞれ等しいので", 4);
        NewLine(0, "△ABC≡△DEF", 55);
      },
      [&] { Reveal(1, "AE", 76); },
      [&] { Reveal(2, "底角", 76); },
      [&] {
        Reveal(3, "∠E", 76);
        SectorAt(13, 12, 14, 3);
      },
      [&] { Reveal(4, "∠F", 76); },
      [&] { Reveal(5, "90%", 114); },
      [&] { Reveal(6, "DE", 76); },
      [&] { Reveal(7, "斜辺と1つの鋭角", 342); },
      [&] { NewLine(5, "2つの直角三角形は、斜辺と他の1辺がそれぞれ等しいとき合同", 70); },
  });
}
