// Plain prompt text: conversion of half-width characters, cells, the "^"
// escape and the tucked-in point.
#include <gtest/gtest.h>

#include "tests/framework/prompt_fixture.h"

namespace prompt_test {
namespace {

using PlainText = PromptTest;

TEST_F(PlainText, ConversionTable) {
  struct Case {
    const char* in;
    const char* out;
  };
  // Upper-case "A" is the Greek alpha and "x" the Greek chi; "z" and the
  // characters outside both tables stay as they are.
  const Case cases[] = {
      {" ", "　"}, {"A", "Α"}, {"B", "Ｂ"}, {"W", "Ｗ"}, {"X", "Ｘ"}, {"Y", "Ｙ"}, {"Z", "Ｚ"},
      {"0", "０"}, {"9", "９"}, {"*", "×"}, {"/", "÷"}, {"+", "＋"}, {"-", "－"}, {"ﾀ", "―"},
      {"=", "＝"}, {".", "．"}, {"?", "∽"}, {"(", "（"}, {")", "）"}, {"!", "√"}, {"$", "≡"},
      {"@", "±"}, {"&", "π"}, {"'", "∠"}, {"[", "≦"}, {"]", "≧"}, {"<", "＜"}, {">", "＞"},
      {",", "，"}, {"%", "°"}, {"x", "χ"}, {"y", "ｙ"}, {"a", "ａ"}, {"m", "ｍ"}, {"w", "ｗ"},
      {"~", "△"}, {":", "："}, {"z", "z"}, {"#", "#"}, {";", ";"}, {"_", "_"}, {"ｱ", "ｱ"},
      {"①", "①"}, {"問", "問"}, {"△", "△"}, {"　", "　"}, {"", ""},
  };
  for (const Case& c : cases) {
    p.B_S = c.in;
    p.ToFullWidthChar();
    EXPECT_EQ(p.B_S, c.out) << "\"" << c.in << "\"";
  }
  // Every printable ASCII character becomes one double-byte character,
  // except those that neither table holds.
  const std::string kept = "\"\\^`z{|};#_";
  for (char c = 0x20; c < 0x7f; ++c) {
    p.B_S = std::string(1, c);
    p.ToFullWidthChar();
    if (kept.find(c) != std::string::npos) {
      EXPECT_EQ(p.B_S, std::string(1, c));
      EXPECT_EQ(p.N1 + p.N, 0) << c;
    } else {
      EXPECT_EQ(rt::KLEN(p.B_S), 1) << c;
      EXPECT_EQ(rt::LEN(p.B_S), 2) << c;
    }
  }
  // The lower-case letters a to w in order; B to W likewise.
  for (char c = 'a'; c <= 'w'; ++c) {
    p.B_S = std::string(1, c);
    p.ToFullWidthChar();
    EXPECT_EQ(rt::decode(p.B_S)[0], U'ａ' + (c - 'a')) << c;
  }
  for (char c = 'B'; c <= 'W'; ++c) {
    p.B_S = std::string(1, c);
    p.ToFullWidthChar();
    EXPECT_EQ(rt::decode(p.B_S)[0], U'Ｂ' + (c - 'B')) << c;
  }
}

TEST_F(PlainText, CellsOfTexts) {
  struct Case {
    const char* text;
    std::vector<Glyph> drawn;  // relative to the pen (100, 200)
    float advance;
  };
  auto g = [](float dx, float dy, const char* t) { return Glyph{100 + dx, 200 + dy, t, 7}; };
  const Case cases[] = {
      {"P138 基本の問題 ①1,2",
       {g(0, 0, "Ｐ"), g(16, 0, "１"), g(32, 0, "３"), g(48, 0, "８"), g(64, 0, ""),
        g(80, 0, "基"), g(96, 0, "本"), g(112, 0, "の"), g(128, 0, "問"), g(144, 0, "題"),
        g(160, 0, ""), g(176, 0, "①"), g(192, 0, "１"), g(208, 0, "，"), g(224, 0, "２")},
       240},
      {" ", {g(0, 0, "")}, 16},
      {"3.5", {g(0, 0, "３"), g(12, 0, "．"), g(16, 0, "５")}, 32},
      {".", {g(-4, 0, "．")}, 0},
      {"z#", {g(0, -4, "z"), g(16, -4, "#")}, 32},
      {"ﾀ", {g(0, 0, "―")}, 16},
      {"xXy", {g(0, 0, "χ"), g(16, 0, "Ｘ"), g(32, 0, "ｙ")}, 48},
      {"①問△　", {g(0, 0, "①"), g(16, 0, "問"), g(32, 0, "△"), g(48, 0, "　")}, 64},
      {"cm^2", {g(0, 0, "ｃ"), g(16, 0, "ｍ"), g(32, -4, "2")}, 48},
      {"^^2", {g(0, -4, "2")}, 16},
      {"^ 1", {g(0, 0, ""), g(16, 0, "１")}, 32},
      {"^.5", {g(0, -4, "."), g(16, 0, "５")}, 32},
      {"^①", {g(0, 0, "①")}, 16},
  };
  for (const Case& c : cases) {
    r.clearTrace();
    p.JYOU = 0;
    p.CCC1 = 7;
    p.X = 100;
    p.Y = 200;
    p.AA_S = c.text;
    p.DrawPlainText();
    EXPECT_EQ(glyphs(r.trace()), c.drawn) << c.text;
    EXPECT_EQ(p.X, 100 + c.advance) << c.text;
    EXPECT_EQ(p.Y, 200) << c.text;
    EXPECT_EQ(p.AA_S, "") << c.text;
    EXPECT_EQ(p.JYOU, 0) << c.text;
    EXPECT_EQ(p.CCC1, 7) << c.text;
    EXPECT_TRUE(r.fontBold()) << c.text;
  }
  EXPECT_EQ(glyphs(r.trace()).back().text, "①");
}

TEST_F(PlainText, AlphaOfChapterProblemsA) {
  p.X = 16;
  p.Y = 666;
  p.AA_S = "P151 章の問題A";
  p.DrawPlainText();
  EXPECT_EQ(glyphs(r.trace()).back(), (Glyph{16 + 9 * 16, 666, "Α", 0}));
}

TEST_F(PlainText, EmptyTextDrawsNothingAndTouchesNothing) {
  p.SETFONTBOLD(0);
  p.JYOU = 1;
  p.X = 50;
  p.AA_S = "";
  p.DrawPlainText();
  EXPECT_TRUE(r.trace().empty());
  EXPECT_EQ(p.X, 50);
  EXPECT_EQ(p.JYOU, 1);
  EXPECT_EQ(p.LEM, 0);
  EXPECT_FALSE(r.fontBold());
}

TEST_F(PlainText, EscapeCarriesOverToTheNextText) {
  p.X = 0;
  p.Y = 100;
  p.AA_S = "Q^";
  p.DrawPlainText();
  EXPECT_EQ(p.JYOU, 1);
  EXPECT_EQ(p.X, 16);
  p.AA_S = "P1";
  p.DrawPlainText();
  EXPECT_EQ(p.JYOU, 0);
  EXPECT_EQ(glyphs(r.trace()), (std::vector<Glyph>{{0, 100, "Ｑ", 0}, {16, 96, "P", 0}, {32, 100, "１", 0}}));
}

TEST_F(PlainText, CharsDropBlanksAndReturnThePenInXT) {
  for (const char* text : {"12", "1 2"}) {
    r.clearTrace();
    p.X = 40;
    p.Y = 60;
    p.A_S = text;
    p.DrawPlainChars();
    EXPECT_EQ(p.XT, 72) << text;
    EXPECT_EQ(p.X, 40) << text;
    EXPECT_EQ(p.A_S, "12") << text;
    EXPECT_EQ(glyphs(r.trace()), (std::vector<Glyph>{{40, 60, "１", 0}, {56, 60, "２", 0}})) << text;
  }
}

}  // namespace
}  // namespace prompt_test
