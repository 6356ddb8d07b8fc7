// Chapter 1: the properties of a parallelogram.
#include <cmath>

#include "lessons/parallelograms/lessons.h"

// ---- the usual parallelogram and its marks ----

void ParallelogramLessons::StandardParallelogram(bool centre) {
  if (centre) Points({{0, 4.5f, 3}});
  Points({{1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 8, 5}});
}

void ParallelogramLessons::ParallelogramFigure(float ggx) {
  ScreenClear();
  Frame(ggx, 100, 9, 6, 60);
  StandardParallelogram();
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
}

void ParallelogramLessons::SideArrows(bool half) { OppositeSideArrows(3, 20, half ? 1 : 2); }

void ParallelogramLessons::SideTicks(int colour) {
  Ticks(1, 2, 1, colour, 0, 18);
  Ticks(4, 3, 1, colour, 0, 18);
  Ticks(1, 4, 2, colour, 0, 18);
  Ticks(2, 3, 2, colour, 0, 18);
}

void ParallelogramLessons::OppositeAngleArcs() { OppositeAngleArcs(70, 80, 5); }

void ParallelogramLessons::HalfDiagonalTicks(int colour) {
  Ticks(0, 1, 3, colour, -30, 18);
  Ticks(0, 3, 3, colour, -30, 18);
  Ticks(0, 2, 4, colour, -35, 18);
  Ticks(0, 4, 4, colour, -35, 18);
}

void ParallelogramLessons::MarkedBox(int n, const std::string& placeholder, float width,
                                     const std::string& mark) {
  AnswerBox(n, placeholder, width);
  SameLine(3, mark, 4);
}

void ParallelogramLessons::CongruenceClose(const std::string& congruence,
                                           const std::string& sides) {
  NewLine(0, "①②③から、", 55);
  AnswerBox(4, "エ", 380);
  NewLine(0, "がそれぞれ等しいので、", 55);
  SameLine(0, congruence, 30);
  NewLine(0, "合同な図形では、対応する辺は等しいので、");
  SameLine(0, sides);
}

AngleStyle ParallelogramLessons::EqualSector(float radius, int fill, int border) {
  AngleStyle s = Sector(radius, fill);
  s.border = border;
  s.labelColour = 3;
  return s;
}

// ---- screen 1: strips that cross, and the definition ----

void ParallelogramLessons::ParallelogramCh1S1StripSetup() {
  Frame(760, 100, 20, 20, 25);
  Points({{0, 10, 10}});
  SETDRAWWIDTH(5);
  R1 = SIZE * 10;
  R_A(1) = 15;
  MirroredAngles(1);
  R_A(5) = 10;
  MirroredAngles(5);
  // The fixed strip: R(1)..R(4) become radians for its corners ...
  for (int k = 1; k <= 4; ++k) {
    R_A(k) = R_A(k) * PI / 180;
    TurnedPoint(k, 0, R_A(k), R1);
  }
  // ... then hold the turning strip's base angles in degrees, while
  // R(5)..R(8) hold its corners' angles in radians.
  for (int k = 1; k <= 4; ++k) R_A(k) = R_A(k + 4);
  for (int k = 5; k <= 8; ++k) {
    R_A(k) = R_A(k) * PI / 180;
    TurnedPoint(k, 0, R_A(k), R1);
  }
}

void ParallelogramLessons::ParallelogramCh1S1StripDraw() {
  Segment(1, 2, 0);
  Segment(3, 4, 0);
  Parallel(2, 1, 2, 3);
  Parallel(3, 4, 2, 3);
  Segment(6, 5, 7);
  Segment(7, 8, 7);
  Parallel(6, 5, 1, 3);
  Parallel(7, 8, 1, 3);
  IntersectionInto(11, 1, 2, 5, 6);
  IntersectionInto(12, 3, 4, 5, 6);
  IntersectionInto(13, 3, 4, 7, 8);
  IntersectionInto(14, 1, 2, 7, 8);
  if (KAKUDO > 22 && KAKUDO < 158) PolygonAt({11, 12, 13, 14}, 5, 5, "");
}

void ParallelogramLessons::ParallelogramCh1S1Figure() {
  Frame(680, 30, 9, 6, 50);
  StandardParallelogram(false);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
}

void ParallelogramLessons::ParallelogramCh1S1StripOverlap() {
  // Everything right of the text column, from y 50 to 700.
  const auto eraseFigure = [&] { LINE(GX1, GY1 - 50, GX2 + 100, GY2 + 50, 15, 2, 15, true); };
  Steps({
      [&] {
        ScreenClear();
        Frame(760, 100, 20, 20, 25);
        Points({{1, 0, 16},  {2, 0, 12},   {3, 20, 12}, {4, 20, 16},
                {5, 0, 17},  {6, 10, 0},   {7, 12.5f, 1.5f}, {8, 2.5f, 18.5f},
                {9, 18, 19}, {10, 1, 2},   {11, 3, 0},  {12, 20, 17}});
        IntersectionInto(25, 1, 4, 5, 6);
        IntersectionInto(26, 2, 3, 5, 6);
        IntersectionInto(27, 2, 3, 7, 8);
        IntersectionInto(28, 1, 4, 7, 8);
        IntersectionInto(29, 1, 4, 9, 10);
        IntersectionInto(30, 2, 3, 9, 10);
        IntersectionInto(31, 2, 3, 11, 12);
        IntersectionInto(32, 1, 4, 11, 12);
        IntersectionInto(33, 5, 6, 9, 10);
        IntersectionInto(34, 7, 8, 9, 10);
        IntersectionInto(35, 7, 8, 11, 12);
        IntersectionInto(36, 5, 6, 11, 12);
        SETDRAWWIDTH(5);
        LINE(X_A(1), Y_A(1), X_A(3), Y_A(3), 0, 1);
        ClosedOutline({5, 6, 7, 8});
        ClosedOutline({9, 10, 11, 12});
        XI1 = 38;
        YI1 = 30;
        TextLine(3, 38, 30, "教科書P139 Q をやってみよう。");
      },
      [&] {
        ClosedOutline({25, 26, 27, 28}, 5);
        ClosedOutline({29, 30, 31, 32}, 5);
        ClosedOutline({33, 34, 35, 36}, 5);
      },
      [&] { NewLine(5, "平行四辺形"); },
      [&] {
        eraseFigure();
        ParallelogramCh1S1StripSetup();
        AINP = 5;
        KAKUDO = 0;
        while (AINP != 1) {
          ParallelogramCh1S1StripDraw();
          TurnKey(5, GX1, GY1 - 50, GX2 + 100, GY2 + 50);
          // The turning strip's corners: base angles in degrees, placed in radians.
          for (int k = 1; k <= 4; ++k) {
            R_A(k + 4) = (R_A(k) + KAKUDO) * PI / 180;
            TurnedPoint(k + 4, 0, R_A(k + 4), R1);
          }
        }
      },
      [&] { NewLine(3, "…2組の平行線が重なってできる図形"); },
      [&] {
        eraseFigure();
        ParallelogramCh1S1Figure();
        NewLine(3, "<対辺、対角>", 140);
      },
      [&] {
        NewLine(5, "対辺");
        SameLine(0, "…四角形の向かい合う辺(ABとDC,ADとBC)");
      },
      [&] {
        NewLine(5, "対角");
        SameLine(0, "…四角形の向かい合う角(∠Aと∠C,∠Bと∠D)");
      },
      [&] {
        NewLine(5, "<平行四辺形の定義>", 70);
        NewLine(3, "2組の対辺がそれぞれ平行な四角形");
        Parallel(1, 2, 2, 3);
        Parallel(4, 3, 2, 3);
        Parallel(1, 4, 1, 3);
        Parallel(2, 3, 1, 3);
      },
      [&] { NewLine(0, "AB∥DC,AD∥BC"); },
  });
}

// ---- screen 2: a copy turned half round the centre ----

void ParallelogramLessons::ParallelogramCh1S2HalfTurn() {
  // Vertex k of the fixed parallelogram (slots 1..4) or of the copy
  // (slots 5..8) from its angle in degrees in R(k).
  const auto placeVertices = [&](int first) {
    for (int k = first; k < first + 4; ++k)
      TurnedPoint(k, 0, R_A(k) * PI / 180, (k - first) % 2 == 0 ? R1 : R2);
  };
  const AngleStyle threeArcs{.count = 3, .radius = 30, .border = 0, .fill = 7, .labelColour = 3, .label = ""};
  Steps({
      [&] {
        ScreenClear();
        Frame(520, 170, 10, 6, 70);
        Points({{0, 5, 3}});
        SETDRAWWIDTH(5);
        R1 = SIZE * 3.5f;
        R2 = SIZE * 4.5f;
        R_A(1) = 140;
        R_A(4) = 30;
        R_A(2) = 180 + R_A(4);
        R_A(3) = 180 + R_A(1);
        placeVertices(1);
        for (int k = 1; k <= 4; ++k) R_A(k + 4) = R_A(k);
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        TextAt(0, X_A(0) - 14, Y_A(0) + 10, "O");
        XI1 = 38;
        YI1 = 30;
        TextLine(3, XI1, YI1, "&ABCDで、等しい線分や角の組は?");
      },
      [&] {
        LINE(GX1, 0, GX2 + 100, 1500, 15, 2, 15, true);
        AINP = 5;
        KAKUDO = 0;
        while (AINP != 1) {
          placeVertices(5);
          CCC1 = 0;
          PolygonAt({1, 2, 3, 4}, 5, 0, "A", 0);
          Segment(1, 3, 0);
          Segment(2, 4, 0);
          TextAt(0, X_A(0) - 14, Y_A(0) + 14, "O");
          CCC1 = 3;
          PolygonAt({5, 6, 7, 8}, 5, 3, "A", 40);
          Segment(5, 7, 3);
          Segment(6, 8, 3);
          TextAt(3, X_A(0) - 14, Y_A(0) + 10, "O");
          TurnKey(5, GX1 - 50, 0, GX2 + 100, 1500);
          for (int k = 1; k <= 4; ++k) R_A(k + 4) = R_A(k) + KAKUDO;
        }
        // The erasing boxes took the right of the heading.
        TextLine(3, XI1, YI1, "&ABCDで、等しい線分や角の組は?");
      },
      [&] {
        NewLine(0, "① AB=DC,AD=BC");
        SideTicks(7);
      },
      [&] { SameLine(5, "対辺", 20); },
      [&] {
        NewLine(0, "② ∠ABC=∠CDA");
        NewLine(0, "　 ∠BAD=∠DCB");
        OppositeAngleArcs();
      },
      [&] { SameLine(5, "対角", 20); },
      [&] {
        NewLine(0, "③ OA=OC,OB=OD");
        HalfDiagonalTicks(7);
      },
      [&] { NewLine(5, "対角線の中点", 50, 63); },
      [&] {
        NewLine(0, "④ ∠AOB=∠COD");
        NewLine(0, "　 ∠AOD=∠COB");
        AngleAt(0, 4, 1, threeArcs);      // ∠AOD
        AngleAt(0, 2, 3, threeArcs);      // ∠COB
        AngleAt(0, 1, 2, EqualSector(30, 3, 3));  // ∠AOB
        AngleAt(0, 3, 4, EqualSector(30, 3, 3));  // ∠COD
      },
      [&] { SameLine(5, "対頂角", 20); },
      [&] {
        NewLine(0, "⑤ ∠ABO=∠CDO");
        NewLine(0, "　 ∠BAO=∠DCO");
        NewLine(0, "　 ∠ADO=∠CBO");
        NewLine(0, "　 ∠DAO=∠BCO");
        AngleAt(2, 0, 1, EqualSector(40, 0, 3));  // ∠ABO
        AngleAt(4, 0, 3, EqualSector(40, 0, 3));  // ∠CDO
        AngleAt(1, 2, 0, EqualSector(40, 5, 3));  // ∠BAO
        AngleAt(3, 4, 0, EqualSector(40, 5, 3));  // ∠DCO
        AngleAt(4, 1, 0, EqualSector(40, 7, 3));  // ∠ADO
        AngleAt(2, 3, 0, EqualSector(40, 7, 3));  // ∠CBO
        AngleAt(1, 0, 4, EqualSector(40, 9, 3));  // ∠DAO
        AngleAt(3, 0, 2, EqualSector(40, 9, 3));  // ∠BCO
      },
      [&] { SameLine(5, "錯角", 20); },
  });
}

// ---- screen 3: the definition and the three properties ----

void ParallelogramLessons::ParallelogramCh1S3Properties() {
  Steps({
      [&] {
        ParallelogramFigure(640);
        XI1 = 76;
        YI1 = 30;
        SETDRAWWIDTH(5);
        TextLine(5, 76, 30, "<平行四辺形の定義>");
        NewLine(3, "2組の対辺がそれぞれ平行な四角形");
        NewLine(0, "AB∥DC,AD∥BC");
        SideArrows();
      },
      [&] {
        NewLine(5, "<平行四辺形の性質>", 80);
        NewLine(3, "①", 50, -38);
        SameLine(0, "平行四辺形では、");
        NewLine(3, "2組の対辺はそれぞれ等しい。");
        SideTicks(5);
      },
      [&] {
        NewLine(3, "②", 50, -38);
        SameLine(0, "平行四辺形では、");
        NewLine(3, "2組の対角はそれぞれ等しい。");
        OppositeAngleArcs();
      },
      [&] {
        NewLine(3, "③", 50, -38);
        SameLine(0, "平行四辺形では、");
        NewLine(3, "対角線はそれぞれの中点で交わる。");
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        TextAt(0, X_A(0) - 14, Y_A(0) + 14, "O");
        HalfDiagonalTicks(5);
      },
      [&] { NewLine(5, "平行四辺形の定義を仮定として、性質を証明しよう。", 80); },
  });
}

// ---- screen 4: opposite sides are equal ----

void ParallelogramLessons::ParallelogramCh1S4OppositeSidesProof() {
  Steps({
      [&] {
        ParallelogramFigure(680);
        SideArrows();
        SideTicks(5);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        TextLine(3, 38, 30, "AB∥DC,AD∥BC ならば AB=DC,AD=BC である。");
        NewLine(3, "<証明>", 70);
      },
      [&] {
        SameLine(0, "対角線ACをひく。", 20);
        Segment(1, 3, 0);
      },
      [&] { NewLine(0, "△ABCと△CDAにおいて"); },
      [&] { Ticks(1, 3, 3, 3, 0, 20); },
      [&] {
        AngleAt(1, 2, 0, EqualSector(50, 3));  // ∠BAC
        AngleAt(3, 4, 0, EqualSector(50, 3));  // ∠DCA
      },
      [&] {
        AngleAt(3, 1, 2, EqualSector(60, 7));  // ∠BCA
        AngleAt(1, 3, 4, EqualSector(60, 7));  // ∠DAC
      },
      [&] {
        NewLine(0, "ACは共通だから、", 55);
        SameLine(0, "AC=");
        MarkedBox(1, "ア", 76, "…①");
        NewLine(0, "平行線の錯角は等しいから", 55);
        NewLine(0, "AB∥DCより", 55);
        SameLine(0, "∠BAC=", 20);
        MarkedBox(2, "イ", 152, "…②");
        NewLine(0, "AD∥BCより", 55);
        SameLine(0, "∠BCA=", 20);
        MarkedBox(3, "ウ", 152, "…③");
        CongruenceClose("△ABC≡△CDA", "AB=DC,AD=BC");
        NewLine(0, "したがって、平行四辺形では、");
        SameLine(3, "2組の対辺はそれぞれ等しい。");
      },
      [&] { Reveal(1, "CA", 76); },
      [&] { Reveal(2, "∠DCA", 152); },
      [&] { Reveal(3, "∠DAC", 152); },
      [&] { Reveal(4, "1組の辺とその両端の角", 380); },
      [&] { TextLine(7, 160, 620, "教科書P141 問2　をしなさい。"); },
  });
}

// ---- screen 5: question 2, opposite angles are equal ----

void ParallelogramLessons::ParallelogramCh1S5Question2Answer() {
  AngleStyle oneArc = Arcs(1, 60, 3);
  AngleStyle twoArcs = Arcs(2, 80, 5);
  oneArc.labelColour = twoArcs.labelColour = 3;
  Steps({
      [&] {
        ParallelogramFigure(680);
        SideArrows();
        Segment(1, 3, 0);
        XI1 = 38;
        YI1 = 30;
        TextLine(3, 38, 30, "<問2　解答>");
        NewLine(0, "前の証明から △ABC≡△CDA");
      },
      [&] {
        NewLine(0, "合同な図形では、対応する角は等しいので、");
        AngleAt(1, 2, 0, EqualSector(50, 3));  // ∠BAC
        AngleAt(3, 4, 0, EqualSector(50, 3));  // ∠DCA
        AngleAt(3, 1, 2, EqualSector(60, 7));  // ∠ACB
        AngleAt(1, 3, 4, EqualSector(60, 7));  // ∠CAD
        AngleAt(2, 3, 1, oneArc);         // ∠ABC
        AngleAt(4, 1, 3, oneArc);         // ∠CDA
      },
      [&] {
        NewLine(0, "∠ABC=", 55);
        MarkedBox(1, "ア", 152, "…①");
        NewLine(0, "∠BAC=∠DCA,∠ACB=∠CAD", 55);
        NewLine(0, "∠BAD=", 55);
        AnswerBox(2, "イ", 152);
        SameLine(0, "+", 4);
        AnswerBox(3, "ウ", 152);
        NewLine(0, "∠DCB=", 55);
        AnswerBox(4, "エ", 152);
        SameLine(0, "+", 4);
        AnswerBox(5, "オ", 152);
        NewLine(0, "だから　∠BAD=∠DCB", 55);
        SameLine(3, "…②", 4);
        NewLine(0, "①②から、平行四辺形では", 55);
        NewLine(3, "2組の対角はそれぞれ等しい。");
      },
      [&] {
        Reveal(1, "∠CDA", 152);
        AngleAt(1, 2, 4, twoArcs);  // ∠BAD
      },
      [&] { Reveal(2, "∠BAC", 152); },
      [&] { Reveal(3, "∠CAD", 152); },
      [&] { Reveal(4, "∠DCA", 152); },
      [&] {
        Reveal(5, "∠ACB", 152);
        AngleAt(3, 4, 2, twoArcs);  // ∠DCB
      },
  });
}

// ---- screen 6: the diagonals bisect each other ----

void ParallelogramLessons::ParallelogramCh1S6DiagonalsProof() {
  Steps({
      [&] {
        ParallelogramFigure(680);
        SideArrows();
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        TextAt(0, X_A(0) - 14, Y_A(0) + 14, "O");
        HalfDiagonalTicks(5);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        TextLine(3, 38, 30, "AB∥DC,AD∥BC ならば OA=OC,OB=OD ");
        NewLine(3, "<証明>");
      },
      [&] { SameLine(0, "△ABOと△CDOにおいて", 20); },
      [&] {
        Ticks(1, 2, 1, 3, 0, 25);
        AngleAt(1, 2, 0, EqualSector(50, 3));  // ∠BAO
        AngleAt(2, 0, 1, EqualSector(60, 7));  // ∠ABO
        NewLine(0, "平行四辺形の対辺はそれぞれ等しいから");
        NewLine(0, "AB=", 55);
        MarkedBox(1, "ア", 76, "…①");
        NewLine(0, "AB∥DCより、平行線の錯角は等しいから", 55);
        NewLine(0, "∠BAO=", 55);
        MarkedBox(2, "イ", 114, "…②");
        NewLine(0, "∠ABO=", 55);
        MarkedBox(3, "ウ", 114, "…③");
        CongruenceClose("△ABO≡△CDO", "OA=OC,OB=OD");
        NewLine(0, "したがって、平行四辺形では、");
        SameLine(3, "対角線はそれぞれの中点で交わる。");
      },
      [&] {
        Reveal(1, "CD", 76);
        Ticks(4, 3, 1, 3, 0, 25);
      },
      [&] {
        Reveal(2, "∠DCO", 114);
        AngleAt(3, 4, 0, EqualSector(50, 3));  // ∠DCO
      },
      [&] {
        Reveal(3, "∠CDO", 114);
        AngleAt(4, 0, 3, EqualSector(60, 7));  // ∠CDO
      },
      [&] { Reveal(4, "1組の辺とその両端の角", 380); },
  });
}
