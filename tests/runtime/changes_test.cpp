// What a present sends: the rectangles of the pixels that differ from what
// the window shows.
#include "runtime/changes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Pixels {
  int w, h;
  std::vector<uint32_t> data;
  Pixels(int width, int height) : w(width), h(height), data(static_cast<size_t>(width) * height, 0xffffff) {}
  rt::PixelRows rows() { return {reinterpret_cast<unsigned char*>(data.data()), w * 4}; }
  uint32_t& at(int x, int y) { return data[static_cast<size_t>(y) * w + x]; }
};

bool covered(const std::vector<rt::Rect>& rects, int x, int y) {
  for (const rt::Rect& r : rects)
    if (x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1) return true;
  return false;
}

TEST(Changes, RectanglesCoverEveryDifferenceAndLittleElse) {
  struct Case {
    const char* name;
    std::vector<rt::Rect> paint;  // filled in another colour
    size_t rects;                 // how many rectangles go
  };
  const Case cases[] = {
      {"nothing", {}, 0},
      {"one pixel", {{37, 41, 38, 42}}, 1},
      {"a box across many bands", {{10, 3, 50, 70}}, 1},
      {"two far apart in one band", {{2, 20, 6, 24}, {90, 21, 95, 23}}, 2},
      {"two near in one band", {{2, 20, 6, 24}, {12, 21, 15, 23}}, 1},
      {"a diagonal", {{0, 0, 3, 3}, {8, 8, 11, 11}, {16, 16, 19, 19}, {24, 24, 27, 27}}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pixels shown(120, 80), now(120, 80);
    long long expected = 0;
    for (const rt::Rect& p : c.paint)
      for (int y = p.y0; y < p.y1; ++y)
        for (int x = p.x0; x < p.x1; ++x) now.at(x, y) = 0x0a6446, ++expected;
    rt::ChangedPixels changed = rt::findChanges(now.rows(), shown.rows(), {0, 0, 120, 80});
    EXPECT_EQ(changed.count, expected);
    EXPECT_EQ(changed.rects.size(), c.rects);
    long long sent = 0;
    for (const rt::Rect& r : changed.rects) sent += r.area();
    EXPECT_LE(sent, 4 * expected + 16 * 8 * static_cast<long long>(c.rects));
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 120; ++x) {
        if (now.at(x, y) != shown.at(x, y)) {
          EXPECT_TRUE(covered(changed.rects, x, y)) << x << "," << y;
        }
      }
    // Copied over, nothing differs any more.
    for (const rt::Rect& r : changed.rects) rt::copyRect(now.rows(), shown.rows(), r);
    EXPECT_EQ(shown.data, now.data);
  }
}

TEST(Changes, OnlyTheAreaIsComparedAndTheUnusedByteIsNot) {
  Pixels shown(64, 64), now(64, 64);
  now.at(5, 5) = 0;                 // outside the area
  now.at(30, 30) = 0xff000000 | 0xffffff;  // the unused top byte only
  now.at(40, 33) = 0x1030d0;
  rt::ChangedPixels changed = rt::findChanges(now.rows(), shown.rows(), {20, 20, 64, 64});
  EXPECT_EQ(changed.count, 1);
  ASSERT_EQ(changed.rects.size(), 1u);
  EXPECT_EQ(changed.rects[0], (rt::Rect{40, 33, 41, 34}));
}

}  // namespace
