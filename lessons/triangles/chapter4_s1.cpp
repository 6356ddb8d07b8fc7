// Chapter 4, screen 1: two right triangles with equal hypotenuses and one
// equal acute angle are congruent.
#include "lessons/triangles/lessons.h"

void TriangleLessons::TriangleCh4S1HypotenuseAcuteAngle() {
  const AngleStyle given = Sector(50, 3), third = Sector(50, 7);
  Steps({[&] {
           ScreenClear();
           Frame(600, 30, 11, 10, 50);
           // DEF is ABC moved 5 units right and 1 unit down; right angles at C and F.
           Points({{1, 5, 9}, {2, 1, 2}, {3, 5, 2}, {4, 10, 8}, {5, 6, 1}, {6, 10, 1}});
           SETDRAWWIDTH(5);
           CCC1 = 0;
           TrianglePolygon(1, 2, 3);
           TrianglePolygon(4, 5, 6, 5, 0, "D");
           XI1 = 40;
           YI1 = 30;
           NewLine(0, "P136Q ", 0);
           SameLine(3, "△ABC≡△DEFですか?");
           Ticks(1, 2, 1, 3);
           Ticks(4, 5, 1, 3);
           RightAngleAt(3, 1, 2, 25, 3);
           RightAngleAt(6, 4, 5, 25, 3);
           AngleAt(1, 2, 3, given);
           AngleAt(4, 5, 6, given);
         },
         [&] { NewLine(5, "合同である"); },
         [&] { NewLine(7, "<わけ>"); },
         [&] { NewLine(0, "∠A=∠D,∠C=∠F=90%、"); },
         [&] { NewLine(0, "三角形の内角の和は180%だから"); },
         [&] { NewLine(0, "残りの角も等しくなり、"); },
         [&] {
           SameLine(3, "∠B=∠E", 20);
           AngleAt(2, 3, 1, third);
           AngleAt(5, 6, 4, third);
         },
         [&] {
           NewLine(3, "1組の辺とその両端の角がそれぞれ");
           NewLine(3, "等しいので、");
           SameLine(5, "△ABC≡△DEF");
         },
         [&] {
           NewLine(5, "斜辺", 70);
           U_A(1) = XI2 + 36;
           SameLine(0, "…辺AB,DEのように");
           TextLine(0, U_A(1), YI1 + 50, "直角三角形の直角に対する辺");
         },
         [&] { NewLine(5, "2つの直角三角形は、斜辺と1つの鋭角がそれぞれ等しいとき合同", 70); }});
}
