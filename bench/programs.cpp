// The programs of the tour.
#include "bench/tour.h"
#include "lessons/triangles/lessons.h"

namespace {

std::string repeat(const std::string& key, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += key + " ";
  return s;
}

TourProgram kelvaro() {
  TourProgram p;
  p.name = "kelvaro";
  p.make = [](rt::Runtime& r) { return std::make_unique<TriangleLessons>(r); };
  p.screens = {7, 4, 8, 7, 2};
  p.endItem = 8;
  // The motion screens: the strip fold and the hypotenuse's flip and slide.
  p.screenKeys = [](int chapter, int item) -> std::string {
    if (chapter == 3 && item == 1)
      return repeat("Right", 9) + "Left Space 1 " + repeat("Left", 9) + "Right Space 1";
    if (chapter == 4 && item == 2)
      return repeat("Right", 18) + "Right Left Left Space 1 " + repeat("Left", 12) + "Left Right Space 1";
    return "";
  };
  p.anyKeyWait = "1 Enter 1 Enter";
  p.motionPause = "3 Enter 1 Enter Space";
  return p;
}

}  // namespace

std::vector<TourProgram> tourPrograms() { return {kelvaro()}; }
