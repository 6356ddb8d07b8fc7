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
  // The usual parallelogram: O(4.5,3), A(2,5), B(1,1), C(7,1), D(8,5) into
  // slots 0..4 as pixels of the current frame (centre false leaves slot 0
  // alone); it sets no frame and draws nothing.
  void StandardParallelogram(bool centre = true);
  void ParallelogramCh1Goal();
  void ParallelogramCh2Goal();
  void ParallelogramCh3Goal();
  void ParallelogramCh4Goal();
  void ParallelogramCh1S1StripOverlap();
  void ParallelogramCh1S2HalfTurn();
  void ParallelogramCh1S3Properties();
  void ParallelogramCh1S4OppositeSidesProof();
  void ParallelogramCh1S5Question2Answer();
  void ParallelogramCh1S6DiagonalsProof();
  void ParallelogramCh2S1Example();
  void ParallelogramCh2S2Question4Answer();
  // The turning strips (chapter 1, screen 1): their frame and base angles,
  // one picture at KAKUDO, and the labelled ABCD that closes the screen.
  void ParallelogramCh1S1StripSetup();
  void ParallelogramCh1S1StripDraw();
  void ParallelogramCh1S1Figure();
  // Page clear, the frame (ggx, 100, 9 x 6, SIZE 60), the usual parallelogram
  // and ABCD with its letters in colour 0.
  void ParallelogramFigure(float ggx);
  // Marks on the usual parallelogram: parallel arrows on the four sides
  // (A:B 1:2, NAGASA 20; `half` 1:1 on AD and BC), ticks on the four sides,
  // the arcs of the opposite angles, and the ticks on the half-diagonals.
  void SideArrows(bool half = false);
  void SideTicks(int colour);
  void OppositeAngleArcs();
  void HalfDiagonalTicks(int colour);
  // An AnswerBox closed by its reference mark ("…①" in colour 3, 4 pixels on).
  void MarkedBox(int n, const std::string& placeholder, float width, const std::string& mark);
  // A proof's last lines: box エ of the congruence condition, the congruence,
  // the corresponding sides that follow.
  void CongruenceClose(const std::string& congruence, const std::string& sides);
  // A filled equal-angle sector without a label (letter colour 3).
  static AngleStyle EqualSector(float radius, int fill, int border = 0);

  // ---- chapters 3 and 4 (chapter3*.cpp, chapter4*.cpp) ----
  void ParallelogramCh3S1SwingLinkage();
  void ParallelogramCh3S2OppositeSidesProof();
  void ParallelogramCh3S3OppositeAnglesProof();
  void ParallelogramCh3S4DiagonalsProof();
  void ParallelogramCh3S5TwoSticks();
  void ParallelogramCh3S6ParallelEqualSidesProof();
  void ParallelogramCh3S7FiveConditions();
  void ParallelogramCh3S8ConditionDrill();
  void ParallelogramCh3S9Question2Answer();
  void ParallelogramCh4S1Example();
  void ParallelogramCh4S2Question3Answer();
  void ParallelogramCh4S3Question4Answer();

  // The swinging ride: A, D and the ends of the top bar for KAKUDO.
  void ParallelogramCh3SwingArms();
  // One turn of the condition drill: question, marks, answer, verdict.
  void ParallelogramCh3S8Turn();
  // The drill's figures (they read NO for the diagonals and O).
  void ParallelogramCh3S8QuestionFigure();
  void ParallelogramCh3S8ParallelogramFigure();
  void ParallelogramCh3S8KiteFigure();
  void ParallelogramCh3S8TrapezoidABDCFigure();
  void ParallelogramCh3S8TrapezoidADBCFigure();
  // A drill figure: frame at (ggx, ggy), 9 x 6 at SIZE 60; O as the
  // crossing of AC and BD when `crossing`; the diagonals and "O" when
  // `diagonals`.
  void DrillFigure(float ggx, float ggy, std::initializer_list<GridPoint> points, bool crossing,
                   bool diagonals);
  // The drill's case marks, one routine per case, on the last figure.
  void ParallelogramCh3S8Case1Marks();
  void ParallelogramCh3S8Case2Marks();
  void ParallelogramCh3S8Case3Marks();
  void ParallelogramCh3S8Case4Marks();
  void ParallelogramCh3S8Case5Marks();
  void ParallelogramCh3S8Case6Marks();
  void ParallelogramCh3S8Case7Marks();
  void ParallelogramCh3S8Case8Marks();
  void ParallelogramCh3S8Case9Marks();
  void ParallelogramCh3S8Case10Marks();
  // The three kinds of drill mark, all in colour 3.
  void DrillArrows(int p, int q, float count);
  void DrillTicks(int p, int q, float count);
  void DrillArcs(int vertex, int p, int q, float count);

  // Marks on parallelogram ABCD (slots 1 to 4), the general forms of the
  // fixed ones above (SideArrows, OppositeAngleArcs()): arrowheads two on AB
  // and DC (ratio 1:2), one on AD and BC (ratio 1:`adBc`); arcs one at A and
  // C (radius r1), two at B and D (radius r2).
  void OppositeSideArrows(int colour, float size, float adBc = 2);
  void OppositeAngleArcs(float r1, float r2, int colour);
  // The usual parallelogram in a frame of 9 x 6 at SIZE 60 from (ggx, ggy),
  // drawn and lettered A to D in colour 0 (O in slot 0 when `centre`).
  void ParallelogramFigureAt(float ggx, float ggy, bool centre = true);
  // An AngleMark without a label: `count` arcs (0 a filled sector), border
  // 0, label colour 3, ITI 1.
  static AngleStyle ParallelogramAngle(float count, float radius, int fill);
  // A line of a proof's plan: the claim indented 36 in colour 3, then 20
  // pixels on its tail in colour 0.
  void PlanLine(const std::string& claim, const std::string& tail);
  // Proof lines: "<証明> 対角線BDをひく。" with "△ABDと△CDBにおいて";
  // "BDは共通だから、BD=[ア]…①" and "仮定より" on the next line; box エ of
  // the congruence condition (`width`), the congruence and the line on the
  // corresponding angles.
  void DiagonalBDProofHeading();
  void DiagonalBDCommon();
  void CongruentAngles(float width, const std::string& congruence);
  // Chapter 4. The opening of a screen: a cleared page, the TextCursor at
  // (margin, 30), pen width 5 and the statement line "&ABCD...
  // ならば 四角形AECFは平行四辺形" with its first text `given`.
  void AecfOpening(float margin, const std::string& given);
  // The proof by the diagonals (OB-BE or OB+BE) from its heading to the
  // closing line, a key before each step.
  void AecfDiagonalProof(const std::string& sign, const std::string& closing);
  // The diagonal AC and "O" (or, with `halves`, the ticks on AO and OC).
  void AecfDiagonalAC(bool halves);
};
