// Kelvaro's lesson set: triangles.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "framework/framework.h"

// The look of an AnswerBox: text, border and fill colours, height.
struct BoxStyle {
  int text = 5, border = 3, fill = 13;
  float height = 48;
};

// An angle mark's parameters.
struct AngleStyle {
  float count = 0;     // HONSU: 0 a filled sector, 1..6 arcs
  float radius = 40;   // NAGASA
  int border = 0;      // CCC2
  int fill = 5;        // CCC3
  int labelColour = 5; // CCC1
  std::string label;   // AAA$
  float iti = 1;       // ITI
  float dx = 0, dy = 0;  // AAAX, AAAY
};

class TriangleLessons : public Framework {
 public:
  explicit TriangleLessons(rt::Runtime& runtime);

  // ---- chapters: entry (goal screen once), then the sub-menu loop ----
  void TriangleCh1BaseAngles();
  void TriangleCh2BisectorEquilateral();
  void TriangleCh3ConditionsConverse();
  void TriangleCh4RightTriangles();
  void TriangleCh5BasicProblems();
  void TriangleCh1Goal();
  void TriangleCh2Goal();
  void TriangleCh3Goal();
  void TriangleCh4Goal();
  void TriangleCh1Menu();
  void TriangleCh2Menu();
  void TriangleCh3Menu();
  void TriangleCh4Menu();
  void TriangleCh5Menu();

  // ---- chapter 1 (chapter1.cpp) ----
  void TriangleCh1S1RightAngleInSemicircle();
  void TriangleCh1S2BaseAngleProof();
  void TriangleCh1S3Terms();
  void TriangleCh1S4BaseAnglePractice();
  void TriangleCh1S5Question2Answer();
  void TriangleCh1S6AngleKinds();
  void TriangleCh1S7Question3Answer();

  // ---- chapter 2 (chapter2.cpp) ----
  void TriangleCh2S1BisectorConsequences();
  void TriangleCh2S2Question4Answer();
  void TriangleCh2S3Question5Answer();
  void TriangleCh2S4EquilateralTriangle();

  // ---- chapter 3 (chapter3.cpp) ----
  void TriangleCh3S1PaperStripFold();
  void TriangleCh3S2FoldReason();
  void TriangleCh3S3EqualAnglesProof();
  void TriangleCh3S4IsoscelesCondition();
  void TriangleCh3S5Question1Answer();
  void TriangleCh3S6Question2Answer();
  void TriangleCh3S7Converse();
  void TriangleCh3S8Question3Answer();

  // ---- chapter 4 (chapter4.cpp) ----
  void TriangleCh4S1HypotenuseAcuteAngle();
  void TriangleCh4S2HypotenuseOtherSide();
  void TriangleCh4S3Question1Answer();
  void TriangleCh4S4CongruenceConditions();
  void TriangleCh4S5Question2Answer();
  void TriangleCh4S6Example1();
  void TriangleCh4S7Question3Answer();

  // ---- chapter 5 (chapter5.cpp) ----
  void TriangleCh5S1Problems1And2();
  void TriangleCh5S2Problem3();

 protected:
  // ---- the screen vocabulary (vocabulary.cpp) ----
  // Each helper sets the framework's variables for one call right before
  // it, exactly as a screen's script would; none sets what a screen
  // leaves inherited (the letter colour CCC1 of a Polygon, the pen width).

  // The page clear of a screen: 1600 x 1800, or 1760 x 1800.
  void ScreenClear(float width = 1600) { ClearPage(width, 1800); }
  // GridFrame with CCC2 = 15: places the figure, draws no grid.
  void Frame(float ggx, float ggy, float yoko, float tate, float size);
  // A point in GridUnits, converted in place to pixels.
  struct GridPoint {
    int slot;
    float x, y;
  };
  void Points(std::initializer_list<GridPoint> points);

  // Text lines at the TextCursor. NewLine starts at XI1 + indent, `advance` below
  // the current line (0 for a screen's first line); SameLine continues at
  // XI2 + gap. Both then set XI2 = X and YI1 = Y.
  void NewLine(int colour, const std::string& text, float advance = 50, float indent = 0);
  void SameLine(int colour, const std::string& text, float gap = 0);
  // A text at a position; the TextCursor does not follow it.
  void TextAt(int colour, float x, float y, const std::string& text);
  // A figure label at point `slot` plus an offset.
  void Label(int colour, int slot, float dx, float dy, const std::string& text);
  // Keeps the start of the last NewLine in U(n), V(n); draws a text again
  // there (the grounds review), then XI2 = X, YI1 = Y.
  void KeepLine(int n);
  void Overdraw(int colour, int n, const std::string& text);

  // AnswerBoxes: placed after XI2 + 10 with their placeholder (position
  // kept in T(n), F(n)), revealed with their answer, hidden in colour 15.
  void AnswerBox(int n, const std::string& placeholder, float width, BoxStyle style = {});
  void Reveal(int n, const std::string& answer, float width, BoxStyle style = {});
  void HideBox(int n, float width, float height = 48);
  void BoxAt(float x, float y, const std::string& text, float width, BoxStyle style);

  // A key-paced sequence of steps: a WaitAnyKey between two steps, none
  // after the last.
  void Steps(std::initializer_list<std::function<void()>> steps);

  // Figures by point slots.
  void Segment(int a, int b, int colour);
  void EraseBox(float x1, float y1, float x2, float y2);
  // A triangle by Polygon: width SIZE1, outline CCC2, letters from `letters`
  // at distance NAGASA (CCC1, the letter colour, is the caller's).
  void TrianglePolygon(int a, int b, int c, float width = 5, int outline = 0,
                       const std::string& letters = "A", float distance = 10);
  // Equal-length ticks on AB (AIDA 8), shifted by ITI = `shift` along AB,
  // each 2 * `half` long.
  void Ticks(int a, int b, float count, int colour, float shift = 0, float half = 16);
  // An angle mark at `vertex` sweeping from ray vertex-p1 to ray vertex-p2.
  void AngleAt(int vertex, int p1, int p2, const AngleStyle& style);
  // The angle's vertex Z0 and a point on each ray, Z1 and Z2, from slots.
  void AnglePoints(int vertex, int p1, int p2);
  // A right-angle mark at `vertex` with rays to p1 and p2 (ITI -1).
  void RightAngleAt(int vertex, int p1, int p2, float side, int colour);
  // An AngleDot: a disc (or circle) of `radius` at distance d inside the
  // angle p1-vertex-p2.
  void AngleDot(int vertex, int p1, int p2, float distance, float radius, int colour,
                bool outline = false);
  // Dots along AB by ArcOverSegment with TAKASA 0 and HOUKOU -1: they run
  // from b to a.
  void DottedSegment(int a, int b, float step, int colour);

  // A goal screen: "<めあて>" in colour 3 at (44, 240) and the goal lines in
  // colour 0, 65 pixels apart; no key wait.
  void GoalScreen(std::initializer_list<const char*> goals);

  // Where the last NewLine started.
  float lineStartX = 0, lineStartY = 0;

  // ---- chapter 3 helpers ----
  // An angle mark without a label: a filled sector (border 0), or arcs.
  static AngleStyle Sector(float radius, int fill) {
    AngleStyle s;
    s.count = 0;
    s.radius = radius;
    s.border = 0;
    s.fill = fill;
    return s;
  }
  static AngleStyle Arcs(float count, float radius, int colour) {
    AngleStyle s = Sector(radius, colour);
    s.count = count;
    return s;
  }
  // The paper strip of chapter 3's first two screens (chapter3_strip.cpp).
  void TriangleCh3StripFigure();
  void TriangleCh3S1FoldStep();
  void TriangleCh3UnfoldStep();
  void TriangleCh3FoldedFigure();
  // The strip's moving corners (and, in the unfold, the moving apex) for KAKUDO.
  void TriangleCh3MoveEnd(bool withApex);
  // One key of a fold loop: the hint, the key, the erase, the new KAKUDO.
  void TriangleCh3FoldKey();
  // Slot `slot` by PointOnArc from slot z0 (folded, 180) to slot z1 (flat, 0).
  void StripPointOnArc(int slot, int z0, int z1);
  // Closed outline or filled polygon through point slots, first one repeated.
  void ClosedOutline(std::initializer_list<int> slots, int colour = 0);
  void FilledPolygon(std::initializer_list<int> slots, int fill = 13);
  // The flat place of the strip's end, dotted: C-6, 6-8, B-8.
  void StripFlatPlaceDots();
  // The corners 6 and 8 of the strip mirrored in line BC, into `slot`.
  void StripMirrorInBC(int slot, int from);
  // The three equal angles of the folded strip: ∠ABC, ∠DBC, ∠ACB.
  void StripEqualAngles();
  // AX, AY, BX, BY from point slots a and b.
  void SegmentEnds(int a, int b);
  // The intersection of line a-b with line c-d, into slot `slot`.
  void IntersectionInto(int slot, int a, int b, int c, int d);

  // ---- chapter 4 and 5 helpers ----
  // The flip and the slide of the right triangles (one state each).
  void TriangleCh4S2FlipStep();
  void TriangleCh4SlideStep();
  void TriangleCh4S4Figure();
  void TriangleCh5S2Figure();
  // An AnswerBox that opens its line at the margin XI1, `advance` below.
  void MarginAnswerBox(int n, const std::string& placeholder, float width, float advance);
  // A TextInBox at (x, y); then XI2 = X, YI1 = Y.
  void TextBoxAt(float x, float y, float width, float height, const std::string& text,
                 int textColour, int border, int fill);
  // A filled equal-angle sector (radius 50, border 0, ITI 1, no label);
  // the letter colour CCC1 stays as it is.
  void SectorAt(int vertex, int p1, int p2, int fill);
  // The dotted half-ellipse with its "○" over an equal side from `base`
  // to `apex` (TAKASA 50, a dot every 5 degrees).
  void EqualSideArc(int base, int apex, float houkou, int colour);
  // A foot of a perpendicular: from point c to the line ab, into `slot`.
  void FootInto(int slot, int a, int b, int c);
  // The key wait of a motion loop: the hint by PauseWithMessage, then "1"
  // ends the loop (AINP = 1) and any other key erases the figure area.
  void MotionPause(const std::string& hint);
  // A pair of congruent right triangles from `first` (A, B, C, D, E, F in
  // six slots) with its number box and the ticks on its hypotenuses.
  void TriangleCh4S4Pair(int first, const std::string& number);
  // A problem page's title box at the TextCursor, and a problem's badge.
  void ProblemTitle();
  void ProblemBadge(float x, float y, const std::string& number);

  // ---- chapter 1 and 2 helpers (chapter1.cpp, chapter2.cpp) ----
  // A text at a position that the TextCursor follows (XI2 = X, YI1 = Y);
  // its start is kept like a NewLine's.
  void TextLine(int colour, float x, float y, const std::string& text);
  // The frame (840, 50, 8 x 10, SIZE 50) and points A(4,9), B(1,1), C(7,1),
  // D(4,1) of the usual isosceles triangle, then pen width 5.
  void StandardIsoscelesTriangle();
  // A filled circle of `radius` on point `slot`.
  void Disc(int slot, float radius, int colour);
  // A compass arc at point p through point q: the compass-point disc, then
  // an arc of radius |pq| spanning 0.08 of a turn centred on the direction
  // of q, found by AngleRays (ITI -1) on rays p-z1, p-z2; `towardsZ2` picks
  // HH1 (ray p-z2) rather than HH2 (ray p-z1).
  void CompassArc(int p, int q, int z1, int z2, bool towardsZ2);
  // The base-angle practice: one case of practice 1 or 2, and its figure.
  void PracticeCase(int practice);
  void PracticeFigure(int practice);
  // The second point of a ray from `slot` at `degrees` above the rightward
  // direction, `length` pixels out, into (x, y).
  void RayPoint(int slot, float degrees, float length, float& x, float& y);
  // Apex A (slot 1) of the triangle on base B (slot 2), C (slot 3) with base
  // angles of `degrees`: LineIntersection of the rays from B and C, each
  // given by its point 8 SIZE out.
  void ApexOverBase(float degrees);
  // The distance in pixels between points p and q.
  float Distance(int p, int q);
};
