// Chapter 1: the base angles of an isosceles triangle.
#include <cmath>

#include "lessons/triangles/lessons.h"

// ---- chapter 1 and 2 helpers ----

void TriangleLessons::StandardIsoscelesTriangle() {
  Frame(840, 50, 8, 10, 50);
  Points({{1, 4, 9}, {2, 1, 1}, {3, 7, 1}, {4, 4, 1}});
  SETDRAWWIDTH(5);
}

void TriangleLessons::CompassArc(int p, int q, int z1, int z2, bool towardsZ2) {
  Disc(p, 7, 7);
  R = Distance(p, q);
  AnglePoints(p, z1, z2);
  ITI = -1;
  AngleRays();
  const float h = towardsZ2 ? HH1 : HH2;
  CIRCLE(X_A(p), Y_A(p), R, 7, h - 0.04f, h + 0.04f);
}

void TriangleLessons::ApexOverBase(float degrees) {
  AX = X_A(2);
  AY = Y_A(2);
  RayPoint(2, degrees, 8 * SIZE, BX, BY);
  RayPoint(3, 180 - degrees, 8 * SIZE, CX, CY);
  DX = X_A(3);
  DY = Y_A(3);
  LineIntersection();
  X_A(1) = AX2;
  Y_A(1) = AY2;
}

// ---- screen 1: the right angle in a semicircle, by compass ----

void TriangleLessons::TriangleCh1S1RightAngleInSemicircle() {
  const AngleStyle arcA{.count = 1, .radius = 70, .fill = 0, .labelColour = 0, .label = "a"};
  const AngleStyle arcB{.count = 2, .radius = 90, .fill = 0, .labelColour = 0, .label = "b"};
  Steps({
      [&] {
        ScreenClear();
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "教科書P127 Qをやってみよう。", 0);
        Frame(680, 50, 10, 11, 50);
        Points({{1, 2, 1}, {2, 8, 1}, {3, 5, 5}, {4, 2, 9},
                {5, 0, 1}, {6, 10, 1}, {7, 1, 10.333333f}, {8, 2, 10.5f}});
        Segment(5, 6, 0);
        Disc(1, 5, 3);
        Label(0, 1, -14, 6, "A");
      },
      [&] {
        Disc(2, 5, 3);
        Label(0, 2, -14, 6, "B");
      },
      [&] { Segment(1, 2, 3); },
      [&] { CompassArc(1, 3, 2, 3, true); },   // at A through O
      [&] { CompassArc(2, 3, 3, 1, false); },  // at B through O
      [&] { Label(0, 3, 6, -50, "O"); },
      [&] {
        Segment(1, 3, 3);
        Segment(2, 3, 3);
      },
      [&] { Segment(3, 7, 3); },
      [&] { CompassArc(3, 4, 4, 1, false); },  // at O through C
      [&] { Label(0, 4, 6, -22, "C"); },
      [&] { Segment(1, 8, 3); },
      [&] { RightAngleAt(1, 2, 4, 40, 5); },
      [&] { NewLine(5, "∠BAC=90%　どうして？"); },
      [&] {
        NewLine(0, "∠OAB=∠a,∠OAC=∠b とすると");
        V_A(1) = Y + 50;
        AngleAt(1, 2, 3, arcA);
        AngleAt(1, 3, 4, arcB);
      },
      [&] {
        Ticks(1, 3, 2, 9);
        Ticks(2, 3, 2, 9);
        AngleAt(2, 3, 1, arcA);
        NewLine(0, "二等辺三角形の2つの角は等しいから");
        NewLine(0, "∠OBA=∠a,");
      },
      [&] {
        Ticks(3, 4, 2, 9);
        AngleAt(4, 1, 3, arcB);
        SameLine(0, "∠OCA=∠b となる。");
      },
      [&] {
        NewLine(3, "このことを使って証明しよう。");
        NewLine(5, "<証明>");
      },
      [&] { NewLine(0, "三角形の内角の和は180%だから"); },
      [&] { NewLine(0, "∠a+∠a+∠b+∠b=180%"); },
      [&] { NewLine(0, "2∠a+2∠b=180%"); },
      [&] { NewLine(0, "∠a+∠b="); },
      [&] { SameLine(0, "90%"); },
      [&] { NewLine(5, "∠BAC="); },
      [&] { SameLine(0, "∠a+∠b="); },
      [&] { SameLine(5, "90%"); },
      [&] {  // the grounds of the proof
        YI1 = 30;
        EraseBox(0, 0, GGX, V_A(1));
        NewLine(7, "この証明で根拠にしていることは?", 0);
      },
      [&] {
        NewLine(3, "① 二等辺三角形とは、");
        NewLine(3, "2つの辺が等しい三角形", 50, 63);
      },
      [&] {
        EraseBox(0, YI1 + 50, GGX, YI1 + 200);
        NewLine(3, "② 二等辺三角形の2つの角は等しい");
      },
      [&] { NewLine(3, "③ 三角形の内角の和は180%"); },
  });
}

// ---- screen 2: the proof of the base-angle theorem ----

void TriangleLessons::TriangleCh1S2BaseAngleProof() {
  const AngleStyle baseAngle{.count = 0, .radius = 50, .border = 0, .fill = 5, .label = ""};
  Steps({
      [&] {
        ScreenClear();
        StandardIsoscelesTriangle();
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "△ABCで、  AB=ACならば∠B=∠Cである。", 0);
        TextLine(0, XI1, 100, "(1)仮定と結論をいいなさい。");
        Ticks(1, 2, 1, 3);
        Ticks(1, 3, 1, 3);
        AngleAt(2, 3, 1, baseAngle);
        AngleAt(3, 1, 2, baseAngle);
      },
      [&] { NewLine(0, "仮定…", 50, 81); },
      [&] { SameLine(5, "AB=AC"); },
      [&] { SameLine(0, "結論…", 76); },
      [&] { SameLine(5, "∠B=∠C"); },
      [&] {
        NewLine(0, "(2)∠Aの二等分線ADをひくと、どの三角形と", 70);
        NewLine(0, "どの三角形の合同を示せばよいですか。", 50, 81);
        Segment(1, 4, 0);
        Label(0, 4, -14, 10, "D");
        AngleDot(1, 2, 4, 80, 8, 3);
        AngleDot(1, 4, 3, 80, 8, 3);
      },
      [&] { NewLine(5, "△ABDと△ACD", 50, 81); },
      [&] { NewLine(0, "(3)証明しよう。", 70); },
      [&] {  // the proof with its boxes
        EraseBox(0, 100, 840, 550);
        TextLine(0, XI1, 100, "     <証明>");
        NewLine(0, "△ABDと△ACDで、");
        NewLine(0, "ADは∠Aの二等分線だから、", 55);
        KeepLine(1);
        SameLine(0, "∠BAD=");
        AnswerBox(1, "ア", 152);
        SameLine(3, "…①", 4);
        NewLine(0, "仮定より、", 55);
        KeepLine(2);
        SameLine(0, "AB=");
        AnswerBox(2, "イ", 76);
        SameLine(3, "…②", 4);
        NewLine(0, "ADは共通だから、", 55);
        KeepLine(3);
        SameLine(0, "AD=");
        AnswerBox(3, "ウ", 76);
        SameLine(3, "…③", 4);
        NewLine(0, "①②③から、", 55);
        AnswerBox(4, "エ", 380);
        NewLine(0, "がそれぞれ等しいので、", 55);
        KeepLine(4);
        NewLine(0, "△ABD≡△ACD");
        NewLine(0, "合同な図形では、対応する角は等しいので、");
        KeepLine(5);
        NewLine(0, "∠B=∠C");
      },
      [&] { Reveal(1, "∠CAD", 152); },
      [&] { Reveal(2, "AC", 76); },
      [&] {
        Reveal(3, "AD", 76);
        Ticks(1, 4, 2, 3);
      },
      [&] { Reveal(4, "2組の辺とその間の角", 380); },
      [&] {  // the grounds of the proof, marked in it
        YI1 = 30;
        EraseBox(0, 0, 840, YI1 + 50);
        TextLine(7, XI1, YI1, "この証明で根拠にしていることは?");
        Overdraw(7, 1, "ADは∠Aの二等分線");
        Overdraw(7, 2, "仮定");
        Overdraw(7, 3, "ADは共通");
        EraseBox(0, V_A(4), GX1, V_A(4) + 50);
        Reveal(4, "2組の辺とその間の角", 380, BoxStyle{15, 15, 15, 48});
        Overdraw(7, 4, "2組の辺とその間の角がそれぞれ等しい");
        SameLine(0, "ので、");
        Overdraw(7, 5, "合同な図形では、対応する角は等しい");
      },
  });
}

// ---- screen 3: definition, vertex angle, base angles, base, theorem ----

void TriangleLessons::TriangleCh1S3Terms() {
  Steps({
      [&] {
        ScreenClear();
        StandardIsoscelesTriangle();
        TrianglePolygon(1, 2, 3);  // letters in the colour the menu left
        XI1 = 76;
        YI1 = 30;
        TextLine(5, XI1 - 38, YI1, "1 定義");
        SameLine(0, "…ことばの意味をはっきり述べたもの");
        NewLine(3, "二等辺三角形の定義…");
        AnswerBox(1, "ア", 304);
        SameLine(3, "三角形", 10);
        Ticks(1, 2, 1, 3);
        Ticks(1, 3, 1, 3);
      },
      [&] { Reveal(1, "2つの辺が等しい", 304); },
      [&] { NewLine(5, "2  <頂角、底角、底辺>", 60, -38); },
      [&] { AngleAt(1, 2, 3, {.count = 1, .radius = 80, .fill = 3, .labelColour = 3, .label = "頂角"}); },
      [&] { AngleAt(2, 3, 1, {.count = 1, .radius = 50, .fill = 3, .labelColour = 3, .label = "底角"}); },
      [&] { AngleAt(3, 1, 2, {.count = 1, .radius = 50, .fill = 3, .labelColour = 3, .label = "底角"}); },
      [&] { Label(3, 4, -14, 16, "底辺"); },
      [&] {
        NewLine(0, "AB=ACである二等辺三角形の");
        NewLine(0, "∠Aを", 55);
        AnswerBox(1, "①", 76);
        SameLine(0, "、", 4);
        SameLine(0, "∠Bと∠Cを");
        AnswerBox(2, "②", 76);
        SameLine(0, "、", 4);
        NewLine(0, "辺BCを", 55);
        AnswerBox(3, "③", 76);
        SameLine(0, "という。", 4);
      },
      [&] { Reveal(1, "頂角", 76); },
      [&] { Reveal(2, "底角", 76); },
      [&] {
        Reveal(3, "底辺", 76);
        NewLine(5, "3 定理", 60, -38);
        SameLine(0, "…証明されたことがらのうち、");
        NewLine(0, "証明の根拠としてよく使われるもの", 55);
        NewLine(5, "4 二等辺三角形の底角", 60, -38);
        NewLine(3, "定理　二等辺三角形の2つの");
        AnswerBox(1, "①", 76, BoxStyle{5, 0, 13, 48});
        SameLine(3, "は等しい。", 10);
      },
      [&] { Reveal(1, "底角", 76, BoxStyle{5, 0, 13, 48}); },
  });
}

// ---- screen 4: base-angle practice on random cases ----

// The triangle of a case: base angles T(3) at B and C, so the vertex angle
// is T(1); each practice marks the given angle and the angle asked for.
void TriangleLessons::PracticeFigure(int practice) {
  EraseBox(0, 0, 1320, 1300);
  Frame(600, 50, 8, 10, 50);
  Points({{2, 1, 1}, {3, 7, 1}});
  SETDRAWWIDTH(5);
  ApexOverBase(T_A(3));
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  Ticks(1, 2, 1, 3);
  Ticks(1, 3, 1, 3);
  CCC2 = 0;
  const AngleStyle given{.count = 0, .radius = 60, .fill = 3, .labelColour = 3,
                         .label = T_SA(1) + "%"};
  const AngleStyle asked{.count = 0, .radius = 60, .fill = 5, .labelColour = 5, .label = "x"};
  if (practice == 1) {
    AngleAt(1, 2, 3, given);
    AngleAt(2, 3, 1, asked);
  } else {
    AngleAt(3, 1, 2, given);
    AngleAt(1, 2, 3, asked);
  }
}

// One case of a practice: practice 1 gives the vertex angle T(1), never
// the one of the case before (FMAESU, kept across visits), and asks for a
// base angle; practice 2 gives the base angle T(1) and asks for the vertex
// angle 180 - T(4).
void TriangleLessons::PracticeCase(int practice) {
  T_A(1) = 2 * INT(RND() * 15 + 25);
  if (practice == 1) {
    // The draw is bounded so that a degenerate random source cannot hold
    // the screen.
    for (int tries = 1; T_A(1) == FMAESU && tries < 1000; ++tries) T_A(1) = 2 * INT(RND() * 15 + 25);
    if (T_A(1) == FMAESU) T_A(1) = T_A(1) >= 78 ? 50 : T_A(1) + 2;
    FMAESU = T_A(1);
  }
  T_A(2) = 180 - T_A(1);
  T_A(3) = T_A(2) / 2;
  if (practice == 2) T_A(4) = 2 * T_A(1);
  NumbersToTexts();
  PracticeFigure(practice);
  XI1 = 38;
  YI1 = 30;
  Steps({
      [&] {
        NewLine(3,
                practice == 1 ? "練習１　図で、△ABCは印をつけた辺が等しい二等辺三角形である。"
                              : "練習2　図で、△ABCは印をつけた辺が等しい二等辺三角形である。",
                0);
        NewLine(3, "∠xの大きさを求めなさい。", 50, 152);
      },
      [&] {
        NewLine(0, "二等辺三角形の2つの底角は等しいから", 100);
        NewLine(0, practice == 1 ? "2x+" + T_SA(1) + "%=180%" : "2*" + T_SA(1) + "%+x=180%", 70);
      },
      [&] {
        if (practice == 1) {
          NewLine(0, "2x=180%-" + T_SA(1) + "%=" + T_SA(2) + "%", 70);
          NewLine(5, "x=" + T_SA(3) + "%", 70);
        } else {
          NewLine(0, T_SA(4) + "%+x=180%", 70);
          NewLine(0, "x=180%-" + T_SA(4) + "%=", 70);
          A_S = STR(180 - T_A(4));  // the answer's digits
          StripSpaces();
          SameLine(5, A_S + "%");
        }
        AskNextStep();
      },
  });
}

void TriangleLessons::TriangleCh1S4BaseAnglePractice() {
  ScreenClear();
  AINP = 3;
  while (AINP != 1) PracticeCase(1);
  AINP = 3;
  while (AINP != 1) PracticeCase(2);
  TextLine(3, 44, 600, "教科書P130 問2　をしなさい。");
}

// ---- screen 5: worked answers to question 2 ----

void TriangleLessons::TriangleCh1S5Question2Answer() {
  Steps({
      [&] {
        ScreenClear(1760);
        XI1 = 114;
        YI1 = 30;
        NewLine(3, "<問2　解答>", 0);
        NewLine(3, "(1)", 50, -76);
        SameLine(0, "2x+90%=180%");
        NewLine(0, "2x=180%-90%=90%");
        NewLine(5, "x=45%");
      },
      [&] {
        NewLine(3, "(2)", 50, -76);
        SameLine(0, "x+2*65%=180%");
        NewLine(0, "x+130%=180%");
        NewLine(0, "x=180%-130%=");
        SameLine(5, "50%");
      },
      [&] {
        NewLine(3, "(3)", 50, -76);
        SameLine(0, "底角の大きさは、");
        NewLine(0, "180%-145%=35%");
        NewLine(0, "x+2*35%=180%");
        NewLine(0, "x+70%=180%");
        NewLine(0, "x=180%-70%=");
        SameLine(5, "110%");
      },
      [&] {  // the figure of part (4): AB = AC = BD, base angles 42 degrees
        Frame(640, 350, 12, 5, 45);
        Points({{2, 0, 0}, {3, 12, 0}});
        SETDRAWWIDTH(5);
        ApexOverBase(42);
        R = Distance(2, 1);
        X_A(4) = X_A(2) + R;
        Y_A(4) = Y_A(2);
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Label(0, 4, -14, 4, "D");
        Segment(1, 4, 0);
        Ticks(1, 2, 2, 3);
        Ticks(1, 3, 2, 3);
        Ticks(2, 4, 2, 3);
        CCC2 = 0;
        AngleAt(2, 3, 1, {.count = 0, .radius = 60, .fill = 3, .labelColour = 3, .label = "42%"});
        AngleAt(1, 4, 3, {.count = 0, .radius = 60, .fill = 5, .labelColour = 5, .label = "x"});
        AngleAt(3, 1, 2, {.count = 0, .radius = 60, .fill = 3, .labelColour = 7, .label = "42%"});
        AngleAt(4, 1, 2, {.count = 0, .radius = 60, .fill = 7, .labelColour = 7, .label = "69%"});
      },
      [&] {
        XI1 = 608;
        YI1 = 30;
        NewLine(3, "(4)", 0, -76);
        SameLine(0, "AB=AC だから ∠C=42%");
        NewLine(0, "二等辺三角形BDAで、");
        NewLine(0, "(180%-42%)/2=138%/2=69%");
        NewLine(0, "x+42%=69%");
        NewLine(0, "x=69%-42%=");
        SameLine(5, "27%");
      },
  });
}

// ---- screen 6: right, acute and obtuse angles and triangles ----

void TriangleLessons::TriangleCh1S6AngleKinds() {
  Steps({
      [&] {
        ScreenClear();
        Frame(80, 240, 13, 4, 50);
        Points({{1, 0, 3}, {2, 0, 0}, {3, 3, 0}, {4, 5.2f, 3}, {5, 4, 0}, {6, 7, 0},
                {7, 8, 3}, {8, 9, 0}, {9, 12, 0}, {14, 4, 3}, {17, 9, 3}});
        SETDRAWWIDTH(7);
        Segment(1, 2, 0);
        Segment(2, 3, 0);
        Segment(4, 5, 0);
        Segment(5, 6, 0);
        Segment(7, 8, 0);
        Segment(8, 9, 0);
        RightAngleAt(2, 1, 3, 30, 5);
        DottedSegment(14, 5, 8, 0);
        DottedSegment(17, 8, 10, 0);
        Label(0, 1, 0, -45, "①");
        Label(0, 4, -36, -45, "②");
        Label(0, 7, 14, -45, "③");
        Frame(840, 60, 7, 4, 50);
        Points({{21, 0, 4}, {22, 3, 0}, {23, 7, 0}});
        Frame(720, 300, 10, 5, 50);
        Points({{24, 0, 3.5f}, {25, 0, 0}, {26, 4.5f, 0}, {27, 8, 4}, {28, 5.5f, 0}, {29, 10, 0}});
        XI1 = 38;
        YI1 = 30;
        SETDRAWWIDTH(5);
        NewLine(3, "<直角、鋭角、鈍角>", 0);
        NewLine(0, "(1)90%の角は", 55);
        AnswerBox(1, "①", 76);
        NewLine(0, "(2)0%より大きく90%より小さい角は", 55);
        AnswerBox(2, "②", 76);
        NewLine(0, "(3)90%より大きく180%より小さい角は", 55);
        AnswerBox(3, "③", 76);
      },
      [&] { Reveal(1, "直角", 76); },
      [&] { Reveal(2, "鋭角", 76); },
      [&] { Reveal(3, "鈍角", 76); },
      [&] {
        YI1 = 420;
        NewLine(3, "鋭角三角形");
        SameLine(0, "…3つの角がすべて鋭角");
        NewLine(3, "直角三角形", 60);
        SameLine(0, "…1つの角が直角");
        NewLine(3, "鈍角三角形", 60);
        SameLine(0, "…1つの角が鈍角");
        SETDRAWWIDTH(7);
        TrianglePolygon(21, 22, 23, 7, 0, "");
        Label(3, 21, 76, 0, "鈍角三角形");
        TrianglePolygon(24, 25, 26, 7, 0, "");
        TrianglePolygon(27, 28, 29, 7, 0, "");
        TextAt(3, X_A(25), Y_A(24) - 46, "直角三角形");
        TextAt(3, X_A(28), Y_A(27) - 48, "鋭角三角形");
        RightAngleAt(25, 26, 24, 30, 5);
      },
      [&] { TextLine(7, 560, 590, "教科書P130 問3　をしなさい。"); },
  });
}

// ---- screen 7: question 3, the base angles are acute ----

void TriangleLessons::TriangleCh1S7Question3Answer() {
  const BoxStyle fractionBox{5, 3, 13, 70};
  Steps({
      [&] {
        ScreenClear(1760);
        Frame(840, 200, 8, 8, 45);
        Points({{1, 4, 8}, {2, 0, 0}, {3, 8, 0}});
        SETDRAWWIDTH(5);
        CCC1 = 0;
        TrianglePolygon(1, 2, 3);
        Ticks(1, 2, 2, 3);
        Ticks(1, 3, 2, 3);
        AngleAt(2, 3, 1, {.count = 0, .radius = 60, .border = 0, .fill = 3, .labelColour = 3, .label = "b"});
        AngleAt(1, 2, 3, {.count = 0, .radius = 60, .border = 0, .fill = 5, .labelColour = 5, .label = "a"});
        AngleAt(3, 1, 2, {.count = 0, .radius = 60, .border = 0, .fill = 3, .labelColour = 3, .label = "b"});
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "<問3　解答>", 0);
        NewLine(0, "二等辺三角形の頂角を∠a,底角を∠bとすると");
        NewLine(0, "三角形の内角の和は180%だから", 60);
        NewLine(0, "∠a+", 70);
        AnswerBox(1, "①", 114);
        SameLine(0, "=180%", 10);
        NewLine(0, "∠b=90%-", 70);
        AnswerBox(2, "②", 152, fractionBox);
        NewLine(0, "で、∠bは", 70);
        AnswerBox(3, "③", 114);
        SameLine(0, "より小さくなるから、", 10);
        NewLine(0, "二等辺三角形の底角はかならず鋭角である。", 60);
      },
      [&] { Reveal(1, "2∠b", 114); },
      [&] { Reveal(2, "ﾀ1/2ﾀ∠a", 152, fractionBox); },
      [&] { Reveal(3, "90%", 114); },
  });
}
