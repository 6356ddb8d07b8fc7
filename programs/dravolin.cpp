#include "lessons/area/lessons.h"

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [](rt::Runtime& runtime) { return std::make_unique<AreaLessons>(runtime); });
}
