// Dravolin's lesson set: parallel lines and area.
#pragma once

#include "framework/lesson_screens.h"

class AreaLessons : public LessonScreens {
 public:
  explicit AreaLessons(rt::Runtime& runtime);

  // ---- chapters: entry (goal screen once), then the sub-menu loop ----
  void AreaCh1ParallelLinesArea();
  void AreaCh2BasicProblems();
  void AreaCh3ChapterProblemsA();
  void AreaCh4ChapterProblemsB();
  void AreaCh1Goal();
  void AreaCh1Menu();
  void AreaCh2Menu();
  void AreaCh3Menu();
  void AreaCh4Menu();

  // ---- chapter 1 (chapter1*.cpp, menus.cpp) ----
  void AreaCh1S1CommonBase();
  void AreaCh1S2TrapezoidTriangles();
  void AreaCh1S3Question1Answer();
  void AreaCh1S4QuadToTriangle();
  void AreaCh1S5QuadToTriangleProof();
  void AreaCh1S6TriangleBCFConstruction();
  void AreaCh1S7Question2Answer();

 protected:
  // Chapter 1 screens 4 and 5: A, B, C, D, the end of BC extended (6), the
  // ends of l (7, 8) in grid units, and E (5) where l meets BC.
  void AreaCh1QuadFigurePoints();
  // The quadrilateral ABCD of the construction screens from slots 1 to 4,
  // letters in colour 0 at distance 10, SIZE1 5.
  void AreaQuadrilateral();
  // Parallel arrowheads (one each, at the midpoints) on p->q and on a->c.
  void AreaParallelPair(int p, int q, int a, int c, int colour, float size);
  // The parallel line l of a construction from its upper end to its lower
  // end in colour 3 with its label, then the arrowheads on l and on a->c.
  void AreaLineL(int upper, int lower, int a, int c, int colour, float size);
  // Steps ① and ② of the constructions on ABCD (screens 4 and 6): the
  // diagonal AC, then the line l through D (slots 7, 8) parallel to it.
  void AreaCh1DiagonalStep();
  void AreaCh1ParallelThroughDStep();
  // The figure-half clear of a construction screen: everything right of
  // the frame's left edge GX1.
  void AreaFigureHalfClear();
  // Chapter 1 screen 7: the rectangle, the bent boundary A-B-C, the region
  // numbers and the letters A, B, C.
  void AreaCh1S7BaseFigure();

 public:

  // ---- chapters 2 to 4: the problem pages (problems*.cpp) ----
  // Chapter 2, basic problems (problems_basic.cpp).
  void AreaCh2S1Problem1();
  void AreaCh2S2Problem2();
  void AreaCh2S3Problem3();
  void AreaCh2S4Problem4();
  // Chapter 3, chapter problems A (problems_a.cpp).
  void AreaCh3S1Problems1And2();
  void AreaCh3S2Problem3();
  void AreaCh3S3Problem4();
  void AreaCh3S4Problem5();
  void AreaCh3S5Problem6();
  void AreaCh3S6Problem7();
  // Chapter 4, chapter problems B (problems_b.cpp).
  void AreaCh4S1Problem1();
  void AreaCh4S2Problem2();
  void AreaCh4S3Problem3();
  void AreaCh4S4Problem4();

 protected:
  // A problem page: the page cleared (1760 wide), YI1 = 30, pen width 5.
  void ProblemPage();
  // A problem page's title box (396 x 44, text 0, border 3, fill 13) at
  // (x, YI1), holding the page and its title; XI2 and YI1 follow.
  void ProblemTitle(float x, const std::string& page);
  // The title box, then the number badge `gap` after it on the same line.
  void ProblemHeading(float x, const std::string& page, const std::string& number, float gap);
  // The arrowheads of a parallelogram in slots 1 to 4, colour 3: two on AB
  // and on DC (1:2), one on AD and on BC at the ratios given.
  void ParallelogramArrows(float adA, float adB, float bcA, float bcB);
  // Each screen's own figure.
  void AreaCh2S1Figure();
  void AreaCh2S2Figure();
  void AreaCh2S3Figure();
  void AreaCh2S4Figure();
  void AreaCh3S1Figure();
  void AreaCh3S2Figure();
  void AreaCh3S3Figure();
  void AreaCh3S4Figure();
  void AreaCh3S5Figure();
  void AreaCh3S6Figure();
  void AreaCh4S1Figure();  // ends with a key wait
  void AreaCh4S2Figure();
  void AreaCh4S3Figure();
  void AreaCh4S4Figure();  // a key wait between its two halves
};
