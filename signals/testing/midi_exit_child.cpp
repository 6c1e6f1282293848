// Tests only (Windows build): a process that ends with an open MIDI device in a library.
//
// midi_exit_child <probe library> <stamp file>: loads the probe library, opens its device,
// writes the wall-clock time in milliseconds to the stamp file and returns from main, so
// that the test can tell how long the process took to end. Exit code 0, or 1 when the
// probe cannot be loaded or opened.
#include <chrono>
#include <cstdio>

#include "common/platform/modules.h"

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  void* probe = LoadModule(argv[1]);
  auto open = probe ? reinterpret_cast<int (*)(int*)>(ModuleSymbol(probe, "ProbeOpen")) : nullptr;
  if (!open || open(nullptr) != 0) return 1;
  const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
  FILE* stamp = std::fopen(argv[2], "w");
  if (!stamp) return 1;
  std::fprintf(stamp, "%lld\n", now);
  std::fclose(stamp);
  return 0;
}
