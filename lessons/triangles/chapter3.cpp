// Chapter 3, screens 3 to 8: the condition for an isosceles triangle, its
// proof and questions, the converse and the counter-example. Screens 1
// and 2 (the paper strip) are in chapter3_strip.cpp.
#include <cmath>

#include "lessons/triangles/lessons.h"

// ---- chapter 3 helpers ----

// ---- screens ----

void TriangleLessons::TriangleCh3S3EqualAnglesProof() {
  const AngleStyle baseAngle = Sector(40, 3);
  Steps({[&] {
           ScreenClear();
           StandardIsoscelesTriangle();
           TrianglePolygon(1, 2, 3);  // letters in the colour the menu's entry left (5)
           XI1 = 38;
           YI1 = 30;
           TextLine(3, XI1, YI1, "△ABCで、∠B=∠C ならば AB=AC である。");
           TextLine(0, XI1, 100, "(1)仮定と結論をいいなさい。");
           Ticks(1, 2, 1, 5);
           Ticks(1, 3, 1, 5);
           AngleAt(2, 3, 1, baseAngle);
           AngleAt(3, 1, 2, baseAngle);
         },
         [&] { NewLine(0, "仮定…", 50, 81); },
         [&] { SameLine(5, "∠B=∠C"); },
         [&] { SameLine(0, "結論…", 76); },
         [&] { SameLine(5, "AB=AC"); },
         [&] {
           NewLine(0, "(2)∠Aの二等分線ADをひくと、どの三角形と", 70);
           NewLine(0, "どの三角形の合同を示せばよいですか。", 50, 81);
           Segment(1, 4, 0);
           Label(0, 4, -14, 10, "D");
           AngleDot(1, 2, 4, 80, 8, 3);
           AngleDot(1, 4, 3, 80, 8, 3);
         },
         [&] { NewLine(5, "△ABDと△ACD", 50, 81); },
         [&] { NewLine(0, "(3)証明しよう。", 70); },
         [&] {
           EraseBox(0, 100, GX1, GY2);
           AngleDot(4, 1, 2, 40, 12, 7);  // ∠ADB
           TextLine(0, XI1, 100, "  <証明>");
           SameLine(0, "△ABDと△ACDで、", 30);
           NewLine(0, "ADは∠Aの二等分線だから、", 55);
           SameLine(0, "∠BAD=");
           AnswerBox(1, "ア", 152);
           SameLine(3, "…①", 4);
           NewLine(0, "仮定より、", 55);
           SameLine(0, "∠B=");
           AnswerBox(2, "イ", 152);
           NewLine(0, "三角形の内角の和は180%だから、", 55);
           NewLine(0, "残りの角も等しいので、∠ADB=", 55);
           AnswerBox(3, "ウ", 152);
           SameLine(3, "…②", 4);
           NewLine(0, "ADは共通だから、", 55);
           SameLine(0, "AD=");
           AnswerBox(4, "エ", 76);
           SameLine(3, "…③", 4);
           NewLine(0, "①②③から、", 55);
           AnswerBox(5, "オ", 380);
           NewLine(0, "がそれぞれ等しいので、", 55);
           NewLine(0, "△ABD≡△ACD");
           NewLine(0, "合同な図形では、対応する辺は等しいので、AB=AC");
         },
         [&] { Reveal(1, "∠CAD", 152); },
         [&] { Reveal(2, "∠C", 152); },
         [&] {
           Reveal(3, "∠ADC", 152);
           AngleDot(4, 3, 1, 40, 12, 7);  // ∠ADC
         },
         [&] {
           Reveal(4, "AD", 76);
           Ticks(1, 4, 2, 3);
         },
         [&] { Reveal(5, "1組の辺とその両端の角", 380); }});
}

void TriangleLessons::TriangleCh3S4IsoscelesCondition() {
  const AngleStyle baseAngle = Sector(40, 3);
  Steps({[&] {
           ScreenClear();
           Frame(840, 50, 8, 10, 50);
           Points({{1, 4, 9}, {2, 1, 1}, {3, 7, 1}});
           SETDRAWWIDTH(5);
           TrianglePolygon(1, 2, 3);  // letters in the colour the menu's entry left (5)
           XI1 = 38;
           YI1 = 30;
           TextLine(5, XI1, YI1, "<二等辺三角形になるための条件>");
           AngleAt(2, 3, 1, baseAngle);
           AngleAt(3, 1, 2, baseAngle);
           NewLine(0, "三角形の2つの角が等しければ、", 60);
         },
         [&] {
           Ticks(1, 2, 1, 5);
           Ticks(1, 3, 1, 5);
           NewLine(0, "その三角形は、等しい2つの角を", 60);
           NewLine(0, "底角とする二等辺三角形である。", 60);
         },
         [&] {
           NewLine(0, "△ABCで、", 60);
           NewLine(3, "∠B=∠C", 60);
           SameLine(0, " ならば ");
           SameLine(3, "AB=AC");
         },
         [&] { TextLine(7, 360, 590, "教科書P134 問1　をしなさい。"); }});
}

void TriangleLessons::TriangleCh3S5Question1Answer() {
  const AngleStyle baseAngle = Arcs(1, 70, 3);
  Steps({[&] {
           ScreenClear(1760);
           XI1 = 36;
           YI1 = 30;
           SETDRAWWIDTH(5);
           TextLine(3, XI1, YI1, "<問1　解答>");
           Frame(720, 50, 8, 10, 50);
           Points({{1, 4, 9}, {2, 1, 1}, {3, 7, 1}});
           // The figure is constructed: base angles of 70 degrees, bisectors at 35.
           R1 = 5 * SIZE;
           R_A(1) = 70;
           R_A(2) = 110;
           R_A(3) = 35;
           R_A(4) = 145;
           for (int i = 1; i <= 4; ++i) R_A(i) = R_A(i) * PI / 180;
           auto rayPoint = [&](int slot, int vertex, int angle) {
             X_A(slot) = X_A(vertex) + R1 * std::cos(R_A(angle));
             Y_A(slot) = Y_A(vertex) - R1 * std::sin(R_A(angle));
           };
           rayPoint(11, 2, 1);
           rayPoint(12, 3, 2);
           rayPoint(13, 2, 3);
           rayPoint(14, 3, 4);
           IntersectionInto(1, 2, 11, 3, 12);  // A
           IntersectionInto(6, 2, 13, 3, 14);  // P
           IntersectionInto(4, 2, 1, 3, 6);    // the bisector from C meets AB
           IntersectionInto(5, 2, 6, 3, 1);    // the bisector from B meets AC
           CCC1 = 0;
           TrianglePolygon(1, 2, 3);
           Ticks(1, 2, 1, 3);
           Ticks(1, 3, 1, 3);
         },
         [&] {
           Segment(2, 5, 0);
           AngleDot(2, 6, 1, 40, 8, 7);
           AngleDot(2, 3, 6, 40, 8, 7);
         },
         [&] {
           Segment(3, 4, 0);
           AngleDot(3, 1, 6, 40, 8, 3);
           AngleDot(3, 6, 2, 40, 8, 3);
         },
         [&] { Label(0, 6, -14, -50, "P"); },
         [&] {
           FilledPolygon({6, 2, 3});
           AngleDot(2, 3, 6, 40, 8, 7);
           AngleDot(3, 6, 2, 40, 8, 3);
         },
         [&] {
           AngleAt(2, 3, 1, baseAngle);
           AngleAt(3, 1, 2, baseAngle);
         },
         [&] { NewLine(0, "△PBCにおいて"); },
         [&] {
           NewLine(0, "∠PBC=ﾀ1/2ﾀ", 60);
           AnswerBox(1, "ア", 114);
           SameLine(0, "…①", 4);
           SameLine(0, "∠PCB=ﾀ1/2ﾀ", 30);
           AnswerBox(2, "イ", 114);
           SameLine(0, "…②", 4);
           NewLine(0, "二等辺三角形の底角は等しいから、", 60);
           NewLine(0, "∠ABC=", 55);
           AnswerBox(3, "ウ", 114);
           SameLine(0, "…③", 4);
           NewLine(0, "①②③から、", 55);
           SameLine(0, "∠PBC=");
           AnswerBox(4, "エ", 114);
           NewLine(0, "", 55);  // the line begins with box 5
           AnswerBox(5, "オ", 304);
           SameLine(0, "から、", 4);
           NewLine(0, "△PBCは二等辺三角形である。", 55);
         },
         [&] { Reveal(1, "∠ABC", 114); },
         [&] { Reveal(2, "∠ACB", 114); },
         [&] { Reveal(3, "∠ACB", 114); },
         [&] { Reveal(4, "∠PCB", 114); },
         [&] { Reveal(5, "2つの角が等しい", 304); },
         [&] { TextLine(7, 360, 590, "教科書P134 問2　をしなさい。"); }});
}

void TriangleLessons::TriangleCh3S6Question2Answer() {
  const AngleStyle arc = Arcs(1, 50, 3);
  const AngleStyle first = Sector(50, 3), second = Sector(50, 7);
  Steps({[&] {
           ScreenClear();
           Frame(720, 50, 8, 8, 50);
           Points({{1, 4, 1 + 3 * std::sqrt(3.0f)}, {2, 1, 1}, {3, 7, 1}});  // equilateral, side 6
           SETDRAWWIDTH(5);
           CCC1 = 3;
           TrianglePolygon(1, 2, 3);
           AngleAt(2, 3, 1, arc);
           AngleAt(1, 2, 3, arc);
           AngleAt(3, 1, 2, arc);
           XI1 = 38;
           YI1 = 30;
           NewLine(0, "∠A=∠B=∠C ならば AB=BC=CA", 0);
           NewLine(3, "<問2　解答>");
         },
         [&] {
           AngleAt(2, 3, 1, first);
           AngleAt(3, 1, 2, first);
         },
         [&] {
           Ticks(1, 2, 1, 5, 0, 20);
           Ticks(1, 3, 1, 5, 0, 20);
         },
         [&] {
           NewLine(0, "∠B=∠Cより、△ABCは");
           NewLine(0, "∠Bと∠Cを底角とする二等辺三角形だから、", 55);
           NewLine(0, "", 55);
           AnswerBox(1, "ア", 190);
           SameLine(3, "…①", 4);
           NewLine(0, "また、∠A=∠Bより、△ABCは", 55);
           NewLine(0, "∠Aと∠Bを底角とする二等辺三角形だから、", 55);
           NewLine(0, "", 55);
           AnswerBox(2, "イ", 190);
           SameLine(3, "…②", 4);
           NewLine(0, "①②から、AB=BC=CA", 55);
         },
         [&] { Reveal(1, "AB=CA", 190); },
         [&] {
           AngleAt(2, 3, 1, second);
           AngleAt(1, 2, 3, second);
         },
         [&] {
           Reveal(2, "BC=CA", 190);
           Ticks(2, 3, 1, 5, 0, 20);
         }});
}

void TriangleLessons::TriangleCh3S7Converse() {
  const AngleStyle baseAngle = Sector(40, 5);
  Steps({[&] {
           ScreenClear();
           Frame(640, 50, 8, 10, 50);
           Points({{1, 4, 9}, {2, 1, 1}, {3, 7, 1}});
           SETDRAWWIDTH(5);
           CCC1 = 0;
           TrianglePolygon(1, 2, 3);
           XI1 = 38;
           YI1 = 30;
           NewLine(3, "   <逆>", 0);
           NewLine(0, "あることがらの仮定と結論を入れかえたものを、");
           NewLine(0, "そのことがらの");
           SameLine(5, "逆");
           SameLine(0, "という。");
         },
         [&] {
           NewLine(3, "   <例>", 60);
           NewLine(0, "△ABCで、", 60);
           SameLine(3, "AB=AC");
           SameLine(0, "　ならば　");
           SameLine(5, "∠B=∠C");
           NewLine(0, "△ABCで、", 60);
           SameLine(3, "∠B=∠C");
           SameLine(0, "　ならば　");
           SameLine(5, "AB=AC");
           AngleAt(2, 3, 1, baseAngle);
           AngleAt(3, 1, 2, baseAngle);
           Ticks(1, 2, 1, 3);
           Ticks(1, 3, 1, 3);
         },
         [&] {
           ScreenClear();  // the exercise page has no figure
           XI1 = 38;
           YI1 = 30;
           NewLine(0, "課題 次のことがらの逆をいいなさい。また、それは正しいですか。", 0);
           NewLine(0, "(1)△ABCと△DEFで、△ABC≡△DEF ならば");
           NewLine(0, "AB=DE,BC=EF,CA=FDである。", 50, 114);
           NewLine(0, "(2)x=2,y=3 ならば x+y=5である。");
           NewLine(3, "<解答>");
         },
         [&] {
           NewLine(0, "(1)△ABCと△DEFで、AB=DE,BC=EF,CA=FD ならば");
           NewLine(0, "△ABC≡△DEFである。", 50, 114);
         },
         [&] { SameLine(3, "正しい", 20); },
         [&] { NewLine(0, "(2)x+y=5 ならば x=2,y=3である。"); },
         [&] { SameLine(3, "正しくない", 20); },
         [&] { NewLine(3, "逆は正しい場合と正しくない場合がある。"); },
         [&] { NewLine(0, "(2)の逆は、x=1,y=4でもよいから正しくない。"); },
         [&] {
           SameLine(0, "x=1,y=4のように、");
           NewLine(0, "仮定にはあてはまるが、");
           SameLine(0, "結論が成り立たないような例を");
           SameLine(5, "反例");
           SameLine(0, "という。");
         },
         [&] { NewLine(3, "正しくないときは、反例を1つ示せばよい。"); },
         [&] { TextLine(7, 360, 620, "教科書P135 問3　をしなさい。"); }});
}

void TriangleLessons::TriangleCh3S8Question3Answer() {
  Steps({[&] {
           ScreenClear();
           XI0 = 40;
           XI1 = XI0 + 54;
           YI1 = 30;
           NewLine(3, "<問3 解答>", 0);
           NewLine(3, "(1)", 50, XI0 - XI1);
         },
         [&] { SameLine(0, "右の図で、∠a=∠b　ならば　l∥m"); },
         [&] {
           NewLine(3, "正しい");
           SameLine(0, "(錯角が等しいから平行)");
           NewLine(3, "(2)", 70, XI0 - XI1);
         },
         [&] {
           SameLine(0, "2つの三角形の面積が等しい ならば");
           NewLine(0, "その2つの三角形は合同である。");
         },
         [&] {
           SameLine(3, "正しくない");
           NewLine(0, "(反例…底辺と高さが等しい直角三角形と鋭角三角形)");
           NewLine(3, "(3)", 70, XI0 - XI1);
         },
         [&] { SameLine(0, "x>3　ならば　x≧5"); },
         [&] {
           NewLine(3, "正しくない");
           SameLine(0, "(反例…x=4)");
         }});
}
