// Orbanet's main-menu table, chapter entries, goal screens and sub-menus.
#include "lessons/special_parallelograms/lessons.h"

SpecialLessons::SpecialLessons(rt::Runtime& runtime) : LessonScreens(runtime, "Orbanet") {
  mainMenuTable = {
      {"1　特別な平行四辺形", [this] { SpecialCh1SpecialParallelograms(); }},
      {"2　対角線の性質", [this] { SpecialCh2Diagonals(); }},
      {"3　2つの正三角形の性質は?", [this] { SpecialCh3TwoEquilateralTriangles(); }},
      {"4　", nullptr},
      {"5　終了", nullptr},
  };
}

void SpecialLessons::SpecialCh1SpecialParallelograms() {
  SpecialCh1Goal();
  SpecialCh1Menu();
}

void SpecialLessons::SpecialCh2Diagonals() {
  SpecialCh2Goal();
  SpecialCh2Menu();
}

void SpecialLessons::SpecialCh3TwoEquilateralTriangles() {
  SpecialCh3Goal();
  SpecialCh3Menu();
}

void SpecialLessons::SpecialCh1Goal() {
  GoalScreen({"長方形、ひし形、正方形と平行四辺形との関係を調べよう。"});
}

void SpecialLessons::SpecialCh2Goal() { GoalScreen({"長方形やひし形の対角線を調べよう。"}); }

void SpecialLessons::SpecialCh1Menu() {
  ChapterMenu("①Q　②定義　③例１　④問１　⑤性質説明　⑥終了",
              {[this] { SpecialCh1S1CrossedTapes(); }, [this] { SpecialCh1S2Definitions(); },
               [this] { SpecialCh1S3RectangleIsParallelogram(); },
               [this] { SpecialCh1S4RhombusIsParallelogram(); },
               [this] { SpecialCh1S5Properties(); }});
}

void SpecialLessons::SpecialCh2Menu() {
  ChapterMenu(
      "①長方形対角線　②ひし形対角線　③対角線逆　④問４　⑤問５　⑥問６　⑦説明(1)　⑧(2)　⑨(3)　⑩(4)　⑪終了",
      {
          [this] { SpecialCh2S1RectangleDiagonals(); },
          [this] { SpecialCh2S2RhombusDiagonals(); },
          [this] { SpecialCh2S3DiagonalConverses(); },
          [this] { SpecialCh2S4Question4Answer(); },
          [this] { SpecialCh2S5Question5Answer(); },
          [this] { SpecialCh2S6Question6Answer(); },
          [this] { SpecialCh2S7ParallelogramToRectangle(); },
          [this] { SpecialCh2S8RectangleToSquare(); },
          [this] { SpecialCh2S9ParallelogramToRhombus(); },
          [this] { SpecialCh2S10RhombusToSquare(); },
      });
}
