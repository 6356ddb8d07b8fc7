#include "lessons/special_parallelograms/lessons.h"

SpecialLessons::SpecialLessons(rt::Runtime& runtime) : Framework(runtime, "Orbanet") {}
