#include "lessons/special_parallelograms/lessons.h"

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [](rt::Runtime& runtime) { return std::make_unique<SpecialLessons>(runtime); });
}
