// The keyboard number entry: echo, clearing, the ten-character rule and
// the value of what was typed.
#include <gtest/gtest.h>

#include "tests/framework/prompt_fixture.h"

namespace prompt_test {
namespace {

using NumberEntry = PromptTest;

TEST_F(NumberEntry, EchoTextAndValueOfKeySequences) {
  struct Case {
    const char* keys;
    const char* text;  // AINP$
    float value;       // AINP
    std::vector<std::pair<float, const char*>> echo;  // x and glyph, colour 5, at y 648
  };
  const Case cases[] = {
      {"Enter", "", 0, {}},
      {"3 Enter", "3", 3, {{1056, "３"}}},
      {"3 / 4 Enter", "3/4", 0.75f, {{1056, "３"}, {1072, "÷"}, {1088, "４"}}},
      {"- 2 Enter", "-2", -2, {{1056, "－"}, {1072, "２"}}},
      {"1 . 5 Enter", "1.5", 1.5f, {{1056, "１"}, {1068, "．"}, {1072, "５"}}},
      {"1 2 Backspace 5 Enter", "5", 5, {{1056, "１"}, {1072, "２"}, {1056, "５"}}},
      {"1 2 Clear 5 Enter", "5", 5, {{1056, "１"}, {1072, "２"}, {1056, "５"}}},
      {"a Space Right Left Up Esc z 7 Enter", "7", 7, {{1056, "７"}}},
      {"/ 4 Enter", "/4", 0, {{1056, "÷"}, {1072, "４"}}},
      {"1 / 2 / 4 Enter", "1/2/4", 0.5f, {{1056, "１"}, {1072, "÷"}, {1088, "２"}, {1104, "÷"}, {1120, "４"}}},
      // An empty or zero denominator: an invalid entry of value 0.
      {"6 / Enter", "6/", 0, {{1056, "６"}, {1072, "÷"}}},
      {"6 / 0 Enter", "6/0", 0, {{1056, "６"}, {1072, "÷"}, {1088, "０"}}},
      {"0 / 0 Enter", "0/0", 0, {{1056, "０"}, {1072, "÷"}, {1088, "０"}}},
      {"/ Enter", "/", 0, {{1056, "÷"}}},
      {"6 / . Enter", "6/.", 0, {{1056, "６"}, {1072, "÷"}, {1084, "．"}}},
      {"1 0 / 5 Enter", "10/5", 2, {{1056, "１"}, {1072, "０"}, {1088, "÷"}, {1104, "５"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    r.clearTrace();
    keys(c.keys);
    p.AINP = 99;
    EXPECT_EQ(run([&] {
      p.InputNumberText();
      EXPECT_EQ(p.AINP, 99) << "the entry leaves AINP to the parse";
      p.ParseInputNumber();
    }), 0);
    EXPECT_EQ(p.AINP_S, c.text);
    EXPECT_EQ(p.AINP, c.value);
    EXPECT_EQ(p.I_S, "\r");
    std::vector<Glyph> echo;
    for (auto [x, t] : c.echo) echo.push_back({x, 648, t, 5});
    EXPECT_EQ(glyphs(r.trace(), 5), echo);
    // Label first, in colour 0, then the whole field erased last.
    EXPECT_EQ(glyphs(r.trace(), 0), (std::vector<Glyph>{{1008, 648, "入", 0}, {1024, 648, "力", 0}}));
    EXPECT_EQ(r.trace().back(), box(1008, 640, 1248, 670, 15, 15, 3));
    EXPECT_EQ(p.CCC1, c.echo.empty() ? 0 : 5);
    // X: the pen after the label, or the echo pen of the last character
    // (a point is drawn 4 pixels left of it).
    float lastPen = c.echo.empty() ? 1040
                    : c.echo.back().first + (std::string(c.echo.back().second) == "．" ? 4 : 0);
    EXPECT_EQ(p.X, lastPen);
    EXPECT_EQ(p.Y, 648);
    EXPECT_EQ(p.YY, 648);
    EXPECT_EQ(p.AA_S, "");
    EXPECT_EQ(r.GETDRAWWIDTH(), 3);
  }
}

TEST_F(NumberEntry, ClearingKeepsColourAndLastEchoPen) {
  keys("1 2 Backspace Enter");
  run([&] { p.InputNumberText(); });
  EXPECT_EQ(p.AINP_S, "");
  EXPECT_EQ(p.CCC1, 5) << "a character was accepted during the entry";
  EXPECT_EQ(p.X, 1072) << "XX when the last character was echoed";
  EXPECT_EQ(p.XX, 1056);
  // The field eraser: 192 x 30 from (KAIX, KAIY - 8).
  EXPECT_EQ(only(r.trace(), "LINE").front(), box(1056, 640, 1248, 670, 15, 15, 3));
}

TEST_F(NumberEntry, TenCharactersAreClearedByTheNextKeyEnterIncluded) {
  keys("1 2 3 4 5 6 7 8 9 Enter");
  run([&] { p.InputNumberText(); });
  EXPECT_EQ(p.AINP_S, "123456789") << "nine characters are confirmed";

  r.clearTrace();
  keys("1 2 3 4 5 6 7 8 9 0 Enter Enter");
  run([&] { p.InputNumberText(); });
  EXPECT_EQ(p.AINP_S, "") << "the eleventh key, Enter, only cleared the field";
  EXPECT_EQ(keysTaken(r.trace()), 12);

  r.clearTrace();
  keys("1 2 3 4 5 6 7 8 9 0 4 Enter");
  run([&] { p.InputNumberText(); });
  EXPECT_EQ(p.AINP_S, "") << "the key that clears has no other effect";
  r.clearTrace();
  keys("1 2 3 4 5 6 7 8 9 0 4 2 Enter");
  run([&] { p.InputNumberText(); });
  EXPECT_EQ(p.AINP_S, "2");
}

TEST_F(NumberEntry, DotBeforeEveryPollAndErasedBeforeEcho) {
  keys("4 x Enter");
  run([&] { p.InputNumberText(); });
  std::vector<std::string> circles = only(r.trace(), "CIRCLE");
  auto disc = [](float cx, int c) {
    return "{\"op\":\"CIRCLE\",\"cx\":" + rt::jsonNumber(cx) +
           ",\"cy\":656,\"r\":4,\"start\":0,\"end\":0,\"filled\":true,\"colour\":" +
           std::to_string(c) + ",\"fill\":" + std::to_string(c) + ",\"width\":3}";
  };
  // Dot, key 4 (dot erased, echo), dot, key x (ignored), dot again, Enter
  // (dot erased).
  EXPECT_EQ(circles, (std::vector<std::string>{disc(1064, 5), disc(1064, 15), disc(1080, 5),
                                               disc(1080, 5), disc(1080, 15)}));
}

TEST_F(NumberEntry, EntryLeavesTheDrawWidthAndErasesEverything) {
  p.SETDRAWWIDTH(5);
  keys("1 . 2 / - 8 Backspace 3 Enter");
  run([&] { p.InputNumberText(); });
  EXPECT_EQ(r.GETDRAWWIDTH(), 5);
  EXPECT_TRUE(pageBlank(r));
}

TEST_F(NumberEntry, KeysTypedAheadAreTheFirstKeysOfTheEntry) {
  keys("2 Enter 3 Enter");
  run([&] {
    p.InputNumberText();
    p.ParseInputNumber();
  });
  EXPECT_EQ(p.AINP, 2);
  run([&] {
    p.InputNumberText();
    p.ParseInputNumber();
  });
  EXPECT_EQ(p.AINP, 3);
}

}  // namespace
}  // namespace prompt_test
