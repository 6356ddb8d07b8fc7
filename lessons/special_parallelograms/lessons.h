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
  // The tapes' corner points from their angles R(first..first+3) in radians.
  void SpecialCh1S1TapeCorners(float first);
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

  // ---- chapter 2, items 6 to 10, and chapter 3 (chapter2_map*.cpp, chapter3*.cpp) ----
  // The four quadrilaterals of question 6, each on the frame the caller has
  // just set; the arrow anchors of question 6 go to U(), V().
  void SpecialCh2ParallelogramFigure();
  void SpecialCh2RectangleFigure();
  void SpecialCh2RhombusFigure();
  void SpecialCh2SquareFigure();
  void SpecialCh2S6Question6Answer();
  void SpecialCh2S7ParallelogramToRectangle();
  void SpecialCh2S8RectangleToSquare();
  void SpecialCh2S9ParallelogramToRhombus();
  void SpecialCh2S10RhombusToSquare();

  void SpecialCh3Goal();
  // Equilateral triangles ACD and CBE on one line, P the crossing of AE and DB.
  void SpecialCh3TrianglesFigure();
  void SpecialCh3S1Conjectures();
  void SpecialCh3S2Proof();
  void SpecialCh3S3Figure();
  void SpecialCh3S4Figure();
  void SpecialCh3S5Figure();
  void SpecialCh3S3Figure1Proof();
  void SpecialCh3S4Figure2Proof();
  void SpecialCh3S5SquaresProof();

  // The text column of items 6 to 10: margin 38 from y 30, pen width 5, the heading.
  void MapTextColumn(const std::string& heading);
  // Items 7 to 10: the heading and, on its line, the two conditions explained.
  void MapExplanationHeading(const std::string& heading, const std::string& conditions);
  // The condition ア ∠A=90% with its corner mark at A; the condition イ AB=BC
  // with a tick on AB and on BC.
  void RightAngleAtA();
  void EqualAdjacentSides();
  // The frame erased and quadrilateral ABCD drawn again from G(): edges 5
  // wide in colour 0, letters in colour 3.
  void FreshQuadrilateral();
  // A corner mark in each corner of the quadrilateral in slots 1 to 4 (slot 5 a copy of A).
  void CornerMarks();
  // One tick, 40 long, in colour 3 on the side from slot a to slot b.
  void SideTick(int a, int b);

  // Chapter 3's proof screens: the page cleared, the text column at 40 from
  // y 30, pen width 5 and the figure frame (600, 80), 11 x 7 at 60.
  void ProofScreenStart();
  // Vertex letters in colour 0, each at its point plus an offset.
  struct VertexLetter {
    int slot;
    float dx, dy;
    const char* letter;
  };
  void VertexLetters(std::initializer_list<VertexLetter> letters);
  // The triangles compared: A, C and `third` filled in colour 13, D, C, B outlined in colour 7.
  void ComparedTriangles(int third);
  // The second triangle of a revision: E and B turned about C (slot 3) by the
  // given angles, 4 units from it, and the outlines of ACD and CBE.
  void TurnedSecondTriangle(float degreesE, float degreesB);
  // The proof of AE = DB as the revisions draw it at once, around the two
  // angle-sum lines that each revision writes itself.
  void EquilateralProofOpening();
  void EquilateralProofClosing();
  // A text on the same line or a new line whose top-left is kept in T(k), F(k).
  void KeptSameLine(int k, int colour, const std::string& text, float gap = 0);
  void KeptNewLine(int k, int colour, const std::string& text, float advance);
  // The word kept at k drawn again in colour 15, then its replacement in colour 5.
  void Overwrite(int k, const std::string& old, const std::string& replacement);
  // A blanking box from the place kept at k to (x2, y2), then the new words there.
  void BlankAndWrite(int k, float x2, float y2, const std::string& replacement);
};
