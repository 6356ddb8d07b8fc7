#include "framework/pending.h"

PENDING_ROUTINE(DrawSmallText)
PENDING_ROUTINE(MeasureSmallText)
PENDING_ROUTINE(SmallTextInBox)
PENDING_ROUTINE(SmallTwoLineBox)
