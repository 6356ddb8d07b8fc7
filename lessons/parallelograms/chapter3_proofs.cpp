// Chapter 3, screens 2, 3, 4 and 6: the proofs of the conditions for a
// parallelogram (two pairs of equal opposite sides, two pairs of equal
// opposite angles, diagonals that bisect each other, one pair of sides
// parallel and equal). The figure is parallelogram ABCD in slots 1 to 4,
// O in slot 0.
#include "lessons/parallelograms/lessons.h"

// ---- lines that several proofs share ----

void ParallelogramLessons::PlanLine(const std::string& claim, const std::string& tail) {
  NewLine(3, claim, 50, 36);
  SameLine(0, tail, 20);
}

void ParallelogramLessons::DiagonalBDProofHeading() {
  TextLine(3, XI1, 100, "<証明>");
  SameLine(0, "対角線BDをひく。", 20);
  NewLine(0, "△ABDと△CDBにおいて");
}

void ParallelogramLessons::DiagonalBDCommon() {
  NewLine(0, "BDは共通だから、", 55);
  SameLine(0, "BD=");
  MarkedBox(1, "ア", 76, "…①");
  NewLine(0, "仮定より", 55);
}

void ParallelogramLessons::CongruentAngles(float width, const std::string& congruence) {
  NewLine(0, "①②③から、", 55);
  AnswerBox(4, "エ", width);
  NewLine(0, "がそれぞれ等しいので、", 55);
  SameLine(0, congruence, 30);
  NewLine(0, "合同な図形では、対応する角は等しいので、");
}

// ---- screen 2: two pairs of equal opposite sides ----

void ParallelogramLessons::ParallelogramCh3S2OppositeSidesProof() {
  Steps({
      [&] {
        ParallelogramFigure(720);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "Q AB=DC,AD=BC ならば  AB∥DC,AD∥BC", 0);
      },
      [&] { SideTicks(3); },
      [&] { OppositeSideArrows(5, 20); },
      [&] {
        NewLine(7, "① AB∥DC を示すには、", 70);
        V_A(1) = Y;
      },
      [&] {
        NewLine(3, "同位角か錯角が等しい", 50, 36);
        NewLine(0, "ことを示せばよいから、", 50, 36);
      },
      [&] { Segment(2, 4, 0); },
      [&] {
        AngleAt(2, 4, 1, ParallelogramAngle(0, 60, 3));
        AngleAt(4, 2, 3, ParallelogramAngle(0, 60, 3));
      },
      [&] { PlanLine("∠ABD=∠CDB", "をいえばよい。"); },
      [&] { NewLine(7, "② AD∥BC を示すには、", 70); },
      [&] {
        AngleAt(4, 1, 2, ParallelogramAngle(0, 70, 7));
        AngleAt(2, 3, 4, ParallelogramAngle(0, 70, 7));
      },
      [&] { PlanLine("∠ADB=∠CBD", "をいえばよい。"); },
      [&] { NewLine(7, "①②をいうためには、", 70); },
      [&] { PlanLine("△ABD≡△CDB", "を示せばよい。"); },
      [&] { Ticks(2, 4, 3, 3, 0, 18); },
      [&] {
        EraseBox(0, V_A(1), GX1, 1800);  // the plan goes, the claim and figure stay
        DiagonalBDProofHeading();
      },
      [&] {
        DiagonalBDCommon();
        SameLine(0, "AB=", 20);
        MarkedBox(2, "イ", 76, "…②");
        SameLine(0, "AD=", 20);
        MarkedBox(3, "ウ", 76, "…③");
        CongruentAngles(190, "△ABD≡△CDB");
        NewLine(0, "∠ABD=", 55);
        MarkedBox(5, "オ", 152, "…④");
        SameLine(0, "∠ADB=", 20);
        MarkedBox(6, "カ", 152, "…⑤");
        NewLine(0, "④⑤より、錯角が等しいので");
        SameLine(3, "AB∥DC,AD∥BC", 20);
      },
      [&] { Reveal(1, "DB", 76); },
      [&] { Reveal(2, "CD", 76); },
      [&] { Reveal(3, "CB", 76); },
      [&] { Reveal(4, "3組の辺", 190); },
      [&] { Reveal(5, "∠CDB", 152); },
      [&] { Reveal(6, "∠CBD", 152); },
      [&] { NewLine(5, "2組の対辺がそれぞれ等しい四角形は、平行四辺形である。"); },
  });
}

// ---- screen 3: two pairs of equal opposite angles ----
//
// E (slot 5) lies on BA produced, half of BA beyond A.

void ParallelogramLessons::ParallelogramCh3S3OppositeAnglesProof() {
  Steps({
      [&] {
        ScreenClear();
        Frame(720, 50, 9, 8, 60);
        StandardParallelogram();
        Points({{5, 2.5f, 7}});
        PolygonAt({1, 2, 3, 4}, 5, 0, "");
        Label(0, 1, -35, -22, "A");
        Label(0, 2, -14, 8, "B");
        Label(0, 3, -14, 8, "C");
        Label(0, 4, -30, -50, "D");
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "∠A=∠C,∠B=∠D ならば AB∥DC,AD∥BC", 0);
      },
      [&] {
        AngleAt(1, 2, 4, ParallelogramAngle(0, 60, 7));
        AngleAt(3, 4, 2, ParallelogramAngle(0, 60, 7));
        AngleAt(2, 3, 1, ParallelogramAngle(0, 60, 3));
        AngleAt(4, 1, 3, ParallelogramAngle(0, 60, 3));
      },
      [&] { OppositeSideArrows(5, 20); },
      [&] {
        NewLine(7, "① AD∥BC を示すには、", 70);
        V_A(1) = Y;
      },
      [&] {
        NewLine(3, "同位角か錯角が等しい", 50, 36);
        NewLine(0, "ことを示せばよいから、", 50, 36);
      },
      [&] {
        Segment(1, 5, 0);
        Label(0, 5, -35, -22, "E");
      },
      [&] { AngleAt(1, 4, 5, ParallelogramAngle(1, 70, 3)); },
      [&] { PlanLine("∠DAE=∠B", "をいえばよい。"); },
      [&] { NewLine(7, "② そのためには、", 70); },
      [&] { PlanLine("∠DAB+∠DAE=180%", "だから"); },
      [&] { PlanLine("∠DAB+∠B=180%", "を示せばよい。"); },
      [&] { NewLine(7, "③ また、", 70); },
      [&] { PlanLine("∠DAE=∠D", "だから"); },
      [&] { NewLine(7, "  AB∥DC "); },
      [&] {
        EraseBox(0, V_A(1), GX1, 1800);
        TextLine(3, XI1, 80, "<証明>");
        SameLine(0, "頂点Aの外角∠DAEをつくると", 20);
      },
      [&] {
        NewLine(0, "∠DAE+", 55);
        AnswerBox(1, "ア", 152);
        SameLine(0, "=180%", 4);
        SameLine(3, "…①", 4);
        NewLine(0, "四角形の内角の和は360%だから", 55);
        NewLine(0, "∠DAB+∠B+∠C+∠D=360%", 55);
        NewLine(0, "仮定より ∠DAB=∠C,∠B=∠D", 55);
        SameLine(3, "…②", 4);
        NewLine(0, "したがって、∠DAB+∠B=", 55);
        MarkedBox(2, "イ", 152, "…③");
        NewLine(0, "①③から、", 55);
        SameLine(0, "∠DAE=", 20);
        MarkedBox(3, "ウ", 76, "…④");
        MarginAnswerBox(4, "エ", 114, 55);
        SameLine(0, "が等しいので、AD∥BC", 20);
        NewLine(0, "②④より、", 55);
        AnswerBox(5, "オ", 152);
        SameLine(0, "=∠D", 4);
        MarginAnswerBox(6, "カ", 114, 55);
        SameLine(0, "が等しいので、AB∥DC", 20);
      },
      [&] { Reveal(1, "∠DAB", 152); },
      [&] { Reveal(2, "180%", 152); },
      [&] { Reveal(3, "∠B", 76); },
      [&] {
        Reveal(4, "同位角", 114);
        AngleAt(1, 4, 5, ParallelogramAngle(0, 60, 3));
      },
      [&] { Reveal(5, "∠DAE", 152); },
      [&] { Reveal(6, "錯角", 114); },
      [&] {
        // The theorem stands beside the proof's last line, its first line
        // 50 pixels higher.
        const float x = XI2 + 20;
        TextAt(5, x, YI1 - 50, "2組の対角がそれぞれ等しい四角形は、");
        YI1 = Y;
        TextLine(5, x, YI1 + 50, "平行四辺形である。");
      },
      [&] { TextLine(7, 160, 620, "教科書P145 問1　をしなさい。"); },
  });
}

// ---- screen 4: diagonals that bisect each other ----

void ParallelogramLessons::ParallelogramCh3S4DiagonalsProof() {
  Steps({
      [&] {
        ScreenClear();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "問1 OA=OC,OB=OD ならば AB∥DC,AD∥BC", 0);
        ParallelogramFigureAt(720, 100);
        Segment(1, 3, 0);
        Segment(2, 4, 0);
        Label(0, 0, -14, 14, "O");
        Ticks(0, 1, 1, 3, -30, 18);
        Ticks(0, 3, 1, 3, -30, 18);
        Ticks(0, 2, 2, 3, -35, 18);
        Ticks(0, 4, 2, 3, -35, 18);
      },
      [&] { OppositeSideArrows(5, 20); },
      [&] {
        AngleAt(1, 2, 0, ParallelogramAngle(0, 50, 3));
        AngleAt(3, 4, 0, ParallelogramAngle(1, 50, 3));
      },
      [&] { TextLine(3, XI1, 100, "<証明>"); },
      [&] { SameLine(0, "△OABと△OCDにおいて", 20); },
      [&] {
        AngleAt(0, 1, 2, ParallelogramAngle(2, 50, 3));
        NewLine(0, "仮定より、OA=", 55);
        MarkedBox(1, "ア", 76, "…①");
        SameLine(0, "OB=", 20);
        MarkedBox(2, "イ", 76, "…②");
        NewLine(0, "対頂角は等しいので、∠AOB=", 55);
        MarkedBox(3, "ウ", 152, "…③");
        CongruentAngles(380, "△OAB≡△OCD");
        NewLine(0, "∠OAB=", 55);
        AnswerBox(5, "オ", 152);
        MarginAnswerBox(6, "カ", 114, 55);
        SameLine(0, "が等しいので、AB∥DC", 20);
        NewLine(0, "同様にして、AD∥BC");
        NewLine(5, "対角線がそれぞれの中点で交わる四角形は、平行四辺形である。");
      },
      [&] { Reveal(1, "OC", 76); },
      [&] { Reveal(2, "OD", 76); },
      [&] {
        Reveal(3, "∠COD", 152);
        AngleAt(0, 3, 4, ParallelogramAngle(2, 50, 3));
      },
      [&] { Reveal(4, "2組の辺とその間の角", 380); },
      [&] {
        Reveal(5, "∠OCD", 152);
        AngleAt(3, 4, 0, ParallelogramAngle(0, 50, 3));
      },
      [&] { Reveal(6, "錯角", 114); },
      [&] {
        AngleAt(2, 3, 0, ParallelogramAngle(0, 50, 5));
        AngleAt(4, 1, 0, ParallelogramAngle(0, 50, 5));
      },
  });
}

// ---- screen 6: one pair of sides parallel and equal ----

void ParallelogramLessons::ParallelogramCh3S6ParallelEqualSidesProof() {
  Steps({
      [&] {
        ParallelogramFigure(720);
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, " AD=BC,AD∥BC ならば  AB∥DC", 0);
      },
      [&] {
        Ticks(1, 4, 1, 3, 0, 18);
        Ticks(2, 3, 1, 3, 0, 18);
        Parallel(1, 4, 1, 3, 1, 2, 25);
        Parallel(2, 3, 1, 3, 1, 2, 25);
      },
      [&] {
        Parallel(1, 2, 2, 5, 1, 2, 20);
        Parallel(4, 3, 2, 5, 1, 2, 20);
      },
      [&] { Segment(2, 4, 0); },
      [&] {
        AngleAt(2, 4, 1, ParallelogramAngle(0, 70, 5));
        AngleAt(4, 2, 3, ParallelogramAngle(1, 70, 5));
      },
      [&] {
        DiagonalBDProofHeading();
      },
      [&] {
        AngleAt(4, 1, 2, ParallelogramAngle(0, 70, 3));
        DiagonalBDCommon();
        SameLine(0, "AD=", 20);
        MarkedBox(2, "イ", 76, "…②");
        NewLine(0, "平行線の錯角は等しいから", 55);
        NewLine(0, "AD∥BCより、∠ADB=", 55);
        MarkedBox(3, "ウ", 152, "…③");
        CongruentAngles(380, "△ABD≡△CDB");
        NewLine(0, "∠ABD=", 55);
        AnswerBox(5, "オ", 152);
        SameLine(0, "錯角が等しいので", 20);
        SameLine(3, "AB∥DC", 20);
      },
      [&] {
        Reveal(1, "DB", 76);
        Ticks(2, 4, 2, 3, 0, 18);
      },
      [&] { Reveal(2, "BC", 76); },
      [&] {
        Reveal(3, "∠CBD", 152);
        AngleAt(2, 3, 4, ParallelogramAngle(0, 70, 3));
      },
      [&] { Reveal(4, "2組の辺とその間の角", 380); },
      [&] {
        Reveal(5, "∠CDB", 152);
        AngleAt(4, 2, 3, ParallelogramAngle(0, 70, 5));
      },
  });
}
