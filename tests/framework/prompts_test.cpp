// The prompt band: each prompt's frame, text and eraser, what it leaves in
// the shared variables, and a window closed while it waits.
#include <gtest/gtest.h>

#include "tests/framework/prompt_fixture.h"

namespace prompt_test {
namespace {

using Prompts = PromptTest;

TEST_F(Prompts, WaitAnyKeyFramesWaitsAndSetsBack) {
  p.CCC1 = 7;
  p.SETDRAWWIDTH(5);
  p.AINP = 42;
  p.AINP_S = "42";
  keys("Right");
  EXPECT_EQ(run([&] { p.WaitAnyKey(); }), 0);
  const std::vector<std::string>& t = r.trace();
  EXPECT_EQ(t.front(), box(96, 657, 400, 693, 13, 4, 3));
  std::vector<Glyph> text = glyphs(t);
  ASSERT_EQ(text.size(), 12u);
  EXPECT_EQ(text.front(), (Glyph{128, 666, "何", 9}));
  EXPECT_EQ(text.back(), (Glyph{304, 666, "。", 9}));
  EXPECT_EQ(t.back(), box(0, 657, 400, 693, 15, 15, 3));
  EXPECT_EQ(p.I_S, std::string(1, char(rt::kRight)));
  EXPECT_EQ(p.CCC1, 7);
  EXPECT_EQ(r.GETDRAWWIDTH(), 5);
  EXPECT_EQ(p.X, 320);
  EXPECT_EQ(p.Y, 666);
  EXPECT_EQ(p.AA_S, "");
  EXPECT_EQ(p.AINP, 42);
  EXPECT_EQ(p.AINP_S, "42");
  EXPECT_TRUE(r.fontBold());
  EXPECT_TRUE(pageBlank(r));
}

TEST_F(Prompts, PauseWithMessageShowsTheHintAndKeepsTheKey) {
  p.CCC1 = 3;
  p.SETDRAWWIDTH(1);
  p.AA_S = "←→動く；１終了";
  keys("1");
  run([&] { p.PauseWithMessage(); });
  const std::vector<std::string>& t = r.trace();
  EXPECT_EQ(t.front(), box(16, 657, 496, 693, 13, 4, 3));
  EXPECT_EQ(glyphs(t).front(), (Glyph{48, 666, "←", 9}));
  EXPECT_EQ(t.back(), box(0, 657, 992, 720, 15, 15, 3));
  EXPECT_EQ(p.I_S, "1");
  EXPECT_EQ(p.X, 48 + 8 * 16);
  EXPECT_EQ(p.CCC1, 3);
  EXPECT_EQ(r.GETDRAWWIDTH(), 1);
  EXPECT_TRUE(pageBlank(r));
}

TEST_F(Prompts, AskNextStepSetsTheWidthBackButNotTheColour) {
  struct Case {
    const char* keys;
    float value;
    int colour;
  };
  for (const Case& c : {Case{"Enter", 0, 0}, Case{"1 Enter", 1, 5}, Case{"2 / 2 Enter", 1, 5}}) {
    r.clearTrace();
    p.CCC1 = 7;
    p.SETDRAWWIDTH(4);
    keys(c.keys);
    run([&] { p.AskNextStep(); });
    const std::vector<std::string>& t = r.trace();
    EXPECT_EQ(t.front(), box(96, 639, 400, 675, 13, 12, 2)) << c.keys;
    EXPECT_EQ(glyphs(t).front(), (Glyph{128, 648, "次", 9})) << c.keys;
    EXPECT_EQ(t.back(), box(96, 639, 400, 675, 15, 15, 2)) << c.keys;
    EXPECT_EQ(p.AINP, c.value) << c.keys;
    EXPECT_EQ(p.CCC1, c.colour) << c.keys;
    EXPECT_EQ(p.I_S, "\r") << c.keys;
    EXPECT_EQ(r.GETDRAWWIDTH(), 4) << c.keys;
    EXPECT_TRUE(pageBlank(r)) << c.keys;
  }
}

TEST_F(Prompts, MenuNumberPromptEndsBeforeTheLabelAndItsEraserTakesAll) {
  keys("3 Enter");
  run([&] { p.AskMenuNumber(); });
  std::vector<Glyph> text = glyphs(r.trace(), 0);
  ASSERT_EQ(text.size(), 11u + 2u);
  EXPECT_EQ(text[0], (Glyph{816, 648, "番", 0}));
  EXPECT_EQ(text[10], (Glyph{976, 648, "。", 0}));
  EXPECT_EQ(text[11], (Glyph{1008, 648, "入", 0}));
  EXPECT_EQ(p.AINP, 3);
  EXPECT_EQ(p.CCC1, 5);
  p.ClearMenuPrompt();
  EXPECT_EQ(r.trace().back(), box(816, 640, 1872, 690, 15, 15, 3));
  EXPECT_TRUE(pageBlank(r));
}

TEST_F(Prompts, LongestItemLineEndsInsideItsEraser) {
  p.AA_S = "①長方形対角線　②ひし形対角線　③対角線逆　④問４　⑤問５　⑥問６　⑦説明(1)　⑧(2)　⑨(3)　⑩(4)　⑪終了";
  keys("1 1 Enter");
  run([&] { p.AskSubMenuChoice(); });
  EXPECT_EQ(glyphs(r.trace()).front(), (Glyph{16, 666, "①", 0}));
  EXPECT_EQ(p.AINP, 11);
  EXPECT_EQ(p.AA_S, "");
  std::vector<Glyph> line = glyphs(r.trace(), 0);
  EXPECT_EQ(line[58].text, "了");
  EXPECT_LE(line[58].x + 16, 992) << "the line's end";
  EXPECT_FALSE(pageBlank(r)) << "the item line stays until its eraser";
  p.ClearSubMenuLine();
  EXPECT_EQ(r.trace().back(), box(0, 657, 992, 720, 15, 15, 3));
  EXPECT_TRUE(pageBlank(r));
}

TEST_F(Prompts, Erasers) {
  p.ClearWorkArea();
  EXPECT_EQ(r.trace().back(), box(0, 54, 1440, 900, 15, 15, 3));
  p.ClearInputBand();
  EXPECT_EQ(r.trace().back(), box(1136, 576, 2576, 666, 15, 15, 3));
  EXPECT_EQ(p.X, 1136);
  EXPECT_EQ(p.Y, 576);
}

TEST_F(Prompts, ClosingTheWindowEndsTheProgramInEveryPrompt) {
  struct Case {
    const char* name;
    std::function<void(Probe&)> prompt;
    const char* before;  // keys taken before the window closes
  };
  const Case cases[] = {
      {"WaitAnyKey", [](Probe& q) { q.WaitAnyKey(); }, ""},
      {"PauseWithMessage", [](Probe& q) { q.AA_S = "←→動く；１終了"; q.PauseWithMessage(); }, ""},
      {"AskNextStep", [](Probe& q) { q.AskNextStep(); }, "1"},
      {"AskMenuNumber", [](Probe& q) { q.AskMenuNumber(); }, "2 /"},
      {"AskSubMenuChoice", [](Probe& q) { q.AA_S = "①Q　②終了"; q.AskSubMenuChoice(); }, ""},
  };
  for (const Case& c : cases) {
    rt::Runtime w(1920, 1080, rt::parseKeys(c.before));
    w.recordTrace(true);
    w.pushClose();
    w.pushKeys(rt::parseKeys("5 Enter"));
    Probe q(w, "Kelvaro");
    q.KAIX = 1056;
    q.KAIY = 648;
    bool returned = false;
    EXPECT_EQ(q.RunGuarded([&] {
      c.prompt(q);
      returned = true;
    }), 0) << c.name;
    EXPECT_FALSE(returned) << c.name;
    EXPECT_EQ(keysTaken(w.trace()), static_cast<int>(rt::parseKeys(c.before).size())) << c.name;
  }
}

}  // namespace
}  // namespace prompt_test
