#include "lessons/parallelograms/lessons.h"

ParallelogramLessons::ParallelogramLessons(rt::Runtime& runtime) : Framework(runtime, "Sindrel") {}
