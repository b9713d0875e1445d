// Paths of the launcher: its own executable, resolution against its directory, the temporary
// path and the per-run temporary directory. 8-bit strings in the file code page.
#pragma once
#include <cstdint>
#include <string>

namespace quorv {

// Portable rules (path_rules.cpp).
// The conversions between 8-bit paths and wide text that the rules below go through; the plain
// overloads use the file code page of codepage.h.
struct PathCodePage {
  std::u16string (*toWide)(const std::string& text);
  bool (*fromWide)(const std::u16string& text, std::string& out);  // false when lossy
};

bool isRelativePath(const std::string& path);
// True for "X:\", "X:\." and "X:\.\." forms: a drive root needs no look-up.
bool isDriveRootForm(const std::string& path);
// True when the path names one file or directory by its full name: no wildcards, no stream, no
// device name, no trailing separator, dot or space, not a UNC or device path, not relative to a
// drive's current directory. For such a path, a look-up of its attributes answers what a
// directory search for it would.
bool namesOneEntry(const std::string& path);
void normalizeBackslashes(std::string& path);  // unchanged when the round trip is lossy
void lowerCasePath(std::string& path);         // A-Z only; unchanged when lossy
void normalizeBackslashes(std::string& path, const PathCodePage& codePage);
void lowerCasePath(std::string& path, const PathCodePage& codePage);
// resolvePath's rule: a relative path is put behind `directory` (which ends in a backslash),
// then backslash runs are collapsed.
std::string resolveAgainst(const std::string& directory, const std::string& path);
// resolvePathList's rule over a ";"-separated list, empty pieces dropped.
std::string resolveListAgainst(const std::string& directory, const std::string& list);
// The JVM home of a Java executable: its path less the file name ("javaw.exe" or "java.exe"),
// keeping the backslash before it, followed by "..".
std::string jvmHomeFor(const std::string& javaExePath);

// System side (paths_win.cpp).
bool fileExists(const std::string& path);
bool getFileWriteTime(const std::string& path, uint64_t* writeTime = nullptr);
const std::string& getExecutablePath();
const std::string& executableDirectory();  // ends in a backslash
// `baseFile` (may be null): a relative path is taken relative to that file's directory.
std::string resolvePath(const std::string& path, const std::string* baseFile = nullptr);
std::string resolveFullPath(const std::string& path, bool keepCase);
std::string resolvePathList(const std::string& list);
// Where a file that the service writes (an application log, the worker log) lies, as the run
// takes it: a relative path from the executable's directory, "." and ".." resolved
// (resolveFullPath keeping the case). The service's install prepares the directories of exactly
// these paths. Unchanged when empty or when it still holds a reference that did not expand ("$").
std::string resolveWrittenFile(const std::string& file);
std::string getTempPath();  // ends the process with key 1015 when nothing is usable
bool isWritableDirectory(const std::string& directory);
std::string createTempFile();
// Creates the file (empty, private, exclusively) before it returns the name; see paths_win.cpp.
std::string getProcessCommFileName(uint32_t processId);
void removeProcessCommFile();  // the file getProcessCommFileName created, if any
void createTempDirectory();  // fills tempDirectory or ends with key 1009, detail "7"

// jvmHome of core/globals.h, written by LoadDLL (jvm_home.cpp, portable).
const std::string& getJvmHome();
void setJvmHome(const std::string& javaExePath);

}  // namespace quorv
