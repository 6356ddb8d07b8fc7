// Chapter 4, screens 6 and 7: the equal perpendiculars from the midpoint of
// a base, and the incentre proofs.
#include <cmath>

#include "lessons/triangles/lessons.h"

void TriangleLessons::TriangleCh4S6Example1() {
  Steps({
      [&] {
        ScreenClear(1760);
        XI0 = 40;
        XI1 = XI0;
        YI1 = 30;
        NewLine(3, "例1 ", 0);
        SameLine(0, "二等辺三角形ABCの底辺BCの中点Mから2辺AB,ACに");
        NewLine(0, "垂線MD,MEをひくとき、MD=MEとなることを証明しなさい。");
        Frame(680, 170, 10, 8, 50);
        Points({{1, 5, 7}, {2, 1, 1}, {3, 9, 1}, {4, 5, 1}});
        // The feet before the sides: the sides cover the feet's dots.
        FootInto(5, 1, 2, 4);
        FootInto(6, 1, 3, 4);
        SETDRAWWIDTH(5);
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
      },
      [&] {
        EqualSideArc(2, 1, -1, 3);
        EqualSideArc(3, 1, 1, 3);
      },
      [&] {
        CIRCLE(X_A(4), Y_A(4), 5, 0, 0, 0, true);
        Label(0, 4, -14, 8, "M");
        Ticks(2, 4, 1, 3, 0, 20);
        Ticks(3, 4, 1, 3, 0, 20);
      },
      [&] {
        Label(0, 5, -40, -24, "D");
        Segment(4, 5, 0);
        RightAngleAt(5, 2, 4, 25, 3);
      },
      [&] {
        Label(0, 6, 10, -24, "E");
        Segment(4, 6, 0);
        RightAngleAt(6, 3, 4, 30, 3);
      },
      [&] {
        Ticks(5, 4, 1, 5, -8, 20);
        Ticks(6, 4, 1, 5, -10, 20);
        NewLine(3, "  <証明>");
      },
      [&] { NewLine(0, "△MBDと△MCEにおいて"); },
      [&] {
        SectorAt(2, 3, 1, 3);
        SectorAt(3, 1, 2, 3);
      },
      [&] {
        NewLine(0, "仮定から、", 55);
        SameLine(0, "BM=");
        AnswerBox(1, "ア", 76);
        SameLine(3, "…①", 4);
        NewLine(0, "∠MDB=", 55, 38);
        AnswerBox(2, "イ", 152);
        SameLine(0, "=", 4);
        AnswerBox(3, "ウ", 114);
        SameLine(3, "…②", 4);
        NewLine(0, "二等辺三角形の", 55);
        AnswerBox(4, "エ", 76);
        SameLine(0, "は等しいので、", 4);
        NewLine(0, "∠MBD=", 55, 38);
        AnswerBox(5, "オ", 152);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、", 55);
        SameLine(0, "直角三角形で、");
        MarginAnswerBox(6, "カ", 266, 55);
        SameLine(0, "がそれぞれ等しいので", 4);
        NewLine(3, "△MBD≡△MCE", 55);
        NewLine(0, "合同な図形の対応する辺は等しいから");
        SameLine(5, " MD=ME");
      },
      [&] { Reveal(1, "CM", 76); },
      [&] { Reveal(2, "∠MEC", 152); },
      [&] { Reveal(3, "90%", 114); },
      [&] { Reveal(4, "底角", 76); },
      [&] { Reveal(5, "∠MCE", 152); },
      [&] { Reveal(6, "斜辺と1つの鋭角", 266); },
      // The closing line starts where " MD=ME" ended, 15 pixels higher;
      // the TextCursor follows it.
      [&] { TextLine(7, XI2, 600, " P138 問3 をやろう。"); },
  });
}

void TriangleLessons::TriangleCh4S7Question3Answer() {
  // A point where two rays cross: from `b` at `degB` and from `c` at `degC`
  // (degrees, anticlockwise on the screen), each ray given by its start and
  // a point R1 along it.
  auto raysCross = [&](int slot, int b, float degB, int c, float degC) {
    R1 = 5 * SIZE;
    AX = X_A(b);
    AY = Y_A(b);
    BX = AX + R1 * std::cos(degB * PI / 180);
    BY = AY - R1 * std::sin(degB * PI / 180);
    DX = X_A(c);
    DY = Y_A(c);
    CX = DX + R1 * std::cos(degC * PI / 180);
    CY = DY - R1 * std::sin(degC * PI / 180);
    LineIntersection();
    X_A(slot) = AX2;
    Y_A(slot) = AY2;
  };
  // The ticks that show ID = IE = IF.
  auto radiusTicks = [&](int colour) {
    Ticks(5, 4, 1, colour, -8, 18);
    Ticks(6, 4, 1, colour, -10, 18);
    Ticks(7, 4, 1, colour, -10, 18);
  };
  Steps({
      // Part (1): ID = IE = IF.
      [&] {
        ScreenClear(1760);
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<問3(1)　解答>", 0);
        Frame(680, 30, 10, 11, 50);
        Points({{2, 1, 1}, {3, 9, 1}});
        raysCross(1, 2, 60, 3, 110);
        raysCross(4, 2, 30, 3, 145);
        FootInto(5, 1, 2, 4);
        FootInto(6, 2, 3, 4);
        FootInto(7, 1, 3, 4);
        SETDRAWWIDTH(5);
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
      },
      [&] {
        Segment(2, 4, 0);
        AngleDot(2, 4, 1, 50, 8, 3);
        AngleDot(2, 3, 4, 50, 8, 3);
      },
      [&] {
        Segment(3, 4, 0);
        AngleDot(3, 1, 4, 50, 8, 3, true);
        AngleDot(3, 4, 2, 50, 8, 3, true);
      },
      [&] {
        CIRCLE(X_A(4), Y_A(4), 5, 0, 0, 0, true);
        Label(0, 4, 4, 14, "I");
      },
      [&] {
        Label(0, 5, -40, -24, "D");
        Segment(4, 5, 0);
        RightAngleAt(5, 2, 4, 30, 3);
      },
      [&] {
        Label(0, 6, -14, 8, "E");
        Segment(4, 6, 0);
        RightAngleAt(6, 2, 4, 30, 3);
      },
      [&] {
        Label(0, 7, 10, -24, "F");
        Segment(4, 7, 0);
        RightAngleAt(7, 3, 4, 30, 3);
      },
      [&] { radiusTicks(5); },
      [&] { NewLine(0, "△IBDと△IBEにおいて"); },
      [&] { Ticks(2, 4, 2, 3, -8, 18); },
      [&] {
        NewLine(0, "仮定から、", 55);
        SameLine(0, "∠IBD=");
        AnswerBox(1, "ア", 152);
        SameLine(0, "…①", 4);
        NewLine(0, "∠IDB=", 55, 76);
        AnswerBox(2, "イ", 152);
        SameLine(0, "=", 4);
        AnswerBox(3, "ウ", 114);
        SameLine(0, "…②", 4);
        NewLine(0, "IB=", 55);
        AnswerBox(4, "エ", 76);
        SameLine(0, "…③", 4);
        NewLine(0, "①②③から、", 55);
        SameLine(0, "直角三角形で、");
        MarginAnswerBox(5, "オ", 304, 55);
        SameLine(0, "がそれぞれ等しいので", 4);
        NewLine(0, "△IBD≡△IBE", 55);
        SameLine(0, "合同な図形の", 50);
        NewLine(0, "対応する辺は等しいから", 55);
        SameLine(0, "ID=", 30);
        AnswerBox(6, "カ", 76);
        SameLine(0, "…④", 4);
        NewLine(0, "同様にして　IE=IF…⑤", 55);
        NewLine(0, "④⑤より　ID=IE=IF");
      },
      [&] { Reveal(1, "∠IBE", 152); },
      [&] { Reveal(2, "∠IEB", 152); },
      [&] { Reveal(3, "90%", 114); },
      [&] { Reveal(4, "IB", 76); },
      [&] { Reveal(5, "斜辺と1つの鋭角", 304); },
      [&] { Reveal(6, "IE", 76); },
      [&] {},  // one more key before part (2)
      // Part (2): AI bisects the angle BAC. The figure stays.
      [&] {
        EraseBox(0, 0, GX1 + 4, 1800);
        XI1 = 36;
        YI1 = 30;
        NewLine(3, "<問3(2)　解答>", 0);
        Segment(1, 4, 0);
        radiusTicks(3);
        AngleDot(1, 5, 4, 50, 8, 5);
        AngleDot(1, 4, 7, 50, 8, 5);
      },
      [&] { NewLine(0, "△ADIと△AFIにおいて"); },
      [&] {
        RightAngleAt(7, 1, 4, 30, 3);
        RightAngleAt(5, 4, 1, 30, 3);
      },
      [&] { Ticks(1, 4, 3, 3, -8, 18); },
      [&] {
        NewLine(0, "仮定から、", 55);
        SameLine(0, "∠ADI=");
        AnswerBox(1, "ア", 152);
        SameLine(0, "=", 4);
        AnswerBox(2, "イ", 114);
        SameLine(0, "…①", 4);
        NewLine(0, "(1)から、", 55);
        SameLine(0, "ID=");
        AnswerBox(3, "ウ", 76);
        SameLine(0, "…②", 4);
        NewLine(0, "AI=", 55);
        AnswerBox(4, "エ", 76);
        SameLine(0, "…③", 4);
        NewLine(0, "①②③から、", 55);
        SameLine(0, "直角三角形で、");
        MarginAnswerBox(5, "オ", 266, 55);
        SameLine(0, "がそれぞれ等しいので", 4);
        NewLine(0, "△ADI≡△AFI", 55);
        SameLine(0, "合同な図形の", 50);
        NewLine(0, "対応する角は等しいから", 55);
        NewLine(0, "∠DAI=", 55);
        AnswerBox(6, "カ", 152);
        NewLine(0, "したがって、半直線AIは∠BACを2等分する。", 55);
      },
      [&] { Reveal(1, "∠AFI", 152); },
      [&] { Reveal(2, "90%", 114); },
      [&] { Reveal(3, "IF", 76); },
      [&] { Reveal(4, "AI", 76); },
      [&] { Reveal(5, "斜辺と他の1辺", 266); },
      [&] { Reveal(6, "∠FAI", 152); },
      [&] {
        // The incircle: about I through D (and so through E and F).
        R2 = std::sqrt((X_A(5) - X_A(4)) * (X_A(5) - X_A(4)) + (Y_A(5) - Y_A(4)) * (Y_A(5) - Y_A(4)));
        CIRCLE(X_A(4), Y_A(4), R2, 5);
      },
      [&] { TextLine(7, 40, 620, "教科書P138 基本の問題　をしなさい。"); },
  });
}
