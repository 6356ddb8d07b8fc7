// The tour of every screen of a program, reached through its menus with
// the keys the program asks for, each key's drawing and presenting
// measured. The tests and the benchmark share it: the tests read the
// traces of its runs, the benchmark times its keys.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "runtime/runtime.h"

// A program in the tour. Add a program here once it has screens.
struct TourProgram {
  std::string name;  // its executable in build/bin
  std::function<std::unique_ptr<Framework>(rt::Runtime&)> make;
  std::vector<int> screens;  // screens per chapter, in the main menu's order
  int endItem = 0;           // the main-menu item that ends the program
  // The keys a screen gets before the tour's "1" and Enter by turns
  // (chapter and item from 1): the arrows of the motion screens.
  std::function<std::string(int chapter, int item)> screenKeys;
  // Key scripts that leave a freshly started window at a step pause and at
  // a motion pause ("" where the program has none); the main menu is the
  // number prompt.
  std::string anyKeyWait, motionPause;
};

std::vector<TourProgram> tourPrograms();

// One key of the tour: from the key taken to the next key wait.
struct TourStep {
  std::string where;
  double ms = 0;          // wall time of the drawing
  double drawCpuMs = 0;   // CPU of the drawing
  double showCpuMs = -1;  // CPU of presenting its result (-1: not known)
  long long sent = 0, changed = 0;
};

struct TourResult {
  std::vector<TourStep> steps;
  double startupMs = -1;  // in-process start-up to the main menu's key wait
  int keys = 0, screensEntered = 0, runs = 0;
  std::vector<std::string> failures;
  // Each run's trace, in order, when the tour was asked to keep them.
  std::vector<std::vector<std::string>> traces;
};

// Tours the program in a headless run, or in a window when `options` asks
// for one; with `keepTraces` the result holds every run's trace.
TourResult tour(const TourProgram& program, const rt::Options& options, bool keepTraces = false);
