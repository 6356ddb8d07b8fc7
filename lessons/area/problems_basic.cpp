// Chapter 2: the basic problems of page 155, one screen a problem.
#include "lessons/area/lessons.h"

namespace {
const char* const kBasicPage = "P155 基本の問題";
}  // namespace

void AreaLessons::ProblemPage() {
  ScreenClear(1760);
  YI1 = 30;
  SETDRAWWIDTH(5);
}

void AreaLessons::ProblemTitle(float x, const std::string& page) {
  TextBoxAt(x, YI1, 396, 44, page, 0, 3, 13);
}

void AreaLessons::ProblemHeading(float x, const std::string& page, const std::string& number,
                                 float gap) {
  ProblemTitle(x, page);
  NumberBadge(XI2 + gap, YI1, number);
}

void AreaLessons::ParallelogramArrows(float adA, float adB, float bcA, float bcB) {
  Parallel(1, 2, 2, 3, 1, 2, 20);
  Parallel(4, 3, 2, 3, 1, 2, 20);
  Parallel(1, 4, 1, 3, adA, adB, 20);
  Parallel(2, 3, 1, 3, bcA, bcB, 20);
}

void AreaLessons::AreaCh2Menu() {
  ChapterMenu("P155 基本の問題 ①1　②2　③３　④４　⑤終了",
              {[this] { AreaCh2S1Problem1(); }, [this] { AreaCh2S2Problem2(); },
               [this] { AreaCh2S3Problem3(); }, [this] { AreaCh2S4Problem4(); }});
}

// ---- problem 1: parallelogram ABCD, BM through the midpoint M of DC ----

// ABCD with AB 3cm and AD 4cm on dotted arcs, M the midpoint of DC and N
// where BM meets AD produced.
void AreaLessons::AreaCh2S1Figure() {
  Frame(560, 50, 12, 6, 50);
  Points({{1, 2, 5}, {2, 1, 1}, {3, 6, 1}, {4, 7, 5}, {5, 6.5, 3}, {6, 12, 5}});
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  Segment(4, 6, 0);
  Segment(2, 6, 0);
  Label(0, 5, 15, 10, "M");
  Label(0, 6, -15, -50, "N");
  Ticks(5, 3, 1, 3, -10, 16, 12);
  Ticks(4, 5, 1, 3, -10, 16, 12);
  CCC1 = 3;
  AAAX = 0;
  AAAY = 0;
  ArcOver(1, 2, 20, 1, 5, 3, "3cm");
  CCC1 = 3;
  AAAX = 0;
  AAAY = 0;
  ArcOver(1, 4, 20, -1, 5, 3, "4cm");
}

void AreaLessons::AreaCh2S1Problem1() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        AreaCh2S1Figure();
        ProblemHeading(XI1, kBasicPage, "1", 30);
      },
      [&] {
        NewLine(0, "AB=DC だから DC=3cm");
        NewLine(3, "DM=", 70);
        SameLine(0, "ﾀ1/2ﾀDC=ﾀ1/2ﾀ*3=");
        SameLine(5, "1.5cm");
      },
      [&] { NewLine(0, "△DMNと△CMBにおいて", 80); },
      [&] { NewLine(0, "仮定より DM=CM", 55); },
      [&] {
        NewLine(0, "AD∥BCより、∠NDM=∠BCM", 55);
        Parallel(1, 4, 1, 7, 1, 1, 20);
        Parallel(2, 3, 1, 7, 1, 1, 20);
        const AngleStyle arc{
            .count = 1, .radius = 40, .border = 7, .fill = 7, .labelColour = 3, .label = ""};
        AngleAt(4, 5, 6, arc);
        AngleAt(3, 4, 2, arc);
      },
      [&] {
        NewLine(0, "対頂角で、∠DMN=∠CMB", 55);
        const AngleStyle sector{
            .count = 0, .radius = 40, .border = 0, .fill = 7, .labelColour = 3, .label = ""};
        AngleAt(5, 6, 4, sector);
        AngleAt(5, 2, 3, sector);
      },
      [&] {
        NewLine(0, "1組の辺とその両端の角がそれぞれ等しいので", 55);
        NewLine(0, "△DMN≡△CMB", 80);
      },
      [&] {
        NewLine(0, "したがって、", 55);
        SameLine(3, "DN=");
        SameLine(0, "BC=AD=");
        SameLine(5, "4cm");
      },
  });
}

// ---- problem 2: two parallelograms on BC, AEFD a parallelogram ----

// ABCD and EBCF on the common side BC.
void AreaLessons::AreaCh2S2Figure() {
  Frame(700, 30, 9, 7, 60);
  Points({{1, 1, 6}, {2, 2, 1}, {3, 7, 1}, {4, 6, 6}, {5, 3, 3}, {6, 8, 3}});
  SETDRAWWIDTH(5);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  Segment(5, 1, 0);
  Segment(5, 2, 0);
  Label(0, 5, -40, -22, "E");
  Segment(6, 4, 0);
  Segment(6, 3, 0);
  Label(0, 6, 6, -22, "F");
  Segment(5, 6, 0);
  Ticks(1, 4, 1, 5, 0, 16, 12);
  Ticks(5, 6, 1, 5, 0, 16, 12);
  ParallelogramArrows(2, 1, 2, 1);
  Parallel(5, 6, 2, 7, 1, 2, 20);
  Parallel(2, 3, 2, 7, 1, 2, 20);
  Parallel(5, 2, 1, 7, 1, 1, 20);
  Parallel(6, 3, 1, 7, 1, 1, 20);
}

void AreaLessons::AreaCh2S2Problem2() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        ProblemHeading(XI1, kBasicPage, "2", 30);
        AreaCh2S2Figure();
        NewLine(3, "(1)", 80);
        SameLine(0, "＃ABCDと＃EBCFで、", 20);
        NewLine(0, "対辺はそれぞれ等しいから", 55);
        NewLine(0, "AD=", 55);
        AnswerBox(1, "ア", 76);
        SameLine(3, "…①", 4);
        SameLine(0, "EF=", 20);
        AnswerBox(2, "イ", 76);
        SameLine(3, "…②", 4);
        NewLine(0, "①②より、AD=EF", 55);
        NewLine(3, "(2)", 60);
        SameLine(0, "仮定から、AD∥BC,EF∥BC だから", 20);
        NewLine(0, "AD∥", 55);
        AnswerBox(3, "ウ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "(1)より、AD=", 55);
        AnswerBox(4, "エ", 76);
        SameLine(3, "…④", 4);
        NewLine(0, "③④より、", 55);
        AnswerBox(5, "オ", 608, {}, 0);
        SameLine(0, "ので", 30);
        NewLine(0, "四角形AEFDは平行四辺形である。");
      },
      [&] { Reveal(1, "BC", 76); },
      [&] { Reveal(2, "BC", 76); },
      [&] { Reveal(3, "EF", 76); },
      [&] { Reveal(4, "EF", 76); },
      [&] { Reveal(5, "1組の対辺が平行でその長さが等しい", 608); },
  });
}

// ---- problem 3: which parallelogram a condition makes ----

// The usual parallelogram with both diagonals and their crossing O.
void AreaLessons::AreaCh2S3Figure() {
  Frame(600, 100, 9, 6, 60);
  Points({{0, 4.5, 3}, {1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 8, 5}});
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  ParallelogramArrows(1, 1, 1, 1);
  Segment(1, 3, 0);
  Segment(2, 4, 0);
  Label(0, 0, -22, 14, "O");
}

void AreaLessons::AreaCh2S3Problem3() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        ProblemHeading(XI1, kBasicPage, "3", 30);
        AreaCh2S3Figure();
        NewLine(3, "(1)", 80);
        SameLine(0, "対角線が垂直に交わる", 20);
        NewLine(0, "平行四辺形だから", 50, 114);
      },
      [&] { NewLine(5, "ひし形", 55, 114); },
      [&] {
        NewLine(3, "(2)", 60);
        SameLine(0, "対角線の長さが等しい", 20);
        NewLine(0, "平行四辺形だから", 50, 114);
      },
      [&] { NewLine(5, "長方形", 55, 114); },
  });
}

// ---- problem 4: the equal-area triangles of a trapezoid ----

// ABCD with AB and DC marked parallel, the diagonals meeting at O, OCD
// shaded, AB and CD drawn thick.
void AreaLessons::AreaCh2S4Figure() {
  Frame(680, 100, 8, 6, 70);
  Points({{1, 2, 4}, {2, 1, 1}, {3, 5, 1}, {4, 6, 6}});
  IntersectionInto(5, 2, 4, 1, 3);
  FilledPolygon({5, 3, 4}, 13, 0);
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  Segment(2, 4, 0);
  Segment(3, 4, 0);
  Label(0, 4, -14, -50, "D");
  Segment(1, 4, 0);
  Label(0, 5, -14, 20, "O");
  SETDRAWWIDTH(8);
  Segment(1, 2, 9);
  Segment(3, 4, 7);
  SETDRAWWIDTH(5);
  Parallel(2, 1, 1, 3, 1, 1, 20);
  Parallel(3, 4, 1, 3, 1, 1, 20);
}

void AreaLessons::AreaCh2S4Problem4() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 114;
        ProblemHeading(XI1, kBasicPage, "4", 30);
        AreaCh2S4Figure();
      },
      [&] {
        NewLine(3, "(1)", 80, -76);
        SameLine(5, "△ABCと△ABD");
        SameLine(0, "(ABが底辺)");
      },
      [&] {
        NewLine(3, "(2)", 80, -76);
        SameLine(5, "△BCDと△ACD");
        SameLine(0, "(CDが底辺)");
      },
      [&] {
        NewLine(5, "△AODと△BOC", 60);
        NewLine(0, "△AOD=△ACD-△OCD", 50, 38);
        NewLine(0, "△BOC=△BCD-△OCD", 50, 38);
      },
  });
}
