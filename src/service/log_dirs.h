// The directories that a service writes its logs into: which they are, and what the install may
// do with them. An account other than LocalSystem gets modify rights there, so that it can
// write; no such right may ever reach the directory of the executable, its jars and its
// .vmoptions, nor a directory that someone else can swap for a link.
#pragma once
#include <string>
#include <vector>

namespace quorv {

// A file that the service writes, with the setting that names it: its path as the run resolves
// it (files/paths.h resolveWrittenFile).
struct WrittenFile {
  std::string setting;
  std::string path;
};

// A directory to prepare, with the settings whose files lie in it ("app.output-log, app.error-log").
struct WrittenDirectory {
  std::string directory;
  std::string settings;
};

// The directories of the files, in the order given, each once (compared without regard to ASCII
// case). Empty paths, paths that still hold a variable reference ("$" or "%"), and files without
// a directory part above a drive root give nothing.
std::vector<WrittenDirectory> writtenDirectoriesOf(const std::vector<WrittenFile>& files);

// True when `directory` is the executable's directory (`executableDirectory`, which may end in a
// backslash) or one above it: widening it would let the account replace what the service runs.
bool holdsExecutable(const std::string& directory, const std::string& executableDirectory);

// The directories from the top down that lead to `directory`, itself last, below its root (a
// drive "C:\" or a share "\\server\share\"); nothing for a root or a path of another form.
std::vector<std::string> directoryChain(const std::string& directory);

// The owners whose existing directories the install takes as they are: SYSTEM, the
// Administrators group, TrustedInstaller, and the SIDs of the installing user (`installing`).
// Anyone else could swap the directory, or one below it, for a link after the install.
bool trustedOwner(const std::string& ownerSid, const std::vector<std::string>& installing);

// Where a configured log path lies in a place that other users may write to by default: the
// shared temporary directory, C:\ProgramData (or %ProgramData%, %ALLUSERSPROFILE%), the public
// profile (C:\Users\Public, %PUBLIC%), or a folder directly in a drive root other than the
// Windows and Program Files folders (where every authenticated user may create folders). A few
// words that say which, for the packer's warning; empty for any other path, a relative one
// included (it lies below the executable's directory).
std::string sharedWriteLocation(const std::string& path);

}  // namespace quorv
