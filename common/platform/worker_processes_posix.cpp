// Worker processes on POSIX (see worker_processes.h): a fork per job, its answer read from
// a pipe, at most `parallel` workers at a time.
#include "common/platform/worker_processes.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

struct Worker {
  pid_t pid;
  int fd;
  size_t job;
  std::string answer;
};

// Writes all of text to fd (a pipe a full parent drains).
void WriteAll(int fd, const std::string& text) {
  size_t at = 0;
  while (at < text.size()) {
    const ssize_t n = write(fd, text.data() + at, text.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    at += static_cast<size_t>(n);
  }
}

std::string HowItEnded(int status) {
  if (WIFSIGNALED(status))
    return "ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
           strsignal(WTERMSIG(status)) + ")";
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
    return "ended with exit code " + std::to_string(WEXITSTATUS(status));
  return "";
}

bool Start(const WorkerJobs& jobs, size_t job, std::vector<Worker>* running, std::string* error) {
  int fds[2];
  if (pipe(fds) != 0) {
    *error = std::string("cannot make a pipe for a worker: ") + strerror(errno);
    return false;
  }
  std::fflush(nullptr);  // nothing buffered here is written twice
  const pid_t pid = fork();
  if (pid < 0) {
    *error = std::string("cannot start a worker: ") + strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    for (const Worker& w : *running) close(w.fd);
    signal(SIGINT, SIG_DFL);
    WriteAll(fds[1], jobs.work(job));
    close(fds[1]);
    _exit(0);  // no atexit work of the parent's copy (its buffers, its libraries)
  }
  close(fds[1]);
  running->push_back({pid, fds[0], job, {}});
  return true;
}

// Reads what the worker wrote; true once it closed its end (it has ended or is ending).
bool ReadSome(Worker* w) {
  char buf[4096];
  const ssize_t n = read(w->fd, buf, sizeof buf);
  if (n < 0) return errno != EINTR && errno != EAGAIN;
  if (n == 0) return true;
  w->answer.append(buf, static_cast<size_t>(n));
  return false;
}

int Reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

bool WorkerProcessesAvailable() { return true; }

bool RunWorkerJobs(const WorkerJobs& jobs, bool* interrupted, std::string* error) {
  g_interrupted = 0;
  struct sigaction on = {}, before = {};
  on.sa_handler = OnInterrupt;
  sigemptyset(&on.sa_mask);
  sigaction(SIGINT, &on, &before);
  std::vector<Worker> running;
  size_t next = 0;
  bool ok = true;
  while (ok && !g_interrupted && (next < jobs.count || !running.empty())) {
    while (ok && !g_interrupted && next < jobs.count &&
           static_cast<int>(running.size()) < (jobs.parallel > 0 ? jobs.parallel : 1))
      ok = Start(jobs, next++, &running, error);
    if (running.empty()) break;
    std::vector<pollfd> polls;
    for (const Worker& w : running) polls.push_back({w.fd, POLLIN, 0});
    if (poll(polls.data(), polls.size(), -1) < 0) continue;  // an interrupt: checked above
    for (size_t i = polls.size(); i-- > 0;) {
      if (!(polls[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      Worker& w = running[i];
      if (!ReadSome(&w)) continue;
      close(w.fd);
      const std::string failure = HowItEnded(Reap(w.pid));
      if (g_interrupted && !failure.empty()) {
        running.erase(running.begin() + static_cast<long>(i));
        continue;  // ended by the interrupt: not a finished job
      }
      Worker ended = std::move(w);
      running.erase(running.begin() + static_cast<long>(i));
      jobs.done(ended.job, failure.empty() ? ended.answer : std::string(), failure);
    }
  }
  for (Worker& w : running) {  // interrupted, or a worker could not be started
    kill(w.pid, SIGTERM);
    close(w.fd);
    Reap(w.pid);
  }
  sigaction(SIGINT, &before, nullptr);
  *interrupted = g_interrupted != 0;
  return ok;
}
