#include "lessons/triangles/lessons.h"

TriangleLessons::TriangleLessons(rt::Runtime& runtime) : Framework(runtime, "Kelvaro") {}
