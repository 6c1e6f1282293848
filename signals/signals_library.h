// XMT_SIGNALS as a whole: the process-wide objects its export layer works on, built when
// the library loads and released when it unloads (signals_library.cpp). The features with
// instance registries of their own (pressure, excursions, RareAvg, trend band) keep them in
// their units.
//
// Contract: each function returns the one object of the process; no locks (the host calls
// the exports one at a time on its calculation thread).
#pragma once

#include "signals/bar_export.h"
#include "signals/load_col.h"
#include "signals/realtime_latch.h"
#include "signals/sound_cues.h"

CBarExport& SignalsBarExport();
CColumnLoader& SignalsColumnLoader();
CSpeechCues& SignalsSpeech();
CRealtimeLatch& SignalsRealtimeLatch();
CTickSoundDevice& SignalsTickDevice();

// The body of XMT_OnCreate and XMT_OnDestroy: nothing to do, since the library's objects
// live as long as the process. Returns 0.
int SignalsStudyHook();
