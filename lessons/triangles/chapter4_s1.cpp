#include "lessons/triangles/lessons.h"

// Screens still to come return at once to their sub-menu.
void TriangleLessons::TriangleCh4S1HypotenuseAcuteAngle() {}
