// Chapter 4: proofs that use the conditions for a parallelogram. In each
// screen a quadrilateral AECF built inside parallelogram ABCD is shown to
// be a parallelogram. Slots: 0 O, 1 A, 2 B, 3 C, 4 D, 5 E, 6 F.
#include "lessons/parallelograms/lessons.h"

void ParallelogramLessons::ParallelogramCh4Menu() {
  ChapterMenu("①P147例　②問３　③問４　④終了", {
                                                     [this] { ParallelogramCh4S1Example(); },
                                                     [this] { ParallelogramCh4S2Question3Answer(); },
                                                     [this] { ParallelogramCh4S3Question4Answer(); },
                                                 });
}

// ---- shared by the example and question 3 ----

// The statement: three texts on one line, each where the last ended.
void ParallelogramLessons::AecfOpening(float margin, const std::string& given) {
  ScreenClear();
  XI1 = margin;
  YI1 = 30;
  SETDRAWWIDTH(5);
  NewLine(3, given, 0);
  SameLine(0, "ならば ");
  SameLine(3, "四角形AECFは平行四辺形");
}

// After the figure, a key for each step: the heading, the proof that
// AECF's diagonals bisect each other (`sign` is "-" when E and F lie
// between B and D, "+" when they lie beyond), its six reveals and the
// closing line.
void ParallelogramLessons::AecfDiagonalProof(const std::string& sign, const std::string& closing) {
  WaitAnyKey();
  NewLine(7, "<証明>");
  WaitAnyKey();
  NewLine(0, "平行四辺形の対角線はそれぞれの");
  NewLine(0, "中点で交わるから");
  NewLine(0, "OA=", 55);
  MarkedBox(1, "ア", 76, "…①");
  SameLine(0, "OB=", 30);
  MarkedBox(2, "イ", 76, "…②");
  NewLine(0, "仮定より、BE=", 55);
  MarkedBox(3, "ウ", 76, "…③");
  NewLine(0, "②③から、OB" + sign + "BE=", 55);
  AnswerBox(4, "エ", 180);
  NewLine(0, "よって、OE=", 55);
  MarkedBox(5, "オ", 76, "…④");
  NewLine(0, "①④より、", 55);
  MarginAnswerBox(6, "カ", 570, 55);
  SameLine(0, "ので", 30);
  NewLine(0, "四角形AECFは平行四辺形である。");
  WaitAnyKey();
  Reveal(1, "OC", 76);
  Ticks(0, 3, 2, 3, 0, 25);  // OC's ticks again, longer
  WaitAnyKey();
  Reveal(2, "OD", 76);
  WaitAnyKey();
  Reveal(3, "DF", 76);
  WaitAnyKey();
  Reveal(4, "OD" + sign + "DF", 180);
  WaitAnyKey();
  Reveal(5, "OF", 76);
  WaitAnyKey();
  Reveal(6, "対角線がそれぞれの中点で交わる", 570);
  WaitAnyKey();
  TextLine(7, 160, 600, closing);
}

// The diagonal AC with its label "O"; or, `halves`, two ticks on AO and OC.
void ParallelogramLessons::AecfDiagonalAC(bool halves) {
  if (halves) {
    Ticks(1, 0, 2, 3, 0, 20);
    Ticks(0, 3, 2, 3, 0, 20);
  } else {
    Segment(1, 3, 0);
    Label(0, 0, -22, 14, "O");
  }
}

// ---- screen 1: the example, E and F on the diagonal BD ----

void ParallelogramLessons::ParallelogramCh4S1Example() {
  Steps({
      [&] {
        AecfOpening(40, "&ABCDで、BE=DF ");
        ParallelogramFigureAt(640, 100);
        // E and F: a third of the way from B and from D towards O.
        X_A(5) = (2 * X_A(2) + X_A(0)) / 3;
        Y_A(5) = (2 * Y_A(2) + Y_A(0)) / 3;
        X_A(6) = (2 * X_A(4) + X_A(0)) / 3;
        Y_A(6) = (2 * Y_A(4) + Y_A(0)) / 3;
      },
      [&] { Segment(2, 4, 0); },
      [&] {
        Disc(5, 6, 0);
        Label(0, 5, -40, -45, "E");
        Ticks(2, 5, 1, 3, 0, 20);
      },
      [&] {
        Disc(6, 6, 0);
        Label(0, 6, 12, 0, "F");
        Ticks(4, 6, 1, 3, 0, 20);
      },
      [&] {
        FilledPolygon({1, 5, 3, 6});
        Segment(2, 4, 0);  // EF shows over the fill
      },
      [&] { AecfDiagonalAC(false); },
      [&] { AecfDiagonalAC(true); },
      [&] {
        CCC1 = 3;
        ArcOver(2, 0, 20, 1, 5, 3, "");
        CCC1 = 3;
        ArcOver(0, 4, 20, -1, 5, 3, "");
      },
      [&] {
        Ticks(5, 0, 3, 5, 0, 20);
        Ticks(6, 0, 3, 5, 0, 20);
      },
  });
  AecfDiagonalProof("-", "教科書P147 問3　をしなさい。");
}

// ---- screen 2: question 3, E and F on the diagonal produced ----
//
// E and F are given; B and D lie a third of the way from E and from F
// towards O.

void ParallelogramLessons::ParallelogramCh4S2Question3Answer() {
  auto outline = [&] {
    CCC1 = 0;
    PolygonAt({1, 2, 3, 4}, 5, 0, "1");  // letters A and C only
    Label(0, 2, -40, -50, "B");
    Label(0, 4, 10, 10, "D");
  };
  Steps({
      [&] {
        AecfOpening(40, "&ABCDで、BE=DF ");
        Frame(640, 100, 9, 6, 60);
        Points({{0, 4.5f, 3}, {1, 2, 5}, {3, 7, 1}, {5, 1, 1}, {6, 8, 5}});
        X_A(2) = (2 * X_A(5) + X_A(0)) / 3;
        Y_A(2) = (2 * Y_A(5) + Y_A(0)) / 3;
        X_A(4) = (2 * X_A(6) + X_A(0)) / 3;
        Y_A(4) = (2 * Y_A(6) + Y_A(0)) / 3;
        X_SA(1) = "A";
        X_SA(2) = "";
        X_SA(3) = "C";
        X_SA(4) = "";
        outline();
      },
      [&] { Segment(2, 4, 0); },
      [&] {
        Disc(5, 6, 0);
        Label(0, 5, -40, -45, "E");
        Segment(5, 2, 0);
        Ticks(2, 5, 1, 3, 0, 20);
      },
      [&] {
        Disc(6, 6, 0);
        Label(0, 6, 12, 0, "F");
        Segment(4, 6, 0);
        Ticks(4, 6, 1, 3, 0, 20);
      },
      [&] {
        FilledPolygon({1, 5, 3, 6});
        outline();
        Segment(5, 6, 0);
        Ticks(2, 5, 1, 3, 0, 20);
        Ticks(4, 6, 1, 3, 0, 20);
      },
      [&] { AecfDiagonalAC(false); },
      [&] { AecfDiagonalAC(true); },
      [&] {
        Ticks(5, 0, 3, 3, 0, 20);
        Ticks(6, 0, 3, 3, 0, 20);
      },
      [&] {
        CCC1 = 3;
        ArcOver(5, 0, 20, 1, 5, 5, "");
        CCC1 = 3;
        ArcOver(0, 6, 20, -1, 5, 5, "");
      },
  });
  AecfDiagonalProof("+", "教科書P147 問4　をしなさい。");
}

// ---- screen 3: question 4, E and F on opposite sides ----

void ParallelogramLessons::ParallelogramCh4S3Question4Answer() {
  Steps({
      [&] {
        AecfOpening(38, "&ABCDで,BE=DF ");
        NewLine(7, "<問4 証明>", 60);
        ParallelogramFigureAt(640, 100, false);
        // E two units right of B on BC, F two units left of D on AD.
        Points({{5, 1 + 2, 1}, {6, 8 - 2, 5}});
      },
      [&] {
        Segment(5, 1, 0);
        Segment(6, 3, 0);
        Label(0, 5, -14, 10, "E");
        Label(0, 6, -14, -50, "F");
        Ticks(2, 5, 1, 3, 0, 20);
        Ticks(6, 4, 1, 3, 0, 20);
      },
      [&] { FilledPolygon({1, 5, 3, 6}); },
      [&] {
        Parallel(1, 4, 1, 3, 1, 1, 25);
        Parallel(2, 3, 1, 3, 1, 1, 30);
      },
      [&] {
        CCC1 = 3;
        ArcOver(1, 4, 20, -1, 2, 3, "");
        CCC1 = 3;
        ArcOver(2, 3, 20, 1, 2, 3, "");
      },
      [&] {
        Ticks(5, 3, 2, 3, 0, 20);
        Ticks(1, 6, 2, 3, 0, 20);
      },
      [&] { SameLine(0, "四角形AECFにおいて", 20); },
      [&] {
        NewLine(0, "仮定から");
        NewLine(0, "AF∥", 55);
        MarkedBox(1, "ア", 76, "…①");
        SameLine(0, "BE=", 30);
        MarkedBox(2, "イ", 76, "…②");
        NewLine(0, "平行四辺形の対辺はそれぞれ等しいから", 55);
        NewLine(0, "AD=", 55);
        MarkedBox(3, "ウ", 76, "…③");
        NewLine(0, "②③より、AD-DF=", 55);
        AnswerBox(4, "エ", 180);
        NewLine(0, "よって、AF=", 55);
        MarkedBox(5, "オ", 76, "…④");
        NewLine(0, "①④より、", 55);
        MarginAnswerBox(6, "カ", 608, 55);
        SameLine(0, "ので", 30);
        NewLine(0, "四角形AECFは平行四辺形である。");
      },
      [&] { Reveal(1, "EC", 76); },
      [&] { Reveal(2, "DF", 76); },
      [&] { Reveal(3, "BC", 76); },
      [&] { Reveal(4, "BC-BE", 180); },
      [&] { Reveal(5, "EC", 76); },
      [&] { Reveal(6, "1組の対辺が平行でその長さが等しい", 608); },
  });
}
