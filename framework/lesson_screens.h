// The screen vocabulary of the four lesson sets: one grammar for every
// lesson screen, between the framework and the lesson sets.
//
// A screen reads as its script. The table of contents:
//
//   pacing      Steps({...})           one lambda a step; a WaitAnyKey between
//                                      two steps, none after the last
//               MotionKey(hint,x1,y1,x2,y2)  a motion loop's key: hint, key;
//                                      "1" sets AINP = 1, any other key erases
//                                      the box (x1,y1)-(x2,y2)
//               MotionPause(hint)      MotionKey on the figure area
//                                      GX1,GY1 - GX2,GY2+50
//               TurnKey(step,x,y,w,h[,hint])  a turning loop's key: the hint
//                                      ("←→動く；１終了" unless given);
//                                      "1" sets AINP = 1, any other key erases
//                                      the box (x,y) w x h; codes 28 and 29 take
//                                      KAKUDO down and up by step, held in 0-180
//   page        ScreenClear(w)         filled box (0,0) w x 1800 in colour 15
//               GoalScreen({...})      clear 1760, "<めあて>" colour 3 at (44,240),
//                                      goal lines colour 0, 65 apart; no key wait
//   figure      Frame(ggx,ggy,yoko,tate,size[,grid])  GridFrame; grid 15 draws no grid
//               Points({{slot,x,y},..}) grid units into X(slot),Y(slot) as pixels
//   text lines  NewLine(c,t,+d,indent) X = XI1+indent, Y = YI1+d   } then XI2 = X,
//               SameLine(c,t,+g)       X = XI2+g,      Y = YI1     } YI1 = Y
//               TextLine(c,x,y,t)      X = x, Y = y                }
//               TextAt(c,x,y,t)        a label: the TextCursor stays
//               Label(c,slot,dx,dy,t)  a label at a point plus an offset
//               KeepLine(n), Overdraw(c,n,t)   keep a line's start in U(n),V(n),
//                                      draw a text there again (XI2, YI1 follow)
//   boxes       AnswerBox(n,ph,w[,style][,gap])  box at X = XI2+gap (10), Y = YI1,
//                                      kept in T(n),F(n); then XI2 = X
//               MarginAnswerBox(n,ph,w,+d)       a box that opens its own line
//               Reveal(n,answer,w[,style])       the box again at T(n),F(n);
//                                      the TextCursor stays
//               HideBox(n,w[,h])       the box drawn over in colour 15
//               TextBoxAt(x,y,w,h,t,text,border,fill)  TextInBox; XI2 = X, YI1 = Y
//               NumberBadge(x,y,n)     a problem's number: 44 x 44, text 13, border 4,
//                                      fill 3 (XI2, YI1 follow)
//   drawing     Segment(a,b,c)         LINE at the current pen width
//               EraseBox(x1,y1,x2,y2)  filled box in colour 15
//               FilledBox(x1,y1,x2,y2,border,fill)
//               ClosedOutline({..},c)  CONNECT through the slots and back, unfilled
//               FilledPolygon({..},fill[,border])  the same, filled
//               PolygonAt({..},w,outline,letters,dist)  Polygon through the slots
//                                      (the letter colour CCC1 is the caller's;
//                                      the pen width is left at w)
//               TrianglePolygon(a,b,c,...)  PolygonAt of three slots
//               Disc(slot,r,c)         a filled circle on a point
//   marks       Ticks(a,b,n,c[,shift][,half][,spacing])  EqualLengthTicks, AIDA 8
//               Parallel(a,b,n,c[,ratioA,ratioB][,size])  ParallelMarks
//               AngleAt(v,p1,p2,style) AngleMark (AngleStyle: HONSU, NAGASA, CCC2,
//                                      CCC3, CCC1, AAA$, ITI, AAAX, AAAY)
//               RightAngleAt(v,p1,p2,side,c)     RightAngleMark, ITI -1
//               AngleDot(v,p1,p2,d,r,c[,outline][,iti])  a dot on the bisector
//               DottedSegment(a,b,step,c)        ArcOverSegment, TAKASA 0, HOUKOU -1
//               ArcOver(a,b,height,side,step,c,label)  ArcOverSegment from a to b; the
//                                      label colour CCC1 is the caller's
//   points      SegmentEnds(a,b)       AX,AY,BX,BY from two slots
//               AnglePoints(v,p1,p2)   ZX0..ZY2 from three slots
//               IntersectionInto(s,a,b,c,d)  LineIntersection of ab and cd
//               FootInto(s,a,b,c)      FootOfPerpendicular from c to ab
//               RayPoint(s,deg,len,x,y), Distance(p,q)
//               TurnedPoint(s,centre,rad,r)  the point r from `centre` at rad
//                                      radians anticlockwise, into slot s
//               MirroredAngles(k)      R(k+1..k+3) = 180-R(k), 180+R(k), 360-R(k):
//                                      the four corners of a strip about a centre
//
// Every verb sets the framework's variables for its one call right before
// it, as a screen's script would; none sets what a screen leaves inherited
// (the letter colour CCC1 of a Polygon, the pen width before the screen
// sets one). The scratch variables each framework routine overwrites stay
// overwritten.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "framework/framework.h"

// The look of an AnswerBox: text, border and fill colours, height.
struct BoxStyle {
  int text = 5, border = 3, fill = 13;
  float height = 48;
};

// An angle mark's parameters.
struct AngleStyle {
  float count = 0;       // HONSU: 0 a filled sector, 1..6 arcs
  float radius = 40;     // NAGASA
  int border = 0;        // CCC2
  int fill = 5;          // CCC3
  int labelColour = 5;   // CCC1
  std::string label;     // AAA$
  float iti = 1;         // ITI
  float dx = 0, dy = 0;  // AAAX, AAAY
};

class LessonScreens : public Framework {
 public:
  using Framework::Framework;

 protected:
  // ---- pacing ----
  void Steps(std::initializer_list<std::function<void()>> steps);
  void MotionKey(const std::string& hint, float x1, float y1, float x2, float y2);
  void MotionPause(const std::string& hint);
  void TurnKey(float step, float x, float y, float w, float h,
               const std::string& hint = "←→動く；１終了");

  // ---- page and figure frame ----
  void ScreenClear(float width = 1600) { ClearPage(width, 1800); }
  void GoalScreen(std::initializer_list<const char*> goals);
  void Frame(float ggx, float ggy, float yoko, float tate, float size, int grid = 15);
  struct GridPoint {
    int slot;
    float x, y;
  };
  void Points(std::initializer_list<GridPoint> points);

  // ---- text lines and labels ----
  void NewLine(int colour, const std::string& text, float advance = 50, float indent = 0);
  void SameLine(int colour, const std::string& text, float gap = 0);
  void TextLine(int colour, float x, float y, const std::string& text);
  void TextAt(int colour, float x, float y, const std::string& text);
  void Label(int colour, int slot, float dx, float dy, const std::string& text);
  void KeepLine(int n);
  void Overdraw(int colour, int n, const std::string& text);

  // ---- answer boxes ----
  void AnswerBox(int n, const std::string& placeholder, float width, BoxStyle style = {},
                 float gap = 10);
  void MarginAnswerBox(int n, const std::string& placeholder, float width, float advance);
  void Reveal(int n, const std::string& answer, float width, BoxStyle style = {});
  void HideBox(int n, float width, float height = 48);
  void BoxAt(float x, float y, const std::string& text, float width, BoxStyle style);
  void TextBoxAt(float x, float y, float width, float height, const std::string& text,
                 int textColour, int border, int fill);
  void NumberBadge(float x, float y, const std::string& number);

  // ---- drawing ----
  void Segment(int a, int b, int colour);
  void EraseBox(float x1, float y1, float x2, float y2);
  void FilledBox(float x1, float y1, float x2, float y2, int border, int fill);
  void ClosedOutline(std::initializer_list<int> slots, int colour = 0);
  void FilledPolygon(std::initializer_list<int> slots, int fill = 13, int border = 0);
  void PolygonAt(std::initializer_list<int> slots, float width = 5, int outline = 0,
                 const std::string& letters = "A", float distance = 10);
  void TrianglePolygon(int a, int b, int c, float width = 5, int outline = 0,
                       const std::string& letters = "A", float distance = 10);
  void Disc(int slot, float radius, int colour);

  // ---- marks ----
  void Ticks(int a, int b, float count, int colour, float shift = 0, float half = 16,
             float spacing = 8);
  void Parallel(int a, int b, float count, int colour, float ratioA = 1, float ratioB = 1,
                float size = 16);
  void AngleAt(int vertex, int p1, int p2, const AngleStyle& style);
  void RightAngleAt(int vertex, int p1, int p2, float side, int colour);
  void AngleDot(int vertex, int p1, int p2, float distance, float radius, int colour,
                bool outline = false, float iti = 1);
  void DottedSegment(int a, int b, float step, int colour);
  void ArcOver(int a, int b, float height, float side, float step, int colour,
               const std::string& label);
  // A filled sector without a label (border 0), or `count` arcs.
  static AngleStyle Sector(float radius, int fill) {
    AngleStyle s;
    s.count = 0;
    s.radius = radius;
    s.border = 0;
    s.fill = fill;
    return s;
  }
  static AngleStyle Arcs(float count, float radius, int colour) {
    AngleStyle s = Sector(radius, colour);
    s.count = count;
    return s;
  }

  // ---- points ----
  void SegmentEnds(int a, int b);
  void AnglePoints(int vertex, int p1, int p2);
  void IntersectionInto(int slot, int a, int b, int c, int d);
  void FootInto(int slot, int a, int b, int c);
  // The point `length` pixels from `slot` at `degrees` anticlockwise from
  // the rightward direction, into (x, y).
  void RayPoint(int slot, float degrees, float length, float& x, float& y);
  float Distance(int p, int q);
  // Slot `slot`: the point `radius` pixels from slot `centre` at `radians`
  // anticlockwise on the screen from the rightward direction.
  void TurnedPoint(int slot, int centre, float radians, float radius);
  // R(k + 1), R(k + 2), R(k + 3) from the angle R(k) in degrees: its
  // mirror images 180 - R(k), 180 + R(k), 360 - R(k).
  void MirroredAngles(int k);

  // Where the last NewLine or TextLine started.
  float lineStartX = 0, lineStartY = 0;
};
