#include "lessons/triangles/lessons.h"

// Screens still to come return at once to their sub-menu.
void TriangleLessons::TriangleCh4S2HypotenuseOtherSide() {}
void TriangleLessons::TriangleCh4S3Question1Answer() {}
void TriangleLessons::TriangleCh4S4CongruenceConditions() {}
void TriangleLessons::TriangleCh4S5Question2Answer() {}
void TriangleLessons::TriangleCh4S6Example1() {}
void TriangleLessons::TriangleCh4S7Question3Answer() {}
