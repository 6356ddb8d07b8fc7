#include "runtime/changes.h"

#include <algorithm>
#include <cstring>

namespace rt {

namespace {

// Rows per band, and the unchanged stretch of a band that splits it.
constexpr int kBand = 8;
constexpr int kGap = 16;

}  // namespace

ChangedPixels findChanges(const PixelRows& now, const PixelRows& before, const Rect& area) {
  ChangedPixels out;
  if (area.empty()) return out;
  const int w = area.x1 - area.x0;
  std::vector<unsigned char> column(w);
  std::vector<size_t> above, here;  // the rectangles of the band above, of this band
  for (int top = area.y0; top < area.y1; top += kBand) {
    const int bottom = std::min(top + kBand, area.y1);
    std::fill(column.begin(), column.end(), 0);
    int first = -1, last = -1;
    for (int y = top; y < bottom; ++y) {
      const uint32_t* a = now.row(y) + area.x0;
      const uint32_t* b = before.row(y) + area.x0;
      if (std::memcmp(a, b, static_cast<size_t>(w) * 4) == 0) continue;
      long long n = 0;
      for (int x = 0; x < w; ++x)
        if ((a[x] ^ b[x]) & 0xffffff) {
          column[x] = 1;
          ++n;
        }
      if (n == 0) continue;
      out.count += n;
      if (first < 0) first = y;
      last = y;
    }
    here.clear();
    if (first >= 0) {
      for (int x = 0; x < w;) {
        if (!column[x]) {
          ++x;
          continue;
        }
        int end = x + 1;
        for (int g = end; g < w && g - end < kGap; ++g)
          if (column[g]) end = g + 1;
        Rect r{area.x0 + x, first, area.x0 + end, last + 1};
        x = end;
        auto joins = std::find_if(above.begin(), above.end(), [&](size_t i) {
          const Rect& o = out.rects[i];
          return o.x0 == r.x0 && o.x1 == r.x1 && o.y1 == r.y0;
        });
        if (joins != above.end()) {
          out.rects[*joins].y1 = r.y1;
          here.push_back(*joins);
        } else {
          here.push_back(out.rects.size());
          out.rects.push_back(r);
        }
      }
    }
    std::swap(above, here);
  }
  return out;
}

void copyRect(const PixelRows& from, const PixelRows& to, const Rect& r) {
  for (int y = r.y0; y < r.y1; ++y)
    std::memcpy(to.row(y) + r.x0, from.row(y) + r.x0, static_cast<size_t>(r.x1 - r.x0) * 4);
}

}  // namespace rt
