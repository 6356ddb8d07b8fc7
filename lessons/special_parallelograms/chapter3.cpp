// Chapter 3: two equilateral triangles on one line. The goal screen, the
// sub-menu, the triangles figure, the conjectures and their proof.
#include <cmath>

#include "lessons/special_parallelograms/lessons.h"

void SpecialLessons::SpecialCh3Goal() {
  GoalScreen({"1 2つの正三角形の性質を見いだし、証明しよう。", "2 条件を変えて考えよう。"});
}

void SpecialLessons::SpecialCh3Menu() {
  ChapterMenu("①P151Q　②証明　③図１証明　④図2証明　⑤正方形で　⑥終了",
              {[this] { SpecialCh3S1Conjectures(); }, [this] { SpecialCh3S2Proof(); },
               [this] { SpecialCh3S3Figure1Proof(); }, [this] { SpecialCh3S4Figure2Proof(); },
               [this] { SpecialCh3S5SquaresProof(); }});
}

// Equilateral triangles ACD (side 6) and CBE (side 4) on the line through
// A, C and B, on the frame the caller has just set; P (slot 6) is where AE
// crosses BD. The segments AE and BD, the letter P and the marks are the
// caller's.
void SpecialLessons::SpecialCh3TrianglesFigure() {
  Points({{1, 0, 1},
          {2, 0 + 10, 1},
          {3, 0 + 6, 1},
          {4, (0 + 6) / 2.0f, 1 + 3 * std::sqrt(3.0f)},
          {5, (6 + 10) / 2.0f, 1 + 2 * std::sqrt(3.0f)}});
  IntersectionInto(6, 1, 5, 2, 4);
  ClosedOutline({1, 3, 4}, 0);
  ClosedOutline({3, 2, 5}, 0);
  VertexLetters({{1, -14, 6, "A"},
                 {3, -14, 8, "C"},
                 {2, -14, 8, "B"},
                 {4, -14, -50, "D"},
                 {5, -14, -50, "E"}});
}

void SpecialLessons::VertexLetters(std::initializer_list<VertexLetter> letters) {
  for (const VertexLetter& l : letters) Label(0, l.slot, l.dx, l.dy, l.letter);
}

void SpecialLessons::ProofScreenStart() {
  ScreenClear();
  XI0 = 40;
  XI1 = 40;
  YI1 = 30;
  SETDRAWWIDTH(5);
  Frame(600, 80, 11, 7, 60);
}

void SpecialLessons::ComparedTriangles(int third) {
  FilledPolygon({1, 3, third}, 13, 0);
  ClosedOutline({4, 3, 2}, 7);
}

// ---- item 1: what holds when the two triangles share C ----

void SpecialLessons::SpecialCh3S1Conjectures() {
  Steps({
      [&] {
        ScreenClear();
        XI0 = 40;
        XI1 = XI0 + 36;
        YI1 = 30;
        SETDRAWWIDTH(5);
        Frame(560, 200, 11, 7, 60);
        SpecialCh3TrianglesFigure();
        TextLine(3, 40, 30, "Q ");
        SameLine(0, "点Cを共有する正三角形ACDと正三角形CBEを、");
        YI1 = YI1 + 50;
        NewLine(0, "点AとE、点DとBを結ぶとき、どんな性質が成り立つ?");
      },
      [&] { Segment(1, 5, 3); },
      [&] { Segment(2, 4, 7); },
      [&] {
        TextLine(3, XI0, YI1 + 70, "① AE=DB ");
        SameLine(0, "になりそうだ。", 20);
      },
      [&] {
        NewLine(0, "AEとDBの交点をPとすると、 ", 70);
        TextLine(3, XI0, YI1 + 50, "② ∠APD=");
        Label(0, 6, -14, -50, "P");
      },
      [&] {
        SameLine(3, "60% ");
        SameLine(0, "になりそうだ。", 20);
        AngleAt(
            6, 4, 1,
            {.count = 1, .radius = 60, .border = 0, .fill = 3, .labelColour = 3, .label = "60%"});
      },
      [&] { TextLine(7, XI0, YI1 + 70, "③ AE=DB を証明しよう。"); },
      [&] { NewLine(3, "何がいえればよいですか?"); },
      [&] {
        ClosedOutline({1, 3, 5}, 7);
        ClosedOutline({4, 3, 2}, 3);
      },
      [&] { NewLine(3, "△ACE≡△DCB"); },
  });
}

// ---- item 2: the proof of AE = DB ----

void SpecialLessons::SpecialCh3S2Proof() {
  const AngleStyle sixty{
      .count = 0, .radius = 50, .border = 0, .fill = 3, .labelColour = 3, .label = ""};
  const AngleStyle equalAngle{
      .count = 0, .radius = 50, .border = 0, .fill = 7, .labelColour = 3, .label = ""};
  const AngleStyle labelled{
      .count = 1, .radius = 80, .border = 0, .fill = 5, .labelColour = 0, .label = "60%"};
  Steps({
      [&] {
        ProofScreenStart();
        SpecialCh3TrianglesFigure();
        Segment(1, 5, 0);
        Segment(2, 4, 0);
        NewLine(3, "△ACDと△CBEが正三角形 ならば AE=DB である。", 0);
      },
      // what is to be shown, then what is given
      [&] { ComparedTriangles(5); },
      [&] {
        Ticks(1, 5, 1, 5, 0, 20);
        Ticks(4, 2, 1, 5, 0, 20);
      },
      [&] { Ticks(1, 3, 1, 3, 0, 20); },
      [&] { Ticks(4, 3, 1, 3, 50, 20); },
      [&] { Ticks(3, 5, 2, 3, 0, 20); },
      [&] { Ticks(3, 2, 2, 3, 0, 20); },
      [&] {
        AngleAt(3, 4, 1, sixty);
        AngleAt(3, 2, 5, sixty);
      },
      [&] {
        AngleAt(3, 5, 1,
                {.count = 1, .radius = 80, .border = 0, .fill = 3, .labelColour = 3, .label = ""});
        AngleAt(3, 2, 4,
                {.count = 1, .radius = 70, .border = 0, .fill = 7, .labelColour = 3, .label = ""});
      },
      // the proof, a phrase a key
      [&] { NewLine(7, "<証明>"); },
      [&] { SameLine(0, "△ACEと△DCBで、", 30); },
      [&] { NewLine(0, "△ACDと△CBEが正三角形だから、"); },
      [&] { NewLine(0, "AC="); },
      [&] { SameLine(3, "DC"); },
      [&] {
        SameLine(3, "…①");
        SameLine(0, ",CE=");
      },
      [&] {
        SameLine(3, "CB");
        SameLine(3, "…②");
      },
      [&] { NewLine(0, "正三角形の1つの内角は", 55); },
      [&] {
        SameLine(3, "60%");
        SameLine(0, "だから");
      },
      [&] { NewLine(0, "∠ACD=", 55); },
      [&] { SameLine(3, "∠ECB=60%"); },
      [&] { NewLine(0, "∠ACE=60%+", 55); },
      [&] { SameLine(3, "∠DCE"); },
      [&] { NewLine(0, "∠DCB=", 55); },
      [&] { SameLine(3, "60%+∠DCE"); },
      [&] { NewLine(0, "よって、", 55); },
      [&] { SameLine(3, "∠ACE=∠DCB…③"); },
      [&] { NewLine(0, "①②③より、", 55); },
      [&] {
        SameLine(3, "2組の辺とその間の角");
        SameLine(0, "がそれぞれ等しいので、");
      },
      [&] { NewLine(3, "△ACE≡△DCB"); },
      [&] { NewLine(0, "合同な図形では、"); },
      [&] {
        SameLine(3, "対応する辺");
        SameLine(0, "は等しいので、");
      },
      [&] { SameLine(5, "AE=DB"); },
      // the equal angles of the congruent triangles, the 60 degrees at A
      // and D, and the angle at P
      [&] {
        AngleAt(1, 3, 5, equalAngle);
        AngleAt(4, 3, 2, equalAngle);
      },
      [&] {
        AngleAt(1, 3, 4, labelled);
        AngleAt(4, 1, 3, labelled);
      },
      [&] {
        AngleAt(
            6, 4, 1,
            {.count = 0, .radius = 60, .border = 0, .fill = 5, .labelColour = 0, .label = "60%"});
      },
  });
}
