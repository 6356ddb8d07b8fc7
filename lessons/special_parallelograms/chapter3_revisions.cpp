// Chapter 3, items 3 to 5: the proof of AE = DB drawn again on a changed
// figure and revised in place, a word or a phrase a key.
#include <cmath>

#include "lessons/special_parallelograms/lessons.h"

// ---- revising a proof in place ----

void SpecialLessons::KeptSameLine(int k, int colour, const std::string& text, float gap) {
  T_A(k) = XI2 + gap;
  F_A(k) = YI1;
  SameLine(colour, text, gap);
}

void SpecialLessons::KeptNewLine(int k, int colour, const std::string& text, float advance) {
  T_A(k) = XI1;
  F_A(k) = YI1 + advance;
  NewLine(colour, text, advance);
}

void SpecialLessons::Overwrite(int k, const std::string& old, const std::string& replacement) {
  TextAt(15, T_A(k), F_A(k), old);
  TextAt(5, T_A(k), F_A(k), replacement);
}

void SpecialLessons::BlankAndWrite(int k, float x2, float y2, const std::string& replacement) {
  EraseBox(T_A(k), F_A(k), x2, y2);
  TextLine(5, T_A(k), F_A(k), replacement);
}

// The proof of the equilateral triangles down to the 60-degree angles, and
// from "よって、" to its end; between them each revision writes the two
// angle-sum lines, split where it rewrites them.
void SpecialLessons::EquilateralProofOpening() {
  NewLine(7, "<証明>");
  SameLine(0, "△ACEと△DCBで、", 30);
  NewLine(0, "△ACDと△CBEが正三角形だから、");
  NewLine(0, "AC=");
  SameLine(3, "DC");
  SameLine(3, "…①");
  SameLine(0, ",CE=");
  SameLine(3, "CB");
  SameLine(3, "…②");
  NewLine(0, "正三角形の1つの内角は", 55);
  SameLine(3, "60%");
  SameLine(0, "だから");
  NewLine(0, "∠ACD=", 55);
  SameLine(3, "∠ECB=60%");
}

void SpecialLessons::EquilateralProofClosing() {
  NewLine(0, "よって、", 55);
  SameLine(3, "∠ACE=∠DCB…③");
  NewLine(0, "①②③より、", 55);
  SameLine(3, "2組の辺とその間の角");
  SameLine(0, "がそれぞれ等しいので、");
  NewLine(3, "△ACE≡△DCB");
  NewLine(0, "合同な図形では、");
  SameLine(3, "対応する辺");
  SameLine(0, "は等しいので、");
  SameLine(5, "AE=DB");
}

void SpecialLessons::TurnedSecondTriangle(float degreesE, float degreesB) {
  RayPoint(3, degreesE, 4 * SIZE, X_A(5), Y_A(5));
  RayPoint(3, degreesB, 4 * SIZE, X_A(2), Y_A(2));
  ClosedOutline({1, 3, 4}, 0);
  ClosedOutline({3, 2, 5}, 0);
}

// ---- item 3: figure 1, the second triangle turned over the first ----

// A, C, D of the first triangle from grid units; E and B turned about C,
// 4 units from it, at 140 and 80 degrees.
void SpecialLessons::SpecialCh3S3Figure() {
  Points({{1, 1, 1}, {3, 1 + 6, 1}, {4, (1 + 7) / 2.0f, 1 + 3 * std::sqrt(3.0f)}});
  TurnedSecondTriangle(140, 80);
  VertexLetters({{1, -14, 6, "A"},
                 {3, -14, 8, "C"},
                 {2, 14, 8, "B"},
                 {4, -40, -10, "D"},
                 {5, -14, -50, "E"}});
  Segment(1, 5, 5);
  Segment(2, 4, 5);
}

void SpecialLessons::SpecialCh3S3Figure1Proof() {
  Steps({
      [&] {
        ProofScreenStart();
        SpecialCh3S3Figure();
        TextLine(3, 40, 30, "同じ証明でいいだろうか?");
      },
      [&] { ComparedTriangles(5); },
      [&] {
        Ticks(1, 5, 1, 5, 0, 20);
        Ticks(4, 2, 1, 5, 0, 20);
        EquilateralProofOpening();
        NewLine(0, "∠ACE=60%", 55);
        KeptSameLine(1, 0, "+");
        SameLine(3, "∠DCE");
        NewLine(0, "∠DCB=", 55);
        SameLine(3, "60%");
        KeptSameLine(2, 3, "+∠DCE");
        EquilateralProofClosing();
      },
      [&] { Overwrite(1, "+", "-"); },
      [&] { Overwrite(2, "+", "-"); },
      [&] { Ticks(1, 3, 1, 3, 0, 20); },
      [&] { Ticks(4, 3, 1, 3, 50, 20); },
      [&] { Ticks(3, 5, 2, 3, 50, 20); },
      [&] { Ticks(3, 2, 2, 3, 0, 20); },
      [&] {
        AngleAt(3, 4, 1, Arcs(1, 90, 3));
        AngleAt(3, 2, 5, Arcs(1, 80, 3));
      },
      [&] {
        AngleAt(3, 5, 1, Sector(50, 3));
        AngleAt(3, 2, 4, Sector(50, 7));
      },
  });
}

// ---- item 4: figure 2, the second triangle below the line ----

// A, C, D of the first triangle from grid units; E and B turned about C,
// 4 units from it, at -60 and -120 degrees.
void SpecialLessons::SpecialCh3S4Figure() {
  Points({{1, 3, 2.5f}, {3, 3 + 5, 2.5f}, {4, (3 + 8) / 2.0f, 2.5f + 2.5f * std::sqrt(3.0f)}});
  TurnedSecondTriangle(-60, -120);
  VertexLetters(
      {{1, -14, 6, "A"}, {3, 14, -25, "C"}, {2, -14, 8, "B"}, {4, 20, -8, "D"}, {5, -14, 8, "E"}});
  Segment(1, 5, 5);
  Segment(2, 4, 5);
}

void SpecialLessons::SpecialCh3S4Figure2Proof() {
  Steps({
      [&] {
        ProofScreenStart();
        SpecialCh3S4Figure();
        Segment(1, 5, 0);
        Segment(2, 4, 0);
        TextLine(3, 40, 30, "同じ証明でいいだろうか?");
      },
      [&] { ComparedTriangles(5); },
      [&] {
        Ticks(1, 5, 1, 5, 0, 20);
        Ticks(4, 2, 1, 5, -50, 20);
      },
      [&] {
        EquilateralProofOpening();
        NewLine(0, "∠ACE=60%+", 55);
        KeptSameLine(1, 3, "∠DCE");
        NewLine(0, "∠DCB=", 55);
        SameLine(3, "60%+");
        KeptSameLine(2, 3, "∠DCE");
        EquilateralProofClosing();
      },
      [&] { Overwrite(1, "∠DCE", "∠ACB"); },
      [&] { Overwrite(2, "∠DCE", "∠ACB"); },
      [&] { Ticks(1, 3, 1, 3, -60, 20); },
      [&] { Ticks(4, 3, 1, 3, 50, 20); },
      [&] { Ticks(3, 5, 2, 3, -50, 20); },
      [&] { Ticks(3, 2, 2, 3, -40, 20); },
      [&] {
        AngleAt(3, 4, 1, Sector(50, 3));
        AngleAt(3, 2, 5, Sector(50, 3));
      },
      [&] {
        AngleAt(3, 1, 5, Arcs(1, 80, 3));
        AngleAt(3, 4, 2, Arcs(1, 70, 7));
      },
  });
}

// ---- item 5: two squares in place of the triangles ----

// Squares ACDE (side 5) and CBFG (side 4) on the line AB; G lies on CD.
void SpecialLessons::SpecialCh3S5Figure() {
  Points({{1, 1, 1},
          {2, 1 + 9, 1},
          {3, 1 + 5, 1},
          {4, 6, 1 + 5},
          {5, 1, 6},
          {6, 10, 1 + 4},
          {7, 6, 5}});
  ClosedOutline({1, 3, 4, 5}, 0);
  ClosedOutline({3, 2, 6, 7}, 0);
  VertexLetters({{1, -14, 6, "A"},
                 {3, -14, 8, "C"},
                 {2, -14, 8, "B"},
                 {4, -14, -50, "D"},
                 {5, -14, -50, "E"},
                 {6, -14, -50, "F"},
                 {7, -35, -50, "G"}});
  Segment(1, 7, 5);
  Segment(2, 4, 5);
}

void SpecialLessons::SpecialCh3S5SquaresProof() {
  Steps({
      [&] {
        ProofScreenStart();
        SpecialCh3S5Figure();
        TextLine(3, 40, 30, "AEをAGとすると、同じ証明でいいだろうか?");
      },
      [&] {
        NewLine(7, "<証明>");
        KeptSameLine(1, 0, "△ACE", 30);
        SameLine(0, "と△DCBで、");
        KeptNewLine(2, 0, "△ACDと△CBEが正三角形", 50);
        NewLine(0, "だから、");
        NewLine(0, "AC=");
        SameLine(3, "DC");
        SameLine(3, "…①");
        SameLine(0, ",");
        KeptSameLine(3, 0, "CE=");
        SameLine(3, "CB");
        SameLine(3, "…②");
        KeptNewLine(4, 0, "正三角形の1つの内角は", 55);
        SameLine(3, "60%");
        SameLine(0, "だから");
        KeptNewLine(5, 0, "∠ACD=", 55);
        SameLine(3, "∠ECB=60%");
        KeptNewLine(6, 0, "∠ACE=60%+", 55);
        SameLine(3, "∠DCE");
        NewLine(0, "∠DCB=", 55);
        SameLine(3, "60%+∠DCE");
        NewLine(0, "よって、", 55);
        SameLine(3, "∠ACE=∠DCB…③");
        NewLine(0, "①②③より、", 55);
        SameLine(3, "2組の辺とその間の角");
        SameLine(0, "がそれぞれ等しいので、");
        KeptSameLine(7, 3, "△ACE≡△DCB");
        NewLine(0, "合同な図形では、");
        SameLine(3, "対応する辺");
        SameLine(0, "は等しいので、");
        SameLine(5, "AG=DB");
      },
      [&] {
        BlankAndWrite(1, GX1, F_A(1) + 50, "△ACG");
        SameLine(0, "と△DCBで、");
      },
      [&] {
        BlankAndWrite(2, GX1, F_A(2) + 93, "四角形ACDEと四角形CBFGが");
        NewLine(5, "正方形");
        SameLine(0, "だから、");
      },
      [&] {
        BlankAndWrite(3, GX1, F_A(3) + 50, "CG=");
        SameLine(3, "CB");
        SameLine(3, "…②");
      },
      [&] {
        BlankAndWrite(4, GX1, F_A(4) + 50, "正方形の1つの内角は90%");
        SameLine(0, "だから、");
      },
      [&] {
        BlankAndWrite(5, GX1, F_A(5) + 50, "∠GCA=∠GCB=90%");
        SameLine(3, "…③");
      },
      [&] { EraseBox(T_A(6), F_A(6), GX1, F_A(6) + 160); },
      [&] {
        BlankAndWrite(7, 3200, F_A(7) + 50, "△ACG");
        SameLine(3, "≡△DCB");
      },
      [&] { ComparedTriangles(7); },
      [&] {
        Ticks(1, 7, 1, 5, 0, 20);
        Ticks(4, 2, 1, 5, 0, 20);
      },
      [&] { DottedArc(1, 3, 20, 1, 3, 3); },
      [&] { DottedArc(4, 3, 20, -1, 3, 3); },
      [&] { Ticks(3, 7, 2, 3, -50, 20); },
      [&] { Ticks(3, 2, 2, 3, 0, 20); },
      [&] { RightAngleAt(3, 4, 1, 40, 3); },
      [&] { RightAngleAt(3, 4, 2, 40, 3); },
  });
}
