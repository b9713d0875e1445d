#include "core/ascii.h"
#include "launch/shared_temp.h"
#include "service/log_dirs.h"

namespace quorv {
namespace {

std::string withoutTrailingBackslashes(std::string path) {
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

// Where the part below the root begins: after "C:\" or after "\\server\share\"; npos for any
// other form.
std::size_t belowRoot(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos || server == 2) return std::string::npos;
    const std::size_t share = path.find('\\', server + 1);
    if (share == std::string::npos || share == server + 1) return std::string::npos;
    return share + 1;
  }
  return std::string::npos;
}

}  // namespace

std::vector<WrittenDirectory> writtenDirectoriesOf(const std::vector<WrittenFile>& files) {
  std::vector<WrittenDirectory> directories;
  for (const WrittenFile& file : files) {
    if (file.path.empty() || file.path.find_first_of("$%") != std::string::npos) continue;
    const std::size_t last = file.path.find_last_of('\\');
    if (last == std::string::npos) continue;
    std::string directory = withoutTrailingBackslashes(file.path.substr(0, last));
    if (directory.size() <= 2) continue;  // "C:" or nothing: a drive root is never prepared
    bool seen = false;
    for (WrittenDirectory& earlier : directories) {
      if (!sameAsciiIgnoringCase(earlier.directory, directory)) continue;
      earlier.settings += ", " + file.setting;
      seen = true;
    }
    if (!seen) directories.push_back({std::move(directory), file.setting});
  }
  return directories;
}

bool holdsExecutable(const std::string& directory, const std::string& executableDirectory) {
  const std::string held = withoutTrailingBackslashes(directory) + "\\";
  const std::string own = withoutTrailingBackslashes(executableDirectory) + "\\";
  return held.size() <= own.size() && sameAsciiIgnoringCase(own.substr(0, held.size()), held);
}

std::vector<std::string> directoryChain(const std::string& directory) {
  std::vector<std::string> chain;
  const std::string path = withoutTrailingBackslashes(directory);
  const std::size_t start = belowRoot(path);
  if (start == std::string::npos || start >= path.size()) return chain;
  for (std::size_t at = path.find('\\', start); at != std::string::npos; at = path.find('\\', at + 1)) {
    if (at > 0 && path[at - 1] != '\\') chain.push_back(path.substr(0, at));
  }
  chain.push_back(path);
  return chain;
}

std::string sharedWriteLocation(const std::string& path) {
  const std::string_view temp = sharedTempReference(path);
  if (!temp.empty()) return "the shared temporary directory (" + std::string(temp) + ")";
  auto startsWith = [&](const std::string& prefix) {
    return path.size() >= prefix.size() && sameAsciiIgnoringCase(path.substr(0, prefix.size()), prefix);
  };
  for (const char* shared : {"%ProgramData%", "${ProgramData}", "%ALLUSERSPROFILE%", "${ALLUSERSPROFILE}"}) {
    if (startsWith(shared)) return "C:\\ProgramData (" + std::string(shared) + ")";
  }
  for (const char* shared : {"%PUBLIC%", "${PUBLIC}"}) {
    if (startsWith(shared)) return "the public profile (" + std::string(shared) + ")";
  }
  // An absolute path "X:\folder\...\file": the folder is what the rule looks at.
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return std::string();
  const std::size_t end = path.find('\\', 3);
  if (end == std::string::npos) return std::string();  // a file directly in the root: no folder to prepare
  const std::string folder = path.substr(3, end - 3);
  if (sameAsciiIgnoringCase(folder, "ProgramData")) return path.substr(0, end);
  if (sameAsciiIgnoringCase(folder, "Users")) {
    const std::size_t user = path.find('\\', end + 1);
    if (user != std::string::npos && sameAsciiIgnoringCase(path.substr(end + 1, user - end - 1), "Public")) {
      return "the public profile (" + path.substr(0, user) + ")";
    }
    return std::string();
  }
  for (const char* system : {"Windows", "Program Files", "Program Files (x86)"}) {
    if (sameAsciiIgnoringCase(folder, system)) return std::string();
  }
  return "a folder directly in the drive root (" + path.substr(0, end) + ")";
}

bool trustedOwner(const std::string& ownerSid, const std::vector<std::string>& installing) {
  static const char* const kSystemOwners[] = {
      "S-1-5-18",      // LocalSystem
      "S-1-5-32-544",  // BUILTIN\Administrators
      "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // NT SERVICE\TrustedInstaller
  };
  if (ownerSid.empty()) return false;
  for (const char* sid : kSystemOwners)
    if (ownerSid == sid) return true;
  for (const std::string& sid : installing)
    if (ownerSid == sid) return true;
  return false;
}

}  // namespace quorv
