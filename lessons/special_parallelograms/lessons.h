// Orbanet's lesson set: special parallelograms.
#pragma once

#include "framework/lesson_screens.h"

class SpecialLessons : public LessonScreens {
 public:
  explicit SpecialLessons(rt::Runtime& runtime);

  // ---- chapters: entry, then the sub-menu loop ----
  void SpecialCh1SpecialParallelograms();
  void SpecialCh2Diagonals();
  void SpecialCh3TwoEquilateralTriangles();
  void SpecialCh1Menu();
  void SpecialCh2Menu();
  void SpecialCh3Menu();

  // ---- chapters 1 and 2, items 1 to 5 (chapter1*.cpp, chapter2*.cpp, menus.cpp) ----
  void SpecialCh1Goal();
  void SpecialCh2Goal();

  // Chapter 1: the crossed tapes, the definitions, the two proofs, the properties.
  void SpecialCh1S1CrossedTapes();
  void SpecialCh1S2Definitions();
  void SpecialCh1S3RectangleIsParallelogram();
  void SpecialCh1S4RhombusIsParallelogram();
  void SpecialCh1S5Properties();
  // The edge points of both tapes: the fixed one in slots 1 to 4, the
  // turning one (half-angle R(5) degrees) in slots 5 to 8 at KAKUDO 0; its
  // base angles stay in R(1) to R(4). Pen width 5.
  void SpecialCh1S1TapeSetup();
  // One state of the tapes: the edges, the overlap (slots 11 to 14), filled
  // strictly between 22 and 158 degrees, and the parallel marks.
  void SpecialCh1S1TapeDraw();
  // The lettered rectangle (slots 1-5), rhombus (11-15) and square (21-25),
  // each on its own frame; the frame left is the square's.
  void SpecialCh1ShapeFigures();

  // Chapter 2, items 1 to 5.
  void SpecialCh2S1RectangleDiagonals();
  void SpecialCh2S2RhombusDiagonals();
  void SpecialCh2S3DiagonalConverses();
  void SpecialCh2S4Question4Answer();
  void SpecialCh2S5Question5Answer();
  // The rectangle's right angles and the ticks on its diagonals.
  void SpecialCh2S1RectangleMarks();
  // The rhombus's side ticks and the right angle at O.
  void SpecialCh2S2RhombusMarks();
  // The slanted parallelogram ABCD with O (slot 0) on its own frame.
  void SpecialCh2S3Figure();

  // ---- marks and scripts that several of these screens share ----
  // The right-angle corners (side 30) of the quadrilateral ABCD in slots
  // first to first + 3, at A, B, C, D in turn.
  void CornerRightAngles(int first, int colour);
  // One tick on each side AB, BC, CD, DA of the quadrilateral from `first`.
  void SideTicks(int first, int colour, float half = 20);
  // Three ticks on OA and OC, four on OB and OD (half-length 18, colour 3).
  void HalfDiagonalTicks(int centre, int first);
  // The proof of chapter 1's examples: two hypotheses with their boxes, the
  // reason in a third box, the conclusion; then the three reveals.
  struct PairProof {
    const char* hypothesis1;
    const char* hypothesis2;
    const char* answer1;
    const char* answer2;
    const char* reason;
    float reasonWidth;
    const char* conclusion;
  };
  void OppositePairsProof(const std::function<void()>& figure, const PairProof& proof,
                          const std::function<void()>& closing);

  // (end of this section)


  // ---- chapter 2, items 6 to 10, and chapter 3 (chapter2_map*.cpp, chapter3*.cpp) ----

  // (end of this section)
};
