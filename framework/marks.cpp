#include "framework/pending.h"

PENDING_ROUTINE(ParallelMarks)
PENDING_ROUTINE(EqualLengthTicks)
