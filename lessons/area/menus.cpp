// Dravolin's main-menu table, chapter entries, goal screen and chapter 1's
// sub-menu; every item of a sub-menu but its last opens a screen.
#include "lessons/area/lessons.h"

AreaLessons::AreaLessons(rt::Runtime& runtime) : LessonScreens(runtime, "Dravolin") {
  mainMenuTable = {
      {"1　平行線と面積", [this] { AreaCh1ParallelLinesArea(); }},
      {"2　基本の問題", [this] { AreaCh2BasicProblems(); }},
      {"3　章の問題A", [this] { AreaCh3ChapterProblemsA(); }},
      {"4　章の問題B", [this] { AreaCh4ChapterProblemsB(); }},
      {"5　", nullptr},
      {"6　", nullptr},
      {"7　終了", nullptr},
  };
}

void AreaLessons::AreaCh1ParallelLinesArea() {
  AreaCh1Goal();
  AreaCh1Menu();
}

void AreaLessons::AreaCh2BasicProblems() { AreaCh2Menu(); }
void AreaLessons::AreaCh3ChapterProblemsA() { AreaCh3Menu(); }
void AreaLessons::AreaCh4ChapterProblemsB() { AreaCh4Menu(); }

void AreaLessons::AreaCh1Goal() {
  GoalScreen({"多角形の面積を変えずに、平行線の性質を使って形を変えよう。", "(等積変形)"});
}

void AreaLessons::AreaCh1Menu() {
  ChapterMenu("①例　②P153Q　③問１　④P54Q　⑤証明　⑥△BCF作図　⑦問2　⑧終了",
              {
                  [this] { AreaCh1S1CommonBase(); },
                  [this] { AreaCh1S2TrapezoidTriangles(); },
                  [this] { AreaCh1S3Question1Answer(); },
                  [this] { AreaCh1S4QuadToTriangle(); },
                  [this] { AreaCh1S5QuadToTriangleProof(); },
                  [this] { AreaCh1S6TriangleBCFConstruction(); },
                  [this] { AreaCh1S7Question2Answer(); },
              });
}
