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

  // (end of this section)


  // ---- chapter 2, items 6 to 10, and chapter 3 (chapter2_map*.cpp, chapter3*.cpp) ----

  // (end of this section)
};
