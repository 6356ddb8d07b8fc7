#include "lessons/triangles/lessons.h"

// Screens still to come return at once to their sub-menu.
void TriangleLessons::TriangleCh3S1PaperStripFold() {}
void TriangleLessons::TriangleCh3S2FoldReason() {}
void TriangleLessons::TriangleCh3S3EqualAnglesProof() {}
void TriangleLessons::TriangleCh3S4IsoscelesCondition() {}
void TriangleLessons::TriangleCh3S5Question1Answer() {}
void TriangleLessons::TriangleCh3S6Question2Answer() {}
void TriangleLessons::TriangleCh3S7Converse() {}
void TriangleLessons::TriangleCh3S8Question3Answer() {}
