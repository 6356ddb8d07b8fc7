#include "framework/pending.h"

PENDING_ROUTINE(SlopeTriangle)
PENDING_ROUTINE(SlopeRunLabel)
PENDING_ROUTINE(SlopeRiseLabel)
PENDING_ROUTINE(AxisLineHit)
PENDING_ROUTINE(CoordinatePlane)
PENDING_ROUTINE(ScaledAxisLabels)
PENDING_ROUTINE(PlotPoint)
PENDING_ROUTINE(GraphFunction)
PENDING_ROUTINE(PlotCurve)
PENDING_ROUTINE(PlotVerticalLine)
