#include "framework/pending.h"

PENDING_ROUTINE(FootOfPerpendicular)
PENDING_ROUTINE(LineIntersection)
PENDING_ROUTINE(PointOnArc)
PENDING_ROUTINE(Arrow)
