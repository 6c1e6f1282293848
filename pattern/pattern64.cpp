// XMT_PATTERN64: everything a pattern study needs in one call per bar, through the host's
// study object. The host is read first (bar, date, tick series, the two study arrays), so
// that a study missing one of them gets its error before anything is stored; then the bar
// is fed and the chosen report fills a local result block that goes out to "arrValOut".
// Every host object received is held in a HostRef and released before the call returns.

#include "pattern/pattern64.h"

#include <cstdio>

#include "common/datetime/date_time.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"
#include "hostbridge/caller_text.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/host_call.h"
#include "hostbridge/slot_block.h"
#include "pattern/calc_pat.h"
#include "pattern/feed_bar.h"
#include "pattern/zigzag.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"

namespace {

// The only step this function reports in its internal-error message.
constexpr int kStepMain = 101;

constexpr int kStylePattern = 1;
constexpr int kStylePivots = 2;

// "XMT_PATTERN64 Error#<n> occured - <message>", logged and handed to the caller.
int SendError(char* err, int number, const char* message, int result) {
  CTxt text;
  // "occured": kept as the system writes it; studies and log readers match this text.
  text.Format("XMT_PATTERN64 Error#%d occured - %s", number, message);
  LogTrace("PR", 3, "sendError: %s", static_cast<const char*>(text));
  CopyToCaller(err, kPatternErrBufSize, text);
  return result;
}

struct HostBar {
  float open = 0, high = 0, low = 0, close = 0, volume = 0;
  int barNumber = 0;
  CXMTDateTime dt;
  HostRef<IHostVariable> input;
  HostRef<IHostVariable> output;
  float values[kP64InputCount] = {};
};

// Checks one study array: 0, or the result of the error already sent.
int CheckArray(IHostVariable* array, const char* name, int minCount, char* err) {
  CTxt message;
  if (!array) {
    message.Format("%s missingA", name);  // "missingA": kept as the system writes it
    return SendError(err, 6, message, kP64ArrayMissing);
  }
  if (HostDimensions(array) != 1) {
    message.Format("%s dimensions wrong", name);
    return SendError(err, 7, message, kP64ArrayDims);
  }
  if (HostElementCount(array, 0) < minCount) {
    message.Format("%s Size wrong", name);
    return SendError(err, 8, message, kP64ArraySize);
  }
  return 0;
}

// Reads everything the call needs from the host: 0, or the result of the error sent.
// A failing host call throws (HostComError) to the caller's catch-all.
int ReadHost(IHostStudy* study, HostBar& bar, char* err) {
  const HostRef<IHostDateSeries> dates(HostDateSeries(study));
  if (!dates) return SendError(err, 2, "Date Missing", kP64DateMissing);
  const HostRef<IHostNumSeries> up(HostUpTicks(study));
  if (!up) return SendError(err, 3, "UpTicks missing", kP64UpTicksMissing);
  const HostRef<IHostNumSeries> down(HostDownTicks(study));
  if (!down) return SendError(err, 4, "DownTicks missing", kP64DownTicksMissing);

  bar.open = static_cast<float>(HostOpen(study, 0));
  bar.high = static_cast<float>(HostHigh(study, 0));
  bar.low = static_cast<float>(HostLow(study, 0));
  bar.close = static_cast<float>(HostClose(study, 0));
  const float upTicks = static_cast<float>(HostSeriesValue(up.Get(), 0));
  const float downTicks = static_cast<float>(HostSeriesValue(down.Get(), 0));
  bar.volume = upTicks + downTicks;
  bar.barNumber = HostBarNumber(study);

  const HostDateFields when = HostBarDate(dates.Get(), 0);
  bar.dt.Reset();
  // The year's byte as the bar stores it; unsigned, so that a host year near INT_MIN
  // wraps instead of overflowing.
  bar.dt.year = static_cast<unsigned char>(static_cast<unsigned>(when.year) - 1900u);
  bar.dt.month = static_cast<unsigned char>(when.month);
  bar.dt.day = static_cast<unsigned char>(when.day);
  bar.dt.hour = static_cast<unsigned char>(when.hour);
  bar.dt.minute = static_cast<unsigned char>(when.minute);
  bar.dt.second = 0;

  bar.input.Reset(HostFindVariable(study, "arrValIn"));
  if (int r = CheckArray(bar.input.Get(), "arrValIn", kP64InputCount, err)) return r;
  bar.output.Reset(HostFindVariable(study, "arrValOut"));
  if (int r = CheckArray(bar.output.Get(), "arrValOut", kP64OutputCount, err)) return r;

  for (int i = 0; i < kP64InputCount; ++i) bar.values[i] = HostGetElement(bar.input.Get(), i);
  return 0;
}

int Run(const char* id, char* err, IHostStudy* study, const char* name, char* patErr) {
  HostBar bar;
  if (int r = ReadHost(study, bar, err)) return r;

  const int left = TruncToIntSaturated(bar.values[0]);
  const int right = TruncToIntSaturated(bar.values[1]);
  const int style = TruncToIntSaturated(bar.values[2]);
  const bool hostNumbers = TruncToIntSaturated(bar.values[3]) > 0;

  const int scale = PriceScaleForHigh(bar.high);
  const int open = ScalePriceForFeed(bar.open, scale);
  const int high = ScalePriceForFeed(bar.high, scale);
  const int low = ScalePriceForFeed(bar.low, scale);
  const int close = ScalePriceForFeed(bar.close, scale);
  const int date = FullDateToHost(bar.dt.GetDate(0));
  const int time = bar.dt.GetTime() / 100;

  if (!id) return kEntryNullId;
  CBarMgr* mgr = FindBarMgr(id);
  int barNumber = bar.barNumber;
  if (hostNumbers) {
    // A negative number is taken as given by the feed, so a number going back restarts.
    // The most negative int has no positive twin and stays as it is (the feed reads it as 0).
    if (barNumber != -2147483647 - 1) barNumber = -barNumber;
    mgr->SetFlag(kBarMgrFilterBit, 1);
  }

  const FeedBarArgs feed{false, id,    date, time,   barNumber, scale,
                         &open, &high, &low, &close, TruncToIntSaturated(bar.volume)};
  const int index = FeedBar(feed, FeedStyle::Pattern);
  const int barPos = index + 1;

  if (barPos == 1) {
    LogTrace("PR", 3, "XMT_PATTERN_AddBar#1: ID=%s nPivL=%d, nPivR=%d Name=%s iBar=%d Style=%d",
             id, left, right, name ? name : "", index, style);
    CTxt dump;
    DumpBar(mgr->GetBar(index), dump, 4);
    LogTrace("PR", 3, "XMT_PATTERN_AddBar: Bar: %s", static_cast<const char*>(dump));
  }

  XmtSlot slots[kP64OutputCount] = {};
  const SlotBlock block(slots);
  int result = 0;
  if (style == kStylePattern)
    result = PatternCalcPat(1, id, barPos, left, right, block, name, patErr, kP64OutputCount);
  else if (style == kStylePivots)
    result = ZZCalcPiv(id, barPos, left, right, block);

  for (int i = 0; i < kP64OutputCount; ++i) HostPutElement(bar.output.Get(), i, block.Get(i));
  return result;
}

}  // namespace

int ScalePriceForFeed(float price, int scale) {
  const float scaled = static_cast<float>(scale) * price;
  return TruncToIntSaturated(scaled > 0 ? scaled + 0.51 : scaled - 0.51);
}

int Pattern64(const char* id, char* err, IHostStudy* study, const char* name, char* patErr) {
  const int step = kStepMain;
  try {
    return Run(id, err, study, name, patErr);
  } catch (...) {
    CTxt message;
    message.Format("Internal Error(x64) (%d)", step);
    LogTrace("PR", 2, "%s", static_cast<const char*>(message));
    char flush[] = "Saving Logfile...";
    LogWrite("*FLUSH", flush, 0);
    CopyToCaller(err, kPatternErrBufSize, message);
    return kP64Internal;
  }
}
