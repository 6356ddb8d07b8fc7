// Chapter 3: the chapter problems A of page 156, one screen a problem
// (problems 1 and 2 share the first).
#include <functional>

#include "lessons/area/lessons.h"

namespace {
const char* const kPageA = "P156 章の問題A";
}  // namespace

void AreaLessons::AreaCh3Menu() {
  ChapterMenu("P151 章の問題A ①1,2　②3　③４　④５　⑤６　⑥７　⑦終了",
              {[this] { AreaCh3S1Problems1And2(); }, [this] { AreaCh3S2Problem3(); },
               [this] { AreaCh3S3Problem4(); }, [this] { AreaCh3S4Problem5(); },
               [this] { AreaCh3S5Problem6(); }, [this] { AreaCh3S6Problem7(); }});
}

// ---- problems 1 and 2: the parts of an isosceles triangle; FBC isosceles ----

// Left: ABC with BA = BC. Right, in the same slots: ABC with D, E the
// midpoints of AC, AB and F where BD crosses CE.
void AreaLessons::AreaCh3S1Figure() {
  Frame(120, 300, 6, 6, 60);
  Points({{1, 2, 5}, {2, 1, 1}, {3, 5, 2}});
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  Ticks(1, 2, 1, 3, 0, 16, 12);
  Ticks(2, 3, 1, 3, 0, 16, 12);
  Frame(720, 300, 8, 6, 60);
  Points({{1, 4, 5}, {2, 1, 1}, {3, 7, 1}, {4, 5.5, 3}, {5, 2.5, 3}});
  IntersectionInto(6, 2, 4, 5, 3);
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  Segment(2, 4, 0);
  Segment(3, 5, 0);
  Label(0, 4, 15, -30, "D");
  Label(0, 5, -15, -50, "E");
  Label(0, 6, -15, 10, "F");
}

void AreaLessons::AreaCh3S1Problems1And2() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        ProblemTitle(XI1, kPageA);
        AreaCh3S1Figure();
        NumberBadge(XI1, YI1 + 50, "1");
      },
      [&] {
        SameLine(0, "頂角…", 6);
        SameLine(5, "∠B");
        NewLine(0, "底角…", 50, 50);
        SameLine(5, "∠Aと∠C");
        NewLine(0, "底辺…", 50, 50);
        SameLine(5, "AC");
      },
      [&] {
        XI1 = 608;
        YI1 = 30;
        NumberBadge(XI1, YI1, "2");
      },
      [&] {
        const AngleStyle sector = Sector(70, 3);
        AngleAt(2, 3, 6, sector);
        AngleAt(3, 6, 2, sector);
      },
      [&] {
        SameLine(0, "△EBC≡△DCB より", 10);
        NewLine(0, "合同な図形の対応する角は等しいから");
        NewLine(0, "∠ECB=∠DBC");
        NewLine(0, "2つの角が等しいので");
        NewLine(0, "△FBCは二等辺三角形である。");
      },
  });
}

// ---- problem 3: which quadrilateral is a parallelogram ----

namespace {
// One of the three quadrilaterals: its frame, A, B, C, D, the point of
// its label, and the label.
struct Quadrilateral {
  float ggx, ggy, yoko, tate;
  float a[2], b[2], c[2], d[2], at[2];
  const char* label;
};
}  // namespace

// ア: equal angles at A, B and at C, D; イ: AB = BC, CD = DA; ウ: AD and BC
// equal and parallel.
void AreaLessons::AreaCh3S2Figure() {
  static const Quadrilateral figures[] = {
      {50, 120, 5, 7, {1, 6}, {1, 1}, {4, 2}, {4, 5}, {2, 7}, "ア"},
      {360, 120, 6, 7, {4, 6}, {1, 3.5}, {4, 1}, {5, 3.5}, {2, 7}, "イ"},
      {780, 150, 7, 5, {2, 4}, {1, 1}, {5, 1}, {6, 4}, {2, 6}, "ウ"},
  };
  const std::function<void()> marks[] = {
      [&] {
        AngleAt(1, 2, 4, Sector(40, 3));
        AngleAt(2, 3, 1, Sector(40, 3));
        AngleAt(3, 4, 2, Sector(40, 7));
        AngleAt(4, 1, 3, Sector(40, 7));
      },
      [&] {
        Ticks(1, 2, 1, 3, 0, 16, 12);
        Ticks(2, 3, 1, 3, 0, 16, 12);
        Ticks(3, 4, 2, 3, 0, 16, 12);
        Ticks(4, 1, 2, 3, 0, 16, 12);
      },
      [&] {
        Ticks(1, 4, 1, 3, 0, 16, 12);
        Ticks(2, 3, 1, 3, 0, 16, 12);
        Parallel(1, 4, 1, 3, 1, 2, 20);
        Parallel(2, 3, 1, 3, 1, 2, 20);
      },
  };
  for (int i = 0; i < 3; ++i) {
    const Quadrilateral& q = figures[i];
    Frame(q.ggx, q.ggy, q.yoko, q.tate, 60);
    Points({{1, q.a[0], q.a[1]},
            {2, q.b[0], q.b[1]},
            {3, q.c[0], q.c[1]},
            {4, q.d[0], q.d[1]},
            {5, q.at[0], q.at[1]}});
    SETDRAWWIDTH(5);
    CCC1 = 0;
    PolygonAt({1, 2, 3, 4});
    Label(3, 5, 0, 0, q.label);
    marks[i]();
  }
}

void AreaLessons::AreaCh3S2Problem3() {
  ProblemPage();
  XI1 = 38;
  ProblemHeading(XI1, kPageA, "3", 30);
  AreaCh3S2Figure();
  SameLine(5, "ウ", 20);
}

// ---- problem 4: PB = PC for P on the bisector of the apex angle ----

// The isosceles triangle ABC with its axis AD, P on AD, ABP and ACP shaded.
void AreaLessons::AreaCh3S3Figure() {
  Frame(840, 50, 8, 10, 50);
  Points({{1, 4, 9}, {2, 1, 1}, {3, 7, 1}, {4, 4, 1}, {5, 4, 4}});
  SETDRAWWIDTH(5);
  FilledPolygon({1, 2, 5}, 13, 0);
  FilledPolygon({1, 3, 5}, 11, 0);
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  AngleDot(1, 2, 4, 80, 8, 3);
  AngleDot(1, 4, 3, 80, 8, 3);
  Segment(1, 4, 0);
  Segment(2, 5, 0);
  Segment(3, 5, 0);
  Label(0, 5, -30, -22, "P");
  Ticks(1, 2, 1, 3, 0, 16, 12);
  Ticks(1, 3, 1, 3, 0, 16, 12);
  Ticks(5, 2, 1, 5, 0, 16, 12);
  Ticks(5, 3, 1, 5, 0, 16, 12);
}

void AreaLessons::AreaCh3S3Problem4() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        ProblemHeading(XI1, kPageA, "4", 30);
        AreaCh3S3Figure();
        NewLine(0, "△ABPと△ACPにおいて、");
        NewLine(0, "ADは∠Aの二等分線だから、", 55);
        SameLine(0, "∠BAP=");
        AnswerBox(1, "ア", 152);
        SameLine(3, "…①", 4);
        NewLine(0, "仮定より、", 55);
        SameLine(0, "AB=");
        AnswerBox(2, "イ", 76);
        SameLine(3, "…②", 4);
        NewLine(0, "APは共通だから、", 55);
        SameLine(0, "AP=");
        AnswerBox(3, "ウ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、", 55);
        AnswerBox(4, "エ", 380);
        NewLine(0, "がそれぞれ等しいので、", 55);
        NewLine(0, "△ABP≡△ACP");
        NewLine(0, "合同な図形では、対応する辺は等しいので、");
        NewLine(0, "PB=PC");
      },
      [&] { Reveal(1, "∠CAP", 152); },
      [&] { Reveal(2, "AC", 76); },
      [&] {
        Reveal(3, "AP", 76);
        Ticks(1, 5, 2, 3, 0, 16, 12);
      },
      [&] { Reveal(4, "2組の辺とその間の角", 380); },
  });
}

// ---- problem 5: three diagonals through one point ----

// The usual parallelogram ABCD and the shaded parallelogram A'BC'D on the
// same diagonal BD.
void AreaLessons::AreaCh3S4Figure() {
  Frame(720, 100, 9, 6, 60);
  Points({{0, 4.5, 3}, {1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 8, 5}, {5, 2.5, 3.5}, {6, 6.5, 2.5}});
  FilledPolygon({5, 2, 6, 4}, 13, 0);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  Segment(5, 2, 0);
  Segment(5, 4, 0);
  Segment(6, 2, 0);
  Segment(6, 4, 0);
  Label(0, 5, -40, -30, "A'");
  Label(0, 6, 0, 0, "C'");
}

void AreaLessons::AreaCh3S4Problem5() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        ProblemHeading(XI1, kPageA, "5", 30);
        AreaCh3S4Figure();
        NewLine(0, "対角線BDの中点をOとすると、");
        Segment(2, 4, 0);
        Ticks(2, 0, 1, 3, 0, 20);
        Ticks(0, 4, 1, 3, 0, 20);
        Disc(0, 7, 0);
        Label(0, 0, -22, 14, "O");
      },
      [&] {
        Segment(1, 3, 7);
        NewLine(0, "平行四辺形の対角線はそれぞれの");
        NewLine(0, "中点で交わるから、", 55);
        NewLine(3, "対角線ACとBDは点Oで交わる。", 55);
      },
      [&] {
        Segment(5, 6, 3);
        NewLine(3, "対角線A'C'とBDも点Oで交わる。", 55);
      },
      [&] {
        NewLine(0, "したがって、対角線AC,A'C',BDは", 70);
        NewLine(0, "同じ点で交わる。");
      },
  });
}

// ---- problem 6: the triangles equal in area to AFC ----

// ABCD with E, F the midpoints of AB, BC, AFC shaded and the three common
// bases AC, AE, FC drawn thick.
void AreaLessons::AreaCh3S5Figure() {
  Frame(680, 50, 8, 6, 70);
  Points({{1, 2, 5}, {2, 1, 1}, {3, 6, 1}, {4, 7, 5}, {5, 1.5, 3}, {6, 3.5, 1}});
  SETDRAWWIDTH(5);
  FilledPolygon({1, 6, 3}, 13, 0);
  CCC1 = 0;
  PolygonAt({1, 2, 3, 4});
  SETDRAWWIDTH(8);
  Segment(1, 3, 3);
  Segment(1, 5, 5);
  Segment(6, 3, 7);
  SETDRAWWIDTH(5);
  ParallelogramArrows(1, 1, 5, 4);
  Label(0, 5, -40, -22, "E");
  Label(0, 6, -14, 10, "F");
  Segment(6, 4, 0);
  Segment(6, 5, 0);
  Segment(5, 4, 0);
  Segment(5, 3, 0);
  Parallel(5, 6, 1, 7, 1, 2, 20);
  Parallel(1, 3, 1, 7, 1, 1, 20);
}

void AreaLessons::AreaCh3S5Problem6() {
  Steps({
      [&] {
        ProblemPage();
        XI1 = 38;
        ProblemTitle(XI1, kPageA);
        AreaCh3S5Figure();
        NumberBadge(XI1, YI1 + 70, "6");
      },
      [&] {
        SameLine(5, "答 △DFC,△AEC,△AED", 30);
        NewLine(3, "△AFCと△DFC", 60);
        SameLine(0, "(AD∥FC,FCが底辺)");
        NewLine(3, "△AFCと△AEC", 60);
        SameLine(0, "(EF∥AC,ACが底辺)");
        NewLine(3, "△AECと△AED", 60);
        SameLine(0, "(AE∥DC,AEが底辺)");
      },
  });
}

// ---- problem 7: equal angles do not make congruent triangles ----

// ABC and DEF = ABC enlarged 1.5 times, AB "6cm" and DE "9cm" on dotted
// arcs, equal angles in matching colours. The first label takes the text
// colour the screen left.
void AreaLessons::AreaCh3S6Figure() {
  Frame(640, 0, 14, 17, 35);
  const float dx = 10, dy = 7;
  Points(
      {{1, 7, 15}, {2, 1, 11}, {3, 9, 11}, {4, dx, dy}, {5, dx - 9, dy - 6}, {6, dx + 3, dy - 6}});
  SETDRAWWIDTH(5);
  ArcOver(1, 2, 2, 1, 7, 7, "6cm");
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  CCC1 = 0;
  TrianglePolygon(4, 5, 6, 5, 0, "D");
  CCC1 = 0;
  ArcOver(4, 5, 2, 1, 5, 7, "9cm");
  const int sectors[][4] = {{1, 2, 3, 3}, {4, 5, 6, 3}, {2, 3, 1, 5},
                            {5, 6, 4, 5}, {3, 1, 2, 7}, {6, 4, 5, 7}};
  for (const auto& s : sectors) {
    AngleAt(
        s[0], s[1], s[2],
        AngleStyle{
            .count = 0, .radius = 50, .border = 0, .fill = s[3], .labelColour = 3, .label = ""});
  }
}

void AreaLessons::AreaCh3S6Problem7() {
  Steps({
      [&] {
        ProblemPage();
        XI0 = 40;
        XI1 = XI0 + 36;
        ProblemHeading(XI0, kPageA, "7", 20);
        TextLine(5, XI0, YI1 + 60, "答 正しくない");
      },
      [&] {
        TextLine(3, XI0, YI1 + 60, "逆");
        SameLine(0, "…△ABCと△DEFで、");
        NewLine(0, "∠A=∠D,∠B=∠E,∠C=∠F");
        NewLine(0, "ならば");
        NewLine(0, "△ABC≡△DEF");
      },
      [&] {
        AreaCh3S6Figure();
        NewLine(3, "右図の場合もあるから", 80);
      },
  });
}
