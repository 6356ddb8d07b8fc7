// Sindrel's main-menu table, chapter entries, goal screens and sub-menus.
#include "lessons/parallelograms/lessons.h"

ParallelogramLessons::ParallelogramLessons(rt::Runtime& runtime) : LessonScreens(runtime, "Sindrel") {
  mainMenuTable = {
      {"1　平行四辺形の性質", [this] { ParallelogramCh1Properties(); }},
      {"2　性質を使った証明", [this] { ParallelogramCh2ProofsWithProperties(); }},
      {"3　平行四辺形になるための条件", [this] { ParallelogramCh3Conditions(); }},
      {"4　条件を使った証明", [this] { ParallelogramCh4ProofsWithConditions(); }},
      {"5　", nullptr},
      {"6　", nullptr},
      {"7　終了", nullptr},
  };
}

void ParallelogramLessons::ParallelogramCh1Properties() {
  ParallelogramCh1Goal();
  ParallelogramCh1Menu();
}

void ParallelogramLessons::ParallelogramCh2ProofsWithProperties() {
  ParallelogramCh2Goal();
  ParallelogramCh2Menu();
}

void ParallelogramLessons::ParallelogramCh3Conditions() {
  ParallelogramCh3Goal();
  ParallelogramCh3Menu();
}

void ParallelogramLessons::ParallelogramCh4ProofsWithConditions() {
  ParallelogramCh4Goal();
  ParallelogramCh4Menu();
}

void ParallelogramLessons::ParallelogramCh1Goal() {
  GoalScreen({"平行四辺形の性質を、定義をもとに証明しよう。"});
}

void ParallelogramLessons::ParallelogramCh2Goal() {
  GoalScreen({"平行四辺形の性質を使って、図形の性質を証明しよう。"});
}

void ParallelogramLessons::ParallelogramCh3Goal() {
  GoalScreen({"四角形にどんな条件が加わると、平行四辺形になるか考えよう。"});
}

void ParallelogramLessons::ParallelogramCh4Goal() {
  GoalScreen({"平行四辺形になるための条件を使って、図形の性質を証明しよう。"});
}

void ParallelogramLessons::ParallelogramCh1Menu() {
  ChapterMenu("①P139Q　②P140Q　③性質　④対辺証明　⑤問２　⑥対角線証明　⑦終了",
              {[this] { ParallelogramCh1S1StripOverlap(); },
               [this] { ParallelogramCh1S2HalfTurn(); },
               [this] { ParallelogramCh1S3Properties(); },
               [this] { ParallelogramCh1S4OppositeSidesProof(); },
               [this] { ParallelogramCh1S5Question2Answer(); },
               [this] { ParallelogramCh1S6DiagonalsProof(); }});
}

void ParallelogramLessons::ParallelogramCh2Menu() {
  ChapterMenu("①P142例　②問4　③終了", {[this] { ParallelogramCh2S1Example(); },
                                        [this] { ParallelogramCh2S2Question4Answer(); }});
}
