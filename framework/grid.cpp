#include "framework/pending.h"

PENDING_ROUTINE(GridFrame)
PENDING_ROUTINE(Polygon)
PENDING_ROUTINE(PolygonLetterLabels)
PENDING_ROUTINE(PolygonNameLabels)
