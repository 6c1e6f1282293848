// The installation (see install_core.h): listing, library copies, archive imports through
// the platform's editor, and the after-installation action of "Rollout.cfg".
#include "installer/install_core.h"

#include <cerrno>
#include <cstring>

#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/settings/processes.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "common/text/txt_array.h"

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
// When the copy or the rename fails, the partial file is removed and the old target stays
// as it was (a library the platform has loaded cannot be replaced on Windows). Result 0,
// CopyFileData's negative result (-2 also for a read-only target), or -8 when the rename
// fails.
int CopyIntoPlace(const CTxt& source, const CTxt& target) {
  Platform& platform = Platform::Default();
  // A target that is there but may not be written (read-only) is left alone, as a copy
  // straight onto it would be refused (-2, it cannot be removed): a rename could replace it.
  if (platform.FileAccess(target, 0) == 0 && platform.FileAccess(target, 2) != 0) return -2;
  CTxt partial;
  partial.Format("%s.partial", static_cast<const char*>(target));
  int result = CopyFileData(source, partial);
  if (result == 0 && platform.RenameFile(partial, target) != 0) result = -8;
  if (result != 0) {
    const int saved = errno;
    platform.RemoveFile(partial);
    errno = saved;
  }
  return result;
}

// Copies each listed library into the platform's folder unless a file of the same size is
// there already. A failed copy is reported and the next file follows.
void SynchronizeLibraries(const char* hostFolder, const CTxtArray& files) {
  for (int i = 0; i < files.GetSize(); ++i) {
    const CTxt& source = *files.GetAt(i);
    if (!ExtensionIs(source, "DLL")) continue;
    CTxt target;
    target.Format("%s/%s", hostFolder, static_cast<const char*>(NameOf(source)));
    const long long size = FileSizeOf(source);
    if (FileSizeOf(target) == size) {
      LogTrace(kRolloutCategory, 1, "Found installed DLL module(%lld):\r\n%s%s ->\r\n%s%s (%d)",
               size, kIndent, static_cast<const char*>(source), kIndent,
               static_cast<const char*>(target), 0);
      continue;
    }
    errno = 0;
    const int copied = CopyIntoPlace(source, target);
    if (copied == 0) {
      LogTrace(kRolloutCategory, 1, "Synchronized DLL module:\r\n%s%s ->\r\n%s%s (%d)", kIndent,
               static_cast<const char*>(source), kIndent, static_cast<const char*>(target),
               copied);
    } else {
      LogTrace(kRolloutCategory, 1,
               "Error synchronizing DLL module:\r\n%s%s ->\r\n%s%s\r\n%sError(%d): %s)", kIndent,
               static_cast<const char*>(source), kIndent, static_cast<const char*>(target),
               kIndent, copied, std::strerror(errno));
    }
  }
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

  if (IsDirectory(places.hostFolder) != 1) {
    LogTrace(kRolloutCategory, 1, "Cannot find MultiChart 64 Home Folder (%s)", places.hostFolder);
    result = -1;
  } else {
    SynchronizeLibraries(places.hostFolder, files);
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
  closing.Format("(%s)", source);
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
