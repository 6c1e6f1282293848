// A scan over a folder of bar files (see scan.h).
#include "tools/xmt-host/scan.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "common/platform/worker_processes.h"
#include "tools/xmt-host/outputs.h"
#include "tools/xmt-host/scan_files.h"
#include "tools/xmt-host/scan_page.h"
#include "tools/xmt-host/study_kit.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::string Stem(const std::string& path) { return fs::path(path).stem().string(); }

// The run of one file, as `xmt-host STUDY FILE --id <its stem>` would make it.
RunRequest FileRun(const ScanRequest& scan, const std::string& file, const std::string& outDir) {
  RunRequest run = scan.run;
  run.barFile = file;
  run.outDir = outDir;
  run.options.id = Stem(file);
  run.progress = false;
  return run;
}

// In the worker: the file's row.
std::string RowOfFile(const ScanRequest& scan, const std::string& file) {
  const RunRequest run = FileRun(scan, file, "");
  BarFile bars;
  StudyOutput out;
  double micros = 0;
  std::string error;
  ScanRow row;
  const int rc = FeedStudy(run, &bars, &out, &micros, &error);
  if (rc == 0) {
    row = RowOfRun(run.study, fs::path(file).filename().string(), bars, out, micros);
  } else {
    row.symbol = fs::path(file).filename().string();
    row.bars = rc == 3 ? 0 : static_cast<int>(bars.bars.size());  // a file read in part: none
    row.error = error;
  }
  return EncodeRow(row);
}

std::string Duration(double seconds) {
  char buf[32];
  const int whole = static_cast<int>(seconds);
  if (seconds < 100)
    std::snprintf(buf, sizeof buf, "%.0f s", seconds);
  else
    std::snprintf(buf, sizeof buf, "%d min %02d s", whole / 60, whole % 60);
  return buf;
}

void ShowProgress(size_t done, size_t total, double seconds) {
  const double rate = seconds > 0 ? done / seconds : 0;
  std::fprintf(stderr, "\r  scan: %zu/%zu files, %.1f files/s, %s left   ", done, total, rate,
               rate > 0 ? Duration((total - done) / rate).c_str() : "?");
  std::fflush(stderr);
}

// Draws the charts of the first `count` rows that have one (a single-file run each, in
// workers); the rows get their links. Charts that fail are left out.
void DrawCharts(const ScanRequest& scan, std::vector<ScanPageRow>* rows, int count) {
  std::vector<size_t> chosen;
  for (size_t i = 0; i < rows->size() && (count < 0 || static_cast<int>(chosen.size()) < count); ++i)
    if ((*rows)[i].row.error.empty()) chosen.push_back(i);
  const std::string chartDir = (fs::path(scan.outDir) / "charts").string();
  WorkerJobs jobs;
  jobs.count = chosen.size();
  jobs.parallel = scan.jobs;
  jobs.work = [&](size_t job) {
    const ScanRow& row = (*rows)[chosen[job]].row;
    const std::string file = (fs::path(scan.folder) / row.symbol).string();
    RunSummary summary;
    std::string error;
    return RunStudy(FileRun(scan, file, chartDir), &summary, &error) == 0
               ? fs::relative(summary.svgPath, scan.outDir).generic_string()
               : std::string();
  };
  jobs.done = [&](size_t job, const std::string& chart, const std::string&) {
    (*rows)[chosen[job]].chart = chart;
  };
  bool interrupted = false;
  std::string error;
  RunWorkerJobs(jobs, &interrupted, &error);
}

}  // namespace

int RunScan(const ScanRequest& request, ScanSummary* summary, std::string* error) {
  const StudyInfo* info = FindStudy(request.run.study);
  if (!info) {
    *error = "unknown study '" + request.run.study + "' (xmt-host --list shows the studies)";
    return 2;
  }
  if (!WorkerProcessesAvailable()) {
    *error = "a scan runs each file in a worker process, which this system does not have (Linux only)";
    return 8;
  }
  std::vector<std::string> files;
  if (!ListBarFiles(request.folder, &files, error)) return 3;
  files = ShardOf(files, request.shard, request.shards);

  ScanRequest scan = request;
  if (scan.jobs <= 0) scan.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  // A pattern file is installed once here, not by every worker at the same time.
  const std::string pattern = scan.run.options.pattern;
  if (!pattern.empty() && scan.run.study != "patdetect" &&
      !InstallPattern(pattern, &scan.run.options.pattern, error))
    return 5;

  std::error_code ec;
  fs::create_directories(scan.outDir, ec);
  summary->csvPath = (fs::path(scan.outDir) / "scan.csv").string();
  summary->pagePath = (fs::path(scan.outDir) / "index.html").string();
  std::FILE* csv = std::fopen(summary->csvPath.c_str(), "wb");
  if (!csv) {
    *error = summary->csvPath + ": cannot write the file";
    return 6;
  }
  // Each row is written and flushed as its file ends: an interrupted scan leaves the rows
  // of the files finished so far. The value columns are known once a file has run (a
  // pattern's outputs come with its file); rows before that wait for the header.
  std::vector<std::string> valueNames;
  std::vector<ScanRow> rows;
  size_t written = 0;
  auto writeRows = [&] {
    if (written == 0) std::fputs(ScanCsvHeader(valueNames).c_str(), csv);
    for (; written < rows.size(); ++written)
      std::fputs(ScanCsvLine(rows[written], valueNames.size()).c_str(), csv);
    std::fflush(csv);
  };
  const Clock::time_point start = Clock::now();
  WorkerJobs jobs;
  jobs.count = files.size();
  jobs.parallel = scan.jobs;
  jobs.work = [&](size_t job) { return RowOfFile(scan, files[job]); };
  jobs.done = [&](size_t job, const std::string& answer, const std::string& failure) {
    ScanRow row;
    if (!DecodeRow(answer, &row)) {
      row = ScanRow();
      row.symbol = fs::path(files[job]).filename().string();
      row.error = "the worker " + (failure.empty() ? std::string("gave no row") : failure);
    }
    if (valueNames.empty() && row.error.empty()) valueNames = row.names;
    rows.push_back(row);
    if (!valueNames.empty()) writeRows();
    if (scan.progress)
      ShowProgress(rows.size(), files.size(),
                   std::chrono::duration<double>(Clock::now() - start).count());
  };
  const bool started = RunWorkerJobs(jobs, &summary->interrupted, error);
  if (valueNames.empty()) {  // no file ran: the study's columns before any file
    valueNames = {"Result"};
    for (const std::string& name : info->make(scan.run.options)->SlotNames())
      valueNames.push_back(name);
  }
  writeRows();
  std::fclose(csv);
  if (scan.progress && !rows.empty()) std::fputc('\n', stderr);
  summary->seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!started) return 8;

  SortBySignal(&rows);
  std::vector<ScanPageRow> pageRows;
  for (const ScanRow& row : rows) {
    pageRows.push_back({row, ""});
    summary->failed += row.error.empty() ? 0 : 1;
  }
  summary->files = static_cast<int>(rows.size());
  if (!summary->interrupted) DrawCharts(scan, &pageRows, scan.charts);
  char note[256];
  std::snprintf(note, sizeof note, "%d files of %s%s, %d failed, %.1f s with %d workers%s",
                summary->files, scan.folder.c_str(),
                scan.shards > 1 ? (" (part " + std::to_string(scan.shard) + " of " +
                                   std::to_string(scan.shards) + ")").c_str() : "",
                summary->failed, summary->seconds, scan.jobs,
                summary->interrupted ? "; interrupted" : "");
  const std::string title = "xmt-host scan: " + scan.run.study + " over " +
                            fs::path(scan.folder).filename().string();
  if (!WriteTextFile(summary->pagePath, ScanPage(title, note, valueNames, pageRows), error))
    return 6;
  return summary->interrupted ? 130 : 0;
}

std::string DescribeScan(const ScanSummary& s) {
  char line[256];
  std::snprintf(line, sizeof line, "scan: %d files, %d failed, %.1f s (%.1f files/s)%s\n",
                s.files, s.failed, s.seconds, s.seconds > 0 ? s.files / s.seconds : 0.0,
                s.interrupted ? ", interrupted" : "");
  return std::string(line) + "  " + s.csvPath + "\n  " + s.pagePath + "\n";
}
