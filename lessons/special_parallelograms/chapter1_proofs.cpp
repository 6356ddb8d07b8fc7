// Chapter 1, screens 3 and 4: the rectangle and the rhombus are
// parallelograms. One script: the figure and the claim, the whole proof
// with its three boxes, the three answers, the closing line. Neither screen
// sets a pen width: its marks take the width in force.
#include "lessons/special_parallelograms/lessons.h"

void SpecialLessons::OppositePairsProof(const std::function<void()>& figure,
                                        const PairProof& proof,
                                        const std::function<void()>& closing) {
  Steps({
      [&] { figure(); },
      [&] {
        NewLine(0, proof.hypothesis1, 55);
        AnswerBox(1, "ア", 114);
        SameLine(3, "…①", 4);
        NewLine(0, proof.hypothesis2, 55);
        AnswerBox(2, "イ", 114);
        SameLine(3, "…②", 4);
        NewLine(0, "①②から、", 55);
        MarginAnswerBox(3, "ウ", proof.reasonWidth, 55);
        SameLine(0, "ので", 30);
        NewLine(0, proof.conclusion);
      },
      [&] { Reveal(1, proof.answer1, 114); },
      [&] { Reveal(2, proof.answer2, 114); },
      [&] { Reveal(3, proof.reason, proof.reasonWidth); },
      [&] { closing(); },
  });
}

// ---- screen 3: example 1, a rectangle is a parallelogram ----

void SpecialLessons::SpecialCh1S3RectangleIsParallelogram() {
  OppositePairsProof(
      [&] {
        ScreenClear();
        Frame(760, 160, 6, 5, 80);
        Points({{1, 1, 4}, {2, 1, 1}, {3, 5, 1}, {4, 5, 4}});
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        CornerRightAngles(1, 3);
        Parallel(1, 2, 2, 5, 1, 2, 20);
        Parallel(4, 3, 2, 5, 1, 2, 20);
        Parallel(1, 4, 1, 5, 1, 1, 20);
        Parallel(2, 3, 1, 5, 1, 1, 20);
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "例1　長方形は平行四辺形である。", 0);
        NewLine(0, "四角形ABCDで、∠A=∠B=∠C=∠D=90% ならば 平行四辺形");
        NewLine(3, "<証明>");
      },
      {"仮定より、∠A=", "      ∠B=", "∠C", "∠D", "2組の対角がそれぞれ等しい", 456,
       "長方形ABCDは平行四辺形である。"},
      [&] { TextLine(7, 160, 620, "教科書P146 問1　をしなさい。"); });
}

// ---- screen 4: question 1, a rhombus is a parallelogram ----

void SpecialLessons::SpecialCh1S4RhombusIsParallelogram() {
  OppositePairsProof(
      [&] {
        ScreenClear();
        Frame(720, 160, 6, 5, 65);
        Points({{1, 4, 4}, {2, 1, 2.5f}, {3, 4, 1}, {4, 7, 2.5f}});
        CCC1 = 0;
        PolygonAt({1, 2, 3, 4});
        SideTicks(1, 3);
        Parallel(1, 2, 2, 5, 2, 1, 20);
        Parallel(4, 3, 2, 5, 2, 1, 20);
        Parallel(1, 4, 1, 5, 2, 1, 20);
        Parallel(2, 3, 1, 5, 2, 1, 20);
        XI1 = 38;
        YI1 = 30;
        NewLine(3, "問1　ひし形は平行四辺形である。", 0);
        NewLine(0, "四角形ABCDで、AB=BC=CD=DA ならば 平行四辺形");
        NewLine(3, "<証明>");
      },
      {"仮定より、AB=", "      BC=", "CD", "DA", "2組の対辺がそれぞれ等しい", 570,
       "ひし形ABCDは平行四辺形である。"},
      [&] { NewLine(3, "正方形の証明は、長方形、ひし形のどちらを使ってもよい。", 80); });
}
