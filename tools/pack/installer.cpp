// The [installer] table: its rules, its files, and the package description built from it.
#include "installer.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <random>

#include "config/keys.h"
#include "file_io.h"
#include "core/ascii.h"
#include "service/account.h"
#include "text_codec.h"

namespace fs = std::filesystem;

namespace quorv::pack {
namespace {

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::vector<std::string_view> splitOn(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find_first_of(separators, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// What Windows refuses in one name of a path (a directory or a file), or empty.
std::string nameFault(std::string_view name) {
  if (name.empty()) return "an empty name";
  if (name == "." || name == "..") return "\".\" or \"..\"";
  for (char ch : name) {
    if (static_cast<unsigned char>(ch) < 0x20 || std::string_view("<>:\"|?*").find(ch) != std::string_view::npos)
      return std::string("the character '") + (static_cast<unsigned char>(ch) < 0x20 ? '?' : ch) +
             "', which a Windows name cannot hold";
  }
  if (name.back() == '.' || name.back() == ' ') return "a name that ends in a dot or a blank";
  return "";
}

// The names of a relative path of directories; "" has none.
std::string relativePathFault(std::string_view text, bool emptyAllowed) {
  if (text.empty()) return emptyAllowed ? "" : "an empty path";
  if (text.front() == '\\' || text.front() == '/' || (text.size() > 1 && text[1] == ':'))
    return "not a relative path";
  for (std::string_view part : splitOn(text, "\\/"))
    if (std::string fault = nameFault(part); !fault.empty()) return fault;
  return "";
}

std::string backslashed(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

// A name pattern with * (any run) and ? (one character), compared as Windows compares names.
bool matchesPattern(std::string_view pattern, std::string_view name) {
  if (pattern.empty()) return name.empty();
  if (pattern.front() == '*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip)
      if (matchesPattern(pattern.substr(1), name.substr(skip))) return true;
    return false;
  }
  if (name.empty()) return false;
  if (pattern.front() != '?' && upperAscii(pattern.front()) != upperAscii(name.front())) return false;
  return matchesPattern(pattern.substr(1), name.substr(1));
}

std::string utf8Name(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path pathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string joined(const std::string& directory, const std::string& name) {
  return directory.empty() ? name : directory + "\\" + name;
}

std::string textOf(const PackConfig& config, int key) {
  auto it = config.strings.find(key);
  return it == config.strings.end() ? std::string() : latin1ToUtf8(it->second);
}

}  // namespace

std::optional<std::string> canonicalGuid(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  std::string out = "{";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !isHex(text[i])) return std::nullopt;
    out += upperAscii(text[i]);
  }
  return out + "}";
}

std::string newGuid() {
  std::random_device random;
  unsigned char bytes[16];
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4: random
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  static const char* const kDigits = "0123456789ABCDEF";
  std::string out = "{";
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
  }
  return out + "}";
}

std::string installerVersionFault(std::string_view text) {
  const std::vector<std::string_view> fields = splitOn(text, ".");
  if (fields.size() < 2 || fields.size() > 4) return "not two to four numbers joined with dots";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string_view field = fields[i];
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || field.size() > 5 || error != std::errc() || end != field.data() + field.size())
      return "\"" + std::string(field) + "\" is not a number";
    const unsigned long most = i < 2 ? 255 : 65535;
    if (value > most) {
      return std::string(i == 0 ? "the major" : i == 1 ? "the minor" : i == 2 ? "the build" : "the fourth") +
             " number is above " + std::to_string(most);
    }
  }
  return "";
}

std::string installDirectoryFault(std::string_view text) { return relativePathFault(text, false); }

std::string exeNameFault(std::string_view text) {
  if (std::string fault = nameFault(text); !fault.empty()) return fault;
  if (text.find_first_of("\\/") != std::string_view::npos) return "a path, not a file name";
  if (text.size() <= 4 || !sameAsciiIgnoringCase(text.substr(text.size() - 4), ".exe")) return "no .exe name";
  return "";
}

std::string installTargetFault(std::string_view text) { return relativePathFault(text, true); }

std::string installerEntriesText(const std::vector<InstallerEntry>& entries) {
  std::string text;
  for (const InstallerEntry& entry : entries) text += (text.empty() ? "" : "\n") + entry.source + "\t" + entry.target;
  return text;
}

std::optional<std::vector<InstallerEntry>> installerEntriesOf(std::string_view text) {
  std::vector<InstallerEntry> entries;
  if (text.empty()) return entries;
  for (std::string_view line : splitOn(text, "\n")) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0 || line.find('\t', tab + 1) != std::string_view::npos)
      return std::nullopt;
    entries.push_back({std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))});
  }
  return entries;
}

std::vector<PackageFile> expandInstallerEntry(const InstallerEntry& entry, const fs::path& base, std::string& fault) {
  std::vector<PackageFile> files;
  fault.clear();
  fs::path source = pathOf(entry.source);
  if (source.is_relative()) source = base / source;
  const std::string target = backslashed(entry.target);
  std::error_code ec;
  const std::string pattern = utf8Name(source.filename());
  if (pattern.find_first_of("*?") != std::string::npos) {
    const fs::path directory = source.parent_path();
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = utf8Name(it->path().filename());
      if (it->is_regular_file(ec) && matchesPattern(pattern, name)) files.push_back({it->path(), joined(target, name)});
    }
    if (files.empty()) fault = "no file matches " + displayPath(source);
  } else if (fs::is_directory(source, ec)) {
    for (fs::recursive_directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      std::string relative = utf8Name(it->path().lexically_relative(source));
      files.push_back({it->path(), joined(target, backslashed(relative))});
    }
    if (ec) fault = "cannot read the directory " + displayPath(source) + ": " + ec.message();
  } else if (fs::is_regular_file(source, ec)) {
    files.push_back({source, joined(target, utf8Name(source.filename()))});
  } else {
    fault = "source not found: " + displayPath(source);
  }
  // The same order on every machine, so that the same files give the same package.
  std::sort(files.begin(), files.end(), [](const PackageFile& a, const PackageFile& b) { return a.target < b.target; });
  return files;
}

PackageSpec packageSpec(const PackConfig& config, const fs::path& base, const fs::path& exe, const std::string& file,
                        std::vector<Problem>& problems) {
  auto problem = [&](const std::string& key, const std::string& message, const std::string& hint) {
    problems.push_back(Problem{file, 0, key, message, hint});
  };
  PackageSpec spec;
  spec.serviceName = textOf(config, key::ServiceName);
  if (spec.serviceName.empty()) problem("service.name", "the package needs the service's name", "set service.name");
  const std::optional<std::string> upgrade = canonicalGuid(textOf(config, key::InstallerUpgradeCode));
  if (!upgrade) {
    problem("installer.upgrade-code", "the package needs an upgrade code",
            "a GUID that stays the same for every version, such as " + newGuid());
  }
  spec.upgradeCode = upgrade.value_or("");

  auto versionString = [&](const char* path) {
    auto it = config.executable.versionStrings.find(path);
    return it == config.executable.versionStrings.end() ? std::string() : utf16ToUtf8(it->second);
  };
  spec.version = textOf(config, key::InstallerVersion);
  const char* from = "installer.version";
  for (const char* path : {"version.product-version", "version.file-version"}) {
    if (!spec.version.empty()) break;
    spec.version = versionString(path);
    from = path;
  }
  if (spec.version.empty()) {
    problem("installer.version", "the package needs a version", "set installer.version or version.product-version");
  } else if (std::string fault = installerVersionFault(spec.version); !fault.empty()) {
    problem(from, "\"" + spec.version + "\" is no installer version: " + fault,
            "set installer.version to numbers such as 1.2.3 (major and minor at most 255)");
  }
  spec.manufacturer = textOf(config, key::InstallerManufacturer);
  if (spec.manufacturer.empty()) spec.manufacturer = versionString("version.company");
  if (spec.manufacturer.empty()) spec.manufacturer = spec.serviceName;
  spec.productName = versionString("version.product");
  if (spec.productName.empty()) spec.productName = spec.serviceName;

  std::string directory = textOf(config, key::InstallerDirectory);
  if (directory.empty()) directory = spec.serviceName;
  if (std::string fault = installDirectoryFault(directory); !directory.empty() && !fault.empty()) {
    problem("installer.directory", "\"" + directory + "\": " + fault, "set installer.directory to a folder name");
  }
  const std::string directoryPath = backslashed(directory);
  for (std::string_view part : splitOn(directoryPath, "\\")) spec.directory.emplace_back(part);
  spec.exeName = textOf(config, key::InstallerExeName);
  if (spec.exeName.empty()) spec.exeName = spec.serviceName + ".exe";
  if (std::string fault = exeNameFault(spec.exeName); !spec.serviceName.empty() && !fault.empty()) {
    problem("installer.exe-name", "\"" + spec.exeName + "\": " + fault, "set installer.exe-name, such as \"app.exe\"");
  }
  spec.exeSource = exe;

  auto description = config.wide.find(key::ServiceDescription);
  if (description != config.wide.end()) spec.description = utf16ToUtf8(description->second);
  const std::string kind = textOf(config, key::LauncherKind);
  spec.autoStart = kind == std::to_string(key::KindAutoInstall);
  const std::optional<ServiceAccount> account =
      serviceAccountOf(config.strings.count(key::ServiceAccount) ? config.strings.at(key::ServiceAccount) : "",
                       config.strings.count(key::ServiceName) ? config.strings.at(key::ServiceName) : "");
  if (account) {
    spec.account = latin1ToUtf8(account->name);
    spec.password = needsPassword(account->kind);
    spec.interactive = account->kind == AccountKind::LocalSystem;
  }
  const std::string dependencies = textOf(config, key::Dependencies);
  for (std::string_view name : splitOn(dependencies, ","))
    if (!name.empty()) spec.dependencies.emplace_back(name);

  const std::optional<std::vector<InstallerEntry>> entries =
      installerEntriesOf(config.strings.count(key::InstallerFiles) ? config.strings.at(key::InstallerFiles) : "");
  std::map<std::string, std::string> seen;  // upper-cased target -> source
  std::string exeTarget = spec.exeName;
  upperCaseAscii(exeTarget);
  seen[exeTarget] = "the service executable";
  for (const InstallerEntry& raw : entries.value_or(std::vector<InstallerEntry>())) {
    const InstallerEntry entry{latin1ToUtf8(raw.source), latin1ToUtf8(raw.target)};
    std::string fault;
    for (PackageFile& found : expandInstallerEntry(entry, base, fault)) {
      std::string upper = found.target;
      upperCaseAscii(upper);
      for (std::string_view part : splitOn(found.target, "\\"))
        if (std::string nameProblem = nameFault(part); !nameProblem.empty() && fault.empty())
          fault = "\"" + found.target + "\" holds " + nameProblem;
      // The package's code page is Windows-1252: its names keep to Latin-1.
      if (!utf8ToLatin1(found.target) && fault.empty()) fault = "\"" + found.target + "\" is not a Latin-1 name";
      if (auto [it, fresh] = seen.emplace(upper, entry.source); !fresh) {
        problem("installer.files", "\"" + found.target + "\" is installed twice (from " + it->second + " and " +
                                       entry.source + ")",
                "give each file its own target");
        continue;
      }
      spec.files.push_back(std::move(found));
    }
    if (!fault.empty()) problem("installer.files", fault, "sources are relative to the configuration file");
  }
  return spec;
}

}  // namespace quorv::pack
