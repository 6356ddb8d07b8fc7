#include "lessons/triangles/lessons.h"

// Screens still to come return at once to their sub-menu.
void TriangleLessons::TriangleCh5S1Problems1And2() {}
void TriangleLessons::TriangleCh5S2Problem3() {}
