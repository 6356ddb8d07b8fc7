#include "lessons/triangles/lessons.h"

// Screens still to come return at once to their sub-menu.
void TriangleLessons::TriangleCh2S1BisectorConsequences() {}
void TriangleLessons::TriangleCh2S2Question4Answer() {}
void TriangleLessons::TriangleCh2S3Question5Answer() {}
void TriangleLessons::TriangleCh2S4EquilateralTriangle() {}
