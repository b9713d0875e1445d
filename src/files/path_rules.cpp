// Path rules that need no system call: relative or absolute, drive roots, names of one plain
// entry, backslash runs, lower-casing, and resolution against a directory.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/ascii.h"
#include "core/codepage.h"
#include "files/paths.h"

namespace quorv {
namespace {

const PathCodePage kFileCodePage{&fileCpToWide, &wideToFileCp};

// Converts the path to wide text, lets `change` work on it and copies the result back only
// when the way back was not lossy.
template <typename Change>
void changeThroughWide(std::string& path, const PathCodePage& codePage, Change change) {
  std::u16string wide = codePage.toWide(path);
  change(wide);
  std::string back;
  if (codePage.fromWide(wide, back)) path = std::move(back);
}

bool endsWithIgnoringCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), text.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

}  // namespace

bool isRelativePath(const std::string& path) {
  if (path.size() < 3) return true;
  std::size_t start = 0;
  if (path[0] == '"') {
    if (path.size() < 4) return true;
    start = 1;
  }
  const char* p = path.c_str() + start;
  if (p[1] == ':' && p[2] == '\\') return false;  // a drive root such as c:\ .
  if (p[0] == '\\' && p[1] == '\\') return false;  // a UNC path
  return true;
}

bool isDriveRootForm(const std::string& path) {
  if (path.size() < 2) return false;
  const std::string rest = path.substr(1);
  return rest == ":\\" || rest == ":\\." || rest == ":\\.\\.";
}

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// A reserved device name (CON, NUL, COM1 and so on), which Windows finds in every directory.
// Any fourth character after COM or LPT counts, since newer systems also take superscript
// digits there.
bool isDeviceName(std::string_view base) {
  std::string upper(base);
  upperCaseAscii(upper);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
      upper == "CONOUT$" || upper == "CLOCK$") {
    return true;
  }
  return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0);
}

}  // namespace

bool namesOneEntry(const std::string& path) {
  if (path.size() < 4) return false;  // "", "c:", "c:\", "c:x" and the like
  // Longer names are refused by both look-ups alike; they are left to the search, since Wine's
  // attribute look-up reads a name of 32,768 characters or more as a shorter one.
  if (path.size() >= 260) return false;
  if (isSeparator(path[0]) && isSeparator(path[1])) return false;  // UNC, \\?\ and \\.\ paths
  if (isSeparator(path.back())) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    // Wildcards of a directory search (< > and " are the DOS forms), and a stream or drive
    // colon anywhere but after the drive letter.
    if (c == '*' || c == '?' || c == '<' || c == '>' || c == '"' || (c == ':' && i != 1)) return false;
  }
  if (path[1] == ':' && !isSeparator(path[2])) return false;  // relative to a drive's current directory
  std::size_t start = path.size();
  while (start > 0 && !isSeparator(path[start - 1])) --start;
  const std::string_view last = std::string_view(path).substr(start);
  // Windows drops trailing dots and spaces of a name; "." and ".." are caught here as well.
  if (last.back() == '.' || last.back() == ' ') return false;
  std::string_view base = last.substr(0, last.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  return !isDeviceName(base);
}

void normalizeBackslashes(std::string& path, const PathCodePage& codePage) {
  changeThroughWide(path, codePage, [](std::u16string& wide) {
    std::u16string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
      // The first two characters stay, so that a UNC path keeps its leading pair.
      if (i >= 2 && wide[i] == u'\\' && out.back() == u'\\') continue;
      out.push_back(wide[i]);
    }
    wide = std::move(out);
  });
}

void lowerCasePath(std::string& path, const PathCodePage& codePage) {
  changeThroughWide(path, codePage, [](std::u16string& wide) {
    for (char16_t& c : wide) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
  });
}

void normalizeBackslashes(std::string& path) { normalizeBackslashes(path, kFileCodePage); }

void lowerCasePath(std::string& path) { lowerCasePath(path, kFileCodePage); }

std::string resolveAgainst(const std::string& directory, const std::string& path) {
  std::string out = isRelativePath(path) ? directory + path : path;
  normalizeBackslashes(out);
  return out;
}

std::string resolveListAgainst(const std::string& directory, const std::string& list) {
  std::string out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) {
      if (!out.empty()) out += ';';
      out += resolveAgainst(directory, list.substr(start, end - start));
    }
    start = end + 1;
  }
  return out;
}

std::string jvmHomeFor(const std::string& javaExePath) {
  const std::size_t nameLength = endsWithIgnoringCase(javaExePath, "javaw.exe") ? 9 : 8;
  const std::size_t keep = javaExePath.size() > nameLength ? javaExePath.size() - nameLength : 0;
  return javaExePath.substr(0, keep) + "..";
}

}  // namespace quorv
