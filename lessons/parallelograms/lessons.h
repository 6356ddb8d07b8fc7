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
  // O(4.5,3), A(2,5), B(1,1), C(7,1), D(8,5) into slots 0..4 as pixels of the current frame (centre: false leaves slot 0); no frame set, nothing drawn.
  void StandardParallelogram(bool centre = true);

  // (end of this section)


  // ---- chapters 3 and 4 (chapter3*.cpp, chapter4*.cpp) ----

  // (end of this section)
};
