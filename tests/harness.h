// Runs a lesson set headless on a key script and keeps what it drew.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "runtime/runtime.h"

struct HeadlessRun {
  int status = -1;
  std::vector<std::string> trace;  // JSON lines, KEY events included
  std::unique_ptr<rt::Runtime> runtime;
  std::unique_ptr<Framework> program;
};

// Starts the program from StartUp with the keys of `script` (the --keys
// tokens) and a fixed seed, and runs it until the keys are spent.
template <class Lessons>
HeadlessRun runHeadless(const std::string& script, uint32_t seed = 1) {
  rt::Options o;
  o.headless = true;
  o.keys = rt::parseKeys(script);
  o.seed = seed;
  HeadlessRun run;
  run.runtime = std::make_unique<rt::Runtime>(o);
  run.runtime->recordTrace(true);
  run.program = std::make_unique<Lessons>(*run.runtime);
  run.status = run.program->Run();
  run.trace = run.runtime->trace();
  return run;
}

// The trace lines from the n-th KEY event on (n from 1), up to the next KEY.
inline std::vector<std::string> afterKey(const std::vector<std::string>& trace, int n) {
  std::vector<std::string> out;
  int seen = 0;
  for (const std::string& line : trace) {
    bool key = line.rfind("{\"op\":\"KEY\"", 0) == 0;
    if (key) ++seen;
    if (seen == n && !key) out.push_back(line);
    if (seen > n) break;
  }
  return out;
}

// A rectangle of the page: x1 <= x < x2, y1 <= y < y2.
struct PageRegion {
  int x1, y1, x2, y2;
};

// How many pixels of `regions` differ between two pages.
inline int differingPixels(const rt::Runtime& a, const rt::Runtime& b,
                           std::initializer_list<PageRegion> regions) {
  int differ = 0;
  for (const PageRegion& r : regions)
    for (int y = r.y1; y < r.y2; ++y)
      for (int x = r.x1; x < r.x2; ++x) differ += a.pixel(x, y) != b.pixel(x, y);
  return differ;
}

// How many pixels of the two runs' pages differ.
inline int differingPixels(const HeadlessRun& a, const HeadlessRun& b) {
  return differingPixels(*a.runtime, *b.runtime,
                         {{0, 0, a.runtime->width(), a.runtime->height()}});
}
