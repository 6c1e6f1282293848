// POSIX backend: starting programs (posix_spawn; "cmd /C" runs through /bin/sh -c, other
// command lines are split with the Windows quoting rules) and fetching web pages with
// libcurl, bypassing caches.
#include <curl/curl.h>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "common/platform/platform_posix.h"

extern char** environ;

namespace {

// Children started without waiting; reaped on later calls so that no zombies pile up.
std::mutex g_childrenLock;
std::vector<pid_t> g_children;

void ReapFinished() {
  std::lock_guard<std::mutex> lock(g_childrenLock);
  for (size_t i = 0; i < g_children.size();) {
    if (waitpid(g_children[i], nullptr, WNOHANG) != 0) {
      g_children[i] = g_children.back();
      g_children.pop_back();
    } else {
      ++i;
    }
  }
}

// Splits a command line the way the Windows runtime builds argv: blanks separate
// arguments outside quotes, 2n backslashes before a quote give n and toggle quoting,
// 2n+1 give n and a literal quote, "" inside quotes gives a quote.
std::vector<std::string> SplitCommandLine(const char* p) {
  std::vector<std::string> args;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '\\') {
        size_t n = 0;
        while (*p == '\\') ++n, ++p;
        if (*p == '"') {
          arg.append(n / 2, '\\');
          if (n % 2) arg += *p++;
        } else {
          arg.append(n, '\\');
        }
      } else if (*p == '"') {
        if (quoted && p[1] == '"') {
          arg += '"';
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        arg += *p++;
      }
    }
    args.push_back(arg);
  }
  return args;
}

// The text after "cmd /C " (or "cmd.exe /c"), or null when the line is not of that form.
const char* ShellRest(const char* line) {
  while (*line == ' ' || *line == '\t') ++line;
  const char* p = line;
  if (strncasecmp(p, "cmd.exe", 7) == 0) p += 7;
  else if (strncasecmp(p, "cmd", 3) == 0) p += 3;
  else return nullptr;
  if (*p != ' ' && *p != '\t') return nullptr;
  while (*p == ' ' || *p == '\t') ++p;
  if (strncasecmp(p, "/c", 2) != 0 || (p[2] && p[2] != ' ' && p[2] != '\t')) return nullptr;
  p += 2;
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

long PlatformBackend::StartProcess(const char* commandLine, const PlatformStart& opts,
                                   unsigned long* exitCode) {
  if (!commandLine) return EINVAL;
  ReapFinished();
  std::vector<std::string> args;
  std::string program;
  if (const char* rest = ShellRest(commandLine)) {
    std::string cmd = rest;
    // cmd drops the quotes around a fully quoted command; the shell would keep them.
    if (cmd.size() >= 2 && cmd.front() == '"' && cmd.back() == '"' &&
        cmd.find('"', 1) == cmd.size() - 1)
      cmd = cmd.substr(1, cmd.size() - 2);
    program = "/bin/sh";
    args = {"/bin/sh", "-c", cmd};
  } else {
    args = SplitCommandLine(commandLine);
    if (args.empty()) return ENOENT;
    program = args[0];
    if (program.find_first_of("\\:") != std::string::npos) program = NativePath(program.c_str());
    args[0] = program;
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!opts.shareConsole) {  // a detached program has no console to write to
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    errno = rc;
    return rc;
  }
  if (!opts.wait) {
    std::lock_guard<std::mutex> lock(g_childrenLock);
    g_children.push_back(pid);
    return 0;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return errno;
  }
  unsigned long code = WIFEXITED(status) ? (unsigned long)WEXITSTATUS(status)
                                         : 128UL + (unsigned long)WTERMSIG(status);
  if (exitCode) *exitCode = code;
  return 0;
}

// --- web -----------------------------------------------------------------------------------

namespace {

struct Sink {
  std::string* body;
  size_t limit;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  size_t n = size * count;
  size_t room = sink->limit - sink->body->size();
  if (n > room) {
    sink->body->append(data, room);
    return 0;  // enough: makes curl stop
  }
  sink->body->append(data, n);
  return n;
}

}  // namespace

int PlatformBackend::FetchPage(const char* url, const char* agent, size_t limit,
                               std::string* body) {
  if (!url || !body) return -2;
  body->clear();
  static std::once_flag once;
  static bool initialised = false;
  std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  if (!initialised) return -1;
  CURL* curl = curl_easy_init();
  if (!curl) return -1;
  Sink sink{body, limit};
  struct curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  curl_easy_setopt(curl, CURLOPT_URL, url);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent ? agent : "");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  CURLcode rc = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && body->size() == limit)) return 0;
  // No answer at all: the address could not be opened; an answer cut short: reading failed.
  return status == 0 && body->empty() ? -2 : -3;
}
