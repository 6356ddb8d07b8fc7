// The lesson framework: one member function per routine. Routines take no
// arguments: the caller sets program-wide variables (ProgramState), calls,
// and reads the results from other variables. Each lesson set derives from
// Framework and supplies its main-menu table and chapters.
#pragma once

#include <functional>
#include <source_location>
#include <string>
#include <vector>

#include "framework/state.h"
#include "runtime/runtime.h"

// The text and number functions read as in the lessons' own notation.
using rt::ASC;
using rt::ATN;
using rt::CHR;
using rt::INSTR;
using rt::INT;
using rt::KINSTR;
using rt::KLEFT;
using rt::KLEN;
using rt::KMID;
using rt::KRIGHT;
using rt::LEFT;
using rt::LEN;
using rt::MID;
using rt::MOD;
using rt::POW;
using rt::RIGHT;
using rt::STR;
using rt::VAL;

// One item of a program's main menu: its text and the chapter it opens.
// An item without a target is an empty item (EmptyChapterStub); the last
// item of the table ends the program.
struct MainMenuItem {
  std::string text;
  std::function<void()> target;
};

// One item of a chapter's sub-menu: the screen it runs (none yet: the
// sub-menu prompt comes straight back).
using LessonScreenFn = std::function<void()>;

class Framework : public ProgramState {
 public:
  Framework(rt::Runtime& runtime, std::string title);
  virtual ~Framework() = default;

  // Runs the program from StartUp to its end; returns the exit status.
  int Run();
  // Runs `body` under the error trap: a runtime error shows the error
  // screen. Returns the exit status.
  int RunGuarded(const std::function<void()>& body);

  rt::Runtime& rt;
  const std::string programTitle;

  // ---- start-up and the error screen ----
  void StartUp();
  [[noreturn]] void ErrorHandler();

  // ---- main menu and chapter menus ----
  // Virtual so that a test can stop a start-up before the menu is drawn.
  virtual void MainMenu();
  void EmptyChapterStub();
  // A chapter's sub-menu loop: the SubMenuLine, N = screens.size() + 1
  // items; item N returns to the main menu.
  void ChapterMenu(const std::string& subMenuLine, const std::vector<LessonScreenFn>& screens);
  // The page clear of a screen: a filled box from (0, 0) in colour 15.
  void ClearPage(float width = 1760, float height = 1800);

  // ---- prompt band and key waits ----
  void WaitAnyKey();
  void PauseWithMessage();
  void AskNextStep();
  void AskMenuNumber();
  void ClearMenuPrompt();
  void AskSubMenuChoice();
  void ClearSubMenuLine();
  void ClearWorkArea();
  void ClearInputBand();
  void FlushKeys();

  // ---- keyboard number entry ----
  void InputNumberText();
  void InputKeyLoop();
  void ParseInputNumber();

  // ---- plain prompt text ----
  void DrawPlainText();
  void DrawPlainChars();
  void ToFullWidthChar();
  void StripSpaces();
  void ReseedRandom();

  // ---- formula text ----
  void DrawText();
  void DrawFormulaChars();
  void DrawFraction();
  // A text spelt as written, every character an ordinary glyph.
  void DrawLiteralText();

  // ---- text measurement and boxes ----
  void MeasureText();
  void TextInBox();
  void BoxAroundText();
  void TwoLineTextBox();

  // ---- figures: grid, polygon, marks, angles, arcs ----
  void GridFrame();
  void Polygon();
  void PolygonLetterLabels();
  void PolygonNameLabels();
  void ParallelMarks();
  void EqualLengthTicks();
  void AngleRays();
  void AngleMark();
  void RightAngleMark();
  void AngleLabel();
  void RayDirection();
  void MeasureAngle();
  void StripMarkup();
  void ArcOverSegment();

  // ---- plane geometry ----
  void FootOfPerpendicular();
  void LineIntersection();
  void PointOnArc();
  void Arrow();

  // ---- library: fractions, number texts ----
  void ReduceFraction();
  void GcdLcm();
  void AddFractions();
  void NumbersToTexts();
  void SimplifySquareRoot();
  void PrimeFactors();
  void ListDivisors();
  void NegateSignText();
  void StripSign();
  void StripPlusSign();
  void ParenthesizeNegative();

  // ---- library: slope, coordinate plane, graphs, layout, small text ----
  void SlopeTriangle();
  void SlopeRunLabel();
  void SlopeRiseLabel();
  void AxisLineHit();
  void CoordinatePlane();
  void ScaledAxisLabels();
  void PlotPoint();
  void GraphFunction();
  void PlotCurve();
  void PlotVerticalLine();
  void CurlyBrace();
  void ColumnLayout();
  void DrawSmallText();
  void MeasureSmallText();
  void SmallTextInBox();
  void SmallTwoLineBox();

 protected:
  // The lesson set's main menu, in order; its last item is the end item.
  std::vector<MainMenuItem> mainMenuTable;

 private:
  // The pieces that DrawText, DrawFormulaChars and DrawLiteralText share:
  // taking the next character of AA$, a run of glyphs over A$ at the pen
  // (TX, TY), and the glyphs and overline pieces drawn in it.
  bool TakeTextChar();
  void BeginGlyphRun();
  void EndGlyphRun();
  void Glyph(float dx, float dy, float mh, float mv, float advance);
  void SizedGlyph(float size, float dx, float dy, float mh, float mv, float advance);
  void OrdinaryGlyph(bool fraction);
  void OverlinePiece(bool fraction);

 public:
  // ---- the runtime's statements, with the calling line kept for ERL ----
  using Loc = std::source_location;
  void LINE(float x1, float y1, float x2, float y2, int colour, int form = 0, int fill = -1,
            bool step = false, Loc where = Loc::current()) {
    rt.LINE(x1, y1, x2, y2, colour, form, fill, step, where);
  }
  void CIRCLE(float cx, float cy, float r, int colour, float start = 0, float end = 0,
              bool filled = false, int fill = -1, Loc where = Loc::current()) {
    rt.CIRCLE(cx, cy, r, colour, start, end, filled, fill, where);
  }
  void CONNECT(const std::vector<rt::Point>& points, int colour, bool filled = false, int fill = -1,
               Loc where = Loc::current()) {
    rt.CONNECT(points, colour, filled, fill, where);
  }
  void SYMBOL(float x, float y, const std::string& text, float mh, float mv, int colour,
              Loc where = Loc::current()) {
    rt.SYMBOL(x, y, text, mh, mv, colour, where);
  }
  void CLS() { rt.CLS(); }
  void SETFONTNAME(const std::string& name) { rt.SETFONTNAME(name); }
  void SETFONTSIZE(float size) { rt.SETFONTSIZE(size); }
  void SETFONTBOLD(int on) { rt.SETFONTBOLD(on); }
  void SETFONTITALIC(int on) { rt.SETFONTITALIC(on); }
  void SETDRAWWIDTH(float width, Loc where = Loc::current()) { rt.SETDRAWWIDTH(width, where); }
  float GETDRAWWIDTH() const { return rt.GETDRAWWIDTH(); }
  std::string INKEY(Loc where = Loc::current()) { return rt.INKEY(where); }
  float RND() { return rt.RND(); }
  // The calculation check at a step boundary.
  void CHECK(Loc where = Loc::current()) { rt::calcCheck(where); }
  // END: the program ends.
  [[noreturn]] void END() { throw rt::ProgramEnd{rt::kEnded}; }
};

// main() of a program: parses the options, opens the window or the
// headless page, and runs the lesson set built by `make`.
int RunProgram(int argc, char** argv,
               const std::function<std::unique_ptr<Framework>(rt::Runtime&)>& make);
