// Per-deliverable configuration of the foundation library.
//
// The same foundation code is linked into the installer program and into each of the three
// study libraries, and a few of its visible details differ between them: where the trace log
// lies and how it is named, how the log lines look, which texts count as "on" in the
// settings file, and whether log messages also go to a status display. Each deliverable
// supplies its configuration at load time, from the constructor of a global object, so that
// the common code never needs to know which deliverable it is part of, and so that tests can
// switch between the variants at will.
//
// Contract:
// - Before any SetDeliverableConfig the configuration is the library variant with the base
//   folder "C:/Database/DO_DER" and the log name "XMT".
// - The strings are not copied: they must live as long as the process (string literals).
// - Changing the configuration does not reopen an already opened log or recompute an already
//   computed base folder (see TraceLogResetForTest / SettingsResetForTest).
#pragma once

enum class DeliverableVariant {
  Program,  // the installer: program folder, date column, "YES"/"TRUE", status display
  Library,  // a study library loaded by the host
};

struct DeliverableConfig {
  DeliverableVariant variant = DeliverableVariant::Library;
  // Folder below which "logs/<yyyymmdd>/<name>.log" is written; null means the base folder
  // of the main program (GetBaseDir) with its slashes normalised.
  const char* logBaseDir = "C:/Database/DO_DER";
  // Log file name without ".log"; null means the main program's file name without folder
  // and extension, in lower case.
  const char* logName = "XMT";
  // Program variant: every message logged through LogTrace is also handed here, as
  // formatted (line breaks kept, no line end added), also while the log is switched off.
  void (*statusSink)(const char* message) = nullptr;
};

// Replaces the process's configuration (call it from a global object's constructor).
void SetDeliverableConfig(const DeliverableConfig& config);
// A study library's configuration: the library variant, the folder below which its logs go
// (null: the host program's folder) and its log name. Each library calls it from a global
// object, so that it is in place before the host's first call.
void SetStudyLibraryConfig(const char* logBaseDir, const char* logName);
// The configuration in force.
const DeliverableConfig& GetDeliverableConfig();
// Shorthand for GetDeliverableConfig().variant == DeliverableVariant::Program.
bool IsProgramVariant();
