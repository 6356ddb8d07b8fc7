// Formula text, stacked fractions, measurement and boxes, read from the
// drawing trace (and the pixels where only they show).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "runtime/runtime.h"
#include "tests/framework/text_trace.h"

namespace {

using texttrace::describeAll;
using Ops = std::vector<std::string>;

class TextTest : public ::testing::Test {
 protected:
  TextTest() : fw(r, "Test") {
    r.recordTrace(true);
    r.SETFONTNAME("ｺﾞｼｯｸ");
    r.SETFONTSIZE(16);
    r.SETDRAWWIDTH(5);
  }

  // DrawText (or another text routine) of `text` at (100, 200) in colour
  // 0; the trace it made.
  Ops draw(const std::string& text, float x = 100, float y = 200,
           void (Framework::*routine)() = &Framework::DrawText) {
    r.clearTrace();
    fw.CCC1 = 0;
    fw.X = x;
    fw.Y = y;
    fw.AA_S = text;
    (fw.*routine)();
    return describeAll(r.trace());
  }

  rt::Runtime r{1920, 1080};
  Framework fw;
};

struct Case {
  const char* text;
  float end;  // X after the text
  Ops ops;
};

TEST_F(TextTest, GlyphCasesPlaceAdvanceAndChooseFonts) {
  const std::string G = " ゴシック 16 b";
  const Case cases[] = {
      {"12(cm^2)", 286,
       {"1 100,200 3x3" + G, "2 127,200 3x3" + G, "( 154,200 3x3" + G, "c 185,178 10x7 Times New Roman 8 b i",
        "m 208,200 3x3" + G, "2 235,200 3x2" + G, ") 259,200 3x3" + G}},
      {"1.5cm", 216,
       {"1 100,200 3x3" + G, ". 124,214 3x2" + G, "5 135,200 3x3" + G, "c 166,178 10x7 Times New Roman 8 b i",
        "m 189,200 3x3" + G}},
      {"6*4/2=", 267,
       {"6 100,200 3x3" + G, "× 123,200 2x3" + G, "4 154,200 3x3" + G, "÷ 177,200 2x3" + G,
        "2 208,200 3x3" + G, "= 239,200 3x3 ゴシック 14 b"}},
      {"AB=AC", 240,
       {"A 100,200 3x3" + G, "B 127,200 3x3" + G, "= 158,200 3x3 ゴシック 14 b", "A 186,200 3x3" + G,
        "C 213,200 3x3" + G}},
      {"60%", 166, {"6 100,200 3x3" + G, "0 127,200 3x3" + G, "° 154,200 3x3" + G}},
      {"A'", 139, {"A 100,200 3x3" + G, "' 127,200 3x3" + G}},
      {"l", 132, {"l 100,200 6x3 MT Extra 16 b"}},
      {"　 ", 161, {"　 100,200 2x3" + G}},
      // A pending raise passes over "=" to the next character.
      {"^=2", 156, {"= 104,200 3x3 ゴシック 14 b", "2 132,200 3x2" + G}},
      // The point leaves the raise pending too.
      {"^.2", 132, {". 97,214 3x2" + G, "2 108,200 3x2" + G}},
      // A raised "x" is a Gothic glyph, not the italic letter.
      {"^x", 124, {"x 100,200 3x2" + G}},
      {"-+", 154,
       {"LINE 104,220 123,220 w5", "LINE 131,222 150,222 w5", "LINE 140,210 140,234 w5"}},
      {"&A", 163, {"CONNECT 104,240 125,240 132,208 111,208 104,240 w5", "A 136,200 3x3" + G}},
      // The short parallelogram sign draws in every program.
      {"＃AB", 190, {"CONNECT 110,208 104,236 126,236 132,208 110,208 w5", "A 136,200 3x3" + G, "B 163,200 3x3" + G}},
      {"√2ﾝ", 155,
       {"CONNECT 104,236 108,224 116,240 124,196 132,196 w3", "2 128,200 3x3" + G, "LINE 128,196 155,196 w3"}},
      // A sign inside an open radical gets no overline piece; the overline
      // starts again after it.
      {"√2&3ﾝ", 218,
       {"CONNECT 104,236 108,224 116,240 124,196 132,196 w3", "2 128,200 3x3" + G, "LINE 128,196 155,196 w3",
        "CONNECT 159,240 180,240 187,208 166,208 159,240 w5", "3 191,200 3x3" + G, "LINE 191,196 218,196 w3"}},
      {"∠PBC=ﾀ1/2ﾀ", 279,
       {"∠ 100,200 2x3" + G, "P 134,200 3x3" + G, "B 161,200 3x3" + G, "C 188,200 3x3" + G,
        "= 219,200 3x3 ゴシック 14 b", "LINE 247,225 279,225 w4", "2 247,228 4x2" + G, "1 247,190 4x2" + G}},
      {"", 100, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(draw(c.text), c.ops);
    EXPECT_EQ(fw.X, c.end);
    EXPECT_EQ(fw.Y, 200);
    EXPECT_EQ(fw.AA_S, "");
    EXPECT_EQ(fw.JYOU, 0);
    EXPECT_EQ(fw.HROOT, 0);
    EXPECT_EQ(r.GETDRAWWIDTH(), 5);
    EXPECT_EQ(fw.DR, 5);
    if (*c.text) {
      EXPECT_EQ(r.fontName(), "ゴシック");
      EXPECT_EQ(r.fontSize(), 16);
      EXPECT_FALSE(r.fontBold());
      EXPECT_FALSE(r.fontItalic());
    }
  }
}

TEST_F(TextTest, LiteralTextSpellsEveryCharacterAsWritten) {
  const std::string G = " ゴシック 16 b";
  // Every character DrawText reads as notation is here an ordinary glyph:
  // 27 across a half-width glyph, 34 a full-width one.
  const std::string notation = "la xc%*/@!^\\#ﾀﾝ&=.'-+";
  Ops expected;
  float x = 100;
  for (int k = 1; k <= KLEN(notation); ++k) {
    const std::string c = KMID(notation, k, 1);
    expected.push_back(c + " " + std::to_string(static_cast<int>(x)) + ",200 3x3" + G);
    x += 27;
  }
  expected.push_back("√ " + std::to_string(static_cast<int>(x)) + ",200 2x3" + G);
  x += 34;
  expected.push_back("＃ " + std::to_string(static_cast<int>(x)) + ",200 2x3" + G);
  x += 34;
  const auto drawLiteral = [&](const std::string& text, float x) {
    return draw(text, x, 200, &Framework::DrawLiteralText);
  };
  EXPECT_EQ(drawLiteral(notation + "√＃", 100), expected);
  EXPECT_EQ(fw.X, x);
  EXPECT_EQ(fw.Y, 200);
  EXPECT_EQ(fw.AA_S, "");
  EXPECT_EQ(r.GETDRAWWIDTH(), 5);
  // No mark is opened or closed by the text.
  EXPECT_EQ(fw.JYOU, 0);
  EXPECT_EQ(fw.JYOUK, 0);
  EXPECT_EQ(fw.HROOT, 0);
  EXPECT_EQ(fw.BUN, 0);
  EXPECT_EQ(r.fontName(), "ゴシック");
  EXPECT_EQ(r.fontSize(), 16);
  EXPECT_FALSE(r.fontBold());
  EXPECT_FALSE(r.fontItalic());

  // A radical left open by an earlier text overlines it, as it would the
  // next formula text, and stays open.
  draw("√2");
  EXPECT_EQ(drawLiteral("ﾝa", 300), (Ops{"ﾝ 300,200 3x3" + G, "LINE 128,196 327,196 w3", "a 327,200 3x3" + G,
                                         "LINE 128,196 354,196 w3"}));
  EXPECT_EQ(fw.HROOT, 1);
  draw("ﾝ");

  // On a text without notation it draws what DrawText draws and leaves
  // the shared scratch variables as DrawText does.
  const auto scratch = [&] {
    auto n = [](const char* name, float v) { return std::string(name) + "=" + std::to_string(v); };
    return std::vector<std::string>{
        n("X", fw.X),     n("Y", fw.Y),     n("DR", fw.DR),   n("LEM", fw.LEM), n("TX", fw.TX),
        n("TY", fw.TY),   n("NAG", fw.NAG), n("TA2", fw.TA2), n("I", fw.I),     n("TXM", fw.TXM),
        "A$=" + fw.A_S,   "R$=" + fw.R_S,   "B$=" + fw.B_S,   "AA$=" + fw.AA_S};
  };
  const std::string plain = "ABｱ12＜メ";
  const Ops byFormula = draw(plain, 50);
  const std::vector<std::string> leftByFormula = scratch();
  fw.X = fw.TX = fw.TY = fw.TA2 = fw.I = fw.NAG = fw.TXM = 0;
  fw.A_S = fw.R_S = fw.B_S = "";
  EXPECT_EQ(drawLiteral(plain, 50), byFormula);
  EXPECT_EQ(scratch(), leftByFormula);
}

TEST_F(TextTest, StackedFractions) {
  const std::string G = " ゴシック 16 b";
  const std::string sign = "CONNECT 104,236 108,224 116,260 130,186 138,186 w3";
  const Case cases[] = {
      {"ﾀ1/12ﾀ", 164,
       {"LINE 100,225 164,225 w4", "1 100,228 4x2" + G, "2 132,228 4x2" + G, "1 116,190 4x2" + G}},
      // The raise in the denominator moves it down 8.
      {"ﾀ1/x^2ﾀ", 156,
       {"LINE 100,225 156,225 w4", "x 104,220 12x5 Times New Roman 8 b i", "2 132,232 6x3 ゴシック 8 b",
        "1 112,190 4x2" + G}},
      // A further "/" stays in the denominator as a full-width "÷".
      {"ﾀ1/2/3ﾀ", 202,
       {"LINE 100,225 202,225 w4", "2 100,228 4x2" + G, "÷ 132,228 3x3 ゴシック 11 b", "3 170,228 4x2" + G,
        "1 135,190 4x2" + G}},
      // A radical in the numerator: small sign and overline, denominator 8 lower.
      {"ﾀ√2ﾝ/3ﾀ", 158,
       {"LINE 100,225 158,225 w4", "3 113,236 4x2" + G, "CONNECT 104,214 108,203 116,219 124,184 126,184 w3",
        "2 126,190 4x2" + G, "LINE 126,184 158,184 w3"}},
      // A radical in the denominator ("!" as well as "√") moves it down 8,
      // and a radical anywhere in the fraction 8 more.
      {"ﾀ1/!2ﾝﾀ", 158,
       {"LINE 100,225 158,225 w4", "CONNECT 104,268 108,257 116,273 124,238 126,238 w3", "2 126,244 4x2" + G,
        "LINE 126,238 158,238 w3", "1 113,190 4x2" + G}},
      // The tall radical over a fraction, closed after it and after more text.
      {"#ﾀ1/2ﾀﾝ", 164,
       {sign, "LINE 132,225 164,225 w4", "LINE 132,186 164,186 w3", "2 132,228 4x2" + G, "1 132,190 4x2" + G}},
      {"#ﾀ1/2ﾀ+ﾝ", 191,
       {sign, "LINE 132,225 164,225 w4", "LINE 132,186 164,186 w3", "2 132,228 4x2" + G, "1 132,190 4x2" + G,
        "LINE 168,222 187,222 w5", "LINE 177,210 177,234 w5", "LINE 164,186 191,186 w3"}},
      // A "ﾝ" inside the fraction closes the radical before its overline.
      {"#ﾀ1ﾝ/2ﾀ", 164, {sign, "LINE 132,225 164,225 w4", "2 132,228 4x2" + G, "1 132,190 4x2" + G}},
      // Without "/": a numerator over an empty denominator.
      {"ﾀ12ﾀ", 164, {"LINE 100,225 164,225 w4", "1 100,190 4x2" + G, "2 132,190 4x2" + G}},
      // "#" in a part is a plain glyph and leaves no radical open.
      {"ﾀ#/2ﾀ", 132, {"LINE 100,225 132,225 w4", "2 100,228 4x2" + G, "# 100,190 4x2" + G}},
      // An unpaired "ﾀ" vanishes; a third one too.
      {"ﾀ1/2", 181, {"1 100,200 3x3" + G, "÷ 123,200 2x3" + G, "2 154,200 3x3" + G}},
      {"ﾀ1/2ﾀ3ﾀ", 159,
       {"LINE 100,225 132,225 w4", "2 100,228 4x2" + G, "1 100,190 4x2" + G, "3 132,200 3x3" + G}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    fw.A_S = "";
    EXPECT_EQ(draw(c.text), c.ops);
    EXPECT_EQ(fw.X, c.end);
    EXPECT_EQ(fw.Y, 200);
    EXPECT_EQ(fw.BUN, 0);
    EXPECT_EQ(fw.HROOT, 0);
    EXPECT_EQ(r.GETDRAWWIDTH(), 5);
    EXPECT_FALSE(r.fontBold());
  }
}

TEST_F(TextTest, OpenMarksCarryIntoTheNextText) {
  // A text of marks alone draws nothing and leaves the font as it was.
  EXPECT_EQ(draw("A^"), (Ops{"A 100,200 3x3 ゴシック 16 b"}));
  r.SETFONTNAME("ｺﾞｼｯｸ");
  EXPECT_EQ(draw("^"), Ops{});
  EXPECT_EQ(r.fontName(), "ｺﾞｼｯｸ");
  EXPECT_EQ(fw.X, 100);
  EXPECT_EQ(fw.JYOU, 1);
  EXPECT_EQ(draw("2C"), (Ops{"2 100,200 3x2 ゴシック 16 b", "C 124,200 3x3 ゴシック 16 b"}));
  EXPECT_EQ(fw.JYOU, 0);

  // A radical without its "ﾝ" overlines the next text from its old start.
  draw("√2");
  EXPECT_EQ(fw.HROOT, 1);
  EXPECT_EQ(draw("A", 300, 400), (Ops{"A 300,400 3x3 ゴシック 16 b", "LINE 128,396 327,396 w3"}));
  draw("ﾝB");
  EXPECT_EQ(fw.HROOT, 0);
  EXPECT_EQ(fw.TXM, 127);

  // With "\" and "^" both pending: small raised, then raised.
  EXPECT_EQ(draw("\\^ab"), (Ops{"a 100,190 6x3 ゴシック 8 b", "b 124,200 3x2 ゴシック 16 b"}));
  EXPECT_EQ(fw.JYOUK, 0);
  EXPECT_EQ(fw.JYOU, 0);
}

TEST_F(TextTest, FractionModeCases) {
  // DrawFormulaChars on a whole part, as DrawFraction hands it over.
  fw.BUN = 1;
  fw.CCC1 = 0;
  fw.X = 100;
  fw.Y = 200;
  fw.A_S = "*- +";
  fw.DrawFormulaChars();
  EXPECT_EQ(describeAll(r.trace()),
            (Ops{"× 100,200 3x3 ゴシック 11 b", "LINE 144,214 164,214 w5", "LINE 203,214 223,214 w5",
                 "LINE 213,204 213,224 w5"}));
  EXPECT_EQ(fw.X, 100 + 38 + 32 + 27 + 32);
  EXPECT_EQ(fw.A_S, "*- +");
  EXPECT_EQ(fw.BUN, 1);
  EXPECT_EQ(r.GETDRAWWIDTH(), 5);
}

TEST_F(TextTest, MeasurementEqualsDrawingAndRestoresTheCaller) {
  const char* texts[] = {"12(cm^2)",        "∠x=ﾀ1/2ﾀ*(180%-82%)=ﾀ1/2ﾀ*98%=", "EはDFの中点だから、DE∥BC,DE=ﾀ1/2ﾀBC",
                         "&ABCDで、BE=DF ", "＃ABCDと＃EBCFで、",              "ﾀ1/2ﾀ∠a",
                         "#ﾀ1/x^2ﾀ+lﾝ",     "ﾀ√2ﾝ/3ﾀ",                        "√3ﾝ.5",
                         ""};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    r.clearTrace();
    fw.X = 500;
    fw.Y = 300;
    fw.A_S = text;
    fw.AA_S = "left over";
    fw.MeasureText();
    EXPECT_TRUE(r.trace().empty());
    EXPECT_EQ(fw.X, 500);
    EXPECT_EQ(fw.Y, 300);
    EXPECT_EQ(fw.A_S, text);
    EXPECT_EQ(fw.AA_S, "");
    EXPECT_FALSE(r.measuring());
    const float measured = fw.LLT;
    draw(text, 500, 300);
    EXPECT_EQ(fw.X - 500, measured);
  }
  // In fraction mode the width is the fraction-mode advance; BUN stays.
  fw.BUN = 1;
  fw.A_S = "x^2";
  fw.MeasureText();
  EXPECT_EQ(fw.LLT, 56);
  EXPECT_EQ(fw.BUN, 1);
  fw.BUN = 0;
}

TEST_F(TextTest, NestedMeasurementInsideAFraction) {
  // The outer measure runs DrawFraction, which measures each part with an
  // inner MeasureText; both put back their own callers' pen and text.
  fw.X = 640;
  fw.Y = 480;
  fw.A_S = "DE=ﾀ1/12ﾀBC";
  fw.MeasureText();
  EXPECT_EQ(fw.LLT, 27 + 27 + 32 + 64 + 27 + 27);
  EXPECT_EQ(fw.X, 640);
  EXPECT_EQ(fw.Y, 480);
  EXPECT_EQ(fw.A_S, "DE=ﾀ1/12ﾀBC");
  EXPECT_EQ(fw.XT, 86);  // the fraction was laid out at (86, 1800)
  EXPECT_EQ(fw.YT, 1800);
  EXPECT_TRUE(r.trace().empty());
}

struct BoxCase {
  const char* name;
  void (Framework::*routine)();
  float haba, tate;
  const char* text;
  Ops ops;
};

TEST_F(TextTest, BoxesPlaceBoxAndTextAndReturnThePen) {
  const std::string G = " ゴシック 16 b";
  const BoxCase cases[] = {
      {"answer box", &Framework::BoxAroundText, 76, 48, "ア", {"BOX 500,298 576,346 3/13 w5", "ア 521,300 2x3" + G}},
      {"tall answer box, placeholder", &Framework::BoxAroundText, 152, 70, "②",
       {"BOX 500,287 652,357 3/13 w5", "② 559,300 2x3" + G}},
      {"tall answer box, fraction answer", &Framework::BoxAroundText, 152, 70, "ﾀ1/2ﾀ∠a",
       {"BOX 500,287 652,357 3/13 w5", "LINE 529.5,325 561.5,325 w4", "2 529.5,328 4x2" + G,
        "1 529.5,290 4x2" + G, "∠ 561.5,300 2x3" + G, "a 599.5,278 10x7 Times New Roman 8 b i"}},
      {"low answer box", &Framework::BoxAroundText, 76, 40, "ア", {"BOX 500,302 576,342 3/13 w5", "ア 521,300 2x3" + G}},
      {"text wider than the box", &Framework::BoxAroundText, 60, 48, "三角",
       {"BOX 500,298 560,346 3/13 w5", "三 500,300 2x3" + G, "角 534,300 2x3" + G}},
      {"badge", &Framework::TextInBox, 44, 44, "1", {"BOX 500,300 544,344 3/13 w5", "1 508.5,300 3x3" + G}},
      {"badge on a figure", &Framework::TextInBox, 40, 48, "1", {"BOX 500,300 540,348 3/13 w5", "1 506.5,302 3x3" + G}},
      {"box with a fraction", &Framework::TextInBox, 64, 70, "ﾀ1/2ﾀ",
       {"BOX 500,300 564,370 3/13 w5", "LINE 516,335 548,335 w4", "2 516,338 4x2" + G, "1 516,300 4x2" + G}},
      {"low box", &Framework::TextInBox, 44, 40, "1", {"BOX 500,300 544,340 3/13 w5", "1 508.5,298 3x3" + G}},
      {"box one short", &Framework::TextInBox, 44, 43, "1", {"BOX 500,300 544,343 3/13 w5", "1 508.5,299 3x3" + G}},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    r.clearTrace();
    fw.X = 500;
    fw.Y = 300;
    fw.HABA = c.haba;
    fw.TATE = c.tate;
    fw.CCC1 = 5;
    fw.CCC2 = 3;
    fw.CCC3 = 13;
    fw.A_S = c.text;
    (fw.*c.routine)();
    EXPECT_EQ(describeAll(r.trace()), c.ops);
    EXPECT_EQ(fw.X, 500 + c.haba);
    EXPECT_EQ(fw.Y, 300);
    EXPECT_EQ(fw.X1, 500);
    EXPECT_EQ(fw.AA_S, "");
    EXPECT_EQ(fw.HABA, c.haba);
    EXPECT_EQ(fw.TATE, c.tate);
    EXPECT_EQ(fw.CCC1, 5);
    EXPECT_EQ(fw.CCC2, 3);
    EXPECT_EQ(fw.CCC3, 13);
    EXPECT_EQ(r.GETDRAWWIDTH(), 5);
  }
}

TEST_F(TextTest, TwoLineBox) {
  const std::string G = " ゴシック 16 b";
  struct TwoCase {
    const char *a1, *a2;
    Ops ops;
  };
  const TwoCase cases[] = {
      {"AB", "CD", {"BOX 500,300 700,400 3/13 w5", "A 573,303 3x3" + G, "B 600,303 3x3" + G, "C 573,347 3x3" + G,
                    "D 600,347 3x3" + G}},
      {"AB", "", {"BOX 500,300 700,400 3/13 w5", "A 573,328 3x3" + G, "B 600,328 3x3" + G}},
  };
  for (const TwoCase& c : cases) {
    r.clearTrace();
    fw.X = 500;
    fw.Y = 300;
    fw.HABA = 200;
    fw.TATE = 100;
    fw.CCC1 = 5;
    fw.CCC2 = 3;
    fw.CCC3 = 13;
    fw.A1_S = c.a1;
    fw.A2_S = c.a2;
    fw.TwoLineTextBox();
    EXPECT_EQ(describeAll(r.trace()), c.ops);
    EXPECT_EQ(fw.X, 700);
    EXPECT_EQ(fw.Y, 300);
    EXPECT_EQ(fw.X1, 500);
  }
}

// Every pixel of the page is one of the 16 palette colours.
bool onlyPalette(const rt::Runtime& r) {
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x)
      if (r.pixel(x, y) < 0) return false;
  return true;
}

int inkedPixels(const rt::Runtime& r) {
  int n = 0;
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x) n += r.pixel(x, y) != 15;
  return n;
}

// The bounding box of the pixels a text drawn at (20, 20) in colour 0 inks.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Ink drawnInk(const rt::Runtime& r, Framework& fw, const std::string& text) {
  fw.CCC1 = 0;
  fw.X = 20;
  fw.Y = 20;
  fw.AA_S = text;
  fw.DrawText();
  Ink ink;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 120; ++x)
      if (r.pixel(x, y) == 0) {
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

// A page of lesson lines: crisp, and erased exactly by the same texts in
// colour 15. The page is kept in the test's temporary folder to look at.
TEST_F(TextTest, LessonLinesAreCrispAndEraseExactly) {
  struct Line {
    float x, y;
    int colour;
    const char* text;
  };
  const Line lines[] = {
      {44, 40, 3, "<めあて>"},
      {44, 100, 0, "二等辺三角形の底角は等しいことを証明しよう。"},
      {44, 170, 5, "∠x=ﾀ1/2ﾀ*(180%-82%)=ﾀ1/2ﾀ*98%=49%"},
      {44, 250, 0, "EはDFの中点だから、DE∥BC,DE=ﾀ1/2ﾀBC"},
      {44, 320, 7, "&ABCDで、BE=DF "},
      {44, 380, 0, "＃ABCDと＃EBCFで、△ABC=6*4/2=12(cm^2)"},
      {44, 460, 9, "#ﾀ1/x^2ﾀ+lﾝ  √3ﾝ=1.5cm  A'B'=a+c-x"},
      {44, 540, 0, "三角形ＡＢＣ　x^2-2x+1  ﾀ12/5ﾀ  ﾀa+1/c-1ﾀ"},
  };
  auto page = [&](bool erase) {
    for (const Line& l : lines) {
      fw.CCC1 = erase ? 15 : l.colour;
      fw.X = l.x;
      fw.Y = l.y;
      fw.AA_S = l.text;
      fw.DrawText();
    }
    fw.CCC1 = erase ? 15 : 5;
    fw.CCC2 = erase ? 15 : 3;
    fw.CCC3 = erase ? 15 : 13;
    fw.TATE = 48;
    const float xs[] = {44, 254, 464};
    const char* answers[] = {"∠CAD", "錯角", "90%"};
    for (int k = 0; k < 3; ++k) {
      fw.X = xs[k];
      fw.Y = 640;
      fw.HABA = 190;
      fw.A_S = answers[k];
      fw.BoxAroundText();
    }
    fw.CCC1 = erase ? 15 : 13;
    fw.CCC2 = erase ? 15 : 4;
    fw.CCC3 = erase ? 15 : 3;
    fw.X = 684;
    fw.Y = 640;
    fw.HABA = 44;
    fw.TATE = 44;
    fw.A_S = "1";
    fw.TextInBox();
  };
  page(false);
  EXPECT_TRUE(onlyPalette(r)) << "anti-aliased pixels in the text";
  EXPECT_GT(inkedPixels(r), 10000);
  r.writePng(::testing::TempDir() + "text_page.png");
  // The same page in colour 15 erases it.
  page(true);
  EXPECT_EQ(inkedPixels(r), 0) << "redrawing in colour 15 left pixels behind";
}

TEST_F(TextTest, OneLessonLineFillsItsFortyEightPixels) {
  // A full-width glyph at 2 x 3 and a half-width one at 3 x 3 fill a cell
  // 48 pixels high from the line's top.
  Ink ink = drawnInk(r, fw, "田H");
  EXPECT_GE(ink.top, 20);
  EXPECT_LE(ink.bottom, 20 + 48);
  EXPECT_GT(ink.bottom - ink.top, 36);
  EXPECT_TRUE(onlyPalette(r));
}

TEST_F(TextTest, EllIsAScriptLetter) {
  // A script ell is a looped letter far wider than the stem of a plain "l".
  Ink ink = drawnInk(r, fw, "l");
  EXPECT_GT(ink.right - ink.left, 24);
}

// The pixel columns a text inks when drawn alone at (x, 20) on a clear page.
std::vector<int> inkedColumns(rt::Runtime& r, Framework& fw, const std::string& text, float x) {
  r.CLS();
  fw.CCC1 = 0;
  fw.X = x;
  fw.Y = 20;
  fw.AA_S = text;
  fw.DrawText();
  std::vector<int> columns;
  for (int c = 0; c < 200; ++c)
    for (int y = 0; y < 100; ++y)
      if (r.pixel(c, y) == 0) {
        columns.push_back(c);
        break;
      }
  return columns;
}

TEST_F(TextTest, DegreeSignStaysInsideItsCellClearOfTheNextGlyph) {
  // "%" is drawn as "°" and the next character follows 12 pixels on; the
  // sign's ink stays inside those 12 columns with a clear column before
  // the next glyph's ink, wherever the pen stands between two pixels.
  for (float x : {40.0f, 40.25f, 40.5f, 40.77f}) {
    for (const char* next : {"で", "だ", "よ", "の", "、", "…", "(", ")", ",", "=", "-", "+"}) {
      SCOPED_TRACE(std::to_string(x) + " " + next);
      std::vector<int> sign = inkedColumns(r, fw, "%", x);
      std::vector<int> after = inkedColumns(r, fw, next, x + 12);
      ASSERT_FALSE(sign.empty());
      ASSERT_FALSE(after.empty());
      EXPECT_GE(sign.front(), static_cast<int>(x));
      EXPECT_LT(sign.back(), x + 12) << "the sign reaches beyond its cell";
      EXPECT_LT(sign.back() + 1, after.front()) << "no clear column before the next glyph";
    }
  }
}

}  // namespace
