#include "framework/pending.h"

PENDING_ROUTINE(CurlyBrace)
PENDING_ROUTINE(ColumnLayout)
