// Soak: each program driven by a few thousand random keys, headless, with
// fixed seeds. No run may end in the error screen; a run that reaches the
// end item is started again on the keys still left, so every key is used.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "lessons/area/lessons.h"
#include "lessons/parallelograms/lessons.h"
#include "lessons/special_parallelograms/lessons.h"
#include "lessons/triangles/lessons.h"
#include "tests/harness.h"

namespace {

std::vector<std::string> randomKeys(uint32_t seed, int count) {
  static const std::vector<std::string> pool = {
      "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "-", ".", "/", "Enter", "Enter",
      "Enter", "Enter", "Backspace", "Clear", "Right", "Left", "Up", "Down", "a", "x", "Q", "z",
  };
  std::mt19937 gen(seed);
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::vector<std::string> keys;
  for (int i = 0; i < count; ++i) keys.push_back(pool[pick(gen)]);
  return keys;
}

template <class Lessons>
void soak(const char* program, uint32_t seed) {
  SCOPED_TRACE(program);
  std::vector<std::string> keys = randomKeys(seed, 3000);
  size_t used = 0;
  int runs = 0;
  while (used < keys.size()) {
    std::string script;
    for (size_t i = used; i < keys.size(); ++i) script += keys[i] + " ";
    HeadlessRun run = runHeadless<Lessons>(script, seed + runs);
    ++runs;
    size_t taken = 0;
    for (const std::string& line : run.trace)
      if (line.rfind("{\"op\":\"KEY\"", 0) == 0) ++taken;
    ASSERT_EQ(run.status, 0) << "run " << runs << " stopped after key " << used + taken;
    ASSERT_GT(taken, 0u) << "a run must take keys";
    used += taken;
  }
}

TEST(MenuSoak, RandomKeysNeverEndInAnError) {
  for (uint32_t seed : {11u, 12u}) {
    soak<TriangleLessons>("Kelvaro", seed);
    soak<ParallelogramLessons>("Sindrel", seed);
    soak<SpecialLessons>("Orbanet", seed);
    soak<AreaLessons>("Dravolin", seed);
  }
}

}  // namespace

namespace {

// Every screen of every program entered from its chapter's sub-menu and
// then given random keys: whatever the keys do there, no run ends in the
// error screen.
struct ProgramScreens {
  const char* name;
  std::function<HeadlessRun(const std::string&, uint32_t)> run;
  std::vector<int> screens;  // per chapter, in the main menu's order
};

template <class Lessons>
ProgramScreens programScreens(const char* name, std::vector<int> screens) {
  return {name, [](const std::string& keys, uint32_t seed) { return runHeadless<Lessons>(keys, seed); },
          std::move(screens)};
}

// A menu number as key tokens ("10" is "1 0").
std::string typed(int n) {
  std::string s;
  for (char c : std::to_string(n)) s += std::string(1, c) + " ";
  return s + "Enter ";
}

TEST(ScreenSoak, EveryScreenTakesRandomKeysWithoutAnError) {
  const std::vector<ProgramScreens> programs = {
      programScreens<TriangleLessons>("Kelvaro", {7, 4, 8, 7, 2}),
      programScreens<ParallelogramLessons>("Sindrel", {6, 2, 9, 3}),
      programScreens<SpecialLessons>("Orbanet", {5, 10, 5}),
      programScreens<AreaLessons>("Dravolin", {7, 4, 6, 4}),
  };
  uint32_t seed = 100;
  for (const ProgramScreens& program : programs)
    for (size_t chapter = 0; chapter < program.screens.size(); ++chapter)
      for (int item = 1; item <= program.screens[chapter]; ++item) {
        ++seed;
        std::string script = typed(static_cast<int>(chapter) + 1) + typed(item);
        for (const std::string& key : randomKeys(seed, 150)) script += key + " ";
        HeadlessRun run = program.run(script, seed);
        EXPECT_EQ(run.status, 0) << program.name << " chapter " << chapter + 1 << " item " << item;
      }
}

}  // namespace
