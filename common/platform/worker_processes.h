// Jobs run in worker processes of their own: each job in a fresh copy of this process
// (fork on Linux), so that whatever a job loads or leaves behind (a study library and its
// process-wide state) ends with it. The host simulator's scan runs one bar file per job.
//
// A plain function rather than a Platform call, like modules.h: the libraries never start
// workers, so there is nothing to fake. Windows has no fork; there the call refuses.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct WorkerJobs {
  size_t count = 0;  // jobs 0 .. count-1, started in that order
  int parallel = 1;  // at most this many workers at a time
  // Runs in the worker: the job's answer (one text, handed to `done`).
  std::function<std::string(size_t job)> work;
  // Runs in this process as each job ends, in the order they end: its answer, or an empty
  // answer and `failure` saying how the worker ended ("ended by signal 11 (Segmentation
  // fault)", "ended with exit code 3").
  std::function<void(size_t job, const std::string& answer, const std::string& failure)> done;
};

// Whether this system has worker processes (false on Windows).
bool WorkerProcessesAvailable();

// Runs the jobs. An interrupt (Ctrl-C) stops the run: no further job starts, the running
// workers are ended and their jobs get no `done`; *interrupted tells. False with *error when
// workers cannot be started at all (on Windows always).
bool RunWorkerJobs(const WorkerJobs& jobs, bool* interrupted, std::string* error);
