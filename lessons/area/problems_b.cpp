// Chapter 4: the chapter problems B of page 157, one screen a problem.
#include <cmath>

#include "lessons/area/lessons.h"

namespace {
const char* const kPageB = "P157 章の問題B";

// An angle arc of the chain of problem 1: one arc, arc and label in colour 7.
AngleStyle chainArc(float radius, const char* label, float dx = 0, float dy = 0) {
  return AngleStyle{.count = 1,
                    .radius = radius,
                    .border = 0,
                    .fill = 7,
                    .labelColour = 7,
                    .label = label,
                    .iti = 1,
                    .dx = dx,
                    .dy = dy};
}
}  // namespace

void AreaLessons::AreaCh4Menu() {
  ChapterMenu("P152 章の問題B ①～④解答　　⑤終了",
              {[this] { AreaCh4S1Problem1(); }, [this] { AreaCh4S2Problem2(); },
               [this] { AreaCh4S3Problem3(); }, [this] { AreaCh4S4Problem4(); }});
}

// ---- problem 1: the exterior angle x = 4a ----

// ABC with D on BA and E on BC, DB = DE = EA = AC, the angle a at B and the
// exterior angle x at A; everything is computed from B, the angle B1 and
// the lengths R1 (the ray BDA) and R2 (each equal segment).
void AreaLessons::AreaCh4S1Figure() {
  Frame(480, 150, 9, 5, 70);
  Points({{2, 1, 1}});
  B1 = 24;
  R1 = 9;
  R2 = 3;
  TurnedPoint(7, 2, B1 * PI / 180, R1 * SIZE);
  TurnedPoint(4, 2, B1 * PI / 180, R2 * SIZE);
  X_A(5) = 2 * X_A(4) - X_A(2);
  Y_A(5) = Y_A(2);
  FootInto(6, 2, 4, 5);
  X_A(1) = 2 * X_A(6) - X_A(4);
  Y_A(1) = 2 * Y_A(6) - Y_A(4);
  X_A(3) = 2 * X_A(1) - X_A(5);
  Y_A(3) = Y_A(2);
  Segment(2, 7, 0);
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  Segment(4, 5, 0);
  Segment(5, 1, 0);
  Label(0, 4, -14, -50, "D");
  Label(0, 5, -14, 10, "E");
  AngleAt(
      1, 3, 7,
      AngleStyle{.count = 1, .radius = 40, .border = 0, .fill = 5, .labelColour = 5, .label = "x"});
  AngleAt(
      2, 3, 1,
      AngleStyle{.count = 1, .radius = 70, .border = 0, .fill = 7, .labelColour = 7, .label = "a"});
  Ticks(2, 4, 2, 3, 0, 20);
  Ticks(5, 4, 2, 3, 0, 20);
  Ticks(5, 1, 2, 3, 0, 20);
  Ticks(1, 3, 2, 3, 0, 20);
  WaitAnyKey();
}

void AreaLessons::AreaCh4S1Problem1() {
  ProblemPage();
  XI0 = 40;
  ProblemHeading(XI0, kPageB, "1", 20);
  AreaCh4S1Figure();
  Steps({
      [&] { TextLine(0, XI0, YI1 + 60, "DB=DE だから ∠DEB="); },
      [&] { AngleAt(5, 4, 2, chainArc(70, "a")); },
      [&] { SameLine(3, "a"); },
      [&] {
        TextLine(0, XI0, YI1 + 50, "∠ADEは△DBE の外角だから");
        TextLine(0, XI0, YI1 + 50, "∠ADE=");
      },
      [&] { AngleAt(4, 5, 1, chainArc(50, "2a")); },
      [&] { SameLine(3, "2a"); },
      [&] { TextLine(0, XI0, YI1 + 60, "ED=EA だから ∠EAD="); },
      [&] { AngleAt(1, 2, 5, chainArc(50, "2a")); },
      [&] { SameLine(3, "2a"); },
      [&] {
        TextLine(0, XI0, YI1 + 50, "∠AECは△EAB の外角だから");
        TextLine(0, XI0, YI1 + 50, "∠AEC=");
      },
      [&] { AngleAt(5, 3, 1, chainArc(40, "3a", 0, -25)); },
      [&] { SameLine(3, "3a"); },
      [&] {
        TextLine(0, XI0, YI1 + 60, "AE=AC だから");
        TextLine(0, XI0, YI1 + 50, "∠ACE=");
      },
      [&] { AngleAt(3, 1, 2, chainArc(40, "3a", -10, 25)); },
      [&] { SameLine(3, "3a"); },
      [&] {
        TextLine(0, XI0, YI1 + 50, "∠xは△ABC の外角だから");
        TextLine(5, XI0, YI1 + 50, "∠x=");
      },
      [&] { SameLine(5, "4a"); },
  });
}

// ---- problem 2: BD + CE = DE ----

// The right isosceles triangle ABC (right angle at A) on the base 6, the
// line l through A, and the feet D and E of the perpendiculars from B and C.
void AreaLessons::AreaCh4S2Figure() {
  Frame(640, 0, 8, 6, 70);
  const float base = 6, bx = 1, by = 1;
  Points({{1, bx + base / 2, by + base / 2},
          {2, bx, by},
          {3, bx + base, by},
          {6, 0, by + base / 2 - 1}});
  FootInto(4, 6, 1, 2);
  FootInto(5, 6, 1, 3);
  ZX0 = X_A(6);
  ZY0 = Y_A(6);
  ZX1 = X_A(1);
  ZY1 = Y_A(1);
  RayDirection();
  TurnedPoint(7, 5, HHP, 1.5f * SIZE);
  CCC1 = 7;
  TrianglePolygon(1, 2, 3, 7);
  Segment(6, 7, 0);
  Segment(2, 4, 0);
  Segment(3, 5, 0);
  Label(7, 4, -14, -50, "D");
  Label(7, 5, -14, -50, "E");
  Label(0, 7, -30, -50, "l");
  Ticks(1, 2, 1, 3, 0, 16, 12);
  Ticks(1, 3, 1, 3, 0, 16, 12);
  RightAngleAt(1, 2, 3, 25, 3);
  RightAngleAt(4, 1, 2, 25, 3);
  RightAngleAt(5, 1, 3, 25, 3);
}

void AreaLessons::AreaCh4S2Problem2() {
  Steps({
      [&] {
        ProblemPage();
        XI0 = 40;
        XI1 = XI0;
        ProblemHeading(XI0, kPageB, "2", 20);
        AreaCh4S2Figure();
        SETDRAWWIDTH(5);
      },
      [&] { SameLine(3, "△DBAと△EACにおいて、", 30); },
      [&] {
        AngleAt(
            1, 4, 2,
            AngleStyle{
                .count = 0, .radius = 80, .border = 0, .fill = 3, .labelColour = 3, .label = ""});
        AngleAt(
            3, 5, 1,
            AngleStyle{
                .count = 0, .radius = 80, .border = 0, .fill = 7, .labelColour = 3, .label = ""});
      },
      [&] {
        AngleAt(
            1, 3, 5,
            AngleStyle{
                .count = 1, .radius = 60, .border = 0, .fill = 5, .labelColour = 5, .label = "a"});
      },
      [&] {
        NewLine(0, "仮定から ", 55);
        SameLine(0, "∠ADB=∠CEA=");
        AnswerBox(1, "ア", 90, {}, 0);
        SameLine(3, "…①", 4);
        NewLine(0, "△ABCは直角二等辺三角形だから、", 55);
        NewLine(0, "AB=", 55);
        AnswerBox(2, "イ", 60, {}, 0);
        SameLine(3, "…②", 4);
        NewLine(0, "△EACで、内角の和は180%だから", 55);
        NewLine(0, "∠ECA=90%-", 55);
        AnswerBox(3, "ウ", 150, {}, 0);
        SameLine(3, "…③", 4);
        NewLine(0, "∠DAE=180%,∠BAC=90% だから ", 75);
        SameLine(0, "∠DAB=90%-");
        AnswerBox(4, "エ", 150, {}, 0);
        SameLine(3, "…④", 4);
        NewLine(0, "③④より、∠DAB=", 55);
        AnswerBox(5, "オ", 150);
        SameLine(3, "…⑤", 4);
        SameLine(0, "①②⑤より、", 100);
        MarginAnswerBox(6, "カ", 760, 55);
        SameLine(0, "ので、", 4);
        SameLine(3, "△DBA≡△EAC", 20);
        NewLine(0, "合同な図形の対応する辺は等しいから、BD=", 55);
        AnswerBox(7, "キ", 60, {}, 4);
        SameLine(0, ",AD=", 10);
        AnswerBox(8, "ク", 60, {}, 4);
        NewLine(3, "よって、BD+CE=", 55);
        AnswerBox(9, "ケ", 180, {}, 4);
        SameLine(3, "=DE", 10);
      },
      [&] { Reveal(1, "90%", 90); },
      [&] { Reveal(2, "CA", 60); },
      [&] { Reveal(3, "∠CAE", 150); },
      [&] { Reveal(4, "∠CAE", 150); },
      [&] { Reveal(5, "∠ECA", 150); },
      [&] { Reveal(6, "直角三角形で、斜辺と1つの鋭角それぞれ等しい", 760); },
      [&] { Reveal(7, "AE", 60); },
      [&] { Reveal(8, "CE", 60); },
      [&] { Reveal(9, "AE+AD", 180); },
  });
}

// ---- problem 3: EC + CD = AD ----

// Parallelogram ABCD with E on BC, BE = BA, and AE bisecting the angle A.
void AreaLessons::AreaCh4S3Figure() {
  Frame(760, 50, 10, 6, 50);
  Points({{1, 3, 5}, {2, 1, 1}, {3, 7, 1}, {4, 9, 5}, {5, 1 + std::sqrt(20.0f), 1}});
  SETDRAWWIDTH(5);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  ParallelogramArrows(1, 1, 5, 4);
  Label(0, 5, -14, 10, "E");
  Segment(1, 5, 0);
  AngleDot(1, 2, 5, 30, 8, 3);
  AngleDot(1, 5, 4, 30, 8, 3);
}

void AreaLessons::AreaCh4S3Problem3() {
  Steps({
      [&] {
        ProblemPage();
        XI0 = 40;
        XI1 = XI0;
        ProblemHeading(XI0, kPageB, "3", 20);
        AreaCh4S3Figure();
        NewLine(0, "仮定から　∠BAE=", 55);
        AnswerBox(1, "ア", 152);
        SameLine(3, "…①", 4);
        NewLine(0, "AD∥BCで、平行線の錯角は等しいから");
        NewLine(0, "∠DAE=", 55);
        AnswerBox(2, "イ", 152);
        SameLine(3, "…②", 4);
        NewLine(0, "①②から、∠BAE=", 55);
        AnswerBox(3, "ウ", 152);
        NewLine(0, "2つの角が等しいから、△BAEは", 55);
        NewLine(0, "二等辺三角形である。したがって、AB=", 55);
        AnswerBox(4, "エ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "平行四辺形の対辺はそれぞれ等しいから、AB=DC", 55);
        SameLine(3, "…④", 4);
        SameLine(0, "AD=BC", 20);
        SameLine(3, "…⑤", 4);
        NewLine(0, "③④から、BE=", 55);
        AnswerBox(5, "オ", 76);
        NewLine(0, "したがって、EC+CD=EC+");
        AnswerBox(6, "カ", 76);
        SameLine(0, "=BC", 10);
        SameLine(3, "…⑥", 4);
        NewLine(0, "⑤⑥から、EC+CD=AD");
      },
      [&] { Reveal(1, "∠DAE", 152); },
      [&] {
        Reveal(2, "∠BEA", 152);
        AngleDot(5, 1, 2, 30, 8, 3);
      },
      [&] { Reveal(3, "∠BEA", 152); },
      [&] {
        Reveal(4, "BE", 76);
        Ticks(1, 2, 1, 3, 0, 16, 12);
        Ticks(2, 5, 1, 3, 0, 16, 12);
      },
      [&] {
        Reveal(5, "DC", 76);
        Ticks(4, 3, 1, 3, 0, 16, 12);
      },
      [&] {
        Reveal(6, "BE", 76);
        ArcOver(1, 4, 20, -1, 5, 5, "");
        ArcOver(5, 3, 20, 1, 10, 5, "");
        ArcOver(3, 4, 20, 1, 5, 5, "");
      },
  });
}

// ---- problem 4: the segment joining the midpoints of two sides ----

// ABC with D, E the midpoints of AB, AC, then a key, then DE produced to F
// with EF = DE and the sides of ADCF and DBCF.
void AreaLessons::AreaCh4S4Figure() {
  Frame(720, 60, 8, 6, 70);
  Points({{1, 3, 6}, {2, 1, 1}, {3, 6, 1}, {4, 2, 3.5}, {5, 4.5, 3.5}, {6, 7, 3.5}});
  CCC1 = 0;
  TrianglePolygon(1, 2, 3, 7);
  Segment(4, 5, 0);
  SETDRAWWIDTH(5);
  Label(0, 4, -40, -22, "D");
  Label(0, 5, 10, -50, "E");
  Ticks(1, 4, 1, 3, -10, 16, 12);
  Ticks(4, 2, 1, 3, -10, 16, 12);
  Ticks(1, 5, 2, 3, -20, 16, 12);
  Ticks(5, 3, 2, 3, -20, 16, 12);
  WaitAnyKey();
  Segment(5, 6, 0);
  Label(0, 6, 10, -22, "F");
  Segment(1, 6, 0);
  Segment(4, 3, 0);
  Segment(6, 3, 0);
  Ticks(4, 5, 3, 3, -20, 16, 12);
  Ticks(5, 6, 3, 3, -20, 16, 12);
}

void AreaLessons::AreaCh4S4Problem4() {
  ProblemPage();
  XI0 = 40;
  XI1 = XI0;
  ProblemHeading(XI0, kPageB, "4", 20);
  AreaCh4S4Figure();
  Steps({
      [&] {
        NewLine(0, "仮定から　AE=EC,EF=DE だから", 55);
        MarginAnswerBox(1, "ア", 570, 55);
        SameLine(0, "ので、", 4);
        NewLine(0, "四角形ADCFは平行四辺形である。");
        NewLine(0, "よって、DB∥", 55);
        AnswerBox(2, "イ", 76);
        SameLine(3, "…①", 4);
        NewLine(0, "平行四辺形の対辺はそれぞれ等しいから", 55);
        NewLine(0, "AD=", 55);
        AnswerBox(3, "ウ", 76);
        SameLine(3, "…②", 4);
        SameLine(0, "仮定から、AD=", 30);
        AnswerBox(4, "エ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "②③から、DB=", 55);
        AnswerBox(5, "オ", 76);
        SameLine(3, "…④", 4);
        NewLine(0, "①④から、", 55);
        AnswerBox(6, "カ", 646);
        SameLine(0, "ので、", 10);
        NewLine(0, "四角形DBCFは平行四辺形である。したがって、DF∥BC,DF=BC", 55);
        NewLine(0, "EはDFの中点だから、DE∥BC,DE=ﾀ1/2ﾀBC", 60);
      },
      [&] {
        Reveal(1, "対角線がそれぞれの中点で交わる", 570);
        Parallel(1, 6, 2, 3, 1, 2, 20);
        Parallel(4, 3, 2, 3, 1, 2, 20);
        Parallel(1, 4, 1, 3, 2, 1, 20);
        Parallel(6, 3, 1, 3, 5, 4, 20);
      },
      [&] {
        Reveal(2, "FC", 76);
        Parallel(4, 2, 1, 3, 2, 1, 20);
      },
      [&] {
        Reveal(3, "FC", 76);
        Ticks(6, 3, 1, 3, -10, 16, 12);
      },
      [&] { Reveal(4, "DB", 76); },
      [&] { Reveal(5, "FC", 76); },
      [&] {
        Reveal(6, "１組の対辺が平行でその長さが等しい", 646);
        Parallel(4, 5, 1, 5, 2, 1, 20);
        Parallel(2, 3, 1, 5, 1, 2, 20);
        ArcOver(4, 6, 20, -1, 5, 5, "");
        ArcOver(2, 3, 20, 1, 5, 5, "");
      },
  });
}
