// Feeds a bar file through one study (see runner.h).
#include "tools/xmt-host/runner.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "tools/xmt-host/outputs.h"

namespace {

std::string Stem(const std::string& path) { return std::filesystem::path(path).stem().string(); }

void ShowProgress(int done, int total) {
  std::fprintf(stderr, "\r  %d/%d bars (%d%%)", done, total,
               static_cast<int>(100LL * done / (total > 0 ? total : 1)));
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

int FeedStudy(const RunRequest& request, BarFile* barsOut, StudyOutput* outOut,
              double* feedMicros, std::string* error) {
  const StudyInfo* info = FindStudy(request.study);
  if (!info) {
    *error = "unknown study '" + request.study + "' (xmt-host --list shows the studies)";
    return 2;
  }
  BarFile& bars = *barsOut;
  StudyOutput& out = *outOut;
  if (!ReadBarFile(request.barFile, &bars, error, request.barOptions)) return 3;

  Library library;
  std::string libPath = request.library.empty() ? Library::BesideProgram(info->library)
                                                : request.library;
  if (!library.Open(libPath, error)) return 4;

  std::unique_ptr<Study> study = info->make(request.options);
  if (!study->Bind(library, error)) return 4;
  if (!study->Prepare(bars, error)) return 5;

  out.slotNames = study->SlotNames();
  out.chart = study->Chart();
  for (int i = 0; i < static_cast<int>(bars.bars.size()); ++i)
    if (LibraryTakes(bars.bars[i])) out.fileBars.push_back(i);
  const int total = static_cast<int>(bars.bars.size());
  const bool showProgress = request.progress && total >= 20000;
  const int step = total / 20 > 0 ? total / 20 : 1;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < total; ++i) {
    study->Feed(bars, i, &out);
    if (out.failed) {
      // Every further bar would fail the same way (a pattern file that does not load...).
      *error = bars.path + ":" + std::to_string(bars.bars[i].line) + ": " + request.study +
               " failed: " + out.error;
      if (showProgress) std::fputc('\n', stderr);
      return 5;
    }
    if (request.afterBar) request.afterBar(i, total, &out);
    if (showProgress && ((i + 1) % step == 0 || i + 1 == total)) ShowProgress(i + 1, total);
  }
  study->Finish(bars, &out);
  *feedMicros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count();
  if (out.failed) {
    *error = bars.path + ": " + request.study + " failed: " + out.error;
    return 5;
  }
  return 0;
}

int RunStudy(const RunRequest& request, RunSummary* summary, std::string* error) {
  BarFile bars;
  StudyOutput out;
  double micros = 0;
  if (int rc = FeedStudy(request, &bars, &out, &micros, error)) return rc;
  const int total = static_cast<int>(bars.bars.size());

  std::error_code ec;
  std::filesystem::create_directories(request.outDir, ec);
  const std::filesystem::path base =
      std::filesystem::path(request.outDir) / (request.study + "-" + Stem(request.barFile));
  summary->csvPath = base.string() + ".csv";
  summary->svgPath = base.string() + ".svg";
  const std::string title = request.study + " - " + Stem(request.barFile) + " - ID " +
                            request.options.id;
  if (!WriteResultCsv(summary->csvPath, bars, out, error)) return 6;
  if (!WriteChartSvg(summary->svgPath, title, bars, out, error)) return 6;
  // Files the library wrote go beside the CSV: "<study>-<bar file>.<their own name>".
  summary->libraryFiles.clear();
  for (const std::string& file : out.libraryFiles) {
    const std::filesystem::path copy =
        base.string() + "." + std::filesystem::path(file).filename().string();
    std::filesystem::remove(copy, ec);  // MinGW's copy_file does not overwrite
    std::filesystem::copy_file(file, copy, ec);
    if (ec) {
      *error = "cannot copy " + file + " to " + copy.string() + ": " + ec.message();
      return 6;
    }
    summary->libraryFiles.push_back(copy.string());
  }

  summary->bars = total;
  summary->skippedColumns = bars.skippedColumns;
  summary->pivots = static_cast<int>(out.pivots.size());
  summary->hits = static_cast<int>(out.hits.size());
  summary->refusedBars = total - static_cast<int>(out.fileBars.size());
  summary->microsPerBar = total ? micros / total : 0;
  if (!out.error.empty()) std::fprintf(stderr, "  study reported: %s\n", out.error.c_str());
  return 0;
}

std::string DescribeRun(const RunRequest& request, const RunSummary& s) {
  char line[768];
  std::snprintf(line, sizeof line,
                "%-9s %-18s %6d bars, %5d pivots, %4d hits, %7.2f us/bar\n"
                "          %s\n          %s\n",
                request.study.c_str(), std::filesystem::path(request.barFile).filename().string().c_str(),
                s.bars, s.pivots, s.hits, s.microsPerBar, s.csvPath.c_str(), s.svgPath.c_str());
  std::string text = line;
  for (const std::string& file : s.libraryFiles) text += "          " + file + "\n";
  if (!s.skippedColumns.empty()) {
    std::string names;
    for (const std::string& c : s.skippedColumns) names += (names.empty() ? "" : ", ") + c;
    text += "          (columns not used: " + names + ")\n";
  }
  if (s.refusedBars > 0)
    text += "          (" + std::to_string(s.refusedBars) +
            " bars dated before 1990 were refused by the library)\n";
  return text;
}
