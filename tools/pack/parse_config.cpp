// TOML configuration to block entries. Every setting is looked up in the settings table; what a
// value must look like and how it is written follows from its row there.
#include "parse_config.h"

#include <toml++/toml.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "config/keys.h"
#include "core/byte_size.h"
#include "core/duration.h"
#include "file_io.h"
#include "installer.h"
#include "jvm/release.h"
#include "service/account.h"
#include "service/readiness.h"
#include "service/restart_policy.h"
#include "service/service_config.h"
#include "service/worker_log.h"
#include "runtime_properties.h"
#include "settings.h"
#include "text_codec.h"
#include "version_resource.h"

namespace fs = std::filesystem;

namespace quorv::pack {

std::string formatProblem(const Problem& p) {
  std::string out = p.file;
  if (p.line > 0) out += ":" + std::to_string(p.line);
  out += ": ";
  if (!p.key.empty()) out += p.key + ": ";
  out += p.message;
  if (!p.hint.empty()) out += " (" + p.hint + ")";
  return out;
}

bool isJavaClassName(std::string_view name) {
  if (name.empty()) return false;
  size_t start = 0;
  while (true) {
    size_t end = name.find('.', start);
    std::string_view part = name.substr(start, end == std::string_view::npos ? name.npos : end - start);
    if (part.empty() || part == "class") return false;
    for (size_t i = 0; i < part.size(); ++i) {
      auto c = static_cast<unsigned char>(part[i]);
      bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' || c >= 0x80;
      bool digit = c >= '0' && c <= '9';
      if (!(letter || (digit && i > 0))) return false;
    }
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

std::string serviceNameFault(std::string_view name) {
  if (name.empty()) return "the service name is empty";
  if (name.size() > 256) return "the service name is longer than 256 characters";
  if (name.find('/') != name.npos || name.find('\\') != name.npos)
    return "the service name contains \"/\" or \"\\\", which Windows rejects";
  return "";
}

std::string targetNameFault(std::string_view name) {
  if (name.empty()) return "the name is empty";
  if (std::count(name.begin(), name.end(), '\\') > 1)
    return "the name has two backslashes; the launcher creates only one directory level";
  if (name.front() == '\\' || name.back() == '\\') return "the name begins or ends with a backslash";
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || std::string_view("<>:\"|?*;").find(ch) != std::string_view::npos)
      return std::string("the name contains the character '") + (c < 0x20 ? '?' : ch) +
             "', which a Windows file name (or the list of names) cannot hold";
  }
  size_t slash = name.find('\\');
  std::string_view second = slash == name.npos ? std::string_view() : name.substr(slash + 1);
  for (std::string_view part : {name.substr(0, slash), second})
    if (part == "." || part == "..") return "the name contains \".\" or \"..\"";
  return "";
}

bool versionLimitsExclusive(std::string_view min, std::string_view max) {
  size_t n = std::min(min.size(), max.size());
  for (size_t i = 0; i < n; ++i) {
    auto a = static_cast<unsigned char>(min[i]);
    auto b = static_cast<unsigned char>(max[i]);
    if (a != b) return a > b;
  }
  return false;
}

namespace {

struct Origin {
  std::string path;
  int line = 0;
};

// The state of one parse.
struct Parse {
  std::string file;
  fs::path baseDir;
  const ParseOptions& options;
  PackConfig config;
  std::vector<Problem> problems;
  std::map<int32_t, Origin> stringOrigins;
  std::map<int32_t, Origin> wideOrigins;
  std::map<std::pair<std::string, int32_t>, Origin> localeOrigins;
  std::map<std::string, std::map<int32_t, std::u16string>> localeEntries;
  std::set<std::string> givenPaths;  // named settings present in the file
  bool includeRuntime = true;
  std::optional<std::string> start;
  int startLine = 0;
  std::optional<int64_t> kind;
  int kindLine = 0;
  std::map<std::string, std::pair<std::string, int>> versions;  // path -> value, line
  std::map<std::string, std::pair<int64_t, int>> releases;      // path -> value, line
  std::vector<std::pair<IncludedFile, int>> files;             // with the line of each entry
  std::map<const Setting*, std::pair<uint64_t, int>> runtimeProperties;  // value, line

  std::vector<Problem> warnings;

  void problem(int line, const std::string& key, std::string message, std::string hint = "") {
    problems.push_back(Problem{file, line, key, std::move(message), std::move(hint)});
  }
  void warning(int line, const std::string& key, const std::string& message, std::string hint = "") {
    warnings.push_back(Problem{file, line, key, "warning: " + message, std::move(hint)});
  }
};

int lineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

std::string nodeTypeName(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a floating-point number";
    case toml::node_type::boolean: return "a boolean";
    case toml::node_type::array: return "a list";
    case toml::node_type::table: return "a table";
    default: return "a date or time";
  }
}

bool expect(Parse& p, const toml::node& node, toml::node_type type, const std::string& path) {
  if (node.type() == type) return true;
  const char* want = type == toml::node_type::string    ? "a string"
                     : type == toml::node_type::integer ? "an integer"
                     : type == toml::node_type::boolean ? "true or false"
                     : type == toml::node_type::array   ? "a list"
                                                        : "a table";
  p.problem(lineOf(node), path, "wrong type: expected " + std::string(want) + ", found " + nodeTypeName(node),
            "see quorv-pack reference");
  return false;
}

std::optional<std::string> to8bit(Parse& p, std::string_view text, const std::string& path, int line) {
  char32_t bad = 0;
  auto out = utf8ToLatin1(text, &bad);
  if (!out)
    p.problem(line, path, "the character " + codePointName(bad) + " cannot be stored in an 8-bit setting",
              "8-bit settings hold Latin-1 characters only");
  return out;
}

std::string describeOrigin(const Origin& o) {
  return o.path + (o.line > 0 ? " (line " + std::to_string(o.line) + ")" : "");
}

void put8(Parse& p, int32_t key, std::string value, const std::string& path, int line) {
  auto [it, fresh] = p.stringOrigins.emplace(key, Origin{path, line});
  if (!fresh) {
    p.problem(line, path, "key " + std::to_string(key) + " is also set by " + describeOrigin(it->second),
              "set each key once");
    return;
  }
  p.config.strings[key] = std::move(value);
}

void putWide(Parse& p, int32_t key, std::u16string value, const std::string& path, int line) {
  auto [it, fresh] = p.wideOrigins.emplace(key, Origin{path, line});
  if (!fresh) {
    p.problem(line, path, "wide key " + std::to_string(key) + " is also set by " + describeOrigin(it->second),
              "set each key once");
    return;
  }
  p.config.wide[key] = std::move(value);
}

bool isLocalePrefix(std::string_view prefix) {
  return std::all_of(prefix.begin(), prefix.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

std::optional<std::u16string> wideValue(Parse& p, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::string, path)) return std::nullopt;
  return utf8ToUtf16(node.as_string()->get());  // toml++ hands over valid UTF-8
}

// A wide value: a text, or a table of locale variants with "default" for the text itself.
void handleWide(Parse& p, int32_t key, const toml::node& node, const std::string& path) {
  if (node.is_string()) {
    if (auto v = wideValue(p, node, path)) putWide(p, key, std::move(*v), path, lineOf(node));
    return;
  }
  if (!node.is_table()) {
    p.problem(lineOf(node), path,
              "wrong type: expected a string or a table of locale variants, found " + nodeTypeName(node), "see quorv-pack reference");
    return;
  }
  for (auto&& [k, value] : *node.as_table()) {
    std::string name(k.str());
    std::string subPath = path + "." + (name.empty() ? "\"\"" : name);
    auto v = wideValue(p, value, subPath);
    if (!v) continue;
    if (name == "default") {
      putWide(p, key, std::move(*v), subPath, lineOf(value));
      continue;
    }
    if (!isLocalePrefix(name)) {
      p.problem(lineOf(value), subPath, "\"" + name + "\" is not a locale name",
                "use \"default\" or a locale such as de or de_CH");
      continue;
    }
    auto [it, fresh] = p.localeOrigins.emplace(std::make_pair(name, key), Origin{subPath, lineOf(value)});
    if (!fresh) {
      p.problem(lineOf(value), subPath, "also set by " + describeOrigin(it->second), "set each variant once");
      continue;
    }
    p.localeEntries[name][key] = std::move(*v);
  }
}

std::optional<int32_t> parseKeyNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::string_view digits = text.front() == '-' || text.front() == '+' ? text.substr(1) : text;
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > int64_t(INT32_MAX) + 1) return std::nullopt;
  }
  if (text.front() == '-') value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

// The key number of a raw table entry; reports what is wrong with it.
std::optional<int32_t> rawKey(Parse& p, const std::string& name, const std::string& path, int line) {
  auto key = parseKeyNumber(name);
  if (!key) {
    bool numeric = !name.empty() && name.find_first_not_of("+-0123456789") == std::string::npos;
    p.problem(line, path,
              numeric ? "key number out of range" : "\"" + name + "\" is not a key number",
              "key numbers are 32-bit signed integers");
    return std::nullopt;
  }
  if (*key == key::IncludedCount || *key == key::IncludedNames) {
    p.problem(line, path, "keys 2002 and 2003 are written from [[files]]", "list the file under [[files]]");
    return std::nullopt;
  }
  return key;
}

void handleRawStrings(Parse& p, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::table, path)) return;
  for (auto&& [k, value] : *node.as_table()) {
    std::string name(k.str());
    std::string subPath = path + "." + name;
    auto key = rawKey(p, name, subPath, lineOf(value));
    if (!key) continue;
    if (value.is_integer()) {
      put8(p, *key, std::to_string(value.as_integer()->get()), subPath, lineOf(value));
    } else if (expect(p, value, toml::node_type::string, subPath)) {
      if (auto v = to8bit(p, value.as_string()->get(), subPath, lineOf(value)))
        put8(p, *key, std::move(*v), subPath, lineOf(value));
    }
  }
}

void handleRawWide(Parse& p, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::table, path)) return;
  for (auto&& [k, value] : *node.as_table()) {
    std::string name(k.str());
    std::string subPath = path + "." + name;
    if (auto key = rawKey(p, name, subPath, lineOf(value))) handleWide(p, *key, value, subPath);
  }
}

// The 8-bit strings of a list setting, each checked against the separator it is joined with.
std::optional<std::vector<std::string>> stringList(Parse& p, const toml::node& node, const std::string& path,
                                                   char separator) {
  if (!expect(p, node, toml::node_type::array, path)) return std::nullopt;
  std::vector<std::string> out;
  bool ok = true;
  for (auto&& item : *node.as_array()) {
    if (!expect(p, item, toml::node_type::string, path)) {
      ok = false;
      continue;
    }
    auto v = to8bit(p, item.as_string()->get(), path, lineOf(item));
    if (!v) {
      ok = false;
    } else if (v->empty()) {
      p.problem(lineOf(item), path, "empty item", "leave it out");
      ok = false;
    } else if (v->find(separator) != std::string::npos) {
      p.problem(lineOf(item), path, "item \"" + latin1ToUtf8(*v) + "\" contains \"" + separator + "\"",
                std::string("\"") + separator + "\" separates the items");
      ok = false;
    } else {
      out.push_back(std::move(*v));
    }
  }
  if (!ok) return std::nullopt;
  return out;
}

std::string join(const std::vector<std::string>& items, char separator) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += separator;
    out += items[i];
  }
  return out;
}

// Fields of an inline table in a list; reports unknown fields.
bool checkFields(Parse& p, const toml::table& table, std::initializer_list<std::string_view> allowed,
                 const std::string& path) {
  bool ok = true;
  for (auto&& [k, value] : table) {
    if (std::find(allowed.begin(), allowed.end(), k.str()) == allowed.end()) {
      std::string names;
      for (auto a : allowed) names += (names.empty() ? "" : ", ") + std::string(a);
      p.problem(lineOf(value), path + "." + std::string(k.str()), "unknown field", "fields: " + names);
      ok = false;
    }
  }
  return ok;
}

std::optional<std::string> stringField(Parse& p, const toml::table& table, std::string_view name,
                                       const std::string& path, int line, bool required) {
  const toml::node* node = table.get(name);
  std::string fieldPath = path + "." + std::string(name);
  if (!node) {
    if (required) p.problem(line, fieldPath, "missing", "each item needs a " + std::string(name));
    return std::nullopt;
  }
  if (!expect(p, *node, toml::node_type::string, fieldPath)) return std::nullopt;
  return to8bit(p, node->as_string()->get(), fieldPath, lineOf(*node));
}

bool checkTypeLetter(Parse& p, const std::string& letter, std::string_view allowed, const std::string& path,
                     int line) {
  if (letter.size() == 1 && allowed.find(letter[0]) != std::string_view::npos) return true;
  std::string list;
  for (char c : allowed) list += (list.empty() ? "" : ", ") + std::string(1, c);
  p.problem(line, path, "bad type letter \"" + latin1ToUtf8(letter) + "\"", "type letters: " + list);
  return false;
}

bool checkNoSemicolon(Parse& p, const std::string& text, const std::string& path, int line) {
  if (text.find(';') == std::string::npos) return true;
  p.problem(line, path, "\"" + latin1ToUtf8(text) + "\" contains \";\"", "\";\" separates the items");
  return false;
}

void handleSearchList(Parse& p, const Setting& s, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::array, path)) return;
  std::vector<std::string> items;
  bool ok = true;
  for (auto&& item : *node.as_array()) {
    int line = lineOf(item);
    std::string letter, location;
    if (item.is_string()) {
      auto v = to8bit(p, item.as_string()->get(), path, line);
      if (!v || v->empty()) {
        if (v) p.problem(line, path, "empty item", "an item is a type letter and a location, such as R.\\jre");
        ok = false;
        continue;
      }
      letter = v->substr(0, 1);
      location = v->substr(1);
    } else if (item.is_table()) {
      const auto& t = *item.as_table();
      ok &= checkFields(p, t, {"type", "path"}, path);
      auto type = stringField(p, t, "type", path, line, true);
      auto where = stringField(p, t, "path", path, line, false);
      if (!type) {
        ok = false;
        continue;
      }
      letter = *type;
      location = where.value_or("");
    } else {
      p.problem(line, path, "wrong type: expected a string or a table, found " + nodeTypeName(item), "see quorv-pack reference");
      ok = false;
      continue;
    }
    if (!checkTypeLetter(p, letter, "ABRESY", path, line) || !checkNoSemicolon(p, location, path, line)) {
      ok = false;
      continue;
    }
    items.push_back(letter + location);
  }
  if (ok) put8(p, s.key, join(items, ';'), path, lineOf(node));
}

void handleClassPath(Parse& p, const Setting& s, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::array, path)) return;
  std::vector<std::string> items;
  bool ok = true;
  for (auto&& item : *node.as_array()) {
    int line = lineOf(item);
    std::string letter, mark, where;
    if (item.is_string()) {
      auto v = to8bit(p, item.as_string()->get(), path, line);
      if (!v) {
        ok = false;
        continue;
      }
      if (v->size() < 2 || ((*v)[1] != '0' && (*v)[1] != '1')) {
        p.problem(line, path, "\"" + latin1ToUtf8(*v) + "\" is not a class path entry",
                  "a type letter, 1 (mandatory) or 0, and the path, such as A1lib\\app.jar");
        ok = false;
        continue;
      }
      letter = v->substr(0, 1);
      mark = v->substr(1, 1);
      where = v->substr(2);
    } else if (item.is_table()) {
      const auto& t = *item.as_table();
      ok &= checkFields(p, t, {"type", "path", "mandatory"}, path);
      auto type = stringField(p, t, "type", path, line, true);
      auto text = stringField(p, t, "path", path, line, true);
      bool mandatory = false;
      if (const toml::node* m = t.get("mandatory")) {
        if (expect(p, *m, toml::node_type::boolean, path + ".mandatory"))
          mandatory = m->as_boolean()->get();
        else
          ok = false;
      }
      if (!type || !text) {
        ok = false;
        continue;
      }
      letter = *type;
      mark = mandatory ? "1" : "0";
      where = *text;
    } else {
      p.problem(line, path, "wrong type: expected a table or a string, found " + nodeTypeName(item), "see quorv-pack reference");
      ok = false;
      continue;
    }
    if (!checkTypeLetter(p, letter, "ADES", path, line) || !checkNoSemicolon(p, where, path, line)) {
      ok = false;
      continue;
    }
    if (where.empty()) {
      p.problem(line, path, "empty path", letter == "E" ? "name the environment variable" : "name a file or directory");
      ok = false;
      continue;
    }
    items.push_back(letter + mark + where);
  }
  if (ok) put8(p, s.key, join(items, ';'), path, lineOf(node));
}

void handleFiles(Parse& p, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::array, path)) return;
  for (auto&& item : *node.as_array()) {
    int line = lineOf(item);
    if (!expect(p, item, toml::node_type::table, path)) continue;
    const auto& t = *item.as_table();
    checkFields(p, t, {"source", "target"}, path);
    const toml::node* sourceNode = t.get("source");
    if (!sourceNode) {
      p.problem(line, path + ".source", "missing", "each included file needs a source");
      continue;
    }
    if (!expect(p, *sourceNode, toml::node_type::string, path + ".source")) continue;
    const std::string& sourceText = sourceNode->as_string()->get();
    fs::path source(std::u8string(sourceText.begin(), sourceText.end()));
    if (source.is_relative()) source = p.baseDir / source;
    std::string target;
    int targetLine = line;
    if (auto given = stringField(p, t, "target", path, line, false)) {
      target = *given;
      targetLine = lineOf(*t.get("target"));
    } else if (t.get("target")) {
      continue;
    } else {
      auto name = fs::path(std::u8string(sourceText.begin(), sourceText.end())).filename().u8string();
      auto v = to8bit(p, std::string(name.begin(), name.end()), path + ".source", line);
      if (!v) continue;
      target = *v;
    }
    std::replace(target.begin(), target.end(), '/', '\\');
    if (auto fault = targetNameFault(target); !fault.empty()) {
      p.problem(targetLine, path + ".target", "\"" + latin1ToUtf8(target) + "\": " + fault,
                "a name such as app.jar or lib\\app.jar");
      continue;
    }
    if (p.options.checkSources) {
      std::error_code ec;
      if (!fs::is_regular_file(source, ec)) {
        auto shown = source.u8string();
        p.problem(lineOf(*sourceNode), path + ".source",
                  "source file not found: " + std::string(shown.begin(), shown.end()),
                  "paths are relative to the configuration file");
        continue;
      }
    }
    p.files.push_back({IncludedFile{source, target}, targetLine});
  }
}

// installer.files: { source, target } tables; each source must name a file, a directory or a
// pattern that matches files, and each target a directory below the install directory.
void handleInstallerFiles(Parse& p, const Setting& s, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::array, path)) return;
  std::vector<InstallerEntry> entries;
  bool ok = true;
  for (auto&& item : *node.as_array()) {
    const int line = lineOf(item);
    if (!expect(p, item, toml::node_type::table, path)) {
      ok = false;
      continue;
    }
    const auto& t = *item.as_table();
    ok &= checkFields(p, t, {"source", "target"}, path);
    auto source = stringField(p, t, "source", path, line, true);
    auto target = stringField(p, t, "target", path, line, false);
    if (!source || (!target && t.get("target"))) {
      ok = false;
      continue;
    }
    const InstallerEntry entry{latin1ToUtf8(*source), latin1ToUtf8(target.value_or(""))};
    const int targetLine = t.get("target") ? lineOf(*t.get("target")) : line;
    if (std::string fault = installTargetFault(entry.target); !fault.empty()) {
      p.problem(targetLine, path + ".target", "\"" + entry.target + "\": " + fault,
                "a directory below the install directory, such as \"lib\", or \"\" for the directory itself");
      ok = false;
      continue;
    }
    if (entry.source.find_first_of("\t\n") != std::string::npos) {
      p.problem(line, path + ".source", "the path holds a tab or a line feed", "");
      ok = false;
      continue;
    }
    if (p.options.checkSources) {
      std::string fault;
      expandInstallerEntry(entry, p.baseDir, fault);
      if (!fault.empty()) {
        p.problem(lineOf(*t.get("source")), path + ".source", fault, "paths are relative to the configuration file");
        ok = false;
        continue;
      }
    }
    entries.push_back({*source, target.value_or("")});
  }
  if (ok) put8(p, s.key, installerEntriesText(entries), path, lineOf(node));
}

// [app.env]: variables by name, written sorted by name; Windows names ignore case, so two names
// that differ only in case are one variable.
void handleEnvironment(Parse& p, const Setting& s, const toml::node& node, const std::string& path) {
  if (!expect(p, node, toml::node_type::table, path)) return;
  std::map<std::string, std::string> variables;  // name -> value
  std::map<std::string, std::pair<std::string, int>> seen;  // upper-cased name -> name, line
  for (auto&& [k, value] : *node.as_table()) {
    const std::string given(k.str());
    const std::string subPath = path + "." + given;
    const int line = lineOf(value);
    auto name = to8bit(p, given, subPath, line);
    if (!name) continue;
    if (name->empty() || name->find('=') != std::string::npos ||
        std::any_of(name->begin(), name->end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
      p.problem(line, subPath, "\"" + given + "\" is not a variable name",
                "a name is not empty and holds no \"=\" and no control character");
      continue;
    }
    if (!expect(p, value, toml::node_type::string, subPath)) continue;
    auto text = to8bit(p, value.as_string()->get(), subPath, line);
    if (!text) continue;
    if (text->find('\n') != std::string::npos || text->find('\0') != std::string::npos) {
      p.problem(line, subPath, "the value contains a line feed or a NUL character",
                "a variable holds one line of text");
      continue;
    }
    std::string upper = *name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : static_cast<char>(c); });
    auto [it, fresh] = seen.emplace(upper, std::make_pair(given, line));
    if (!fresh) {
      p.problem(line, subPath,
                "\"" + given + "\" is the variable \"" + it->second.first + "\" (line " +
                    std::to_string(it->second.second) + ")",
                "Windows variable names ignore case; set each variable once");
      continue;
    }
    variables[*name] = std::move(*text);
  }
  if (variables.empty()) return;
  std::string stored;
  for (const auto& [name, text] : variables) stored += (stored.empty() ? "" : "\n") + name + "=" + text;
  put8(p, s.key, std::move(stored), path, lineOf(node));
}

void checkRule(Parse& p, const Setting& s, const std::string& value, const std::string& path, int line) {
  switch (s.rule) {
    case Rule::ServiceName:
      if (auto fault = serviceNameFault(value); !fault.empty())
        p.problem(line, path, fault, "1 to 256 characters, without \"/\" and \"\\\"");
      break;
    case Rule::ClassName:
      if (!isJavaClassName(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a dotted Java class name",
                  "such as com.example.Main, without .class or slashes");
      break;
    case Rule::OneCharacter:
      if (value.size() != 1) p.problem(line, path, "must be one character", "such as \"q\" or \"z\"");
      break;
    case Rule::Max199:
      if (value.size() > 199) p.problem(line, path, "longer than 199 characters", "the launcher reads at most 199");
      break;
    case Rule::VersionLimit:
      p.versions[std::string(s.path)] = {value, line};
      break;
    case Rule::ByteSize:
      if (!parseByteSize(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a size",
                  "a number of bytes, or with KB, MB or GB, such as \"10MB\"");
      break;
    case Rule::ServiceAccount:
      if (auto fault = accountFault(value); !fault.empty())
        p.problem(line, path, latin1ToUtf8(fault),
                  "LocalSystem, LocalService, NetworkService, virtual, DOMAIN\\user, .\\user, user@domain "
                  "or DOMAIN\\name$");
      break;
    case Rule::Duration:
      if (!parseDuration(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a duration",
                  "a whole number and a unit: 500ms, 10s, 5m, 1h or 1d, at most 49 days");
      break;
    case Rule::WholeSeconds:
      if (!parseFailureReset(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a duration of whole seconds",
                  "such as 90s, 12h or 1d");
      break;
    case Rule::FailureAction:
      if (auto fault = failureActionFault(value); !fault.empty())
        p.problem(line, path, latin1ToUtf8(fault), "restart/DELAY, reboot/DELAY or none, DELAY such as 10s");
      break;
    case Rule::KeepCount:
      if (!parseWorkerLogKeep(value)) p.problem(line, path, "must be 0 to " + std::to_string(kMaxWorkerLogKeep), "such as 5");
      break;
    case Rule::RestartMode:
      if (!parseRestartMode(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a restart mode", "\"never\", \"on-failure\" or \"always\"");
      break;
    case Rule::RestartLimit:
      if (!parseRestartLimit(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a restart limit",
                  "a count and a time window, such as \"5/10m\"");
      break;
    case Rule::ReadyTarget:
    case Rule::WaitTarget: {
      std::string fault;
      if (!parseReadyTarget(value, s.rule == Rule::ReadyTarget, fault))
        p.problem(line, path, latin1ToUtf8(fault),
                  s.rule == Rule::ReadyTarget ? "\"notify\", \"tcp://HOST:PORT\" or \"http://HOST:PORT/PATH\", the port 1 to 65535"
                                              : "\"tcp://HOST:PORT\" or \"http://HOST:PORT/PATH\", the port 1 to 65535");
      break;
    }
    case Rule::Guid:
      if (!canonicalGuid(value))
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\" is not a GUID",
                  "32 hexadecimal digits as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}; quorv-pack init writes a fresh one");
      break;
    case Rule::InstallerVersion:
      if (auto fault = installerVersionFault(value); !fault.empty())
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\": " + fault,
                  "two to four numbers such as 1.2.3; major and minor at most 255, the others at most 65535");
      break;
    case Rule::InstallDirectory:
      if (auto fault = installDirectoryFault(value); !fault.empty())
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\": " + fault, "a folder below Program Files, such as \"Acme\\\\App\"");
      break;
    case Rule::ExeName:
      if (auto fault = exeNameFault(value); !fault.empty())
        p.problem(line, path, "\"" + latin1ToUtf8(value) + "\": " + fault, "a file name such as \"app.exe\"");
      break;
    case Rule::ReleaseLimit:
    case Rule::None:
      break;
  }
}

void handleSetting(Parse& p, const Setting& s, const toml::node& node, const std::string& path) {
  int line = lineOf(node);
  p.givenPaths.insert(std::string(s.path));
  switch (s.form) {
    case Form::Text: {
      if (!expect(p, node, toml::node_type::string, path)) return;
      auto v = to8bit(p, node.as_string()->get(), path, line);
      if (!v) return;
      if (s.defaultValue != nullptr && v->empty()) return;  // "" leaves a defaulted key out
      checkRule(p, s, *v, path, line);
      put8(p, s.key, std::move(*v), path, line);
      return;
    }
    case Form::WideText:
      handleWide(p, s.key, node, path);
      return;
    case Form::Number: {
      if (!expect(p, node, toml::node_type::integer, path)) return;
      int64_t v = node.as_integer()->get();
      if (v < INT32_MIN || v > INT32_MAX) {
        p.problem(line, path, "number out of range", "32-bit signed numbers only");
        return;
      }
      if (s.rule == Rule::ReleaseLimit) {
        if (v < 1) {
          p.problem(line, path, "must be 1 or more", "a Java feature release such as 11 or 17");
          return;
        }
        p.releases[std::string(s.path)] = {v, line};
      } else if (s.rule != Rule::None) {
        checkRule(p, s, std::to_string(v), path, line);
      }
      if (&s == findSetting("launcher.kind")) {
        p.kind = v;
        p.kindLine = line;
      }
      put8(p, s.key, std::to_string(v), path, line);
      return;
    }
    case Form::Flag:
      if (expect(p, node, toml::node_type::boolean, path))
        put8(p, s.key, node.as_boolean()->get() ? "1" : "0", path, line);
      return;
    case Form::CommaList:
    case Form::SemicolonList: {
      char separator = s.form == Form::CommaList ? ',' : ';';
      auto items = stringList(p, node, path, separator);
      if (!items) return;
      const size_t before = p.problems.size();
      for (size_t i = 0; i < items->size(); ++i)
        checkRule(p, s, (*items)[i], path, lineOf(*node.as_array()->get(i)));
      if (p.problems.size() == before) put8(p, s.key, join(*items, separator), path, line);
      return;
    }
    case Form::NumberList: {
      if (!expect(p, node, toml::node_type::array, path)) return;
      std::vector<std::string> items;
      bool ok = true;
      for (auto&& item : *node.as_array()) {
        if (!expect(p, item, toml::node_type::integer, path)) {
          ok = false;
        } else if (item.as_integer()->get() < 0 || item.as_integer()->get() > UINT32_MAX) {
          p.problem(lineOf(item), path, "number out of range", "whole numbers from 0 to 4294967295");
          ok = false;
        } else {
          items.push_back(std::to_string(item.as_integer()->get()));
        }
      }
      if (items.empty() && ok) p.problem(line, path, "empty list", "name at least one number, or leave the setting out");
      else if (ok) put8(p, s.key, join(items, ','), path, line);
      return;
    }
    case Form::SearchList:
      handleSearchList(p, s, node, path);
      return;
    case Form::ClassPath:
      handleClassPath(p, s, node, path);
      return;
    case Form::LogPath: {
      if (!expect(p, node, toml::node_type::string, path)) return;
      auto v = to8bit(p, node.as_string()->get(), path, line);
      if (!v) return;
      if (v->empty()) {
        p.problem(line, path, "empty path", "leave the setting out to turn the file off");
        return;
      }
      put8(p, s.key, std::move(*v), path, line);
      put8(p, s.enablingKey, "1", path, line);
      return;
    }
    case Form::StartType: {
      if (!expect(p, node, toml::node_type::string, path)) return;
      const std::string& v = node.as_string()->get();
      if (v != "auto" && v != "delayed" && v != "demand") {
        p.problem(line, path, "\"" + v + "\" is not a start type", "\"auto\", \"delayed\" or \"demand\"");
        return;
      }
      p.start = v;
      p.startLine = line;
      return;
    }
    case Form::IncludedFiles:
      handleFiles(p, node, path);
      return;
    case Form::RuntimeSwitch:
      if (expect(p, node, toml::node_type::boolean, path)) p.includeRuntime = node.as_boolean()->get();
      return;
    case Form::RawStrings:
      handleRawStrings(p, node, path);
      return;
    case Form::RawWide:
      handleRawWide(p, node, path);
      return;
    case Form::VersionText:
    case Form::VersionNumber: {
      if (!expect(p, node, toml::node_type::string, path)) return;
      const std::string& v = node.as_string()->get();
      if (v.empty() || v.find('\0') != std::string::npos) {
        p.problem(line, path, v.empty() ? "empty text" : "the text contains a NUL character",
                  v.empty() ? "leave the setting out" : "");
        return;
      }
      VersionNumbers numbers;
      if (s.form == Form::VersionNumber) {
        if (auto fault = parseVersionNumbers(v, numbers); !fault.empty()) {
          p.problem(line, path, "\"" + v + "\": " + fault, "such as \"1.2.3.4\" or \"1.2.3-beta\"");
          return;
        }
      }
      p.config.executable.versionStrings[std::string(s.path)] = *utf8ToUtf16(v);  // toml++ gives UTF-8
      return;
    }
    case Form::Environment:
      handleEnvironment(p, s, node, path);
      return;
    case Form::InstallerFiles:
      handleInstallerFiles(p, s, node, path);
      return;
    case Form::PropertySize: {
      std::optional<uint64_t> bytes;
      if (node.is_integer() && node.as_integer()->get() >= 0) {
        bytes = static_cast<uint64_t>(node.as_integer()->get());
      } else if (node.is_string()) {
        bytes = parseByteSize(node.as_string()->get());
      } else if (!node.is_integer()) {
        expect(p, node, toml::node_type::string, path);
        return;
      }
      std::string fault = bytes ? runtimePropertyFault(s, *bytes) : "not a size";
      if (!fault.empty()) {
        p.problem(line, path, fault, "bytes, or a number with B, KB, MB or GB, such as \"50MB\"");
        return;
      }
      p.runtimeProperties[&s] = {*bytes, line};
      return;
    }
    case Form::PropertyCount: {
      if (!expect(p, node, toml::node_type::integer, path)) return;
      int64_t v = node.as_integer()->get();
      std::string fault = v < 0 ? "a negative number" : runtimePropertyFault(s, static_cast<uint64_t>(v));
      if (!fault.empty()) {
        p.problem(line, path, fault, "keep 1 to " + std::to_string(kMaxLogKeep) + " old files");
        return;
      }
      p.runtimeProperties[&s] = {static_cast<uint64_t>(v), line};
      return;
    }
    case Form::IconFile: {
      if (!expect(p, node, toml::node_type::string, path)) return;
      const std::string& text = node.as_string()->get();
      if (text.empty()) {
        p.problem(line, path, "empty path", "leave the setting out to keep the stub's icon");
        return;
      }
      fs::path icon(std::u8string(text.begin(), text.end()));
      if (icon.is_relative()) icon = p.baseDir / icon;
      if (p.options.checkSources) {
        std::error_code ec;
        if (!fs::is_regular_file(icon, ec)) {
          p.problem(line, path, "icon file not found: " + displayPath(icon), "paths are relative to the configuration file");
          return;
        }
        try {
          readIconFile(icon);
        } catch (const PackError& e) {
          p.problem(line, path, e.what(), "an .ico file with one or more images");
          return;
        }
      }
      p.config.executable.icon = icon;
      return;
    }
  }
}

size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

std::string suggestion(const std::string& path) {
  const Setting* best = nullptr;
  size_t bestDistance = 4;
  for (const auto& s : settings()) {
    size_t d = editDistance(path, s.path);
    if (d < bestDistance) {
      bestDistance = d;
      best = &s;
    }
  }
  for (const auto& s : settings()) {
    std::string_view table = s.path.substr(0, s.path.find('.'));
    if (table.size() < s.path.size() && editDistance(path, table) < bestDistance)
      return "did you mean " + std::string(table) + "?";
  }
  auto last = [](std::string_view x) { return x.substr(x.rfind('.') + 1); };
  if (!best)
    for (const auto& s : settings())
      if (last(s.path) == last(path)) {
        best = &s;
        break;
      }
  if (best) return "did you mean " + std::string(best->path) + "?";
  return "see quorv-pack reference";
}

// A setting name that would hold a password, such as password, service.account-password or pwd.
bool isPasswordName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("password") != std::string::npos || lower.find("passwd") != std::string::npos ||
         lower == "pwd" || lower.ends_with("-pwd") || lower.ends_with("_pwd");
}

void walkTable(Parse& p, const toml::table& table, const std::string& prefix) {
  for (auto&& [k, node] : table) {
    std::string path = prefix.empty() ? std::string(k.str()) : prefix + "." + std::string(k.str());
    if (isPasswordName(k.str())) {
      p.problem(lineOf(node), path, "a password is never packed into the launcher",
                "set QUORV_SERVICE_PASSWORD when you run /install, or type it when /install asks");
    } else if (const Setting* s = findSetting(path)) {
      handleSetting(p, *s, node, path);
    } else if (node.is_table() && isSettingTable(path)) {
      walkTable(p, *node.as_table(), path);
    } else {
      p.problem(lineOf(node), path, "unknown setting", suggestion(path));
    }
  }
}

// The settings passed to the runtime as system properties join the JVM options.
void finishRuntimeProperties(Parse& p) {
  if (p.runtimeProperties.empty()) return;
  std::vector<RuntimeProperty> properties;
  int firstLine = INT_MAX;
  for (const Setting& s : settings()) {
    auto it = p.runtimeProperties.find(&s);
    if (it == p.runtimeProperties.end()) continue;
    properties.push_back(RuntimeProperty{&s, it->second.first});
    firstLine = std::min(firstLine, it->second.second);
  }
  if (auto fault = runtimePropertiesFault(properties); !fault.empty()) {
    p.problem(firstLine, "app.log-keep", fault, "set app.log-size too, or leave app.log-keep out");
    return;
  }
  auto options = p.config.strings.find(key::VmOptions);
  std::string given = options == p.config.strings.end() ? "" : options->second;
  for (const auto& property : properties) {
    if (optionsSetProperty(given, property.setting->property)) {
      const Origin& origin = p.stringOrigins.at(key::VmOptions);
      p.problem(p.runtimeProperties[property.setting].second, std::string(property.setting->path),
                "the JVM options of " + describeOrigin(origin) + " set " + std::string(property.setting->property) +
                    " too",
                "set it once");
      return;
    }
  }
  p.config.strings[key::VmOptions] = appendRuntimeProperties(given, properties);
}

// The restart policy and the hang detection: values that read one by one may still not fit
// together. The defaults are the service process's own (service/restart_policy.h).
void finishSupervision(Parse& p) {
  auto duration = [&](int key, uint32_t fallback) -> std::optional<uint32_t> {
    auto it = p.config.strings.find(key);
    if (it == p.config.strings.end()) return fallback;
    return parseDuration(it->second);  // nothing for a value that was refused already
  };
  auto lineOf = [&](int key) {
    auto it = p.stringOrigins.find(key);
    return it == p.stringOrigins.end() ? 0 : it->second.line;
  };
  const RestartSettings defaults;
  const auto delay = duration(key::RestartDelay, defaults.delayMs);
  const auto delayMax = duration(key::RestartDelayMax, defaults.delayMaxMs);
  if (delay && delayMax && *delay > *delayMax) {
    const bool maxGiven = p.config.strings.count(key::RestartDelayMax) != 0;
    p.problem(lineOf(p.config.strings.count(key::RestartDelay) ? key::RestartDelay : key::RestartDelayMax),
              "service.restart-delay", "the restart delay is above service.restart-delay-max",
              maxGiven ? "shorten the delay or raise the maximum" : "service.restart-delay-max is \"1m\" when left out");
  }
  const bool heartbeat = p.config.strings.count(key::Heartbeat) != 0;
  if (p.config.strings.count(key::HeartbeatTimeout) && !heartbeat) {
    p.problem(lineOf(key::HeartbeatTimeout), "service.heartbeat-timeout", "a heartbeat timeout needs service.heartbeat",
              "set service.heartbeat too, such as \"10s\"");
  } else if (heartbeat && duration(key::Heartbeat, 1) == std::optional<uint32_t>(0)) {
    p.problem(lineOf(key::Heartbeat), "service.heartbeat", "a heartbeat interval of 0", "such as \"10s\"");
  } else if (heartbeat && p.config.strings.count(key::HeartbeatTimeout)) {
    const auto every = duration(key::Heartbeat, 0);
    const auto within = duration(key::HeartbeatTimeout, 0);
    if (every && within && *within / 2 < *every)
      p.problem(lineOf(key::HeartbeatTimeout), "service.heartbeat-timeout",
                "shorter than two heartbeat intervals", "at least twice service.heartbeat; six times when left out");
  }
  if (p.config.strings.count(key::ReadyTimeout)) {
    if (!p.config.strings.count(key::Ready) && !p.config.strings.count(key::WaitFor)) {
      p.problem(lineOf(key::ReadyTimeout), "service.ready-timeout", "a ready timeout needs service.ready or service.wait-for",
                "set one of them too, or leave the timeout out");
    } else if (duration(key::ReadyTimeout, 1) == std::optional<uint32_t>(0)) {
      p.problem(lineOf(key::ReadyTimeout), "service.ready-timeout", "a ready timeout of 0", "such as \"2m\"");
    }
  }
  auto check = p.config.strings.find(key::DeadlockCheck);
  if (check != p.config.strings.end() && check->second == "1" && !heartbeat) {
    p.problem(lineOf(key::DeadlockCheck), "service.deadlock-check", "the deadlock check needs service.heartbeat",
              "set service.heartbeat too, such as \"10s\"");
  }
}

// What the settings decide together, once every value has been read.
void finish(Parse& p) {
  if (p.start) {
    const Setting* kindSetting = findSetting("launcher.kind");
    if (*p.start == "auto" || *p.start == "delayed") {
      if (p.kind && *p.kind != key::KindAutoInstall)
        p.problem(p.startLine, "service.start",
                  "\"" + *p.start + "\" needs launcher kind 4, but launcher.kind is " + std::to_string(*p.kind) +
                      " (line " + std::to_string(p.kindLine) + ")",
                  "leave launcher.kind out or set service.start = \"demand\"");
      else if (!p.kind)
        put8(p, kindSetting->key, std::to_string(key::KindAutoInstall), "service.start", p.startLine);
      if (*p.start == "delayed") put8(p, key::ServiceDelayedStart, "1", "service.start", p.startLine);
    } else if (p.kind && *p.kind == key::KindAutoInstall) {
      p.problem(p.startLine, "service.start",
                "\"demand\" conflicts with launcher.kind = 4 (line " + std::to_string(p.kindLine) +
                    "), which registers an automatic-start service",
                "use service.start = \"auto\" alone");
    }
  }

  auto min = p.versions.find("java.min-version");
  auto max = p.versions.find("java.max-version");
  if (min != p.versions.end() && max != p.versions.end() &&
      versionLimitsExclusive(min->second.first, max->second.first))
    p.problem(min->second.second, "java.min-version",
              "\"" + latin1ToUtf8(min->second.first) + "\" is above java.max-version \"" +
                  latin1ToUtf8(max->second.first) + "\": no Java version can pass",
              "versions compare as text, character by character, so \"9\" is above \"17\"");

  auto minRelease = p.releases.find("java.min-release");
  auto maxRelease = p.releases.find("java.max-release");
  if (minRelease != p.releases.end() && maxRelease != p.releases.end() &&
      minRelease->second.first > maxRelease->second.first)
    p.problem(minRelease->second.second, "java.min-release",
              std::to_string(minRelease->second.first) + " is above java.max-release " +
                  std::to_string(maxRelease->second.first) + ": no Java release can pass",
              "lower java.min-release or raise java.max-release");

  // A text limit such as "11" reads like a release number, but admits Java 9 ("9" is above "11").
  for (auto [limit, numeric] : {std::pair{"java.min-version", "java.min-release"},
                                 std::pair{"java.max-version", "java.max-release"}}) {
    auto it = p.versions.find(limit);
    if (it == p.versions.end()) continue;
    const std::string& text = it->second.first;
    const std::optional<int> release = javaRelease(text);
    if (text.starts_with("1.") || !release || *release < 9) continue;
    p.warning(it->second.second, limit,
              "\"" + latin1ToUtf8(text) +
                  "\" looks like a Java release number, but versions compare as text, character by "
                  "character (\"9\" is above \"17\")",
              "to compare release numbers, use " + std::string(numeric) + " = " + std::to_string(*release));
  }

  finishRuntimeProperties(p);
  finishSupervision(p);

  for (const auto& s : settings())
    if (s.defaultValue != nullptr && !p.givenPaths.count(std::string(s.path)) && !p.stringOrigins.count(s.key))
      put8(p, s.key, s.defaultValue, std::string(s.path) + " (default)", 0);

  if (p.includeRuntime) {
    std::error_code ec;
    if (p.options.checkSources && !fs::is_regular_file(p.options.runtimeJar, ec)) {
      auto shown = p.options.runtimeJar.u8string();
      p.problem(0, "runtime.include",
                "runtime archive not found: " + std::string(shown.begin(), shown.end()),
                "pass --runtime PATH or set runtime.include = false");
    }
    p.files.insert(p.files.begin(), {IncludedFile{p.options.runtimeJar, std::string(kRuntimeName)}, 0});
  }
  std::map<std::string, int> seen;  // lower-cased name -> line: Windows names ignore case
  std::vector<std::string> names;
  for (auto& [file, line] : p.files) {
    std::string lower = file.target;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    auto [it, fresh] = seen.emplace(lower, line);
    if (!fresh) {
      p.problem(line, "files.target",
                "\"" + latin1ToUtf8(file.target) + "\" is included twice" +
                    (it->second > 0 ? " (also line " + std::to_string(it->second) + ")"
                                    : " (also the runtime archive)"),
                "give each included file its own target name");
      continue;
    }
    names.push_back(file.target);
    p.config.files.push_back(file);
  }
  if (!p.config.files.empty()) {
    p.config.strings[key::IncludedCount] = std::to_string(p.config.files.size());
    p.config.strings[key::IncludedNames] = join(names, ';');
  }

  if (!p.config.executable.versionStrings.empty()) {
    try {
      encodeVersionInfo(buildVersionInfo(p.config.executable, "app.exe"));
    } catch (const PackError& e) {
      p.problem(0, "version", e.what(), "shorten the texts");
    }
  }

  // Shorter prefixes first, so that where several groups apply the most specific one wins.
  std::vector<std::string> prefixes;
  for (const auto& [prefix, entries] : p.localeEntries) prefixes.push_back(prefix);
  std::stable_sort(prefixes.begin(), prefixes.end(),
                   [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  for (const auto& prefix : prefixes) p.config.groups.push_back(LocaleGroup{prefix, p.localeEntries[prefix]});

  std::stable_sort(p.problems.begin(), p.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  std::stable_sort(p.warnings.begin(), p.warnings.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
}

}  // namespace

ParseResult parseConfigText(std::string_view text, const std::string& displayName, const fs::path& baseDir,
                            const ParseOptions& options) {
  Parse p{displayName, baseDir, options, {}, {}, {}, {}, {}, {}, {}, true, {}, 0, {}, 0, {}, {}, {}, {}, {}};
  toml::table root;
  try {
    root = toml::parse(text, displayName);
  } catch (const toml::parse_error& e) {
    p.problem(static_cast<int>(e.source().begin.line), "", std::string(e.description()), "not valid TOML");
    return ParseResult{std::move(p.config), std::move(p.problems), {}};
  }
  walkTable(p, root, "");
  finish(p);
  return ParseResult{std::move(p.config), std::move(p.problems), std::move(p.warnings)};
}

ParseResult parseConfigFile(const fs::path& file, const ParseOptions& options) {
  auto shown = file.u8string();
  std::string displayName(shown.begin(), shown.end());
  std::ifstream in(file, std::ios::binary);
  if (!in) throw PackError(displayName + ": cannot read the configuration file");
  std::stringstream buffer;
  buffer << in.rdbuf();
  fs::path base = options.baseDir.empty() ? file.parent_path() : options.baseDir;
  if (base.empty()) base = ".";
  return parseConfigText(buffer.str(), displayName, base, options);
}

}  // namespace quorv::pack
