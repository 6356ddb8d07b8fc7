// Sindrel's lesson set: parallelograms.
#pragma once

#include "framework/lesson_screens.h"

class ParallelogramLessons : public LessonScreens {
 public:
  explicit ParallelogramLessons(rt::Runtime& runtime);

  // ---- chapters: entry, then the sub-menu loop ----
  void ParallelogramCh1Properties();
  void ParallelogramCh2ProofsWithProperties();
  void ParallelogramCh3Conditions();
  void ParallelogramCh4ProofsWithConditions();
  void ParallelogramCh1Menu();
  void ParallelogramCh2Menu();
  void ParallelogramCh3Menu();
  void ParallelogramCh4Menu();

  // ---- frame, chapters 1 and 2, goal screens (chapter1*.cpp, chapter2*.cpp, menus.cpp) ----
  // The usual parallelogram: O(4.5,3), A(2,5), B(1,1), C(7,1), D(8,5) into
  // slots 0..4 as pixels of the current frame (centre false leaves slot 0
  // alone); it sets no frame and draws nothing.
  void StandardParallelogram(bool centre = true);
  void ParallelogramCh1Goal();
  void ParallelogramCh2Goal();
  void ParallelogramCh3Goal();
  void ParallelogramCh4Goal();
  void ParallelogramCh1S1StripOverlap();
  void ParallelogramCh1S2HalfTurn();
  void ParallelogramCh1S3Properties();
  void ParallelogramCh1S4OppositeSidesProof();
  void ParallelogramCh1S5Question2Answer();
  void ParallelogramCh1S6DiagonalsProof();
  void ParallelogramCh2S1Example();
  void ParallelogramCh2S2Question4Answer();
  // The turning strips (chapter 1, screen 1): their frame and base angles,
  // one picture at KAKUDO, and the labelled ABCD that closes the screen.
  void ParallelogramCh1S1StripSetup();
  void ParallelogramCh1S1StripDraw();
  void ParallelogramCh1S1Figure();
  // Slot `slot` at `radians` and `radius` pixels about O (slot 0).
  void TurnedPoint(int slot, float radians, float radius);
  // Page clear, the frame (ggx, 100, 9 x 6, SIZE 60), the usual parallelogram
  // and ABCD with its letters in colour 0.
  void ParallelogramFigure(float ggx);
  // Marks on the usual parallelogram: parallel arrows on the four sides
  // (A:B 1:2, NAGASA 20; `half` 1:1 on AD and BC), ticks on the four sides,
  // the arcs of the opposite angles, and the ticks on the half-diagonals.
  void SideArrows(bool half = false);
  void SideTicks(int colour);
  void OppositeAngleArcs();
  void HalfDiagonalTicks(int colour);
  // An AnswerBox closed by its reference mark ("…①" in colour 3, 4 pixels on).
  void MarkedBox(int n, const std::string& placeholder, float width, const std::string& mark);
  // A proof's last lines: box エ of the congruence condition, the congruence,
  // the corresponding sides that follow.
  void CongruenceClose(const std::string& congruence, const std::string& sides);
  // A filled equal-angle sector without a label (letter colour 3).
  static AngleStyle EqualSector(float radius, int fill, int border = 0);

  // (end of this section)


  // ---- chapters 3 and 4 (chapter3*.cpp, chapter4*.cpp) ----

  // (end of this section)
};
