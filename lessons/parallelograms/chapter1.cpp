// Chapter 1: the properties of a parallelogram.
#include "lessons/parallelograms/lessons.h"

// ---- the usual parallelogram ----

void ParallelogramLessons::StandardParallelogram(bool centre) {
  if (centre) Points({{0, 4.5f, 3}});
  Points({{1, 2, 5}, {2, 1, 1}, {3, 7, 1}, {4, 8, 5}});
}
