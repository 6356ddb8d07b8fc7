// Chapter 5: the basic problems of page 138.
#include "lessons/triangles/lessons.h"

void TriangleLessons::ProblemTitle() { TextBoxAt(XI1, YI1, 484, 44, "P138 基本の問題", 13, 5, 4); }

void TriangleLessons::TriangleCh5S1Problems1And2() {
  Steps({
      [&] {
        ScreenClear(1760);
        XI1 = 38;
        YI1 = 30;
        ProblemTitle();
        NumberBadge(XI1, YI1 + 70, "1");
      },
      [&] {
        SameLine(3, "(1)");
        SameLine(0, "∠x=ﾀ1/2ﾀ*(180%-82%)=ﾀ1/2ﾀ*98%=");
        SameLine(5, "49%");
      },
      [&] {
        NewLine(3, "(2)", 70, 38);
        SameLine(0, "底角の大きさは、ﾀ1/2ﾀ*(180%-42%)=ﾀ1/2ﾀ*138%=69%");
        NewLine(0, "∠x=180%-69%=", 60, 76);
        SameLine(5, "111%");
      },
      [&] {
        NewLine(3, "(3)", 70, 38);
        SameLine(0, "底角の大きさは、180%-117%=63%");
        NewLine(0, "∠x=180%-2*63%=180%-126%=", 50, 76);
        SameLine(5, "54%");
      },
      [&] {
        NumberBadge(XI1, YI1 + 70, "2");
        SameLine(5, " △ABCと△DEFで、AB=DE ならば △ABC≡△DEF");
        NewLine(5, "正しくない", 50, 76);
        SameLine(0, "(1組の辺が等しいだけでは合同といえない)", 10);
      },
  });
}

// Triangle ABC with the perpendiculars CE to AB and BD to AC, BE = CD
// marked, EBC shaded and DBC outlined in bold.
void TriangleLessons::TriangleCh5S2Figure() {
  Frame(560, 150, 10, 8, 50);
  Points({{1, 5, 7}, {2, 1, 1}, {3, 9, 1}});
  FootInto(5, 1, 2, 3);
  FootInto(4, 1, 3, 2);
  SETDRAWWIDTH(5);
  CCC1 = 0;
  TrianglePolygon(1, 2, 3);
  CONNECT({{X_A(5), Y_A(5)}, {X_A(2), Y_A(2)}, {X_A(3), Y_A(3)}, {X_A(5), Y_A(5)}}, 0, true, 13);
  SETDRAWWIDTH(8);
  CONNECT({{X_A(4), Y_A(4)}, {X_A(2), Y_A(2)}, {X_A(3), Y_A(3)}, {X_A(4), Y_A(4)}}, 0);
  SETDRAWWIDTH(5);
  Label(0, 5, -40, -24, "E");
  Segment(3, 5, 0);
  RightAngleAt(5, 2, 3, 25, 3);
  Label(0, 4, 10, -24, "D");
  Segment(4, 2, 0);
  RightAngleAt(4, 3, 2, 30, 3);
  Ticks(5, 2, 1, 3, 0, 18);
  Ticks(4, 3, 1, 3, 0, 18);
}

void TriangleLessons::TriangleCh5S2Problem3() {
  Steps({
      [&] {
        ScreenClear(1760);
        XI1 = 114;
        YI1 = 30;
        ProblemTitle();
        NumberBadge(XI2 + 20, YI1, "3");
        TriangleCh5S2Figure();
        NewLine(3, "(1)", 80, -76);
      },
      [&] { Ticks(2, 3, 2, 3, 0, 18); },
      [&] {
        SameLine(5, "直角三角形で、斜辺と他の1辺");
        NewLine(5, "がそれぞれ等しい");
      },
      [&] { NewLine(3, "(2)", 80, -76); },
      [&] {
        EqualSideArc(2, 1, -1, 5);
        EqualSideArc(3, 1, 1, 5);
      },
      [&] {
        AngleStyle arc;
        arc.count = 1;
        arc.radius = 50;
        arc.border = 0;
        arc.fill = 5;
        arc.labelColour = static_cast<int>(CCC1);
        arc.iti = 1;
        AngleAt(2, 3, 1, arc);
        AngleAt(3, 1, 2, arc);
      },
      [&] { SameLine(5, "∠EBC=∠DCB"); },
  });
}
