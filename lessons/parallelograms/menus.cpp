// Sindrel's main-menu table, chapter entries and sub-menus. The chapters'
// goal screens and lesson screens are still to come: each item of a
// sub-menu comes straight back to its prompt.
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

void ParallelogramLessons::ParallelogramCh1Properties() { ParallelogramCh1Menu(); }
void ParallelogramLessons::ParallelogramCh2ProofsWithProperties() { ParallelogramCh2Menu(); }
void ParallelogramLessons::ParallelogramCh3Conditions() { ParallelogramCh3Menu(); }
void ParallelogramLessons::ParallelogramCh4ProofsWithConditions() { ParallelogramCh4Menu(); }

void ParallelogramLessons::ParallelogramCh1Menu() {
  ChapterMenu("①P139Q　②P140Q　③性質　④対辺証明　⑤問２　⑥対角線証明　⑦終了",
              std::vector<LessonScreenFn>(6));
}

void ParallelogramLessons::ParallelogramCh2Menu() {
  ChapterMenu("①P142例　②問4　③終了", std::vector<LessonScreenFn>(2));
}
