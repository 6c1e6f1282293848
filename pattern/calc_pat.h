// The body of the export XMT_PATTERN_CalcPat: on each bar, test for a newly confirmed pivot
// and, when one is found, match the instance's pattern against the newest pivots.
//
// Contract: results as xmt_pattern.h documents them. Nothing here throws or locks; trace
// lines go to the library's log.
#pragma once

#include "hostbridge/slot_block.h"
#include "pattern/pattern_eval.h"
#include "pattern/xmt_pattern.h"

// maxSlots bounds the result block as for WriteOutputs. err may be null; at most
// kPatternErrBufSize bytes (terminator included) are written to it.
inline constexpr int kPatternErrBufSize = XMT_PATTERN_ERR_BUF_SIZE;
int PatternCalcPat(int unused, const char* id, int barPos, int left, int right, SlotBlock block,
                   const char* name, char* err, int maxSlots = kPatUnboundedSlots);
