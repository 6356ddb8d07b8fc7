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

  // (end of this section)


  // ---- chapters 2 to 4: the problem pages (problems*.cpp) ----

  // (end of this section)
};
