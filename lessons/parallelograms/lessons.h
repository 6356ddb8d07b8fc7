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
};
