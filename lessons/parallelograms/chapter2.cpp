// Chapter 2: proofs that use the properties of a parallelogram.
#include "lessons/parallelograms/lessons.h"

// ---- screen 1: the example, a line through O gives OE = OF ----

void ParallelogramLessons::ParallelogramCh2S1Example() {
  // The claim OE = OF, drawn again over the filled triangles.
  const auto claimTicks = [&] {
    Ticks(5, 0, 1, 5, -20, 20);
    Ticks(0, 6, 1, 5, 0, 20);
  };
  Steps({
      [&] {
        ScreenClear();
        Frame(720, 100, 9, 6, 60);
        StandardParallelogram();
        Points({{5, 4, 5}, {6, 5, 1}});
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        SideArrows(true);
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        TextAt(0, X_A(0) - 22, Y_A(0) + 14, "O");
        Segment(5, 6, 0);
        Label(0, 5, -14, -50, "E");
        Label(0, 6, -14, 4, "F");
        claimTicks();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        TextLine(3, 38, 30, "AB∥DC,AD∥BC ならば OE=OF ");
        NewLine(3, "<証明>", 70);
      },
      [&] {
        SameLine(0, "△AOEと△COFにおいて", 20);
        FilledPolygon({1, 0, 5});
        FilledPolygon({3, 0, 6});
        claimTicks();
      },
      [&] { Ticks(1, 0, 1, 3, 0, 25); },
      [&] { Ticks(0, 3, 1, 3, 0, 25); },
      [&] { AngleAt(1, 0, 5, EqualSector(50, 3)); },  // ∠EAO
      [&] { AngleAt(3, 0, 6, EqualSector(50, 3)); },  // ∠FCO
      [&] { AngleAt(0, 5, 1, EqualSector(60, 7)); },  // ∠AOE
      [&] { AngleAt(0, 6, 3, EqualSector(60, 7)); },  // ∠COF
      [&] {
        NewLine(0, "平行四辺形の対角線はそれぞれの");
        NewLine(0, "中点で交わるから OA=", 55);
        MarkedBox(1, "ア", 76, "…①");
        NewLine(0, "AD∥BCより、平行線の錯角は等しいから", 55);
        NewLine(0, "∠EAO=", 55);
        MarkedBox(2, "イ", 114, "…②");
        NewLine(0, "対頂角は等しいから、∠AOE=", 55);
        MarkedBox(3, "ウ", 114, "…③");
        CongruenceClose("△AOE≡△COF", "OE=OF");
      },
      [&] { Reveal(1, "OC", 76); },
      [&] { Reveal(2, "∠FCO", 114); },
      [&] { Reveal(3, "∠COF", 114); },
      [&] { Reveal(4, "1組の辺とその両端の角", 380); },
      [&] { TextLine(7, 160, 600, "教科書P142 問4　をしなさい。"); },
  });
}

// ---- screen 2: question 4, AE = CF for BE = DF on the diagonal ----

void ParallelogramLessons::ParallelogramCh2S2Question4Answer() {
  // The given BE = DF, and the claim AE = CF.
  const auto givenTicks = [&] {
    Ticks(2, 5, 1, 3, 0, 20);
    Ticks(6, 4, 1, 3, 0, 20);
  };
  const auto claimTicks = [&] {
    Ticks(1, 5, 1, 5, 0, 20);
    Ticks(6, 3, 1, 5, 0, 20);
  };
  Steps({
      [&] {
        ScreenClear();
        Frame(680, 100, 9, 6, 60);
        StandardParallelogram(false);
        Points({{5, 4, 1}, {6, 5, 5}});
        IntersectionInto(5, 2, 4, 5, 1);  // E on BD, on the line from A
        IntersectionInto(6, 2, 4, 6, 3);  // F on BD, on the line from C
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        TextLine(3, 38, 30, "問4 AB∥DC,AD∥BC,BE=DF ならば AE=CF ");
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        SideArrows(true);
      },
      [&] {
        Segment(2, 4, 0);
        Segment(1, 5, 0);
        Label(0, 5, -14, 4, "E");
        Segment(3, 6, 0);
        Label(0, 6, -14, -50, "F");
        givenTicks();
      },
      [&] { claimTicks(); },
      [&] { NewLine(3, "<証明>", 70); },
      [&] {
        SameLine(0, "△ABEと△CDFにおいて", 20);
        FilledPolygon({1, 2, 5});
        FilledPolygon({3, 4, 6});
        Parallel(1, 2, 2, 3, 1, 2, 20);
        Parallel(4, 3, 2, 3, 1, 2, 20);
        givenTicks();
        claimTicks();
      },
      [&] { Ticks(1, 2, 2, 3, 0, 25); },
      [&] { Ticks(4, 3, 2, 3, 0, 25); },
      [&] { AngleAt(2, 5, 1, EqualSector(50, 3)); },  // ∠ABE
      [&] { AngleAt(4, 6, 3, EqualSector(50, 3)); },  // ∠CDF
      [&] {
        NewLine(0, "平行四辺形の対辺はそれぞれ等しいから");
        NewLine(0, "AB=", 55);
        MarkedBox(1, "ア", 76, "…①");
        NewLine(0, "AB∥DCより、平行線の錯角は等しいから", 55);
        NewLine(0, "∠ABE=", 55);
        MarkedBox(2, "イ", 114, "…②");
        NewLine(0, "仮定より、BE=", 55);
        MarkedBox(3, "ウ", 76, "…③");
        CongruenceClose("△ABE≡△CDF", "AE=CF");
      },
      [&] { Reveal(1, "CD", 76); },
      [&] { Reveal(2, "∠CDF", 114); },
      [&] { Reveal(3, "DF", 76); },
      [&] { Reveal(4, "2組の辺とその間の角", 380); },
  });
}
