// The bar-feeding frame of XMT_PATTERN.

#include "pattern/feed_bar.h"

#include <cstdlib>
#include <new>

#include "common/settings/trace_log.h"
#include "hostbridge/entry_frame.h"
#include "pattern/progress_window.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"

namespace {

const char* const kBuildDate = "Apr 15 2015";
const char* const kBuildTime = "10:49:04";
constexpr int kProgressEvery = 100;
constexpr int kProgressTotal = 100000;

void LogBanner(FeedStyle style, const char* id, int lastBar, int newBar) {
  // Each export announces itself with its own banner and version.
  const char* format =
      "Starting Pivot Pattern Recognition Engine (VUZU) (Ver 1.1d, %s %s %s), ID=%s, "
      "Bar=%d -> %d";
  const char* version = "1.2e";
  if (style == FeedStyle::Pattern) {
    format =
        "Starting Pattern Recognition Manager (XMT_PATTERN) (Ver %s %s %s), ID=%s, "
        "Bar=%d -> %d";
    version = "1.2a";
  } else if (style == FeedStyle::RsPivot) {
    format =
        "Starting RS Pivot Manager (XMT_PATTERN) (Ver 1.1d, %s %s %s), ID=%s, Bar=%d -> %d";
  }
  LogTrace("PatRec", 1, format, version, kBuildDate, kBuildTime, id, lastBar, newBar);
}

// Magnitude of a bar number; the most negative int has none and counts as 0.
int BarNumberMagnitude(int n) { return n == -2147483647 - 1 ? 0 : std::abs(n); }

}  // namespace

int FeedBar(const FeedBarArgs& args, FeedStyle style, CBarMgr** mgrOut) {
  int check = CheckEntryArgs(args.date, args.id);
  if (check != 0) return check;
  CBarMgr* mgr = FindBarMgr(args.id);

  CXMTDateTime dt;
  HostToDateTime(args.date, args.time, dt);
  EntryPrices prices =
      ScaleHostPrices(args.priceScale, args.open, args.high, args.low, args.close);
  const float volume = static_cast<float>(args.volume);

  int barNumber = BarNumberMagnitude(args.barNumber);
  bool filter = true;
  switch (style) {
    case FeedStyle::ZigZag: filter = args.barNumber >= 0; break;
    case FeedStyle::Pattern:
      filter = args.barNumber >= 0;
      if (filter) barNumber = mgr->GetBarCount() + 1;
      break;
    case FeedStyle::RsPivot: break;
  }

  if (IsEntryRestart(mgr->m_nLastBarNumber, barNumber)) {
    const int count = mgr->GetBarCount();
    if (count < 2) LogBanner(style, args.id, mgr->m_nLastBarNumber, barNumber);
    if (count >= 2) {
      // The host recalculates from its first bar: keep the bars so that bars fed again
      // land on their old records, and drop what was derived from them.
      mgr->Release(0);
    } else {
      LogTrace("PatRec", 1, "Full Release %d Bars, ID=%s", count, args.id);
      mgr->Release(1);
    }
    mgr->SetFlag(kBarMgrFilterBit, filter ? 1 : 0);
  }
  mgr->m_nLastBarNumber = barNumber;

  const int match = style == FeedStyle::Pattern ? 0 : 1;
  const int index = mgr->AddBar(dt, prices.open, prices.high, prices.low, prices.close, volume,
                                barNumber, match);
  if (index < 0) throw std::bad_alloc();  // the bar could not be kept: the export's guard

  if (args.progress && index >= 0 && index % kProgressEvery == 0) {
    CTxt text;
    text.Format("Processing Data (Date=%d Time=%04d)", HostDateToFull(args.date), args.time);
    UpdateProgressWindow(text, index - 1, kProgressTotal);
  }
  if (mgrOut) *mgrOut = mgr;
  return index;
}
