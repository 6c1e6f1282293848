// Parses the simulator's command line (see options.h).
#include "tools/xmt-host/options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/xmt-host/scan_files.h"

namespace {

bool ToNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(*out);
}

std::string Shown(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

// Sets the option's field from text (the next argument for all but flags).
bool Apply(const OptionRule& rule, const std::string& text, StudyOptions* o, std::string* error) {
  double v = 0;
  switch (rule.kind) {
    case OptionRule::kFlag:
      o->*rule.flagField = true;
      return true;
    case OptionRule::kText:
      o->*rule.textField = text;
      return true;
    case OptionRule::kInt:
    case OptionRule::kNumber:
      if (!ToNumber(text, &v) || v < rule.min || v > rule.max ||
          (rule.kind == OptionRule::kInt && v != std::floor(v))) {
        *error = std::string("option ") + rule.name + " needs a" +
                 (rule.kind == OptionRule::kInt ? " whole number" : " number") + " from " +
                 Shown(rule.min) + " to " + Shown(rule.max) + ", not '" + text + "'";
        return false;
      }
      if (rule.kind == OptionRule::kInt)
        o->*rule.intField = static_cast<int>(v);
      else
        o->*rule.numberField = v;
      return true;
  }
  return false;
}

// Options of any study of the table with this name (to tell positional arguments from values).
const OptionRule* AnyStudyOption(const std::string& name) {
  for (const StudyInfo& s : StudyTable())
    for (const OptionRule& o : s.options)
      if (name == o.name) return &o;
  return nullptr;
}

const OptionRule* OptionOf(const StudyInfo& study, const std::string& name) {
  for (const OptionRule& o : study.options)
    if (name == o.name) return &o;
  return nullptr;
}

// --jobs, --shard and --charts of a scan.
bool ScanOption(const std::string& name, const std::string& text, ScanRequest* scan,
                std::string* error) {
  double v = 0;
  if (name == "--shard") {
    if (ParseShard(text, &scan->shard, &scan->shards)) return true;
    *error = "option --shard needs K/N with 1 <= K <= N, not '" + text + "'";
  } else if (name == "--charts" && text == "all") {
    scan->charts = -1;
    return true;
  } else if (ToNumber(text, &v) && v == std::floor(v) && v >= (name == "--jobs" ? 1 : 0) &&
             v <= 100000) {
    (name == "--jobs" ? scan->jobs : scan->charts) = static_cast<int>(v);
    return true;
  } else {
    *error = "option " + name + (name == "--jobs" ? " needs a whole number from 1 to 100000"
                                                  : " needs all or a whole number from 0 to 100000") +
             ", not '" + text + "'";
  }
  return false;
}

}  // namespace

const char* UsageText() {
  return "usage: xmt-host                       run the demo on the shipped sample data\n"
         "       xmt-host demo [--data DIR] [--out DIR]\n"
         "       xmt-host STUDY BARFILE [options]\n"
         "       xmt-host scan STUDY FOLDER [options] [--jobs N] [--shard K/N] [--charts all|N]\n"
         "       xmt-host check PR_<name>.txt  check a pattern rule file\n"
         "       xmt-host --list | --help [STUDY]\n"
         "options of the demo:\n"
         "  --data DIR        folder with the sample files the demo runs on: msft_daily.csv,\n"
         "                    ttrc_daily.csv, usdchf_30min.csv and patterns/PR_Swing3.txt,\n"
         "                    patterns/PR_XABCD_Bull.txt (default: the testdata/ folder of\n"
         "                    the source tree)\n"
         "  --out DIR         folder in which the demo makes its dated folder (default out/demo)\n"
         "options of a scan (besides those of every run and the study's own):\n"
         "  --jobs N          worker processes at a time (default: one per core)\n"
         "  --shard K/N       only the K-th of N equal parts of the sorted file list\n"
         "  --charts all|N    charts for the first N rows of the page (default 50) or all\n"
         "  --out DIR         folder of scan.csv, index.html and charts/ (default out/scan-<study>)\n"
         "options of every run:\n"
         "  --lib PATH        library file (default: the study's library beside xmt-host)\n"
         "  --id ID           instance ID (or symbol) passed to the library (default XMTHOST)\n"
         "  --root DIR        folder that holds the libraries' drive-letter folders (XMT_ROOT)\n"
         "  --out DIR         output folder (default out/<study>)\n"
         "  --date-order ORDER  mdy, dmy or ymd: the order of the bar file's dates, for a\n"
         "                    file whose dates do not tell it (01/02/2015 throughout)\n"
         "  --quiet           no progress line\n"
         "  --soak N          soak run: write no outputs, keep only the newest results and\n"
         "                    print the resident memory after every N bars (CSV)\n"
         "each study's own options: xmt-host --help STUDY (all of them: xmt-host --list)\n";
}

std::string HelpAfterError(const CommandLine& line) {
  const StudyInfo* study = line.run.study.empty() ? nullptr : FindStudy(line.run.study);
  return study ? StudyHelp(*study) : UsageText();
}

std::string StudyHelp(const StudyInfo& study) {
  std::string text = std::string(study.name) + " (" + study.library + "): " + study.summary + "\n";
  if (study.options.empty()) text += "  no options of its own\n";
  for (const OptionRule& o : study.options) {
    std::string head = std::string("  ") + o.name + (*o.value ? std::string(" ") + o.value : "");
    if (head.size() < 22) head.resize(22, ' ');
    text += head + " " + o.help + (o.required ? " (required)" : "") + "\n";
  }
  return text;
}

std::string StudyList() {
  std::string text;
  for (const StudyInfo& s : StudyTable()) {
    char line[256];
    std::snprintf(line, sizeof line, "%-10s %-12s %s\n", s.name, s.library, s.summary);
    text += line;
    std::string opts;
    for (const OptionRule& o : s.options)
      opts += std::string(opts.empty() ? "" : " ") + "[" + o.name +
              (*o.value ? std::string(" ") + o.value : "") + "]";
    text += "           options: " + (opts.empty() ? std::string("none") : opts) + "\n";
  }
  return text;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  // Positional arguments first: the study (or demo / check) and its file.
  std::vector<std::string> positional;
  const char* const generalWithValue[] = {"--lib",  "--id",   "--root",  "--data", "--out",
                                          "--date-order", "--jobs", "--shard", "--charts",
                                          "--soak"};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 1 && a[0] == '-') {
      bool takesValue = false;
      for (const char* g : generalWithValue) takesValue |= a == g;
      const OptionRule* rule = AnyStudyOption(a);
      takesValue |= rule && rule->kind != OptionRule::kFlag;
      if (takesValue) ++i;
      continue;
    }
    positional.push_back(a);
  }
  const StudyInfo* study = nullptr;
  const bool check = !positional.empty() && positional[0] == "check";
  const bool demo = positional.empty() || positional[0] == "demo";
  const bool scan = !positional.empty() && positional[0] == "scan";
  if (scan) positional.erase(positional.begin());
  if (!check && !demo && !positional.empty()) {
    study = FindStudy(positional[0]);
    if (!study) {
      *error = "unknown study '" + positional[0] + "'";
      return false;
    }
    out->run.study = study->name;  // known now, for the help after a later error
  }

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
    bool ok = true;
    if (a == "--help" || a == "-h") {
      out->action = CommandLine::kHelp;
      if (study) out->helpStudy = study->name;
      if (!study && i + 1 < args.size()) {
        study = FindStudy(args[i + 1]);
        if (!study) {
          *error = "unknown study '" + args[i + 1] + "'";
          return false;
        }
        out->helpStudy = study->name;
      }
      return true;
    } else if (a == "--list") {
      out->action = CommandLine::kList;
      return true;
    } else if (a == "--lib") {
      ok = value(&out->run.library);
    } else if (a == "--id") {
      if (scan) {
        *error = "a scan passes each file's name (without its extension) as the ID; "
                 "--id does not apply";
        return false;
      }
      ok = value(&out->run.options.id);
    } else if (a == "--root") {
      ok = value(&out->root);
    } else if (a == "--data") {
      ok = value(&out->dataDir);
    } else if (a == "--out") {
      ok = value(&out->outDir);
    } else if (a == "--date-order") {
      std::string text;
      ok = value(&text);
      if (ok && !DateOrderFromName(text, &out->run.barOptions.dateOrder)) {
        *error = "option --date-order needs mdy, dmy or ymd, not '" + text + "'";
        return false;
      }
    } else if (a == "--quiet") {
      out->run.progress = false;
    } else if (a == "--soak") {
      std::string text;
      char* end = nullptr;
      ok = value(&text);
      const long every = ok ? std::strtol(text.c_str(), &end, 10) : 0;
      if (ok && (scan || end == text.c_str() || *end || every < 1 || every > 100000000)) {
        *error = scan ? "option --soak applies to a run of one bar file"
                      : "option --soak needs a number of bars from 1 to 100000000, not '" +
                            text + "'";
        return false;
      }
      out->soakEvery = static_cast<int>(every);
    } else if (a == "--jobs" || a == "--shard" || a == "--charts") {
      std::string text;
      if (!scan) {
        *error = "option " + a + " applies to a scan only (xmt-host scan STUDY FOLDER ...)";
        return false;
      }
      ok = value(&text) && ScanOption(a, text, &out->scan, error);
    } else if (a.size() > 1 && a[0] == '-') {
      const OptionRule* rule = study ? OptionOf(*study, a) : nullptr;
      if (!rule) {
        *error = AnyStudyOption(a) && study
                     ? "option " + a + " does not apply to " + study->name +
                           " (xmt-host --help " + study->name + ")"
                     : "unknown option " + a;
        return false;
      }
      std::string text;
      if (rule->kind != OptionRule::kFlag && !value(&text)) return false;
      ok = Apply(*rule, text, &out->run.options, error);
    }
    if (!ok) return false;
  }
  if (demo) {
    out->action = CommandLine::kDemo;
    if (positional.size() > 1) {
      *error = "demo takes no file arguments";
      return false;
    }
    return true;
  }
  if (positional.size() != 2) {
    *error = check  ? "check takes one pattern rule file"
             : scan ? "give a study and one folder of bar files"
                    : "give a study and one bar file";
    return false;
  }
  if (check) {
    out->action = CommandLine::kCheck;
    out->checkFile = positional[1];
    return true;
  }
  out->action = scan ? CommandLine::kScan : CommandLine::kRun;
  out->run.study = study->name;
  if (scan) {
    out->scan.folder = positional[1];
    out->scan.outDir = out->outDir.empty() ? "out/scan-" + out->run.study : out->outDir;
  } else {
    out->run.barFile = positional[1];
    out->run.outDir = out->outDir.empty() ? "out/" + out->run.study : out->outDir;
  }
  for (const OptionRule& rule : study->options) {
    if (!rule.required || rule.kind != OptionRule::kText || !(out->run.options.*rule.textField).empty())
      continue;
    *error = std::string("the ") + study->name + " study needs " + rule.name + " " + rule.value;
    return false;
  }
  if (scan) {
    out->scan.run = out->run;
    out->scan.progress = out->run.progress;
  }
  return true;
}
