// Parses the simulator's command line (see options.h).
#include "tools/xmt-host/options.h"

#include <cstdlib>

namespace {

bool ToInt(const std::string& text, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < -1000000000L || v > 1000000000L) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

const char* UsageText() {
  return "usage: xmt-host                       run the demo on the shipped sample data\n"
         "       xmt-host demo [--data DIR] [--out DIR]\n"
         "       xmt-host STUDY BARFILE [options]\n"
         "       xmt-host --list | --help\n"
         "options:\n"
         "  --lib PATH        library file (default: the study's library beside xmt-host)\n"
         "  --id ID           instance ID passed to the library (default XMTHOST)\n"
         "  --left N          left pivot window length (default 5)\n"
         "  --right N         right pivot window length (default 5)\n"
         "  --scale N         price divisor (default: 10000 below a high of 3.0, else 100)\n"
         "  --pattern NAME|FILE  pattern name, or a PR_<name>.txt file to install and use\n"
         "  --style 1|2       pattern64: 1 pattern evaluation, 2 pivot report\n"
         "  --host-bars       pattern64: pass the host's bar numbers (input element 3)\n"
         "  --root DIR        folder that holds the libraries' drive-letter folders (XMT_ROOT)\n"
         "  --out DIR         output folder (default out/<study>)\n"
         "  --quiet           no progress line\n";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= args.size()) {
        *error = "option " + a + " needs a value";
        return false;
      }
      *v = args[++i];
      return true;
    };
    auto number = [&](int* v) {
      std::string text;
      if (!value(&text)) return false;
      if (!ToInt(text, v)) {
        *error = "option " + a + " needs a whole number from -1000000000 to 1000000000, not '" +
                 text + "'";
        return false;
      }
      return true;
    };
    bool ok = true;
    if (a == "--help" || a == "-h") {
      out->action = CommandLine::kHelp;
      return true;
    } else if (a == "--list") {
      out->action = CommandLine::kList;
      return true;
    } else if (a == "--lib") {
      ok = value(&out->run.library);
    } else if (a == "--id") {
      ok = value(&out->run.options.id);
    } else if (a == "--left") {
      ok = number(&out->run.options.left);
    } else if (a == "--right") {
      ok = number(&out->run.options.right);
    } else if (a == "--scale") {
      ok = number(&out->run.options.scale);
    } else if (a == "--pattern") {
      ok = value(&out->run.options.pattern);
    } else if (a == "--style") {
      ok = number(&out->run.options.style);
    } else if (a == "--host-bars") {
      out->run.options.hostBarNumbers = true;
    } else if (a == "--root") {
      ok = value(&out->root);
    } else if (a == "--data") {
      ok = value(&out->dataDir);
    } else if (a == "--out") {
      ok = value(&out->outDir);
    } else if (a == "--quiet") {
      out->run.progress = false;
    } else if (a.size() > 1 && a[0] == '-') {
      *error = "unknown option " + a;
      return false;
    } else {
      positional.push_back(a);
    }
    if (!ok) return false;
  }
  if (positional.empty() || positional[0] == "demo") {
    out->action = CommandLine::kDemo;
    if (positional.size() > 1) {
      *error = "demo takes no file arguments";
      return false;
    }
    return true;
  }
  out->action = CommandLine::kRun;
  if (!FindStudy(positional[0])) {
    *error = "unknown study '" + positional[0] + "'";
    return false;
  }
  if (positional.size() != 2) {
    *error = "give a study and one bar file";
    return false;
  }
  out->run.study = positional[0];
  out->run.barFile = positional[1];
  out->run.outDir = out->outDir.empty() ? "out/" + out->run.study : out->outDir;
  const StudyOptions& o = out->run.options;
  if (o.scale < 0) {
    *error = "--scale must be above 0 (or 0 for the automatic scale)";
    return false;
  }
  if (o.style != 1 && o.style != 2) {
    *error = "--style must be 1 (pattern evaluation) or 2 (pivot report)";
    return false;
  }
  if (out->run.study == "pattern" && out->run.options.pattern.empty()) {
    *error = "the pattern study needs --pattern NAME|FILE";
    return false;
  }
  return true;
}
