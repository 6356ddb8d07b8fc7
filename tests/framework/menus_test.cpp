// The chapter sub-menu loop and the main menu: range tests, dispatch on
// the whole part of the value, redraws, the way back and the end.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace prompt_test
