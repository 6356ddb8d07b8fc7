#include "lessons/triangles/lessons.h"

// Screens still to come return at once to their sub-menu.
void TriangleLessons::TriangleCh1S1RightAngleInSemicircle() {}
void TriangleLessons::TriangleCh1S2BaseAngleProof() {}
void TriangleLessons::TriangleCh1S3Terms() {}
void TriangleLessons::TriangleCh1S4BaseAnglePractice() {}
void TriangleLessons::TriangleCh1S5Question2Answer() {}
void TriangleLessons::TriangleCh1S6AngleKinds() {}
void TriangleLessons::TriangleCh1S7Question3Answer() {}
