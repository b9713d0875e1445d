// A packed launcher's block printed back as a configuration file. Every key is printed under its
// setting's name when the setting would write exactly the stored text again; everything else goes
// to [strings] or [wide], so that building from the output gives the same entries.
#include "dump_config.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "installer.h"
#include "parse_config.h"
#include "config/keys.h"
#include "core/duration.h"
#include "service/account.h"
#include "service/readiness.h"
#include "service/restart_policy.h"
#include "service/service_config.h"
#include "runtime_properties.h"
#include "settings.h"
#include "text_codec.h"
#include "version_resource.h"

namespace quorv::pack {

std::string tomlString(std::string_view utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04X", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string tomlKey(std::string_view name) {
  bool bare = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
  return bare ? std::string(name) : tomlString(name);
}

namespace {

std::string text8(const std::string& latin1) { return tomlString(latin1ToUtf8(latin1)); }

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return out;
    start = end + 1;
  }
}

bool canonicalNumber(const std::string& text) {
  if (text.empty() || text.size() > 11) return false;
  try {
    size_t used = 0;
    long long v = std::stoll(text, &used);
    return used == text.size() && std::to_string(v) == text && v >= INT32_MIN && v <= INT32_MAX;
  } catch (...) {
    return false;
  }
}

bool isRepresentablePrefix(const std::string& prefix) {
  return prefix != "default" && std::all_of(prefix.begin(), prefix.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
         });
}

struct Dump {
  std::map<int32_t, std::string> strings;  // not yet printed
  std::map<int32_t, std::u16string> wide;
  std::map<std::string, std::map<int32_t, std::u16string>> variants;  // prefix -> key -> text
  std::vector<std::string> sectionOrder;
  std::map<std::string, std::vector<std::string>> sections;  // "" is the top level
  std::vector<std::string> notes;
  std::optional<VersionInfo> version;
  std::map<const Setting*, uint64_t> runtimeProperties;  // taken off the JVM options

  void line(const std::string& section, const std::string& text) {
    if (!sections.count(section)) sectionOrder.push_back(section);
    sections[section].push_back(text);
  }
  void set(std::string_view path, const std::string& value) {
    size_t dot = path.rfind('.');
    std::string section = dot == std::string_view::npos ? "" : std::string(path.substr(0, dot));
    line(section, tomlKey(path.substr(dot == std::string_view::npos ? 0 : dot + 1)) + " = " + value);
  }
};

// A wide key with its locale variants: a string, or an inline table with "default".
std::optional<std::string> takeWide(Dump& d, int32_t key) {
  std::vector<std::pair<std::string, std::u16string>> found;
  for (auto& [prefix, entries] : d.variants) {
    auto it = entries.find(key);
    if (it != entries.end() && isRepresentablePrefix(prefix)) {
      found.emplace_back(prefix, it->second);
      entries.erase(it);
    }
  }
  auto base = d.wide.find(key);
  bool hasBase = base != d.wide.end();
  if (!hasBase && found.empty()) return std::nullopt;
  std::string baseText = hasBase ? tomlString(utf16ToUtf8(base->second)) : "";
  if (hasBase) d.wide.erase(base);
  if (found.empty()) return baseText;
  std::stable_sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first.size() < b.first.size(); });
  std::string out = "{ ";
  bool first = true;
  if (hasBase) {
    out += "default = " + baseText;
    first = false;
  }
  for (auto& [prefix, text] : found) {
    out += (first ? "" : ", ") + tomlKey(prefix) + " = " + tomlString(utf16ToUtf8(text));
    first = false;
  }
  return out + " }";
}

bool passesRule(const Setting& s, const std::string& value) {
  switch (s.rule) {
    case Rule::ServiceName: return serviceNameFault(value).empty();
    case Rule::ClassName: return isJavaClassName(value);
    case Rule::OneCharacter: return value.size() == 1;
    case Rule::Max199: return value.size() <= 199;
    case Rule::ReleaseLimit: return canonicalNumber(value) && std::stoll(value) >= 1;
    case Rule::ServiceAccount: return accountFault(value).empty();
    case Rule::Duration: return parseDuration(value).has_value();
    case Rule::WholeSeconds: return parseFailureReset(value).has_value();
    case Rule::RestartMode: return parseRestartMode(value).has_value();
    case Rule::RestartLimit: return parseRestartLimit(value).has_value();
    case Rule::ReadyTarget: {
      std::string fault;
      return parseReadyTarget(value, true, fault).has_value();
    }
    case Rule::Guid: return canonicalGuid(value).has_value();
    case Rule::InstallerVersion: return installerVersionFault(value).empty();
    case Rule::InstallDirectory: return installDirectoryFault(value).empty();
    case Rule::ExeName: return exeNameFault(value).empty();
    default: return true;
  }
}

void takeSetting(Dump& d, const Setting& s) {
  auto it = d.strings.find(s.key);
  bool present = it != d.strings.end();
  const std::string value = present ? it->second : std::string();
  auto consume = [&] { d.strings.erase(s.key); };
  switch (s.form) {
    case Form::Text:
      if (s.defaultValue != nullptr) {
        if (!present) {
          d.set(s.path, "\"\"");  // written back as "no key"
        } else if (value == s.defaultValue) {
          consume();
        } else if (!value.empty() && passesRule(s, value)) {
          d.set(s.path, text8(value));
          consume();
        }
      } else if (present && passesRule(s, value)) {
        d.set(s.path, text8(value));
        consume();
      }
      return;
    case Form::WideText:
      if (auto v = takeWide(d, s.key)) d.set(s.path, *v);
      return;
    case Form::StartType:
      if (present && value == std::to_string(key::KindAutoInstall)) {
        auto delayed = d.strings.find(key::ServiceDelayedStart);
        const bool isDelayed = delayed != d.strings.end() && delayed->second == "1";
        d.set(s.path, isDelayed ? "\"delayed\"" : "\"auto\"");
        if (isDelayed) d.strings.erase(delayed);
        consume();
      }
      return;
    case Form::Number:
      if (present && canonicalNumber(value) && passesRule(s, value)) {
        d.set(s.path, value);
        consume();
      }
      return;
    case Form::Flag:
      if (present && (value == "0" || value == "1")) {
        d.set(s.path, value == "1" ? "true" : "false");
        consume();
      }
      return;
    case Form::CommaList:
    case Form::SemicolonList: {
      if (!present) return;
      auto items = split(value, s.form == Form::CommaList ? ',' : ';');
      if (std::any_of(items.begin(), items.end(), [](auto& i) { return i.empty(); })) return;
      if (s.rule == Rule::FailureAction &&
          std::any_of(items.begin(), items.end(), [](auto& i) { return !failureActionFault(i).empty(); }))
        return;
      std::string fault;
      if (s.rule == Rule::WaitTarget &&
          std::any_of(items.begin(), items.end(), [&](auto& i) { return !parseReadyTarget(i, false, fault); }))
        return;
      std::string list = "[";
      for (size_t i = 0; i < items.size(); ++i) list += (i ? ", " : "") + text8(items[i]);
      d.set(s.path, list + "]");
      consume();
      return;
    }
    case Form::NumberList: {
      if (!present) return;
      auto items = split(value, ',');
      if (items.empty() || std::any_of(items.begin(), items.end(), [](auto& i) { return !canonicalNumber(i); })) return;
      std::string list = "[";
      for (size_t i = 0; i < items.size(); ++i) list += (i ? ", " : "") + items[i];
      d.set(s.path, list + "]");
      consume();
      return;
    }
    case Form::SearchList: {
      if (!present) return;
      auto items = split(value, ';');
      for (auto& i : items)
        if (i.empty() || std::string_view("ABRESY").find(i[0]) == std::string_view::npos) return;
      std::string list = "[";
      for (size_t i = 0; i < items.size(); ++i) list += (i ? ", " : "") + text8(items[i]);
      d.set(s.path, list + "]");
      consume();
      return;
    }
    case Form::ClassPath: {
      if (!present) return;
      auto items = split(value, ';');
      for (auto& i : items)
        if (i.size() < 3 || std::string_view("ADES").find(i[0]) == std::string_view::npos ||
            (i[1] != '0' && i[1] != '1'))
          return;
      std::string list = "[";
      for (auto& i : items)
        list += "\n  { type = \"" + i.substr(0, 1) + "\", path = " + text8(i.substr(2)) +
                ", mandatory = " + (i[1] == '1' ? "true" : "false") + " },";
      d.set(s.path, list + (items.empty() ? "]" : "\n]"));
      consume();
      return;
    }
    case Form::LogPath: {
      auto enabled = d.strings.find(s.enablingKey);
      if (present && !value.empty() && enabled != d.strings.end() && enabled->second == "1") {
        d.set(s.path, text8(value));
        consume();
        d.strings.erase(enabled);
      }
      return;
    }
    case Form::VersionText:
    case Form::VersionNumber: {
      if (!d.version) return;
      std::u16string text = d.version->text(versionStringName(s.path));
      const VersionNumbers zero{};
      if (text.empty() && s.path == "version.file-version" && d.version->fileVersion != zero)
        text = *utf8ToUtf16(versionText(d.version->fileVersion));
      if (text.empty() && s.path == "version.product-version" && d.version->productVersion != d.version->fileVersion)
        text = *utf8ToUtf16(versionText(d.version->productVersion));
      if (!text.empty()) d.set(s.path, tomlString(utf16ToUtf8(text)));
      return;
    }
    case Form::Environment: {
      // Only as the packer writes it: sorted names, each once whatever its case, one line each.
      if (!present || value.empty()) return;
      auto lines = split(value, '\n');
      std::set<std::string> upper;
      for (size_t i = 0; i < lines.size(); ++i) {
        size_t equals = lines[i].find('=');
        if (equals == 0 || equals == std::string::npos || lines[i].find('\0') != std::string::npos) return;
        std::string name = lines[i].substr(0, equals);
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
          return;
        if (i > 0 && !(lines[i - 1].substr(0, lines[i - 1].find('=')) < name)) return;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : static_cast<char>(c); });
        if (!upper.insert(name).second) return;
      }
      for (const auto& l : lines) {
        size_t equals = l.find('=');
        d.line(std::string(s.path), tomlKey(latin1ToUtf8(l.substr(0, equals))) + " = " + text8(l.substr(equals + 1)));
      }
      consume();
      return;
    }
    case Form::PropertySize:
    case Form::PropertyCount: {
      auto found = d.runtimeProperties.find(&s);
      if (found == d.runtimeProperties.end()) return;
      d.set(s.path, s.form == Form::PropertySize ? tomlString(byteSizeText(found->second))
                                                 : std::to_string(found->second));
      return;
    }
    case Form::InstallerFiles: {
      // Only as the packer writes it: each entry a source and a target it accepts.
      const std::optional<std::vector<InstallerEntry>> entries = installerEntriesOf(value);
      if (!present || !entries || entries->empty()) return;
      for (const InstallerEntry& entry : *entries)
        if (!installTargetFault(entry.target).empty()) return;
      std::string list = "[";
      for (const InstallerEntry& entry : *entries)
        list += "\n  { source = " + text8(entry.source) + ", target = " + text8(entry.target) + " },";
      d.set(s.path, list + "\n]");
      consume();
      return;
    }
    case Form::IconFile:
    case Form::IncludedFiles:
    case Form::RuntimeSwitch:
    case Form::RawStrings:
    case Form::RawWide:
      return;
  }
}

std::string sizeText(int64_t size) { return std::to_string(size) + (size == 1 ? " byte" : " bytes"); }

// The runtime's system properties at the end of the JVM options, as the packer appends them.
void takeRuntimeProperties(Dump& d) {
  auto options = d.strings.find(key::VmOptions);
  if (options == d.strings.end()) return;
  auto split = splitRuntimeProperties(options->second);
  if (!split) return;
  for (const auto& property : split->properties) d.runtimeProperties[property.setting] = property.value;
  if (split->rest.empty())
    d.strings.erase(options);
  else
    options->second = split->rest;
}

// Included files: [[files]] entries whose sources are where `extract` writes them.
void takeFiles(Dump& d, const BlockContents& block, std::vector<std::string>& fileTables) {
  auto count = d.strings.find(key::IncludedCount);
  auto names = d.strings.find(key::IncludedNames);
  if (count == d.strings.end() && names == d.strings.end()) {
    d.set("runtime.include", "false");
    return;
  }
  std::vector<std::string> list = names == d.strings.end() ? std::vector<std::string>() : split(names->second, ';');
  std::set<std::string> seen;
  bool canonical = count != d.strings.end() && names != d.strings.end() &&
                   count->second == std::to_string(list.size()) && block.records.size() == list.size();
  for (auto& n : list) {
    std::string lower = n;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    canonical = canonical && targetNameFault(n).empty() && seen.insert(lower).second;
  }
  if (!canonical) {
    d.notes.push_back("keys 2002/2003 do not describe the included files as the packer writes them;");
    d.notes.push_back("they are left out here:");
    for (int32_t k : {key::IncludedCount, key::IncludedNames}) {
      auto it = d.strings.find(k);
      if (it != d.strings.end()) d.notes.push_back("  " + std::to_string(k) + " = " + text8(it->second));
    }
    d.strings.erase(key::IncludedCount);
    d.strings.erase(key::IncludedNames);
    d.set("runtime.include", "false");
    return;
  }
  d.strings.erase(key::IncludedCount);
  d.strings.erase(key::IncludedNames);
  size_t first = 0;
  if (!block.records.empty() && block.records[0].name == kRuntimeName) {
    d.set("runtime.include", "true");
    first = 1;
  } else {
    d.set("runtime.include", "false");
  }
  for (size_t i = first; i < block.records.size(); ++i) {
    std::string source = block.records[i].name;
    std::replace(source.begin(), source.end(), '\\', '/');
    fileTables.push_back("[[files]]  # " + sizeText(block.records[i].size) + "\nsource = " + text8(source) +
                         "\ntarget = " + text8(block.records[i].name) + "\n");
  }
}

// Where the packer's order of groups (shorter prefixes first) would pick another text than the
// block's order does.
void noteGroupOrder(Dump& d, const std::vector<LocaleGroup>& groups) {
  std::set<int32_t> keys;
  for (auto& g : groups)
    for (auto& [key, text] : g.entries) keys.insert(key);
  for (int32_t key : keys) {
    std::vector<std::string> order;
    for (auto& g : groups)
      if (g.entries.count(key)) order.push_back(g.prefix);
    for (size_t i = 0; i < order.size(); ++i)
      for (size_t j = i + 1; j < order.size(); ++j)
        if (order[j].size() < order[i].size() && order[i].compare(0, order[j].size(), order[j]) == 0) {
          d.notes.push_back("the block applies locale group \"" + latin1ToUtf8(order[j]) + "\" after \"" +
                            latin1ToUtf8(order[i]) + "\" for wide key " + std::to_string(key) +
                            "; the packer writes the longer prefix last");
          return;
        }
  }
}

// What the version resource holds beyond the settings, and the icon, as notes.
void noteResources(Dump& d, const ResourceTree& resources, const std::string& exeName) {
  try {
    d.version = findVersionInfo(resources, exeName);
  } catch (const PackError& e) {
    d.notes.push_back(e.what());
  }
  if (d.version) {
    std::u16string original = d.version->text("OriginalFilename");
    for (const auto& [name, text] : d.version->strings) {
      if (!versionSettingPath(name).empty() || text.empty()) continue;
      if (name == "InternalName" && text == original.substr(0, original.rfind(u'.'))) continue;
      d.notes.push_back("version string " + name + " = " + tomlString(utf16ToUtf8(text)) + " has no setting");
    }
  }
  std::vector<IconImage> icons = firstIconGroup(resources);
  if (!icons.empty()) {
    std::string sizes;
    for (const auto& i : icons)
      sizes += (sizes.empty() ? "" : ", ") + std::to_string(i.width ? i.width : 256) + "x" +
               std::to_string(i.height ? i.height : 256) + " " + std::to_string(i.bitCount) + "-bit";
    d.notes.push_back("icon with " + std::to_string(icons.size()) + (icons.size() == 1 ? " image (" : " images (") +
                      sizes + "); launcher.icon names an .ico file");
  }
}

}  // namespace

std::string dumpConfig(const BlockContents& block, const std::string& exeName, const ResourceTree& resources) {
  Dump d;
  noteResources(d, resources, exeName);
  d.strings = block.config.strings;
  d.wide = block.config.wide;
  for (const auto& g : block.config.groups)
    for (const auto& [key, text] : g.entries) d.variants[g.prefix][key] = text;  // a later group wins
  noteGroupOrder(d, block.config.groups);
  takeRuntimeProperties(d);

  std::vector<std::string> fileTables;
  for (const Setting& s : settings()) {
    if (s.form == Form::IncludedFiles || s.form == Form::RuntimeSwitch) {
      if (s.form == Form::RuntimeSwitch) takeFiles(d, block, fileTables);
      continue;
    }
    takeSetting(d, s);
  }
  for (const auto& [key, value] : d.strings) d.line("strings", tomlKey(std::to_string(key)) + " = " + text8(value));
  std::set<int32_t> wideKeys;
  for (const auto& [key, text] : d.wide) wideKeys.insert(key);
  for (const auto& [prefix, entries] : d.variants)
    if (isRepresentablePrefix(prefix))
      for (const auto& [key, text] : entries) wideKeys.insert(key);
  for (int32_t key : wideKeys)
    if (auto v = takeWide(d, key)) d.line("wide", tomlKey(std::to_string(key)) + " = " + *v);
  for (const auto& [prefix, entries] : d.variants)
    for (const auto& [key, text] : entries)
      d.notes.push_back("locale group \"" + latin1ToUtf8(prefix) + "\" (wide key " + std::to_string(key) +
                        ") cannot be written back: " + tomlString(utf16ToUtf8(text)));

  std::ostringstream out;
  out << "# Configuration of " << exeName << ", as printed by quorv-pack dump.\n";
  out << "# Included files (" << block.records.size() << "):\n";
  for (size_t i = 0; i < block.records.size(); ++i)
    out << "#   " << (i + 1) << ". " << latin1ToUtf8(block.records[i].name) << ", " << sizeText(block.records[i].size)
        << "\n";
  if (!block.endMarkerFound) out << "# Note: no end marker after the included files.\n";
  for (const auto& note : d.notes) out << "# Note: " << note << "\n";
  for (const auto& section : d.sectionOrder) {
    if (section.empty()) {
      out << "\n";
      for (const auto& l : d.sections[section]) out << l << "\n";
    }
  }
  for (const auto& section : d.sectionOrder) {
    if (section.empty()) continue;
    out << "\n[" << section << "]\n";
    for (const auto& l : d.sections[section]) out << l << "\n";
  }
  for (const auto& table : fileTables) out << "\n" << table;
  return out.str();
}

}  // namespace quorv::pack
