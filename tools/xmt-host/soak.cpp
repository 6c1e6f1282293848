// The soak run (see soak.h).
#include "tools/xmt-host/soak.h"

#include "common/platform/process_memory.h"

namespace {

// Keeps only the newest rows of what the study returned (a study may look one row back) and
// the pivots of the last `keep` bars. Trimmed after every bar, the simulator's own memory
// stays the same few blocks, reused at once, and leaves no holes in the heap between the
// library's records.
void TrimRows(int bar, int keep, StudyOutput* out) {
  const size_t rows = 2;
  if (out->results.size() > rows)
    out->results.erase(out->results.begin(), out->results.end() - rows);
  if (out->slots.size() > rows) out->slots.erase(out->slots.begin(), out->slots.end() - rows);
  if (!out->pivots.empty() && out->pivots.begin()->first < bar - keep)
    out->pivots.erase(out->pivots.begin(), out->pivots.lower_bound(bar - keep));
}

// The hits of the last `keep` bars (few; trimmed when a sample is taken).
void TrimHits(int bar, int keep, StudyOutput* out) {
  size_t kept = 0;
  for (size_t i = 0; i < out->hits.size(); ++i) {
    if (out->hits[i] < bar - keep) continue;
    out->hits[kept] = out->hits[i];
    if (i < out->hitLabels.size()) out->hitLabels[kept] = out->hitLabels[i];
    ++kept;
  }
  out->hits.resize(kept);
  if (out->hitLabels.size() > kept) out->hitLabels.resize(kept);
}

}  // namespace

int RunSoak(const RunRequest& request, int every, std::vector<SoakSample>* samples,
            std::string* error) {
  RunRequest soak = request;
  int pivotsBefore = 0;  // pivots marked before the last trim
  size_t kept = 0;       // of them still in out->pivots after it
  soak.afterBar = [&, every, samples](int bar, int total, StudyOutput* out) {
    const int done = bar + 1;
    const int pivots = pivotsBefore + static_cast<int>(out->pivots.size()) - static_cast<int>(kept);
    TrimRows(bar, every, out);
    pivotsBefore = pivots;
    kept = out->pivots.size();
    if (done != 1 && done % every != 0 && done != total) return;
    TrimHits(bar, every, out);
    samples->push_back({done, ResidentBytes(), pivots});
  };
  samples->reserve(samples->size() + 1024);
  BarFile bars;
  StudyOutput out;
  double micros = 0;
  return FeedStudy(soak, &bars, &out, &micros, error);
}

std::string SoakCsv(const std::vector<SoakSample>& samples) {
  std::string text = "bars,resident_bytes,pivots\n";
  for (const SoakSample& s : samples)
    text += std::to_string(s.bars) + "," + std::to_string(s.resident) + "," +
            std::to_string(s.pivots) + "\n";
  return text;
}
