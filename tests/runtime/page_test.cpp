// The page: drawing operations against the trace and the pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/runtime.h"

namespace {

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  bool empty() const { return x1 < 0; }
};

// The bounding box of every pixel that is not the page colour.
Box inked(const rt::Runtime& r, int colour = -1) {
  Box b;
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x) {
      int p = r.pixel(x, y);
      if (p == 15 || (colour >= 0 && p != colour)) continue;
      b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y);
      b.x1 = std::max(b.x1, x), b.y1 = std::max(b.y1, y);
    }
  return b;
}

bool onlyPalette(const rt::Runtime& r) {
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x)
      if (r.pixel(x, y) < 0) return false;
  return true;
}

TEST(Page, ShapesUseOnlyPaletteColoursAndEraseExactly) {
  rt::Runtime r(200, 160);
  r.SETDRAWWIDTH(3);
  auto draw = [&](int c) {
    r.LINE(10, 10, 150, 97.5f, c);
    r.LINE(20, 20, 40, 30, c, 2, c == 15 ? 15 : 13, true);
    r.CIRCLE(100, 80, 33.3f, c, 0.1f, 0.7f, true, c == 15 ? 15 : 4);
    r.CONNECT({{5, 150}, {60, 100}, {120, 155.5f}, {5, 150}}, c, true, c == 15 ? 15 : 12);
    r.SETFONTNAME("ゴシック");
    r.SETFONTBOLD(-1);
    r.SYMBOL(120, 20, "三角形AB", 2, 3, c);
  };
  draw(5);
  EXPECT_TRUE(onlyPalette(r)) << "anti-aliased pixels on the page";
  EXPECT_FALSE(inked(r).empty());
  draw(15);
  EXPECT_TRUE(inked(r).empty()) << "redrawing in colour 15 left pixels behind";
}

TEST(Page, GlyphCellTopLeftAndMagnifiedCells) {
  struct Case {
    const char* text;
    float mh, mv;
    int cellW, cellH;
    bool bold = false;
  };
  // Size 16: a full-width cell is 16 x 16, a half-width one 8 x 16.
  for (const Case& c : {Case{"田", 2, 3, 32, 48}, Case{"田", 3, 3, 48, 48}, Case{"H", 3, 3, 24, 48},
                        Case{"田", 1, 1, 16, 16}, Case{"題", 1, 1, 16, 16, true},
                        Case{"Q", 1, 1, 8, 16, true}, Case{"鋭", 4, 4, 64, 64, true}}) {
    rt::Runtime r(200, 120);
    r.SETFONTNAME("ゴシック");
    r.SETFONTSIZE(16);
    r.SETFONTBOLD(c.bold);
    r.SYMBOL(40, 30, c.text, c.mh, c.mv, 0);
    Box b = inked(r);
    ASSERT_FALSE(b.empty()) << c.text;
    EXPECT_GE(b.x0, 40) << c.text;
    EXPECT_GE(b.y0, 30) << c.text;
    EXPECT_LE(b.x1, 40 + c.cellW) << c.text;
    EXPECT_LE(b.y1, 30 + c.cellH) << c.text;
    // The glyph fills most of its cell.
    EXPECT_GT(b.x1 - b.x0, c.cellW / 2) << c.text;
    EXPECT_GT(b.y1 - b.y0, c.cellH / 2) << c.text;
  }
}

TEST(Page, ScriptEllAndItalicFacesDraw) {
  for (const char* face : {"MT Extra", "Times New Roman"}) {
    rt::Runtime r(100, 100);
    r.SETFONTNAME(face);
    r.SETFONTITALIC(-1);
    r.SYMBOL(10, 10, face == std::string("MT Extra") ? "\u2113" : "x", 2, 2, 0);
    EXPECT_FALSE(inked(r).empty()) << face;
  }
}

TEST(Page, ArcsRunClockwiseAndWrapPastOne) {
  // From 0.9 to 0.1 the arc passes through fraction 0 (right of the centre);
  // from 0.1 to 0.9 through 0.5 (left of it).
  struct Case {
    float start, end;
    int rightColour, leftColour;
  };
  for (const Case& c : {Case{0.9f, 0.1f, 0, 15}, Case{0.1f, 0.9f, 15, 0}}) {
    rt::Runtime r(100, 100);
    r.SETDRAWWIDTH(3);
    r.CIRCLE(50, 50, 30, 0, c.start, c.end);
    EXPECT_EQ(r.pixel(80, 50), c.rightColour);
    EXPECT_EQ(r.pixel(20, 50), c.leftColour);
  }
  rt::Runtime r(100, 100);
  r.CIRCLE(50, 50, 30, 0, 0.2f, 0.3f);  // 0.25 points down
  EXPECT_EQ(r.pixel(50, 80), 0);
  EXPECT_EQ(r.pixel(50, 20), 15);
}

TEST(Page, TinyDiscAtWidePenIsASolidBlob) {
  for (float width : {3.0f, 5.0f, 7.0f}) {
    rt::Runtime r(40, 40);
    r.SETDRAWWIDTH(width);
    r.CIRCLE(20, 20, 0.5f, 3, 0, 0, true);
    Box b = inked(r, 3);
    ASSERT_FALSE(b.empty()) << width;
    EXPECT_GE(b.x1 - b.x0, width - 1) << width;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy) EXPECT_EQ(r.pixel(20 + dx, 20 + dy), 3) << "hole at width " << width;
    r.CIRCLE(20, 20, 0.5f, 15, 0, 0, true);
    EXPECT_TRUE(inked(r).empty()) << "not erased at width " << width;
  }
}

TEST(Page, FilledBoxBorderAndFill) {
  rt::Runtime r(100, 100);
  r.SETDRAWWIDTH(1);
  r.LINE(10, 10, 50, 30, 13, 2, 4, true);
  EXPECT_EQ(r.pixel(10, 10), 13);
  EXPECT_EQ(r.pixel(60, 40), 13);
  EXPECT_EQ(r.pixel(30, 20), 4);
  EXPECT_EQ(r.pixel(61, 41), 15);
}

// What a window sends relies on this: every pixel an operation changes
// lies in the part of the page it reports as touched.
TEST(Page, TouchedPartHoldsEveryChangedPixel) {
  struct Case {
    const char* name;
    std::function<void(rt::Runtime&)> draw;
  };
  const Case cases[] = {
      {"segment", [](rt::Runtime& r) { r.LINE(30, 140, 170.5f, 20, 0); }},
      {"box outline", [](rt::Runtime& r) { r.LINE(60, 50, 20, 30, 3, 1, -1, true); }},
      {"filled box", [](rt::Runtime& r) { r.LINE(150, 130, 40, 60, 13, 2, 4); }},
      {"circle", [](rt::Runtime& r) { r.CIRCLE(100, 80, 33.3f, 0); }},
      {"sector", [](rt::Runtime& r) { r.CIRCLE(100, 80, 50, 5, 0.9f, 0.1f, true, 11); }},
      {"tiny disc", [](rt::Runtime& r) { r.CIRCLE(10, 10, 0.5f, 3, 0, 0, true); }},
      {"polygon", [](rt::Runtime& r) { r.CONNECT({{5, 150}, {60, 100}, {120, 155.5f}, {5, 150}}, 0, true, 12); }},
      {"bold text", [](rt::Runtime& r) { r.SETFONTBOLD(-1), r.SYMBOL(20, 20, "三角形ABC", 2, 3, 5); }},
      {"italic serif", [](rt::Runtime& r) {
         r.SETFONTNAME("Times New Roman"), r.SETFONTITALIC(-1), r.SYMBOL(30, 40, "fxy", 4, 4, 0);
       }},
      {"script ell", [](rt::Runtime& r) { r.SETFONTNAME("MT Extra"), r.SYMBOL(150, 100, "l", 3, 3, 0); }},
      {"off the page", [](rt::Runtime& r) { r.LINE(-50, -40, 400, 500, 0); }},
  };
  for (int width : {1, 3, 10}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " at width " + std::to_string(width));
      rt::Runtime r(200, 160, {' '});
      r.SETFONTNAME("ゴシック");
      r.SETDRAWWIDTH(static_cast<float>(width));
      r.LINE(0, 0, 199, 159, 7);  // a page that is not blank
      r.INKEY();                  // shown: nothing is touched now
      ASSERT_TRUE(r.touched().empty());
      std::vector<int> before;
      for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) before.push_back(r.pixel(x, y));
      c.draw(r);
      const rt::Rect t = r.touched();
      int changed = 0, outside = 0;
      for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) {
          if (r.pixel(x, y) == before[y * r.width() + x]) continue;
          ++changed;
          if (x < t.x0 || x >= t.x1 || y < t.y0 || y >= t.y1) ++outside;
        }
      EXPECT_GT(changed, 0);
      EXPECT_EQ(outside, 0);
    }
  }
}

TEST(Page, TraceRecordsOperationsButNotWhileMeasuring) {
  rt::Runtime r(100, 100);
  r.recordTrace(true);
  r.SETDRAWWIDTH(2);
  r.LINE(1, 2, 3, 4, 5, 1, -1, true);
  r.beginMeasure();
  r.beginMeasure();
  r.SYMBOL(0, 1800, "A", 1, 1, 0);
  r.endMeasure();
  r.SYMBOL(0, 1800, "B", 1, 1, 0);
  r.endMeasure();
  r.SETFONTNAME("ゴシック");
  r.SYMBOL(0.5f, 2, "\"ア\"", 2, 3, 7);
  r.CLS();
  ASSERT_EQ(r.trace().size(), 3u);
  EXPECT_EQ(r.trace()[0],
            R"({"op":"LINE","x1":1,"y1":2,"x2":4,"y2":6,"form":1,"colour":5,"fill":-1,"width":2})");
  EXPECT_EQ(r.trace()[1],
            R"({"op":"SYMBOL","x":0.5,"y":2,"text":"\"ア\"","mh":2,"mv":3,"colour":7,"font":"ゴシック","size":16,"bold":false,"italic":false})");
  EXPECT_EQ(r.trace()[2], R"({"op":"CLS"})");
}

TEST(Page, NonFiniteCoordinatesAreRuntimeErrors) {
  rt::Runtime r(50, 50);
  float zero = 0.0f;
  volatile float v = 1.0f / zero;
  EXPECT_THROW(r.LINE(0, 0, v, 1, 0), rt::RuntimeError);
  EXPECT_THROW(r.CIRCLE(0, 0, 1, 16), rt::RuntimeError);
}

TEST(Keys, HeadlessQueueThenEndOfScript) {
  rt::Runtime r(50, 50, {'1', rt::kEnter, rt::kRight});
  EXPECT_EQ(r.INKEY(), "1");
  EXPECT_EQ(r.INKEY(), "\r");
  EXPECT_EQ(r.INKEY(), std::string(1, char(28)));
  EXPECT_THROW(r.INKEY(), rt::ProgramEnd);
}

TEST(Keys, CloseEventEndsAWait) {
  rt::Runtime r(50, 50, {'5'});
  r.pushClose();
  r.pushKeys({'6'});
  EXPECT_EQ(r.INKEY(), "5");
  try {
    r.INKEY();
    FAIL() << "the close did not end the wait";
  } catch (const rt::ProgramEnd& e) {
    EXPECT_EQ(e.status, 0);
  }
}

TEST(Keys, ScriptTokens) {
  EXPECT_EQ(rt::parseKeys("1 Enter Space / Backspace Clear Right Left Up Down Esc"),
            (std::vector<int>{'1', 13, ' ', '/', 8, 12, 28, 29, 30, 31, 27}));
  EXPECT_THROW(rt::parseKeys("12"), std::invalid_argument);
  EXPECT_THROW(rt::parseKeys("Return"), std::invalid_argument);
}

}  // namespace
