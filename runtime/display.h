// The two places a page is shown and keys come from: a real window, or a
// headless run fed by a key script.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace rt {

// Code that stands for the window being closed in a key queue.
constexpr int kCloseEvent = -2;

std::unique_ptr<Display> makeHeadlessDisplay(std::vector<int> keys);
// Opens the maximised window; width and height return its client area
// (or are the size to use when sizeGiven).
std::unique_ptr<Display> makeWindowDisplay(std::vector<int> keys, bool sizeGiven, int& width,
                                           int& height);
// A message a teacher sees even without a terminal: a dialog box when a
// display is there, and always a line on stderr.
void showStartupError(const std::string& message, bool headless);
// Called when the window's display goes away under a run (the display
// server ended, another program destroyed the window), with the start of
// the line that will say so ("the display was lost (...)"); it must not
// return. Without one, the run says so and ends with its own status.
void onDisplayLost(std::function<void(const std::string& what)> handler);
void pushDisplayKeys(Display& display, const std::vector<int>& keys);
void pushDisplayClose(Display& display);

}  // namespace rt
