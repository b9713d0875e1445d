// The table of the packer's settings: every name that a configuration file may use, the
// configuration key it writes, its type and how its value is written into the block. Parsing,
// `dump` and the generated reference all read this one table.
#pragma once
#include <span>
#include <string_view>

namespace quorv::pack {

enum class ValueType { String, Int, Bool, List, Table };

// How a value becomes entries of the block.
enum class Form {
  Text,           // the text itself, 8-bit (Latin-1)
  WideText,       // wide table; a table of locale variants also writes locale groups
  Number,         // decimal text
  Flag,           // "1" for true, "0" for false
  CommaList,      // the items joined with ","
  NumberList,     // whole numbers (0 to 4294967295) joined with ","
  SemicolonList,  // the items joined with ";"
  SearchList,     // type letter + location per item, joined with ";"
  ClassPath,      // type letter + mandatory mark + path per item, joined with ";"
  LogPath,        // the path in the key, "1" in the enabling key
  StartType,      // "auto": launcher kind 4; "delayed": kind 4 and the delayed flag; "demand": nothing
  IncludedFiles,  // count and names (keys 2002, 2003) and one record per file
  RuntimeSwitch,  // the launcher's runtime archive as the first included file
  RawStrings,     // [strings]: key number to 8-bit text
  RawWide,        // [wide]: key number to wide text, with locale variants
  VersionText,    // a string of the executable's version resource
  VersionNumber,  // a version of the version resource: its numbers and its text
  IconFile,       // an .ico file that becomes the executable's icon
  Environment,    // a table of variables: "NAME=value" lines joined with a line feed
  PropertySize,   // "-D" property "=" bytes, appended to the JVM options (key 123)
  PropertyCount,  // "-D" property "=" number, appended to the JVM options (key 123)
  InstallerFiles, // { source, target } tables: "source TAB target" lines
};

// Extra rules a value must follow.
enum class Rule {
  None, ServiceName, ClassName, OneCharacter, Max199, VersionLimit, ReleaseLimit,
  ByteSize,        // 512, 64KB, 10MB, 2GB
  Duration,        // 500ms, 10s, 5m, 1h, 1d
  KeepCount,       // how many moved-aside files stay
  ServiceAccount,  // an account form of service.account
  FailureAction,   // each item: restart/DELAY, reboot/DELAY, none
  WholeSeconds,    // a duration of whole seconds
  RestartMode,     // "never", "on-failure" or "always"
  RestartLimit,    // "COUNT/DURATION", such as "5/10m"
  ReadyTarget,     // "notify", "tcp://HOST:PORT" or "http://HOST:PORT/PATH"
  WaitTarget,      // each item: "tcp://HOST:PORT" or "http://HOST:PORT/PATH"
  Guid,            // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  InstallerVersion,  // 1.2.3: what Windows Installer takes as a product version
  InstallDirectory,  // a relative folder path
  ExeName,           // a file name ending in .exe
};

struct Setting {
  std::string_view path;  // TOML path, such as "service.name"
  int key;                // configuration key; 0 when the setting writes no single key
  int enablingKey;        // LogPath: the key that turns the file on; else 0
  ValueType type;
  Form form;
  Rule rule;
  const char* defaultValue;  // written when the file leaves the setting out; nullptr: nothing
  std::string_view description;
  std::string_view property = {};  // PropertySize, PropertyCount: the runtime's system property
};

std::span<const Setting> settings();
const Setting* findSetting(std::string_view path);
// The named setting that writes the key (first in table order), or nullptr.
const Setting* settingForKey(int key);
// True when some setting's path lies below the given table path ("service" for "service.name").
bool isSettingTable(std::string_view tablePath);

std::string_view typeName(ValueType type);
// One line on how a form is written, for the reference.
std::string_view formDescription(Form form);

constexpr std::string_view kRuntimeName = "quorv-runtime.jar";

}  // namespace quorv::pack
