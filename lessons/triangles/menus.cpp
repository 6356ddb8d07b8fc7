// Kelvaro's main-menu table, chapter entries, goal screens and sub-menus.
#include "lessons/triangles/lessons.h"

TriangleLessons::TriangleLessons(rt::Runtime& runtime) : LessonScreens(runtime, "Kelvaro") {
  mainMenuTable = {
      {"1　二等辺三角形の底角", [this] { TriangleCh1BaseAngles(); }},
      {"2　頂角の二等分線、正三角形", [this] { TriangleCh2BisectorEquilateral(); }},
      {"3　なるための条件、逆", [this] { TriangleCh3ConditionsConverse(); }},
      {"4　直角三角形", [this] { TriangleCh4RightTriangles(); }},
      {"5　P138 基本の問題", [this] { TriangleCh5BasicProblems(); }},
      {"6　", nullptr},
      {"7　", nullptr},
      {"8　終了", nullptr},
  };
}

void TriangleLessons::TriangleCh1BaseAngles() {
  TriangleCh1Goal();
  TriangleCh1Menu();
}

void TriangleLessons::TriangleCh2BisectorEquilateral() {
  TriangleCh2Goal();
  TriangleCh2Menu();
}

void TriangleLessons::TriangleCh3ConditionsConverse() {
  TriangleCh3Goal();
  TriangleCh3Menu();
}

void TriangleLessons::TriangleCh4RightTriangles() {
  TriangleCh4Goal();
  TriangleCh4Menu();
}

void TriangleLessons::TriangleCh5BasicProblems() { TriangleCh5Menu(); }

void TriangleLessons::TriangleCh1Goal() { GoalScreen({"二等辺三角形の底角の性質を証明しよう。"}); }

void TriangleLessons::TriangleCh2Goal() {
  GoalScreen({"1 二等辺三角形の頂角の二等分線の性質を証明しよう。",
              "2 正三角形の定義を知り、角の性質を証明しよう。"});
}

void TriangleLessons::TriangleCh3Goal() {
  GoalScreen({"1 二等辺三角形になるための条件を調べよう。",
              "2 ことがらの逆の意味を知り、正しいかどうか判断しよう。"});
}

void TriangleLessons::TriangleCh4Goal() {
  GoalScreen({"1 2つの直角三角形が合同になるための条件を考えよう。",
              "2 直角三角形の合同条件を使って問題を解こう。"});
}

void TriangleLessons::TriangleCh1Menu() {
  ChapterMenu("①128Q　②底角証明　③用語　④練習　⑤問2　⑥鋭角　⑦問3　⑧終了",
              {[this] { TriangleCh1S1RightAngleInSemicircle(); },
               [this] { TriangleCh1S2BaseAngleProof(); }, [this] { TriangleCh1S3Terms(); },
               [this] { TriangleCh1S4BaseAnglePractice(); },
               [this] { TriangleCh1S5Question2Answer(); }, [this] { TriangleCh1S6AngleKinds(); },
               [this] { TriangleCh1S7Question3Answer(); }});
}

void TriangleLessons::TriangleCh2Menu() {
  ChapterMenu("①P131Q　②問4　③問5　④正三角形　⑤終了",
              {[this] { TriangleCh2S1BisectorConsequences(); },
               [this] { TriangleCh2S2Question4Answer(); },
               [this] { TriangleCh2S3Question5Answer(); },
               [this] { TriangleCh2S4EquilateralTriangle(); }});
}

void TriangleLessons::TriangleCh3Menu() {
  ChapterMenu("①P133Q　②わけ　③証明　④条件　⑤問１　⑥問２　⑦逆　⑧問３　⑨終了",
              {[this] { TriangleCh3S1PaperStripFold(); }, [this] { TriangleCh3S2FoldReason(); },
               [this] { TriangleCh3S3EqualAnglesProof(); },
               [this] { TriangleCh3S4IsoscelesCondition(); },
               [this] { TriangleCh3S5Question1Answer(); },
               [this] { TriangleCh3S6Question2Answer(); }, [this] { TriangleCh3S7Converse(); },
               [this] { TriangleCh3S8Question3Answer(); }});
}

void TriangleLessons::TriangleCh4Menu() {
  ChapterMenu("①P136Q鋭角　②他の1辺　③問１　④合同条件　⑤問２　⑥例１　⑦問３　⑧終了",
              {[this] { TriangleCh4S1HypotenuseAcuteAngle(); },
               [this] { TriangleCh4S2HypotenuseOtherSide(); },
               [this] { TriangleCh4S3Question1Answer(); },
               [this] { TriangleCh4S4CongruenceConditions(); },
               [this] { TriangleCh4S5Question2Answer(); }, [this] { TriangleCh4S6Example1(); },
               [this] { TriangleCh4S7Question3Answer(); }});
}

void TriangleLessons::TriangleCh5Menu() {
  ChapterMenu("P138 基本の問題 ①1,2　②3　③終了",
              {[this] { TriangleCh5S1Problems1And2(); }, [this] { TriangleCh5S2Problem3(); }});
}
