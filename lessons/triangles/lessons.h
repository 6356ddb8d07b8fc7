// Kelvaro's lesson set: triangles.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "framework/lesson_screens.h"

class TriangleLessons : public LessonScreens {
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
  // ---- chapter 3 helpers ----
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
  // The flat place of the strip's end, dotted: C-6, 6-8, B-8.
  void StripFlatPlaceDots();
  // The corners 6 and 8 of the strip mirrored in line BC, into `slot`.
  void StripMirrorInBC(int slot, int from);
  // The three equal angles of the folded strip: ∠ABC, ∠DBC, ∠ACB.
  void StripEqualAngles();

  // ---- chapter 4 and 5 helpers ----
  // The flip and the slide of the right triangles (one state each).
  void TriangleCh4S2FlipStep();
  void TriangleCh4SlideStep();
  void TriangleCh4S4Figure();
  void TriangleCh5S2Figure();
  // A filled equal-angle sector (radius 50, border 0, ITI 1, no label);
  // the letter colour CCC1 stays as it is.
  void SectorAt(int vertex, int p1, int p2, int fill);
  // The dotted half-ellipse with its "○" over an equal side from `base`
  // to `apex` (TAKASA 50, a dot every 5 degrees).
  void EqualSideArc(int base, int apex, float houkou, int colour);
  // A pair of congruent right triangles from `first` (A, B, C, D, E, F in
  // six slots) with its number box and the ticks on its hypotenuses.
  void TriangleCh4S4Pair(int first, const std::string& number);
  // A problem page's title box at the TextCursor.
  void ProblemTitle();

  // ---- chapter 1 and 2 helpers (chapter1.cpp, chapter2.cpp) ----
  // The frame (840, 50, 8 x 10, SIZE 50) and points A(4,9), B(1,1), C(7,1),
  // D(4,1) of the usual isosceles triangle, then pen width 5.
  void StandardIsoscelesTriangle();
  // A compass arc at point p through point q: the compass-point disc, then
  // an arc of radius |pq| spanning 0.08 of a turn centred on the direction
  // of q, found by AngleRays (ITI -1) on rays p-z1, p-z2; `towardsZ2` picks
  // HH1 (ray p-z2) rather than HH2 (ray p-z1).
  void CompassArc(int p, int q, int z1, int z2, bool towardsZ2);
  // The base-angle practice: one case of practice 1 or 2, and its figure.
  void PracticeCase(int practice);
  void PracticeFigure(int practice);
  // Apex A (slot 1) of the triangle on base B (slot 2), C (slot 3) with base
  // angles of `degrees`: LineIntersection of the rays from B and C, each
  // given by its point 8 SIZE out.
  void ApexOverBase(float degrees);
};
