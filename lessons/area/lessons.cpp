#include "lessons/area/lessons.h"

AreaLessons::AreaLessons(rt::Runtime& runtime) : Framework(runtime, "Dravolin") {}
