#include "framework/pending.h"

PENDING_ROUTINE(AngleRays)
PENDING_ROUTINE(AngleMark)
PENDING_ROUTINE(RightAngleMark)
PENDING_ROUTINE(AngleLabel)
PENDING_ROUTINE(RayDirection)
PENDING_ROUTINE(MeasureAngle)
PENDING_ROUTINE(StripMarkup)
PENDING_ROUTINE(ArcOverSegment)
