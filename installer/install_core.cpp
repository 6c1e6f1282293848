// The installation (see install_core.h): listing, library copies, archive imports through
// the platform's editor, and the after-installation action of "Rollout.cfg".
#include "installer/install_core.h"

#include <cerrno>
#include <cstring>

#include "common/lists/txt_array.h"
#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/settings/processes.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

constexpr const char* kIndent = "  ";

bool ExtensionIs(const CTxt& path, const char* ext) {
  CTxt found;
  path.GetFileTxt(3, found);
  return CompareNoCase(found, ext, 1) == 0;
}

CTxt NameOf(const CTxt& path) {
  CTxt name;
  path.GetFileTxt(5, name);
  return name;
}

// Copies source over target without ever leaving a half-written target: the data goes to
// "<target>.partial" beside it first, which is then renamed over the target in one step.
// A library that is replaced is first kept as "<target>.bak" (logged), so that the user can
// go back to it. When a step fails, the partial file is removed, the old target stays as it
// was (a library the platform has loaded cannot be replaced on Windows) and errorText gets
// the system's text for the call that failed. Result 0, CopyFileData's negative result (-2
// also for a read-only target), -8 when the rename fails, or -9 when the old library
// cannot be kept.
int CopyIntoPlace(const CTxt& source, const CTxt& target, CTxt& errorText) {
  Platform& platform = Platform::Default();
  // A target that is there but may not be written (read-only) is left alone, as a copy
  // straight onto it would be refused (-2, it cannot be removed): a rename could replace it.
  const bool replacing = platform.FileAccess(target, 0) == 0;
  if (replacing && platform.FileAccess(target, 2) != 0) {
    errorText = std::strerror(errno);
    return -2;
  }
  CTxt partial, kept;
  partial.Format("%s.partial", static_cast<const char*>(target));
  kept.Format("%s.bak", static_cast<const char*>(target));
  // Only a file is kept: anything else in the library's place is no library.
  const bool keep = replacing && IsRegularFile(target, 0) == 1;
  int result = CopyFileData(source, partial);
  if (result != 0) {
    errorText = std::strerror(errno);
  } else if (keep && CopyFileData(target, kept) != 0) {
    errorText = std::strerror(errno);
    result = -9;
  } else {
    if (keep) {
      LogTrace(kRolloutCategory, 1, "Kept replaced DLL module:\r\n%s%s ->\r\n%s%s", kIndent,
               static_cast<const char*>(target), kIndent, static_cast<const char*>(kept));
    }
    if (platform.RenameFile(partial, target) != 0) {
      // The rename reports through the platform's last error (the system's own error code
      // on Windows), not through the runtime's errno.
      errorText = platform.ErrorText(platform.LastError()).c_str();
      result = -8;
    }
  }
  if (result != 0) platform.RemoveFile(partial);
  return result;
}

// What the library phase did: libraries listed, and those of them that could not be copied.
struct LibraryCount {
  int listed = 0;
  int failed = 0;
};

// Copies each listed library into the platform's folder unless a file of the same size is
// there already. A failed copy is reported and counted, and the next file follows.
LibraryCount SynchronizeLibraries(const char* hostFolder, const CTxtArray& files) {
  LibraryCount count;
  for (int i = 0; i < files.GetSize(); ++i) {
    const CTxt& source = *files.GetAt(i);
    if (!ExtensionIs(source, "DLL")) continue;
    ++count.listed;
    CTxt target;
    target.Format("%s/%s", hostFolder, static_cast<const char*>(NameOf(source)));
    const long long size = FileSizeOf(source);
    if (FileSizeOf(target) == size) {
      LogTrace(kRolloutCategory, 1, "Found installed DLL module(%lld):\r\n%s%s ->\r\n%s%s (%d)",
               size, kIndent, static_cast<const char*>(source), kIndent,
               static_cast<const char*>(target), 0);
      continue;
    }
    CTxt errorText;
    const int copied = CopyIntoPlace(source, target, errorText);
    if (copied == 0) {
      LogTrace(kRolloutCategory, 1, "Synchronized DLL module:\r\n%s%s ->\r\n%s%s (%d)", kIndent,
               static_cast<const char*>(source), kIndent, static_cast<const char*>(target),
               copied);
    } else {
      ++count.failed;
      LogTrace(kRolloutCategory, 1,
               "Error synchronizing DLL module:\r\n%s%s ->\r\n%s%s\r\n%sError(%d): %s)", kIndent,
               static_cast<const char*>(source), kIndent, static_cast<const char*>(target),
               kIndent, copied, static_cast<const char*>(errorText));
    }
  }
  return count;
}

// Imports each listed archive with the platform's editor, one at a time, waiting for the
// editor to end. The editor and the archive are quoted: the platform's folder always holds
// blanks, and the editor must get the archive as its one argument.
void ImportArchives(const char* editor, const CTxtArray& files) {
  const bool windowsPaths = Platform::Default().PathsIgnoreCase();
  for (int i = 0; i < files.GetSize(); ++i) {
    CTxt archive = *files.GetAt(i);
    if (!ExtensionIs(archive, "PLA")) continue;
    // The editor is a Windows program and wants backslashes; a POSIX path keeps its slashes.
    if (windowsPaths) archive.Replace('/', '\\');
    LogTrace(kRolloutCategory, 1, "Installing Logic Module: %s (Click on File/Exit when completed)",
             static_cast<const char*>(NameOf(archive)));
    CTxt command;
    command.Format("<!\"%s\" \"%s\"", editor, static_cast<const char*>(archive));
    const int result = LaunchFile(command, 0);
    if (result == 0) {
      LogTrace(kRolloutCategory, 1, "Installed PLA module:\r\n%s%s (%d)", kIndent,
               static_cast<const char*>(archive), result);
    } else {
      LogTrace(kRolloutCategory, 1, "Error during installing PLA module:\r\n%s%s (%d)", kIndent,
               static_cast<const char*>(archive), result);
    }
  }
}

// Opens the page or starts the program that the first line of "Rollout.cfg" names.
void AfterInstallation(const char* source) {
  CTxt path;
  path.Format("%s/Rollout.cfg", source);
  CTxtArray lines;
  CTxt message;
  if (lines.LoadFromFile(path, message) < 1) return;
  CTxt target = lines.GetAtTxt(0);
  target.Trim();
  if (target.IsEmpty()) return;  // a blank first line names nothing
  CTxt ext;
  target.GetFileTxt(3, ext);
  if (ext.IsEmpty() || CompareNoCase(ext, "HTM", 1) == 0) {
    LogTrace(kRolloutCategory, 1, "Opening App Page: %s", static_cast<const char*>(target));
    OpenInBrowser(target, 0);
  } else if (CompareNoCase(ext, "EXE", 1) == 0) {
    LogTrace(kRolloutCategory, 1, "Opening App: %s", static_cast<const char*>(target));
    LaunchFile(target, 1);
  }
}

}  // namespace

int ChooseSourceFolder(const InstallPlaces& places, CTxt& source) {
  Platform& platform = Platform::Default();
  if (IsDirectory(places.releaseFolder) == 1) {
    LogTrace(kRolloutCategory, 1, "Switching to install folder: %s", places.releaseFolder);
    platform.SetCurrentDir(places.releaseFolder);
  }
  std::string current = platform.CurrentDir();
  if (current.empty()) {
    LogTrace(kRolloutCategory, 1, "Cannot get current location (%lu)", platform.LastError());
    source.Empty();
    return -1;
  }
  source = current.c_str();
  source.Replace('\\', '/');
  return 0;
}

int RunInstallation(const InstallPlaces& places, const char* source, CTxt& closing) {
  int result = 0;
  CTxtArray files;
  files.SetListStyle(kListPath);
  files.LoadFromDir(source, 0, 1, nullptr);
  LogTrace(kRolloutCategory, 1, "Starting Installation from: %s (%d Files)", source,
           files.GetSize());

  LibraryCount libraries;
  if (IsDirectory(places.hostFolder) != 1) {
    LogTrace(kRolloutCategory, 1, "Cannot find MultiChart 64 Home Folder (%s)", places.hostFolder);
    result = -1;
  } else {
    libraries = SynchronizeLibraries(places.hostFolder, files);
    // A library left out makes the installation incomplete, whatever else went well.
    if (libraries.failed > 0) result = -3;
  }

  CTxt editor;
  editor.Format("%s/PLEditor.exe", places.hostFolder);
  if (IsRegularFile(editor, 4) != 1) {
    closing.Format("Cannot find MultiChart 64 Logic Importer (%s)", static_cast<const char*>(editor));
    LogTrace(kRolloutCategory, 1, "%s", static_cast<const char*>(closing));
    result = -2;
  } else {
    ImportArchives(editor, files);
  }

  AfterInstallation(source);
  if (libraries.failed > 0) {
    closing.Format("%d of %d libraries not copied (%s)", libraries.failed, libraries.listed,
                   source);
  } else {
    closing.Format("(%s)", source);
  }
  return result;
}

int InstallAndReport(const InstallPlaces& places, const char* source) {
  CTxt closing;
  const int result = RunInstallation(places, source ? source : "", closing);
  if (result != 0) {
    LogTrace(kRolloutCategory, 1, "Installation completed(%d): %s", result,
             static_cast<const char*>(closing));
  } else {
    LogTrace(kRolloutCategory, 1, "Installation completed successfully: %s",
             static_cast<const char*>(closing));
  }
  return result;
}
