// What a present sends: the parts of the page that differ from what the
// window shows, found by comparing the two pixel by pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/runtime.h"

namespace rt {

// 32-bit pixels (the top byte unused), rows `stride` bytes apart.
struct PixelRows {
  unsigned char* data;
  int stride;
  uint32_t* row(int y) const { return reinterpret_cast<uint32_t*>(data + static_cast<long>(y) * stride); }
};

struct ChangedPixels {
  std::vector<Rect> rects;  // every differing pixel of the area lies in one
  long long count = 0;      // the differing pixels
};

// The differing pixels of `area`, gathered band by band of a few rows into
// rectangles that leave out the unchanged stretches of a band and are joined
// with the band below where they line up.
ChangedPixels findChanges(const PixelRows& now, const PixelRows& before, const Rect& area);
void copyRect(const PixelRows& from, const PixelRows& to, const Rect& r);

}  // namespace rt
