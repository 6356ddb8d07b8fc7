// Chapter 3, screens 1 and 2: the paper strip folded along BC, and why the
// folded angles are equal.
//
// The strip is the band between y = 5 and y = 1 (GridUnits), from x = 0 to
// x = 12, folded along BC. Point slots:
//   1 A, 2 B, 3 C, 4 D             the triangle and D on the bottom edge
//   5, 6 / 7, 8                    the ends of the top / bottom edge
//   9, 10                          corners 6 and 8 folded over (mirrored in BC)
//   11, 12                         the end's moving corners (6 -> 9, 8 -> 10)
//   13                             the moving apex of the copy of ABC (D -> A)
//   0                              scratch: the foot of a perpendicular
#include <utility>
#include <vector>

#include "lessons/triangles/lessons.h"

void TriangleLessons::TriangleCh3StripFigure() {
  Frame(640, 100, 12, 9, 50);
  Points({{1, 2, 5}, {2, 5, 1}, {3, 7, 5}, {4, 10, 1},
          {5, 0, 5}, {6, 12, 5}, {7, 0, 1}, {8, 12, 1}});
  StripMirrorInBC(9, 6);
  StripMirrorInBC(10, 8);
  // The moving points start flat; the apex of the copy starts on A.
  X_A(11) = X_A(6);
  Y_A(11) = Y_A(6);
  X_A(12) = X_A(8);
  Y_A(12) = Y_A(8);
  X_A(13) = X_A(1);
  Y_A(13) = Y_A(1);
}

// The mirror image of point `from` in line BC: twice the foot of the
// perpendicular (kept in slot 0) minus the point.
void TriangleLessons::StripMirrorInBC(int slot, int from) {
  SegmentEnds(2, 3);
  CX = X_A(from);
  CY = Y_A(from);
  FootOfPerpendicular();
  X_A(0) = EX;
  Y_A(0) = EY;
  X_A(slot) = 2 * X_A(0) - X_A(from);
  Y_A(slot) = 2 * Y_A(0) - Y_A(from);
}

void TriangleLessons::StripEqualAngles() {
  const AngleStyle equalAngle = Sector(50, 9);
  AngleAt(2, 3, 1, equalAngle);  // ∠ABC
  AngleAt(2, 4, 3, equalAngle);  // ∠DBC
  AngleAt(3, 1, 2, equalAngle);  // ∠ACB
}

void TriangleLessons::StripFlatPlaceDots() {
  for (auto [from, to] : {std::pair{3, 6}, std::pair{6, 8}, std::pair{2, 8}}) {
    A = from;
    B = to;
    DottedSegment(A, B, 5, 0);
  }
}

void TriangleLessons::TriangleCh3S1FoldStep() {
  ClosedOutline({11, 12, 2, 3});  // the end
  ClosedOutline({5, 7, 2, 3});    // the left part
  StripFlatPlaceDots();
}

void TriangleLessons::TriangleCh3UnfoldStep() {
  FilledPolygon({1, 2, 3});                        // the overlap ABC
  if (KAKUDO != 0) ClosedOutline({11, 12, 2, 3});  // the end
  ClosedOutline({5, 7, 2, 3});                     // the left part
  FilledPolygon({13, 2, 3});                       // the copy of ABC the end carries
  StripFlatPlaceDots();
}

void TriangleLessons::TriangleCh3FoldedFigure() {
  CCC1 = 3;
  TrianglePolygon(1, 2, 3);
  FilledPolygon({1, 2, 3});
  ClosedOutline({9, 10, 2, 3});  // the folded end
  A = 3;
  B = 4;
  Segment(A, B, 0);
  Label(3, 4, -14, 10, "D");
}

void TriangleLessons::StripPointOnArc(int slot, int z0, int z1) {
  ZX0 = X_A(z0);
  ZY0 = Y_A(z0);
  ZX1 = X_A(z1);
  ZY1 = Y_A(z1);
  TAKASA = 20;
  PointOnArc();
  X_A(slot) = ZX;
  Y_A(slot) = ZY;
}

void TriangleLessons::TriangleCh3MoveEnd(bool withApex) {
  StripPointOnArc(11, 9, 6);
  StripPointOnArc(12, 10, 8);
  if (withApex) StripPointOnArc(13, 1, 4);
}

// One key of a MotionScreen loop: "1" ends the loop and keeps the picture;
// any other key erases the figure; the arrows turn the end by 10 degrees.
void TriangleLessons::TriangleCh3FoldKey() { TurnKey(10, GX1, GY1 - 50, GX2 + 100, GY2 + 50); }

void TriangleLessons::TriangleCh3S1PaperStripFold() {
  ScreenClear();
  TriangleCh3StripFigure();
  SETDRAWWIDTH(5);
  LINE(X_A(5), Y_A(5), X_A(8), Y_A(8), 0, 1);  // the whole strip
  XI1 = 38;
  YI1 = 30;
  NewLine(3, "教科書P133 Q をやってみよう。", 0);
  WaitAnyKey();

  // The fold: the left arrow folds the end over, the right arrow brings it back.
  AINP = 5;
  KAKUDO = 0;
  while (AINP != 1) {
    TriangleCh3S1FoldStep();
    if (KAKUDO == 180) FilledPolygon({1, 2, 3});  // the two layers overlap
    TriangleCh3FoldKey();
    TriangleCh3MoveEnd(false);
  }
  // The unfold's first picture has the end folded over. An end that "1"
  // left elsewhere is undrawn first, so that it does not show twice; the
  // picture draws again what the undrawing takes from the strip's edges.
  if (KAKUDO != 180) ClosedOutline({11, 12, 2, 3}, 15);
  // The letters come in the colour of the task line (CCC1 is still 3).
  TrianglePolygon(1, 2, 3);
  NewLine(0, "∠ABCと同じ大きさの角をさがそう。", 70);

  // The unfold: its first picture shows the end folded over at 180 degrees.
  AINP = 5;
  KAKUDO = 180;
  TriangleCh3MoveEnd(true);
  while (AINP != 1) {
    TriangleCh3UnfoldStep();
    TriangleCh3FoldKey();
    TriangleCh3MoveEnd(true);
  }

  Steps({[&] { TriangleCh3FoldedFigure(); },
         [&] {
           NewLine(0, "∠ABC=∠DBC=∠ACB", 70);
           StripEqualAngles();
         },
         [&] {
           NewLine(3, "∠ABC=∠ACB", 70);
           SameLine(0, "だから", 20);
           NewLine(5, "∠ABCと∠ACBを底角とする", 70);
           NewLine(5, "二等辺三角形になりそうだ。", 50);
         },
         [&] { NewLine(3, "∠ABC=∠ACB となるわけは?", 70); }});
}

void TriangleLessons::TriangleCh3S2FoldReason() {
  ScreenClear(1760);
  TriangleCh3StripFigure();
  SETDRAWWIDTH(5);
  FilledPolygon({4, 2, 3});  // the triangle of the end that folds onto ABC
  // The end's flat place is outlined or not as the last fold left KAKUDO.
  TriangleCh3UnfoldStep();
  TriangleCh3FoldedFigure();
  StripEqualAngles();

  XI1 = 38;
  YI1 = 30;
  NewLine(3, "<∠ABC=∠ACB となるわけ>", 0);
  NewLine(0, "∠ABCは∠DBCを折り返したものだから、", 55);
  NewLine(0, "∠ABC=", 55);
  AnswerBox(1, "ア", 152);
  NewLine(0, "AC∥BDで、", 55);
  NewLine(0, "平行線の", 55);
  AnswerBox(2, "イ", 152);
  SameLine(0, "は等しいので", 4);
  NewLine(0, "∠ACB=", 55);
  AnswerBox(3, "ウ", 152);
  NewLine(0, "したがって、∠ABC=∠ACB", 55);

  // One parallel arrow each on AC and BD; A and B hold the ratio, so the
  // end points go through M and N.
  for (auto [from, to] : {std::pair{1, 3}, std::pair{2, 4}}) {
    M = from;
    N = to;
    SegmentEnds(M, N);
    A = 1;
    B = 1;
    HONSU = 1;
    NAGASA = 16;
    CCC2 = 3;
    ParallelMarks();
  }

  WaitAnyKey();
  Reveal(1, "∠DBC", 152);
  WaitAnyKey();
  Reveal(2, "錯角", 152);
  WaitAnyKey();
  Reveal(3, "∠DBC", 152);
}
