#include "lessons/triangles/lessons.h"

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [](rt::Runtime& runtime) { return std::make_unique<TriangleLessons>(runtime); });
}
