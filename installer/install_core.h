// The installation itself, shared by the Windows dialog and the POSIX console program.
//
// Rollout installs from a source folder: the fixed release folder when it exists, else the
// folder it was started in. It copies every library (extension DLL) of that folder into the
// platform's program folder unless a file of the same size is already there (through a
// temporary file beside the target, renamed over it, so that a failed copy leaves the old
// library in place; a library that is replaced is kept beside it as "<name>.dll.bak"), imports every PowerLanguage archive (extension PLA) by running the
// platform's editor on it and waiting until the editor ends, and finally opens the page or
// starts the program that the first line of "Rollout.cfg" names. Every step is reported through the trace log (category
// "Rollout", level 1), and so also in the status text.
//
// Contract: everything goes through the platform layer; nothing throws; a failed copy or
// import is logged and the run goes on. The calls block while an editor runs.
#pragma once

class CTxt;

// The fixed places of an installation; tests point them into a temporary tree.
struct InstallPlaces {
  const char* hostFolder = "C:/Program Files/TS Support/MultiCharts64";
  const char* releaseFolder = "C:\\Database\\RE_RI";
};

inline constexpr const char* kRolloutVersion = "1.2c";
inline constexpr const char* kRolloutCategory = "Rollout";

// Makes the release folder the current folder when it exists as a folder (logging
// "Switching to install folder: %s"), then takes the current folder, with forward slashes,
// as the source folder. Result 0, or -1 after logging "Cannot get current location (%d)".
int ChooseSourceFolder(const InstallPlaces& places, CTxt& source);

// The installation from source: the library phase, the archive phase and the
// after-installation action. closing receives the closing text "(<source>)", or
// "<n> of <m> libraries not copied (<source>)" when copies failed. Result 0, -1 the
// platform's folder is missing, -3 a library could not be copied, -2 the editor is missing
// (-2 wins over the others).
int RunInstallation(const InstallPlaces& places, const char* source, CTxt& closing);

// RunInstallation followed by its final line, "Installation completed successfully: %s"
// or "Installation completed(%d): %s". Result the installation's result.
int InstallAndReport(const InstallPlaces& places, const char* source);
