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
};
