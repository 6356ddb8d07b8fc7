// The programs of the tour.
#include "tour/tour.h"
#include "lessons/area/lessons.h"
#include "lessons/parallelograms/lessons.h"
#include "lessons/special_parallelograms/lessons.h"
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

// A turning loop: past both ends of its range and back, then "1".
std::string turning(int steps) {
  return repeat("Right", steps) + "Left Space " + repeat("Left", 2 * steps) + "Right Space 1";
}

TourProgram sindrel() {
  TourProgram p;
  p.name = "sindrel";
  p.make = [](rt::Runtime& r) { return std::make_unique<ParallelogramLessons>(r); };
  p.screens = {6, 2, 9, 3};
  p.endItem = 7;
  // The turning strips, the half turn and the swinging ride.
  p.screenKeys = [](int chapter, int item) -> std::string {
    if (chapter == 1 && (item == 1 || item == 2)) return turning(40);
    if (chapter == 3 && item == 1) return repeat("Space", 40) + "1";
    return "";
  };
  p.anyKeyWait = "1 Enter 3 Enter";
  p.motionPause = "1 Enter 1 Enter";
  return p;
}

TourProgram orbanet() {
  TourProgram p;
  p.name = "orbanet";
  p.make = [](rt::Runtime& r) { return std::make_unique<SpecialLessons>(r); };
  p.screens = {5, 10, 5};
  p.endItem = 5;
  // The crossed tapes, turned both ways with both widths.
  p.screenKeys = [](int chapter, int item) -> std::string {
    if (chapter == 1 && item == 1) return repeat("Right", 40) + "2 " + repeat("Left", 80) + "3 " + repeat("Right", 40) + "Space 1";
    return "";
  };
  p.anyKeyWait = "1 Enter 2 Enter";
  p.motionPause = "1 Enter 1 Enter";
  return p;
}

TourProgram dravolin() {
  TourProgram p;
  p.name = "dravolin";
  p.make = [](rt::Runtime& r) { return std::make_unique<AreaLessons>(r); };
  p.screens = {7, 4, 6, 4};
  p.endItem = 7;
  p.screenKeys = [](int, int) { return std::string(); };
  p.anyKeyWait = "1 Enter 1 Enter";
  p.motionPause = "";
  return p;
}

}  // namespace

std::vector<TourProgram> tourPrograms() { return {kelvaro(), sindrel(), orbanet(), dravolin()}; }
