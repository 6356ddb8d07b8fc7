// The chapter sub-menu loop and the main menu: range tests, dispatch on
// the whole part of the value, redraws, the way back and the end.
#include <gtest/gtest.h>

#include <algorithm>

#include "lessons/area/lessons.h"
#include "lessons/parallelograms/lessons.h"
#include "lessons/special_parallelograms/lessons.h"
#include "lessons/triangles/lessons.h"
#include "tests/framework/prompt_fixture.h"
#include "tests/harness.h"

namespace prompt_test {
namespace {

using ChapterMenus = PromptTest;

const char* const kLine = "①P142例　②問4　③終了";

TEST_F(ChapterMenus, ItemsRunTheirScreensAndTheLastReturns) {
  std::vector<int> ran;
  keys("1 Enter 2 Enter 1 . 9 Enter 4 / 2 Enter 3 Enter 1 Enter");
  bool returned = false;
  run([&] {
    p.ChapterMenu(kLine, {[&] { ran.push_back(1); }, [&] { ran.push_back(2); }});
    returned = true;
  });
  EXPECT_TRUE(returned);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 1, 2}));
  EXPECT_EQ(p.SENTAKU, 3);
  EXPECT_EQ(keysTaken(r.trace()), 14) << "the keys after the last item stay queued";
}

TEST_F(ChapterMenus, RefusedNumberErasesOnlyTheBandAndRedrawsTheLine) {
  for (const char* refused : {"0", "4", "3 . 5", "- 1", "6 /", "1 / 0", "/", ""}) {
    SCOPED_TRACE(refused);
    r.clearTrace();
    // A screen's drawing stays on the page under the prompt.
    p.LINE(100, 100, 300, 300, 3, 2, 13);
    keys(std::string(refused) + " Enter 3 Enter");
    bool returned = false;
    run([&] {
      p.ChapterMenu(kLine, {nullptr, nullptr});
      returned = true;
    });
    EXPECT_TRUE(returned);
    int enter = static_cast<int>(rt::parseKeys(refused).size()) + 1;
    std::vector<std::string> after = afterKey(r.trace(), enter);
    EXPECT_EQ(only(after, "LINE"), (std::vector<std::string>{box(1008, 640, 1248, 670, 15, 15, 3),
                                                              box(0, 657, 992, 720, 15, 15, 3)}));
    ASSERT_FALSE(glyphs(after).empty());
    EXPECT_EQ(glyphs(after).front(), (Glyph{16, 666, "①", 0}));
    EXPECT_EQ(r.pixel(200, 200), 13) << "the screen's drawing stays";
  }
}

TEST_F(ChapterMenus, MissingScreensComeStraightBack) {
  keys("1 Enter 2 Enter 3 Enter");
  bool returned = false;
  run([&] {
    p.ChapterMenu(kLine, std::vector<LessonScreenFn>(2));
    returned = true;
  });
  EXPECT_TRUE(returned);
  EXPECT_EQ(keysTaken(r.trace()), 6);
}


// ---- the main menu of each program ----

// The heading spells the program's name as written: every glyph of it an
// ordinary upright glyph of the Gothic face at size 16 in colour 15, in the
// cells of ordinary text (27 across a half-width, 34 a full-width glyph).
void expectHeading(const std::vector<std::string>& trace, const std::string& name) {
  std::string spelt;
  float x = 264;
  for (const std::string& l : only(trace, "SYMBOL")) {
    if (field(l, "y") != "30") continue;
    std::string text = field(l, "text");
    bool full = text.size() > 1;
    SCOPED_TRACE(text);
    EXPECT_EQ(std::stof(field(l, "x")), x);
    EXPECT_EQ(field(l, "font"), "ゴシック");
    EXPECT_EQ(field(l, "size"), "16");
    EXPECT_EQ(field(l, "italic"), "false");
    EXPECT_EQ(field(l, "colour"), "15");
    EXPECT_EQ(field(l, "mh") + "x" + field(l, "mv"), full ? "2x3" : "3x3");
    spelt += text;
    x += full ? 34 : 27;
  }
  EXPECT_EQ(spelt, "＜" + name + "　メニュー＞");
}

template <class Lessons>
void expectMainMenu(const char* program, int items) {
  SCOPED_TRACE(program);
  HeadlessRun run = runHeadless<Lessons>("");
  EXPECT_EQ(run.status, 0);
  const std::vector<std::string>& t = run.trace;
  ASSERT_GE(t.size(), 3u);
  EXPECT_EQ(t[0], box(0, 54, 1440, 900, 15, 15, 3));
  EXPECT_EQ(t[1], box(0, 0, 1760, 1800, 15, 15, 3));
  EXPECT_EQ(t[2], box(22, 10, 1342, 610, 15, 10, 3));
  std::vector<Glyph> drawn = glyphs(t);
  EXPECT_EQ(drawn.front(), (Glyph{264, 30, "＜", 15}));
  expectHeading(t, program);
  std::vector<Glyph> numbers, expected;
  for (const Glyph& g : drawn)
    if (g.x == 44) numbers.push_back(g);
  for (int k = 1; k <= items; ++k)
    expected.push_back({44, 120 + 60.0f * (k - 1), std::to_string(k), k % 2 ? 13 : 15});
  EXPECT_EQ(numbers, expected);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), Glyph{816, 648, "番", 0}), drawn.end());
}

TEST(MainMenu, PanelHeadingSpeltAsWrittenAndAlternatingItems) {
  expectMainMenu<TriangleLessons>("Kelvaro", 8);
  expectMainMenu<ParallelogramLessons>("Sindrel", 7);
  expectMainMenu<SpecialLessons>("Orbanet", 5);
  expectMainMenu<AreaLessons>("Dravolin", 7);
}

bool drawsPanel(const std::vector<std::string>& lines) {
  return std::find(lines.begin(), lines.end(), box(22, 10, 1342, 610, 15, 10, 3)) != lines.end();
}
bool drawsItemLine(const std::vector<std::string>& lines, const std::string& first) {
  std::vector<Glyph> g = glyphs(lines);
  return std::find(g.begin(), g.end(), Glyph{16, 666, first, 0}) != g.end();
}

TEST(MainMenu, RangeTestOnTheValueDispatchOnItsWholePart) {
  enum Outcome { kRedraw, kChapter2, kEnd };
  struct Case {
    const char* keys;
    Outcome outcome;
  };
  const Case cases[] = {
      {"7", kEnd}, {"1 4 / 2", kEnd}, {"7 . 0", kEnd},
      {"2", kChapter2}, {"1 0 / 5", kChapter2}, {"4 / 2", kChapter2}, {"2 . 9", kChapter2},
      {"8", kRedraw}, {"0", kRedraw}, {"", kRedraw}, {"5", kRedraw}, {"6", kRedraw},
      {"6 . 9", kRedraw}, {"7 . 5", kRedraw}, {"- 1", kRedraw}, {". 5", kRedraw},
      {"6 /", kRedraw}, {"1 / 0", kRedraw}, {"/", kRedraw},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    // One more key after the entry: it is taken only when the program goes on.
    HeadlessRun run = runHeadless<AreaLessons>(std::string(c.keys) + " Enter 1");
    EXPECT_EQ(run.status, 0);
    int enter = static_cast<int>(rt::parseKeys(c.keys).size()) + 1;
    std::vector<std::string> after = afterKey(run.trace, enter);
    EXPECT_EQ(keysTaken(run.trace), c.outcome == kEnd ? enter : enter + 1);
    EXPECT_EQ(drawsPanel(after), c.outcome == kRedraw);
    EXPECT_EQ(drawsItemLine(after, "Ｐ"), c.outcome == kChapter2);
  }
  // Kelvaro: 7.6 is the empty item 7, 4.9 chapter 4 with its goal screen.
  HeadlessRun empty = runHeadless<TriangleLessons>("7 . 6 Enter");
  EXPECT_TRUE(drawsPanel(afterKey(empty.trace, 4)));
  HeadlessRun four = runHeadless<TriangleLessons>("4 . 9 Enter");
  EXPECT_TRUE(drawsItemLine(afterKey(four.trace, 4), "①"));
  EXPECT_FALSE(drawsPanel(afterKey(four.trace, 4)));
}

// A tour of a program: every chapter entered, a number below and one above
// its items refused, back to the main menu by its last item; then the end.
struct Chapter {
  std::string first;  // the first character of its item line as drawn
  int items;
};

template <class Lessons>
void tour(const char* program, const std::vector<Chapter>& chapters, int endItem) {
  SCOPED_TRACE(program);
  std::string script;
  int taken = 0;
  auto type = [&](const std::string& number) {
    for (char c : number) script += std::string(1, c) + " ";
    script += "Enter ";
    taken += static_cast<int>(number.size()) + 1;
    return taken;  // the index of its Enter
  };
  struct Marks {
    int entered, below, above, back;
  };
  std::vector<Marks> marks;
  for (size_t c = 0; c < chapters.size(); ++c) {
    Marks m;
    m.entered = type(std::to_string(c + 1));
    m.below = type("0");
    m.above = type(std::to_string(chapters[c].items + 1));
    m.back = type(std::to_string(chapters[c].items));
    marks.push_back(m);
  }
  int end = type(std::to_string(endItem));
  HeadlessRun run = runHeadless<Lessons>(script + "1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(keysTaken(run.trace), end) << "the end item ends the program";
  for (size_t c = 0; c < chapters.size(); ++c) {
    SCOPED_TRACE("chapter " + std::to_string(c + 1));
    const Marks& m = marks[c];
    EXPECT_TRUE(drawsItemLine(afterKey(run.trace, m.entered), chapters[c].first));
    for (int refused : {m.below, m.above}) {
      std::vector<std::string> after = afterKey(run.trace, refused);
      EXPECT_TRUE(drawsItemLine(after, chapters[c].first));
      EXPECT_FALSE(drawsPanel(after));
    }
    EXPECT_TRUE(drawsPanel(afterKey(run.trace, m.back)));
  }
}

TEST(MainMenu, TourOfEveryChapterAndTheEnd) {
  tour<TriangleLessons>("Kelvaro", {{"①", 8}, {"①", 5}, {"①", 9}, {"①", 8}, {"Ｐ", 3}}, 8);
  tour<ParallelogramLessons>("Sindrel", {{"①", 7}, {"①", 3}, {"①", 10}, {"①", 4}}, 7);
  tour<SpecialLessons>("Orbanet", {{"①", 6}, {"①", 11}, {"①", 6}}, 5);
  tour<AreaLessons>("Dravolin", {{"①", 8}, {"Ｐ", 5}, {"Ｐ", 7}, {"Ｐ", 5}}, 7);
}

TEST(MainMenu, DravolinFirstChapterShowsItsGoalOnce) {
  HeadlessRun run = runHeadless<AreaLessons>("1 Enter 0 Enter");
  std::vector<Glyph> goal = glyphs(afterKey(run.trace, 2));
  ASSERT_FALSE(goal.empty());
  EXPECT_EQ(goal.front(), (Glyph{44, 240, "<", 3}));
  auto at = [&](float y) {
    return std::count_if(goal.begin(), goal.end(), [&](const Glyph& g) { return g.x == 44 && g.y == y; });
  };
  EXPECT_EQ(at(305), 1) << "the goal";
  EXPECT_EQ(at(370), 1) << "(等積変形)";
  EXPECT_EQ(goal[5].colour, 0) << "the goal line after the five characters of <めあて>";
  // A refused number shows the item line again, not the goal.
  EXPECT_TRUE(glyphs(afterKey(run.trace, 4)).size() < goal.size());
  EXPECT_FALSE(drawsPanel(afterKey(run.trace, 4)));
}

}  // namespace
}  // namespace prompt_test
