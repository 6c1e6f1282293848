// Worker processes on Windows (see worker_processes.h): there is no fork, so none.
#include "common/platform/worker_processes.h"

bool WorkerProcessesAvailable() { return false; }

bool RunWorkerJobs(const WorkerJobs& jobs, bool* interrupted, std::string* error) {
  (void)jobs;
  *interrupted = false;
  *error = "worker processes are made by fork, which this system lacks (Linux only)";
  return false;
}
