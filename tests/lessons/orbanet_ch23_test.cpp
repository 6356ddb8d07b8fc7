// Orbanet's question 6 with its four explanations and chapter 3, run
// headless from the main menu and read back from the trace and the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lessons/special_parallelograms/lessons.h"
#include "tests/framework/trace_ops.h"
#include "tests/harness.h"

namespace {

using trace_ops::num;
using trace_ops::text;
using Lines = std::vector<std::string>;

bool opIs(const std::string& line, const char* op) {
  return line.compare(0, 8 + std::strlen(op), std::string("{\"op\":\"") + op + "\"") == 0;
}
bool at(const std::string& line, double x, double y, double tol = 0.01) {
  return std::fabs(num(line, "x") - x) <= tol && std::fabs(num(line, "y") - y) <= tol;
}

// The menu keys of an item: "10" is typed as "1 0".
std::string itemKeys(int item) {
  std::string digits = std::to_string(item), keys;
  for (char d : digits) keys += std::string(1, d) + " ";
  return keys + "Enter ";
}
std::string spaces(int n) {
  std::string keys;
  while (n-- > 0) keys += "Space ";
  return keys;
}

// A lesson screen's own drawing: from its page clear (1600 wide) to the
// next sub-menu line at (16, 666), KEY events counted apart.
struct ScreenRun {
  Lines drawn;
  int keys = 0;
  bool backAtPrompt = false;
};
ScreenRun screenFrom(const Lines& trace, size_t from) {
  ScreenRun s;
  for (size_t i = from; i < trace.size(); ++i) {
    const std::string& line = trace[i];
    if (opIs(line, "KEY")) {
      ++s.keys;
    } else if (opIs(line, "SYMBOL") && at(line, 16, 666)) {
      s.backAtPrompt = true;
      return s;
    } else {
      s.drawn.push_back(line);
    }
  }
  return s;
}
// Where the n-th lesson screen of a run begins (n from 1).
size_t screenStart(const Lines& trace, int n) {
  for (size_t i = 0; i < trace.size(); ++i)
    if (opIs(trace[i], "LINE") && num(trace[i], "x2") == 1600 && num(trace[i], "y2") == 1800 &&
        num(trace[i], "x1") == 0 && --n == 0)
      return i;
  return trace.size();
}
// The drawing without its pen widths: a screen that draws before it sets
// its width takes the width the screen before left.
Lines withoutWidths(Lines lines) {
  for (std::string& line : lines) {
    size_t w = line.find(",\"width\":");
    if (w != std::string::npos) line.erase(w, line.find_first_of(",}", w + 1) - w);
  }
  return lines;
}
bool isKeyWaitBox(const std::string& line) {
  return opIs(line, "LINE") && num(line, "x1") == 96 && num(line, "y1") == 657 &&
         num(line, "fill") == 4;
}

// The texts of a drawing above the prompt band and the number entry: runs
// of glyphs drawn one after another, each less than 64 pixels right of the
// one before, on one row in one colour ("%" drawn as "°", a half-width
// blank as nothing).
struct Text {
  double x, y;
  int colour;
  std::string glyphs;
  double lastX;
};
std::vector<Text> textsOf(const Lines& drawn) {
  std::vector<Text> out;
  for (const std::string& line : drawn) {
    if (!opIs(line, "SYMBOL") || num(line, "y") >= 640) continue;
    const int colour = static_cast<int>(num(line, "colour"));
    const double x = num(line, "x");
    if (!out.empty() && out.back().y == num(line, "y") && out.back().colour == colour &&
        x > out.back().lastX && x < out.back().lastX + 64) {
      out.back().glyphs += text(line, "text");
      out.back().lastX = x;
    } else {
      out.push_back({x, num(line, "y"), colour, text(line, "text"), x});
    }
  }
  return out;
}
std::string glyphsOf(std::string s) {
  for (size_t p; (p = s.find(' ')) != std::string::npos;) s.erase(p, 1);
  for (size_t p; (p = s.find('%')) != std::string::npos;) s.replace(p, 1, "°");
  return s;
}
bool hasText(const std::vector<Text>& texts, double x, double y, int colour, const std::string& s) {
  for (const Text& t : texts)
    if (std::fabs(t.x - x) < 0.01 && t.y == y && t.colour == colour && t.glyphs == glyphsOf(s))
      return true;
  return false;
}

// ---- the degree sign on the page ----

TEST(OrbanetCh2Explanations, TheDegreeSignStandsClearOfTheKanaAfterIt) {
  // Item 7's fifth step writes "1つの角が90°である平行四辺形は長方形".
  HeadlessRun run = runHeadless<SpecialLessons>("2 Enter 7 Enter " + spaces(4));
  ASSERT_EQ(run.status, 0);
  double x = -1, y = -1;
  for (size_t i = 0; i + 1 < run.trace.size(); ++i)
    if (opIs(run.trace[i], "SYMBOL") && text(run.trace[i], "text") == "°" &&
        text(run.trace[i + 1], "text") == "で") {
      x = num(run.trace[i], "x"), y = num(run.trace[i], "y");
      EXPECT_EQ(num(run.trace[i + 1], "x"), x + 12);
    }
  ASSERT_GE(x, 0) << "no \"°で\" drawn";
  // The columns of the line's 48 rows that hold ink, from the sign's cell
  // on: the sign's run of columns ends inside its cell, and a clear column
  // comes before the kana's first.
  auto inked = [&](int column) {
    for (int row = static_cast<int>(y); row < y + 48; ++row)
      if (run.runtime->pixel(column, row) != 15) return true;
    return false;
  };
  int first = static_cast<int>(x);
  while (!inked(first) && first < x + 12) ++first;
  ASSERT_LT(first, x + 12) << "no ink in the sign's cell";
  int last = first;
  while (inked(last + 1)) ++last;
  EXPECT_LT(last, x + 12) << "the sign's ink runs into the next glyph";
  int kana = last + 1;
  while (!inked(kana)) ++kana;
  EXPECT_GE(kana, last + 2);
  EXPECT_GE(kana, x + 12) << "the kana's ink starts in its own cell";
}

// ---- every screen: its key waits, back at its prompt, a second visit alike ----

TEST(OrbanetCh23Screens, TakeTheirKeysEndAtThePromptAndRepeatExactly) {
  const struct {
    int chapter, item, waits;
  } cases[] = {
      {2, 6, 4}, {2, 7, 6},  {2, 8, 8},  {2, 9, 4},  {2, 10, 9},
      {3, 1, 9}, {3, 2, 34}, {3, 3, 10}, {3, 4, 11}, {3, 5, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.chapter) + "/" + std::to_string(c.item));
    const std::string visit = itemKeys(c.item) + spaces(c.waits);
    HeadlessRun run = runHeadless<SpecialLessons>(itemKeys(c.chapter) + visit + visit);
    ASSERT_EQ(run.status, 0);
    ScreenRun first = screenFrom(run.trace, screenStart(run.trace, 1));
    ScreenRun second = screenFrom(run.trace, screenStart(run.trace, 2));
    EXPECT_TRUE(first.backAtPrompt);
    EXPECT_EQ(first.keys, c.waits);
    int boxes = 0;
    for (const std::string& line : first.drawn) boxes += isKeyWaitBox(line);
    EXPECT_EQ(boxes, c.waits);
    EXPECT_TRUE(second.backAtPrompt);
    EXPECT_EQ(withoutWidths(second.drawn), withoutWidths(first.drawn));
  }
}

// ---- question 6: four figures, four arrows, their labels and conditions ----

TEST(OrbanetQuestion6, FiguresArrowsLabelsAndOneArrowsConditionsAKey) {
  HeadlessRun run = runHeadless<SpecialLessons>("2 Enter 6 Enter " + spaces(4));
  ASSERT_EQ(run.status, 0);
  ScreenRun s = screenFrom(run.trace, screenStart(run.trace, 1));
  // The four lettered quadrilaterals: their edges A-B, B-C, C-D, D-A in
  // colour 0, 5 wide.
  const std::vector<std::vector<double>> outlines = {
      {120, 240, 80, 360, 280, 360, 320, 240},     // parallelogram
      {520, 90, 520, 210, 720, 210, 720, 90},      // rectangle
      {640, 390, 520, 450, 640, 510, 760, 450},    // rhombus
      {960, 220, 960, 380, 1120, 380, 1120, 220},  // square
  };
  std::vector<double> edgeStarts;
  for (const std::string& line : s.drawn)
    if (opIs(line, "LINE") && num(line, "form") == 0 && num(line, "colour") == 0 &&
        num(line, "width") == 5)
      edgeStarts.insert(edgeStarts.end(), {num(line, "x1"), num(line, "y1")});
  size_t found = 0;
  for (const auto& outline : outlines)
    found += std::search(edgeStarts.begin(), edgeStarts.end(), outline.begin(), outline.end()) !=
             edgeStarts.end();
  EXPECT_EQ(found, outlines.size());
  // Arrow k: a shaft 10 wide in colour 7 from its tail to its head, and two
  // strokes to the head.
  const double arrows[4][4] = {
      {360, 280, 480, 130}, {800, 130, 920, 280}, {360, 320, 480, 470}, {800, 470, 920, 320}};
  std::vector<std::string> shafts;
  for (const std::string& line : s.drawn)
    if (opIs(line, "LINE") && num(line, "colour") == 7 && num(line, "width") == 10)
      shafts.push_back(line);
  ASSERT_EQ(shafts.size(), 12u);
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k + 1);
    const std::string& shaft = shafts[3 * k];
    EXPECT_EQ(num(shaft, "x1"), arrows[k][0]);
    EXPECT_EQ(num(shaft, "y1"), arrows[k][1]);
    EXPECT_EQ(num(shaft, "x2"), arrows[k][2]);
    EXPECT_EQ(num(shaft, "y2"), arrows[k][3]);
    for (int h = 1; h <= 2; ++h) {
      EXPECT_NEAR(num(shafts[3 * k + h], "x2"), arrows[k][2], 0.01);
      EXPECT_NEAR(num(shafts[3 * k + h], "y2"), arrows[k][3], 0.01);
    }
  }
  // The labels come with the figures; the conditions of arrow k after key k.
  const struct {
    double x, y;
    const char *label, *first, *second;
  } labels[] = {
      {240, 40, "(1)", "ア ∠A=90%", "ウ AC=BD"},
      {840, 30, "(2)", "イ AB=BC", "エ AC⊥BD"},
      {240, 440, "(3)", "イ AB=BC", "エ AC⊥BD"},
      {840, 440, "(4)", "ア ∠A=90%", "ウ AC=BD"},
  };
  std::vector<Text> before = textsOf(afterKey(run.trace, 4));
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(labels[k].label);
    EXPECT_TRUE(hasText(before, labels[k].x, labels[k].y, 3, labels[k].label));
    std::vector<Text> step = textsOf(afterKey(run.trace, 5 + k));
    ASSERT_EQ(step.size(), 2u);
    EXPECT_TRUE(hasText(step, labels[k].x, labels[k].y + 50, 5, labels[k].first));
    EXPECT_TRUE(hasText(step, labels[k].x, labels[k].y + 100, 5, labels[k].second));
  }
}

// ---- chapter 3's figures ----

// The coordinates of a CONNECT, x and y in turn.
std::vector<double> pointsOf(const std::string& line) {
  std::vector<double> v;
  const char* p = std::strstr(line.c_str(), "\"points\":[");
  if (p == nullptr) return v;
  p += 10;
  double x = 0, y = 0;
  int used = 0;
  while (std::sscanf(p, "[%lf,%lf]%n", &x, &y, &used) == 2) {
    v.insert(v.end(), {x, y});
    p += used + (p[used] == ',');
  }
  return v;
}

TEST(OrbanetCh3Figures, OutlinesOfBothShapesRunThroughTheirVertices) {
  const struct {
    int item;
    std::vector<double> first, second;  // closed outlines, the first point again at the end
  } cases[] = {
      {1,
       {560, 560, 920, 560, 740, 248.23, 560, 560},
       {920, 560, 1160, 560, 1040, 352.15, 920, 560}},
      {2,
       {600, 440, 960, 440, 780, 128.23, 600, 440},
       {960, 440, 1200, 440, 1080, 232.15, 960, 440}},
      {3,  // the second triangle turned over the first
       {660, 440, 1020, 440, 840, 128.23, 660, 440},
       {1020, 440, 1061.68, 203.64, 836.15, 285.73, 1020, 440}},
      {4,  // the second triangle below the line
       {780, 350, 1080, 350, 930, 90.19, 780, 350},
       {1080, 350, 960, 557.85, 1200, 557.85, 1080, 350}},
      {5,  // two squares
       {660, 440, 960, 440, 960, 140, 660, 140, 660, 440},
       {960, 440, 1200, 440, 1200, 200, 960, 200, 960, 440}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    HeadlessRun run = runHeadless<SpecialLessons>("3 Enter " + itemKeys(c.item));
    ASSERT_EQ(run.status, 0);
    std::vector<std::vector<double>> outlines;
    for (const std::string& line : screenFrom(run.trace, screenStart(run.trace, 1)).drawn)
      if (opIs(line, "CONNECT") && outlines.size() < 2) outlines.push_back(pointsOf(line));
    ASSERT_EQ(outlines.size(), 2u);
    for (int k = 0; k < 2; ++k) {
      const std::vector<double>& want = k == 0 ? c.first : c.second;
      ASSERT_EQ(outlines[k].size(), want.size());
      for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(outlines[k][i], want[i], 0.01);
    }
  }
}

TEST(OrbanetCh3Figures, TheCrossingPOfAEAndDB) {
  // The conjectures letter P just above it; the proof closes with a sector on it.
  HeadlessRun conjectures = runHeadless<SpecialLessons>("3 Enter 1 Enter " + spaces(4));
  bool lettered = false;
  for (const std::string& line : afterKey(conjectures.trace, 8))
    lettered |= opIs(line, "SYMBOL") && text(line, "text") == "P" && at(line, 924.95, 345.91);
  EXPECT_TRUE(lettered);
  HeadlessRun proof = runHeadless<SpecialLessons>("3 Enter 2 Enter " + spaces(34));
  bool sector = false;
  for (const std::string& line : afterKey(proof.trace, 38))
    sector |= opIs(line, "CIRCLE") && std::fabs(num(line, "cx") - 978.95) < 0.01 &&
              std::fabs(num(line, "cy") - 275.91) < 0.01 && num(line, "r") == 60 &&
              num(line, "fill") == 5;
  EXPECT_TRUE(sector);
}

// ---- chapter 3's goal screen ----

TEST(OrbanetCh3Goal, ShownOnEveryEntryOnAClearedPageThenThePromptAtOnce) {
  HeadlessRun run = runHeadless<SpecialLessons>("3 Enter 1 Enter " + spaces(9) + "6 Enter 3 Enter");
  ASSERT_EQ(run.status, 0);
  for (int entry : {2, 2 + 2 + 9 + 4}) {  // after "3 Enter", twice
    SCOPED_TRACE(entry);
    const Lines drawn = afterKey(run.trace, entry);
    // The goal screen's own clear follows the main menu's.
    int clears = 0;
    for (const std::string& line : drawn)
      clears += opIs(line, "LINE") && num(line, "x2") == 1760 && num(line, "fill") == 15;
    EXPECT_EQ(clears, 2);
    std::vector<Text> texts = textsOf(drawn);
    EXPECT_TRUE(hasText(texts, 44, 240, 3, "<めあて>"));
    EXPECT_TRUE(hasText(texts, 44, 305, 0, "1 2つの正三角形の性質を見いだし、証明しよう。"));
    EXPECT_TRUE(hasText(texts, 44, 370, 0, "2 条件を変えて考えよう。"));
    bool prompt = false;
    for (const std::string& line : drawn) prompt |= opIs(line, "SYMBOL") && at(line, 16, 666);
    EXPECT_TRUE(prompt);
  }
}

// ---- the pen width a screen finds ----

TEST(OrbanetCh2Width, FigureMarksBeforeTheScreensOwnWidthFollowTheLabelledPolygon) {
  // Items 8 and 10 draw their figure's marks before they set width 5; the
  // labelled polygon before the marks leaves its own width 5, so they are 5
  // wide even as the first screen after start-up (width 3).
  for (int item : {8, 10}) {
    SCOPED_TRACE(item);
    HeadlessRun run = runHeadless<SpecialLessons>("2 Enter " + itemKeys(item));
    ASSERT_EQ(run.status, 0);
    int marks = 0;
    for (const std::string& line : screenFrom(run.trace, screenStart(run.trace, 1)).drawn) {
      if (marks == 4 || !(opIs(line, "CONNECT") || opIs(line, "LINE")) ||
          num(line, "colour") != 3 || num(line, "fill") == 15)
        continue;
      ++marks;
      EXPECT_EQ(num(line, "width"), 5);
    }
    EXPECT_EQ(marks, 4);
  }
}

// ---- chapter 3's revisions: the rewritten words, pixel for pixel ----

// A page on which the rewritten lines are drawn fresh, as they end up.
struct FreshPage : SpecialLessons {
  using LessonScreens::SameLine;
  using LessonScreens::TextLine;
  using SpecialLessons::SpecialLessons;
};

// A piece of wording: a line's start at x 40 and `y`, or with y 0 the text
// that follows on the same line `gap` further.
struct Piece {
  int colour;
  float y;
  const char* text;
  float gap = 0;
};

TEST(OrbanetCh3Revisions, RewrittenLinesEqualAFreshDrawingOfTheNewWording) {
  struct Case {
    const char* name;
    int item, keys;
    std::initializer_list<PageRegion> regions;
    std::vector<Piece> wording;  // as the lines end up
  };
  const Case cases[] = {
      {"figure 1: plus signs to minus signs",
       3,
       4,
       {{0, 345, 600, 395}, {0, 400, 600, 450}},
       {{0, 345, "∠ACE=60%"},
        {5, 0, "-"},
        {3, 0, "∠DCE"},
        {0, 400, "∠DCB="},
        {3, 0, "60%"},
        {5, 0, "-"},
        {3, 0, "∠DCE"}}},
      {"figure 2: ∠DCE to ∠ACB",
       4,
       5,
       {{0, 345, 600, 395}, {0, 400, 600, 450}},
       {{0, 345, "∠ACE=60%+"}, {5, 0, "∠ACB"}, {0, 400, "∠DCB="}, {3, 0, "60%+"}, {5, 0, "∠ACB"}}},
      {"two squares: seven phrases",
       5,
       8,
       {{0, 78, 600, 560}, {0, 560, 1600, 655}},
       {{7, 80, "<証明>"},
        {5, 0, "△ACG", 30},
        {0, 0, "と△DCBで、"},
        {5, 130, "四角形ACDEと四角形CBFGが"},
        {5, 180, "正方形"},
        {0, 0, "だから、"},
        {0, 230, "AC="},
        {3, 0, "DC…①"},
        {0, 0, ","},
        {5, 0, "CG="},
        {3, 0, "CB…②"},
        {5, 285, "正方形の1つの内角は90%"},
        {0, 0, "だから、"},
        {5, 340, "∠GCA=∠GCB=90%"},
        {3, 0, "…③"},
        {0, 560, "①②③より、"},
        {3, 0, "2組の辺とその間の角"},
        {0, 0, "がそれぞれ等しいので、"},
        {5, 0, "△ACG"},
        {3, 0, "≡△DCB"},
        {0, 610, "合同な図形では、"},
        {3, 0, "対応する辺"},
        {0, 0, "は等しいので、"},
        {5, 0, "AG=DB"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessRun run = runHeadless<SpecialLessons>("3 Enter " + itemKeys(c.item) + spaces(c.keys));
    ASSERT_EQ(run.status, 0);
    rt::Runtime page(1920, 1080);
    FreshPage fresh(page);
    for (const Piece& piece : c.wording) {
      if (piece.y > 0)
        fresh.TextLine(piece.colour, 40, piece.y, piece.text);
      else
        fresh.SameLine(piece.colour, piece.text, piece.gap);
    }
    EXPECT_EQ(differingPixels(*run.runtime, page, c.regions), 0);
  }
}

// ---- random tours ----

// The lesson screens a run entered, as "sub-menu/item": the item typed at
// the sub-menu prompt before a 1600-wide page clear. The sub-menu is told
// by the second glyph of its line ("長" chapter 2, "Ｐ" chapter 3).
std::set<std::string> screensEntered(const Lines& trace) {
  std::set<std::string> entered;
  std::string typed, chosen, menu;
  for (const std::string& line : trace) {
    if (opIs(line, "KEY")) {
      const int code = static_cast<int>(num(line, "code"));
      if (code >= '0' && code <= '9') typed += static_cast<char>(code);
      if (code == 13) chosen = typed;
      if (code == 13 || code == 8 || code == 12) typed.clear();
    } else if (opIs(line, "SYMBOL") && num(line, "y") == 666 && num(line, "colour") == 0) {
      typed.clear();  // a new sub-menu prompt
      if (num(line, "x") == 32) menu = text(line, "text");
    } else if (opIs(line, "LINE") && num(line, "x1") == 0 && num(line, "y1") == 0 &&
               num(line, "x2") == 1600) {
      entered.insert(menu + "/" + chosen);
    }
  }
  return entered;
}

TEST(OrbanetCh23Soak, RandomToursReachEveryScreenWithoutAnError) {
  // Mostly Spaces, then Enter and the digits; "1 0" now and then for item 10.
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> pick(0, 99);
  std::vector<std::string> keys;
  while (keys.size() < 8000) {
    const int r = pick(gen);
    if (r < 50)
      keys.push_back("Space");
    else if (r < 62)
      keys.push_back("Enter");
    else if (r < 64)
      keys.push_back("Backspace");
    else if (r < 67)
      keys.insert(keys.end(), {"1", "0"});
    else
      keys.push_back(std::to_string(r % 10));
  }
  // A run that ends at main-menu item 5 starts again on the keys left.
  std::set<std::string> entered;
  for (size_t used = 0, run = 0; used < keys.size(); ++run) {
    std::string script;
    for (size_t i = used; i < keys.size(); ++i) script += keys[i] + " ";
    HeadlessRun r = runHeadless<SpecialLessons>(script, static_cast<uint32_t>(run));
    ASSERT_EQ(r.status, 0) << "run " << run;
    size_t taken = 0;
    for (const std::string& line : r.trace) taken += opIs(line, "KEY");
    ASSERT_GT(taken, 0u);
    used += taken;
    for (const std::string& screen : screensEntered(r.trace)) entered.insert(screen);
  }
  for (int item = 6; item <= 10; ++item) EXPECT_TRUE(entered.count("長/" + std::to_string(item)));
  for (int item = 1; item <= 5; ++item) EXPECT_TRUE(entered.count("Ｐ/" + std::to_string(item)));
}

}  // namespace
