// XMT_SIGNALS as a whole: its set-up while the library loads (the foundation library is
// configured as a study library whose trace log is "C:/Database/DO_DER/logs/<day>/XMT_F1.log")
// and the process-wide objects of its export layer. Global objects do both, so that all is in
// place before the host's first call; the set-up comes first in this file, so it runs first.

#include "signals/signals_library.h"

#include "common/settings/deliverable.h"

namespace {

struct SignalsLibrarySetup {
  SignalsLibrarySetup() { SetStudyLibraryConfig("C:/Database/DO_DER", "XMT_F1"); }
};
SignalsLibrarySetup g_signalsSetup;

CBarExport g_barExport;
CColumnLoader g_columnLoader;
CSpeechCues g_speech;
CRealtimeLatch g_realtimeLatch;

// The tick device is closed at unload in the way that suits the loader (see CloseAtUnload):
// its worker is stopped and waited for when the library alone is unloaded, and nothing
// waits when the whole process ends.
struct TickSound {
  CTickSoundDevice device;
  ~TickSound() { device.CloseAtUnload(); }
};
TickSound g_tickSound;

}  // namespace

CBarExport& SignalsBarExport() { return g_barExport; }
CColumnLoader& SignalsColumnLoader() { return g_columnLoader; }
CSpeechCues& SignalsSpeech() { return g_speech; }
CRealtimeLatch& SignalsRealtimeLatch() { return g_realtimeLatch; }
CTickSoundDevice& SignalsTickDevice() { return g_tickSound.device; }

int SignalsStudyHook() { return 0; }
