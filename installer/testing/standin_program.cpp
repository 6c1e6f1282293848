// A stand-in for the programs the installer starts (the platform's editor, the program of
// "Rollout.cfg"), built with the tests.
//
// Usage: <program> [file]
// When file can be read and begins with a number, the program exits with that code; a
// second number is a time in milliseconds to wait before exiting. Just before it exits it
// appends one line to "<program path without extension>.rec": its arguments after the
// program name, joined with "|" (an empty line when there are none). A caller that waits
// for the program thus finds the line in place when its wait ends.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

std::string RecordPath(std::string program) {
  const size_t slash = program.find_last_of("/\\");
  const size_t dot = program.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) program.resize(dot);
  return program + ".rec";
}

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  int waitMs = 0;
  if (argc > 1) {
    if (FILE* f = std::fopen(argv[1], "rb")) {
      if (std::fscanf(f, "%d", &code) == 1 && std::fscanf(f, "%d", &waitMs) != 1) waitMs = 0;
      std::fclose(f);
    }
  }
  if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += '|';
    line += argv[i];
  }
  if (FILE* rec = std::fopen(RecordPath(argv[0]).c_str(), "ab")) {
    std::fprintf(rec, "%s\n", line.c_str());
    std::fclose(rec);
  }
  return code;
}
