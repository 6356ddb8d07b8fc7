// The screen vocabulary's contracts that every lesson set relies on: where
// the TextCursor goes, where an answer box is kept and revealed, what a
// polygon leaves behind.
#include <gtest/gtest.h>

#include "framework/lesson_screens.h"
#include "tests/framework/figure_fixture.h"

namespace {

struct Screens : LessonScreens {
  using LessonScreens::LessonScreens;
  using LessonScreens::AnswerBox;
  using LessonScreens::ArcOver;
  using LessonScreens::Frame;
  using LessonScreens::Label;
  using LessonScreens::NewLine;
  using LessonScreens::Points;
  using LessonScreens::PolygonAt;
  using LessonScreens::Reveal;
  using LessonScreens::SameLine;
  using LessonScreens::TextAt;
};

class LessonScreensTest : public ::testing::Test {
 protected:
  LessonScreensTest() : page(1920, 1080), s(page, "Test") {
    page.recordTrace(true);
    s.XI1 = 38;
    s.YI1 = 30;
  }
  std::vector<TracedOp> drawn(const std::string& op) {
    std::vector<TracedOp> out;
    for (const std::string& line : page.trace())
      if (TracedOp t = parseTraceLine(line); t.op == op) out.push_back(t);
    page.clearTrace();
    return out;
  }
  rt::Runtime page;
  Screens s;
};

TEST_F(LessonScreensTest, TextLinesMoveTheCursorAndLabelsLeaveIt) {
  s.NewLine(3, "AB", 0);
  EXPECT_EQ(s.YI1, 30);
  const float afterLine = s.XI2;
  EXPECT_GT(afterLine, 38);
  s.TextAt(0, 500, 400, "O");  // a label
  EXPECT_EQ(s.XI2, afterLine);
  EXPECT_EQ(s.YI1, 30);
  s.SameLine(5, "C", 20);
  auto texts = drawn("SYMBOL");
  ASSERT_FALSE(texts.empty());
  EXPECT_NEAR(texts.back()["x"], afterLine + 20, kPixel);
  EXPECT_EQ(texts.back()["colour"], 5);
  s.NewLine(0, "D", 55, 36);
  EXPECT_EQ(s.YI1, 85);
  texts = drawn("SYMBOL");
  EXPECT_NEAR(texts.front()["x"], 38 + 36, kPixel);
}

TEST_F(LessonScreensTest, AnswerBoxIsKeptAndRevealedInPlaceWithoutMovingTheCursor) {
  s.NewLine(0, "AB", 0);
  const float lineEnd = s.XI2;
  s.AnswerBox(2, "ア", 76, {}, 0);
  EXPECT_EQ(s.T_A(2), lineEnd);
  EXPECT_EQ(s.F_A(2), 30);
  const float boxEnd = s.XI2;
  s.AnswerBox(3, "イ", 76);
  EXPECT_EQ(s.T_A(3), boxEnd + 10);
  const float cursorX = s.XI2, cursorY = s.YI1;
  drawn("LINE");
  s.Reveal(2, "CD", 76);
  EXPECT_EQ(s.XI2, cursorX);
  EXPECT_EQ(s.YI1, cursorY);
  auto boxes = drawn("LINE");
  ASSERT_FALSE(boxes.empty());
  EXPECT_NEAR(boxes.front()["x1"], lineEnd, kPixel);
  EXPECT_NEAR(boxes.front()["y1"], 30 - 2, kPixel);  // 48 high, centred on the 44 line
  EXPECT_EQ(boxes.front()["fill"], 13);
}

TEST_F(LessonScreensTest, PolygonThroughSlotsLeavesItsWidth) {
  s.Frame(640, 100, 9, 6, 60);
  s.Points({{1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 8, 5}});
  EXPECT_EQ(s.X_A(2), s.GX0 + 60);
  s.SETDRAWWIDTH(3);
  s.CCC1 = 0;
  s.PolygonAt({1, 2, 3, 4}, 5, 0, "A", 10);
  EXPECT_EQ(s.KAKU, 4);
  EXPECT_EQ(s.G_A(4, 1), s.X_A(4));
  EXPECT_EQ(s.GETDRAWWIDTH(), 5);
  std::string letters;
  for (const TracedOp& t : drawn("SYMBOL")) letters += t.text.at("text");
  EXPECT_EQ(letters, "ABCD");
}

TEST_F(LessonScreensTest, ArcOverDotsInItsColourAndLabelsInTheCallersTextColour) {
  s.Frame(640, 0, 14, 17, 35);
  s.Points({{1, 7, 15}, {2, 1, 11}});
  s.CCC1 = 0;
  s.ArcOver(1, 2, 2, 1, 7, 7, "6cm");
  std::vector<TracedOp> dots, label;
  for (const std::string& line : page.trace()) {
    TracedOp t = parseTraceLine(line);
    if (t.op == "CIRCLE") dots.push_back(t);
    if (t.op == "SYMBOL") label.push_back(t);
  }
  EXPECT_EQ(dots.size(), 26u);  // one every 7 degrees of the half turn
  for (const TracedOp& d : dots) EXPECT_EQ(d["colour"], 7);
  ASSERT_FALSE(label.empty());
  for (const TracedOp& l : label) EXPECT_EQ(l["colour"], 0);
}

}  // namespace
