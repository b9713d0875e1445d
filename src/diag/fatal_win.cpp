// Showing messages and ending a failing process: message box or standard error (and, in a
// service, the Application event log), then the temporary directory is emptied and removed and
// the process ends.
#include <windows.h>

#include <cstdio>

#include "core/globals.h"
#include "core/handle_win.h"
#include "core/user32_win.h"
#include "diag/event_log_win.h"
#include "diag/fatal.h"
#include "diag/log.h"

namespace quorv {
namespace {

// What steps above registered for exitLauncher to do.
constexpr std::size_t kExitCleanups = 8;
void (*exitCleanups[kExitCleanups])() = {};
std::size_t exitCleanupCount = 0;

// A message box needs a desktop someone can see. A service runs on a window station that is
// not visible, where a box would wait forever for a click; there the text goes to standard
// error instead.
// Session 0 holds the services; its desktop is not shown to anyone, even for a service that may
// interact with the desktop, so a box there is as invisible as on a hidden station.
bool canShowMessageBox(const User32& u) {
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return false;
  USEROBJECTFLAGS flags{};
  HWINSTA station = u.processWindowStation();
  if (station == nullptr) return false;
  if (!u.userObjectInformation(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

void showMessage(const std::string& text) {
  std::string composed = text;
  if (auto path = getLogPath()) {
    std::string longPath(8192, '\0');
    DWORD n = GetLongPathNameA(path->c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (n > longPath.size()) {
      longPath.assign(n, '\0');
      n = GetLongPathNameA(path->c_str(), longPath.data(), n);
    }
    if (n == 0 || n >= longPath.size()) longPath = *path;
    else longPath.resize(n);
    composed = composeMessage(text, &longPath);
  }
  reportEvent(EventType::Error, composed);
  // The log keeps the text too, wherever it is shown (standard error may go nowhere).
  if (getLogPath()) logMessage("message: %s", composed.c_str());
  const User32* u = useMessageBox ? user32() : nullptr;
  if (u != nullptr && canShowMessageBox(*u)) {
    const std::string caption = messageCaption != nullptr ? messageCaption() : std::string();
    u->messageBox(nullptr, composed.c_str(), caption.c_str(), MB_ICONERROR);
  } else {
    std::fprintf(stderr, "%s\n", composed.c_str());
    std::fflush(stderr);
  }
}

void atLauncherExit(void (*cleanup)()) {
  if (exitCleanupCount < kExitCleanups) exitCleanups[exitCleanupCount++] = cleanup;
}

void exitLauncher(int code) {
  if (!tempDirectory.empty()) removeTemporaryDirectory(tempDirectory);
  for (std::size_t i = 0; i < exitCleanupCount; ++i) exitCleanups[i]();
  std::fflush(stdout);
  std::fflush(stderr);
  ExitProcess(static_cast<UINT>(code));
}

void removeTemporaryDirectory(const std::string& directory) {
  emptyDirectory(directory, true);
  RemoveDirectoryA(directory.c_str());
}

// Never follows a reparse point (a junction, a directory or file symbolic link, a mount point):
// such an entry is removed as the link it is, and what it points to is left alone. A clean-up
// that runs as LocalSystem would otherwise delete the files of whatever folder a link names.
// A directory that is itself a reparse point is not emptied either; the caller's
// RemoveDirectoryA then removes the link.
void emptyDirectory(const std::string& directory, bool recurse) {
  if (directory.empty() || directory[0] == '.') return;
  logMessage("emptying %s", directory.c_str());
  const DWORD own = GetFileAttributesA(directory.c_str());
  if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return;
  const std::string base = directory.back() == '\\' ? directory : directory + "\\";
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((base + "*.*").c_str(), &entry));
  if (!search) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = base + name;
    const bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      logMessage("attempting to remove %s (%d)", path.c_str(), recurse ? 1 : 0);
      if (recurse && !link) emptyDirectory(path, false);
      RemoveDirectoryA(path.c_str());
    } else {
      logMessage("attempting to delete %s", path.c_str());
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(search.get(), &entry));
}

}  // namespace quorv
