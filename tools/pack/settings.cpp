// The settings table. Each row: TOML path, key, enabling key, type, form, rule, default, description.
#include "settings.h"

#include <array>

#include "config/keys.h"

namespace quorv::pack {
namespace {

using VT = ValueType;
using F = Form;
using R = Rule;

#define QUORV_JAVA_HOME_HINT "Please define QUORV_JAVA_HOME\n"

constexpr std::array kSettings = {
    Setting{"runtime.include", 0, 0, VT::Bool, F::RuntimeSwitch, R::None, nullptr,
            "Include the launcher's runtime archive (quorv-runtime.jar; --runtime names it, default "
            "beside the packer) as the first included file, so that it comes first on the class "
            "path. Default true."},
    Setting{"service.name", key::ServiceName, 0, VT::String, F::Text, R::ServiceName, nullptr,
            "Default service name (also the display name); 1 to 256 characters, no \"/\" or \"\\\"."},
    Setting{"service.description", key::ServiceDescription, 0, VT::String, F::WideText, R::None, nullptr,
            "Service description. A table gives locale variants: { default = \"...\", de = \"...\" }; "
            "a variant applies when the user's locale name begins with its key, the longest "
            "matching key wins."},
    Setting{"service.dependencies", key::Dependencies, 0, VT::List, F::CommaList, R::None, nullptr,
            "Names of services (or groups) that must run before this one."},
    Setting{"service.start", key::LauncherKind, 0, VT::String, F::StartType, R::None, nullptr,
            "\"auto\", \"delayed\" or \"demand\": how the plain install commands register the "
            "service. \"auto\" writes launcher kind 4 (messages on standard error); it conflicts "
            "with another launcher.kind. \"delayed\" is \"auto\" with the delayed flag (key 30201 = "
            "1): Windows starts the service shortly after the other automatic services."},
    Setting{"service.account", key::ServiceAccount, 0, VT::String, F::Text, R::ServiceAccount, nullptr,
            "Account the service runs as: \"LocalSystem\" (as without the setting), \"LocalService\", "
            "\"NetworkService\", \"virtual\" (NT SERVICE\\<service name>), or a user: \"DOMAIN\\user\", "
            "\".\\user\", \"user@domain\"; a name ending in \"$\" is a group-managed service account. "
            "A user's password is never packed: /install reads QUORV_SERVICE_PASSWORD or asks on the "
            "console. QUORV_SERVICE_ACCOUNT at install overrides the setting."},
    Setting{"service.failure-actions", key::ServiceFailureActions, 0, VT::List, F::CommaList, R::FailureAction,
            nullptr,
            "What the Service Control Manager does after the first, second and later failures: "
            "\"restart/DELAY\", \"reboot/DELAY\" or \"none\", DELAY such as 500ms, 10s, 5m, 1h; "
            "also applied when the service stops with an error code."},
    Setting{"service.failure-reset", key::ServiceFailureReset, 0, VT::String, F::Text, R::WholeSeconds, nullptr,
            "After how long without a failure the count of failures starts again, in whole seconds "
            "(\"1d\", \"12h\", \"90s\"). Without it: \"1d\" when failure-actions is set."},
    Setting{"service.preshutdown-timeout", key::ServicePreshutdownTimeout, 0, VT::String, F::Text, R::Duration,
            nullptr,
            "Pre-shutdown timeout (such as \"3m\"): the service also takes the pre-shutdown control and "
            "stops the application then, with this much time to end before Windows shuts down."},
    Setting{"service.worker-log", key::WorkerLog, 0, VT::String, F::Text, R::None, nullptr,
            "File that the service process copies everything its worker prints (standard output "
            "and error: the JVM's own messages and the launcher's) into, with a line when a "
            "worker starts and when it ends; relative to the executable's directory, such as "
            "\"logs\\\\service.log\". Without it the output is discarded."},
    Setting{"service.worker-log-size", key::WorkerLogSize, 0, VT::String, F::Text, R::ByteSize, nullptr,
            "Size at which the worker log is moved aside (service.log becomes service.log.1, the "
            "newest old file): a number of bytes, or with KB, MB or GB (1024-based), such as "
            "\"10MB\" (the default); \"0\" never moves it."},
    Setting{"service.worker-log-keep", key::WorkerLogKeep, 0, VT::Int, F::Number, R::KeepCount, nullptr,
            "How many old worker logs stay (0 to 999; default 5)."},
    Setting{"service.stop-timeout", key::StopTimeout, 0, VT::String, F::Text, R::Duration, nullptr,
            "How long a stop or shutdown waits for the worker to end, such as \"30s\" (units ms, s, "
            "m, h, d); the service reports progress meanwhile, then ends the worker and every "
            "process it started. Without it the stop waits without limit."},
    Setting{"service.restart", key::Restart, 0, VT::String, F::Text, R::RestartMode, nullptr,
            "What happens when the worker (the application's JVM) ends without a stop request: \"never\" "
            "(without the setting: exit code 0 stops the service, any other code ends it as a failure, "
            "for service.failure-actions), \"on-failure\" (a new worker after an exit code that is not "
            "among service.success-exit-codes, or after a hang), or \"always\" (a new worker whenever it "
            "ends). The service stays running meanwhile."},
    Setting{"service.success-exit-codes", key::SuccessExitCodes, 0, VT::List, F::NumberList, R::None, nullptr,
            "Exit codes of the worker that are no failure for restart = \"on-failure\": the service stops "
            "after them. Default [0]."},
    Setting{"service.restart-delay", key::RestartDelay, 0, VT::String, F::Text, R::Duration, nullptr,
            "Wait before the first restart in a row (default \"2s\"); each further one waits twice as long, "
            "up to restart-delay-max, and each is lengthened by a random part of up to 10 %."},
    Setting{"service.restart-delay-max", key::RestartDelayMax, 0, VT::String, F::Text, R::Duration, nullptr,
            "The longest wait before a restart (default \"1m\"); not below restart-delay."},
    Setting{"service.restart-reset", key::RestartReset, 0, VT::String, F::Text, R::Duration, nullptr,
            "A worker that ran this long ends the row of restarts: the next one waits restart-delay "
            "again (default \"10m\")."},
    Setting{"service.restart-limit", key::RestartLimit, 0, VT::String, F::Text, R::RestartLimit, nullptr,
            "At most COUNT restarts within a time, \"COUNT/DURATION\" (default \"5/10m\"): when one more "
            "would pass it, the service gives up and ends as after a failure, so that "
            "service.failure-actions apply."},
    Setting{"service.heartbeat", key::Heartbeat, 0, VT::String, F::Text, R::Duration, nullptr,
            "Hang detection: every this often (such as \"10s\") the worker calls "
            "com.quorv.runtime.Service.heartbeat() in the JVM from a thread of its own; a worker "
            "without a heartbeat for heartbeat-timeout is hung: its threads are dumped into the worker "
            "log and it is ended, then service.restart applies (with \"never\", the service ends as after "
            "a failure). Off without the setting."},
    Setting{"service.heartbeat-timeout", key::HeartbeatTimeout, 0, VT::String, F::Text, R::Duration, nullptr,
            "How long without a heartbeat makes a worker hung, counted from the JVM's creation and "
            "again from each heartbeat; at least two heartbeat intervals (default six)."},
    Setting{"service.deadlock-check", key::DeadlockCheck, 0, VT::Bool, F::Flag, R::None, nullptr,
            "With service.heartbeat: the heartbeat fails while threads of the application are "
            "deadlocked (ThreadMXBean.findDeadlockedThreads), so that a deadlock counts as a hang."},
    Setting{"service.ready", key::Ready, 0, VT::String, F::Text, R::ReadyTarget, nullptr,
            "When the service counts as started: \"notify\" (the application calls "
            "com.quorv.runtime.Service.ready()), \"tcp://HOST:PORT\" (a connection succeeds) or "
            "\"http://HOST:PORT/PATH\" (a GET answers 2xx). Until then the service reports start-pending; "
            "after a restart, /query shows \"ready\": false. Without it the service runs as soon as its "
            "worker exists."},
    Setting{"service.ready-timeout", key::ReadyTimeout, 0, VT::String, F::Text, R::Duration, nullptr,
            "How long the service waits for service.ready and service.wait-for together (default \"2m\"); "
            "past it, the service ends its worker and ends as after a failure, so that Windows' recovery "
            "applies."},
    Setting{"service.wait-for", key::WaitFor, 0, VT::List, F::CommaList, R::WaitTarget, nullptr,
            "What must answer before the first worker starts, in order: \"tcp://HOST:PORT\" or "
            "\"http://HOST:PORT/PATH\" (a database on another machine, a network that comes up late); "
            "the service reports start-pending meanwhile, within service.ready-timeout."},
    Setting{"java.min-version", key::MinVersion, 0, VT::String, F::Text, R::VersionLimit, nullptr,
            "Lowest accepted Java version, compared as text over its own length (\"1.8\" admits "
            "1.8.0_45)."},
    Setting{"java.max-version", key::MaxVersion, 0, VT::String, F::Text, R::VersionLimit, nullptr,
            "Highest accepted Java version, compared as text over its own length."},
    Setting{"java.min-release", key::MinRelease, 0, VT::Int, F::Number, R::ReleaseLimit, nullptr,
            "Lowest accepted Java feature release, a number from 1: the number after \"1.\" in a "
            "version that begins with \"1.\" (1.8.0_392 is 8), else the leading number (11.0.22 is "
            "11, 21-ea is 21). Applies wherever min-version does, and together with it; a version "
            "without a release number is refused while a release limit is set."},
    Setting{"java.max-release", key::MaxRelease, 0, VT::Int, F::Number, R::ReleaseLimit, nullptr,
            "Highest accepted Java feature release, a number from 1, read like min-release."},
    Setting{"java.search", key::SearchSequence, 0, VT::List, F::SearchList, R::None, nullptr,
            "JVM search sequence: items \"R.\\\\jre\" or { type = \"R\", path = \".\\\\jre\" }; types "
            "A, B, R (Java home), E (environment variable), S (search path), Y (registry)."},
    Setting{"java.allow-beta", key::AllowBeta, 0, VT::Bool, F::Flag, R::None, nullptr,
            "Accept Java versions that contain \"beta\", \"ea\" or \"rc\"."},
    Setting{"java.jdk-required", key::JdkRequired, 0, VT::Bool, F::Flag, R::None, nullptr,
            "Accept only a JDK (its lib\\tools.jar must exist)."},
    Setting{"java.vm-type", key::VmType, 0, VT::String, F::Text, R::Max199, nullptr,
            "Preferred VM type: the sub-directory of the Java executable's directory that holds "
            "jvm.dll, tried first (at most 199 characters)."},
    Setting{"classpath", key::ClassPath, 0, VT::List, F::ClassPath, R::None, nullptr,
            "Class path entries: { type = \"A\", path = \"lib\\\\app.jar\", mandatory = true }; types A "
            "(archive), D (directory), E (environment variable), S (directory scanned for archives)."},
    Setting{"app.main-class", key::MainClass, 0, VT::String, F::Text, R::ClassName, nullptr,
            "The application's main class, a dotted Java name."},
    Setting{"app.arguments", key::Arguments, 0, VT::String, F::Text, R::None, nullptr,
            "Application arguments, split at blanks; quotes group."},
    Setting{"app.vm-options", key::VmOptions, 0, VT::String, F::Text, R::None, nullptr,
            "JVM options, split at blanks; quotes group."},
    Setting{"app.allow-j-options", key::AllowJArguments, 0, VT::Bool, F::Flag, R::None, nullptr,
            "Launch arguments beginning with \"-J\" become JVM options."},
    Setting{"app.error-log", key::ErrorLogFile, key::ErrorLogEnabled, VT::String, F::LogPath, R::None, nullptr,
            "Error-log file handed to the Java entry class; a path turns it on."},
    Setting{"app.output-log", key::OutputLogFile, key::OutputLogEnabled, VT::String, F::LogPath, R::None, nullptr,
            "Output-log file handed to the Java entry class; a path turns it on."},
    Setting{"app.log-size", key::VmOptions, 0, VT::String, F::PropertySize, R::None, nullptr,
            "Size at which quorv-runtime.jar rotates the output and error logs: bytes, or a number "
            "with B, KB, MB or GB (1024-based), such as \"50MB\". Before a line that would take a log "
            "past it, NAME becomes NAME.1 (the newest old file), the older ones move up by one and a "
            "new NAME begins; cuts fall between lines, and a file is larger only when one line is. "
            "Passed to the runtime as the JVM option -Dquorv.logSize=BYTES after app.vm-options.",
            "quorv.logSize"},
    Setting{"app.log-keep", key::VmOptions, 0, VT::Int, F::PropertyCount, R::None, nullptr,
            "Number of old log files that rotation keeps, 1 to 1000; the oldest beyond it is "
            "deleted. Needs app.log-size. Default 10. Passed as -Dquorv.logKeep=N.",
            "quorv.logKeep"},
    Setting{"app.flag", key::EntryFlag, 0, VT::Bool, F::Flag, R::None, nullptr,
            "Flag handed to the Java entry class as its fifth argument."},
    Setting{"app.working-directory", key::WorkingDirectory, 0, VT::String, F::Text, R::None, nullptr,
            "Working directory, relative to the executable's directory."},
    Setting{"app.installation-dir", key::InstallationDir, 0, VT::String, F::Text, R::None, nullptr,
            "Installation directory, relative to the executable's directory."},
    Setting{"app.native-lib-dirs", key::NativeLibDirs, 0, VT::List, F::SemicolonList, R::None, nullptr,
            "Native library directories put in front of PATH, relative to the executable's "
            "directory."},
    Setting{"app.single-instance", key::SingleInstance, 0, VT::Bool, F::Flag, R::None, nullptr,
            "Single-instance mode: a second worker hands over to the first."},
    Setting{"app.global-semaphore", key::GlobalSemaphore, 0, VT::Bool, F::Flag, R::None, nullptr,
            "The single-instance semaphore is machine-wide (\"Global\\\") instead of per session."},
    Setting{"app.installations-value", key::InstallationsValue, 0, VT::String, F::Text, R::None, nullptr,
            "Registry value that lists earlier installation directories whose jre is a candidate."},
    Setting{"app.env", key::AppEnvironment, 0, VT::Table, F::Environment, R::None, nullptr,
            "Environment variables of the worker process: NAME = \"value\", set before anything "
            "else the worker does, so the JVM search, the variable expansion and the application "
            "see them. ${NAME} in a value is the service's own variable of that name (left as "
            "written when there is none); an empty value removes the variable. The service's own "
            "environment is unchanged."},
    Setting{"launcher.icon", 0, 0, VT::String, F::IconFile, R::None, nullptr,
            "Icon of the executable, as Explorer shows it: an .ico file on the build machine, relative "
            "to the configuration file. Replaces any icon of the launcher stub."},
    Setting{"launcher.kind", key::LauncherKind, 0, VT::Int, F::Number, R::None, nullptr,
            "Launcher kind: 1 message boxes and javaw.exe, 5 message boxes, 4 automatic-start "
            "service; other values: messages on standard error."},
    Setting{"launcher.flavour", key::Flavour, 0, VT::String, F::Text, R::OneCharacter, "q",
            "Launcher flavour, one character; \"z\" selects the installer flavour. Default \"q\"; "
            "\"\" writes no key."},
    Setting{"messages.caption", key::Caption, 0, VT::String, F::Text, R::None, "Error",
            "Caption of message boxes."},
    Setting{"messages.no-jvm", key::MsgNoJvmPlain, 0, VT::String, F::Text, R::None,
            "No JVM could be found on your system.\n" QUORV_JAVA_HOME_HINT
            "to point to an installed JDK or JRE or download a JRE from adoptium.net.",
            "No runtime found (not shown by this launcher)."},
    Setting{"messages.jvm-in-path-damaged", key::MsgPathJvmDamaged, 0, VT::String, F::Text, R::None,
            "The JVM found in your path is damaged.\nPlease reinstall or define QUORV_JAVA_HOME\n"
            "to point to an installed JDK or JRE.",
            "Runtime on the search path damaged (not shown by this launcher)."},
    Setting{"messages.env-jvm-broken", key::MsgEnvJvmBrokenPlain, 0, VT::String, F::Text, R::None,
            "The {0} environment variable does not\npoint to a working JDK or JRE.",
            "Environment variable names no working runtime (not shown by this launcher)."},
    Setting{"messages.jvm-damaged", key::MsgJvmDamagedPlain, 0, VT::String, F::Text, R::None,
            "The JVM found at {0} is damaged.\nPlease reinstall or define QUORV_JAVA_HOME\n"
            "to point to an installed JDK or JRE.",
            "Runtime at a location damaged (not shown by this launcher)."},
    Setting{"messages.jvm-start-failed", key::MsgJvmStartFailed, 0, VT::String, F::Text, R::None,
            "The JVM could not be started. The maximum heap size (-Xmx) might be too large or an "
            "antivirus or firewall tool could block the execution.",
            "The JVM library of a registry runtime cannot be loaded."},
    Setting{"messages.not-found", key::MsgNotFound, 0, VT::String, F::Text, R::None,
            "File or directory {0} not found or empty\n",
            "A mandatory class path entry is missing; {0}: the entry."},
    Setting{"messages.wrong-parameters", key::MsgWrongParameters, 0, VT::String, F::Text, R::None,
            "Wrong Parameter Usage", "Wrong parameters (not shown by this launcher)."},
    Setting{"messages.env-undefined", key::MsgEnvUndefined, 0, VT::String, F::Text, R::None,
            "The environment variable {0} has to be defined",
            "A mandatory class path variable is not defined; {0}: its name."},
    Setting{"messages.internal-error", key::MsgInternal, 0, VT::String, F::Text, R::None,
            "An internal error occurred (error code: {0})",
            "Internal failure; {0}: a short code."},
    Setting{"messages.no-main-class", key::MsgNoMainClass, 0, VT::String, F::Text, R::None,
            "Couldn't load main class.", "The Java entry class cannot be found."},
    Setting{"messages.no-main-method", key::MsgNoMainMethod, 0, VT::String, F::Text, R::None,
            "Main method not found.", "The entry class has no main method."},
    Setting{"messages.error", key::MsgError, 0, VT::String, F::Text, R::None, "Error",
            "Error (not shown by this launcher)."},
    Setting{"messages.ok", key::MsgOk, 0, VT::String, F::Text, R::None, "Ok",
            "Ok (not shown by this launcher)."},
    Setting{"messages.startup-error", key::MsgStartupError, 0, VT::String, F::Text, R::None,
            "An error occurred while starting up {0}:",
            "Start-up error (not shown by this launcher)."},
    Setting{"messages.poweruser", key::MsgPoweruser, 0, VT::String, F::Text, R::None,
            "You must be at least Poweruser to run this program.",
            "No usable directory for temporary files."},
    Setting{"messages.no-jvm-bits", key::MsgNoJvm, 0, VT::String, F::Text, R::None,
            "No JVM could be found on your system.\n" QUORV_JAVA_HOME_HINT
            "to point to an installed {0}-bit JDK or JRE or download a JRE from adoptium.net.",
            "No runtime found; {0}: \"64\"."},
    Setting{"messages.env-jvm-broken-32", key::MsgEnvJvmBroken32, 0, VT::String, F::Text, R::None,
            "The {0} environment variable does not\npoint to a working 32-bit JDK or JRE.",
            "32-bit variant of env-jvm-broken (not shown by this launcher)."},
    Setting{"messages.env-jvm-broken-64", key::MsgEnvJvmBroken, 0, VT::String, F::Text, R::None,
            "The {0} environment variable does not\npoint to a working 64-bit JDK or JRE.",
            "The runtime named by an environment variable cannot be loaded; {0}: the variable."},
    Setting{"messages.jvm-damaged-32", key::MsgLocationJvmBroken32, 0, VT::String, F::Text, R::None,
            "The JVM found at {0} is damaged.\nPlease reinstall or define QUORV_JAVA_HOME\n"
            "to point to an installed 32-bit JDK or JRE.",
            "32-bit variant of jvm-damaged (not shown by this launcher)."},
    Setting{"messages.jvm-damaged-64", key::MsgLocationJvmBroken, 0, VT::String, F::Text, R::None,
            "The JVM found at {0} is damaged.\nPlease reinstall or define QUORV_JAVA_HOME\n"
            "to point to an installed 64-bit JDK or JRE.",
            "The runtime at a configured location cannot be loaded; {0}: the location."},
    Setting{"version.product", 0, 0, VT::String, F::VersionText, R::None, nullptr,
            "Product name (ProductName), shown in Explorer's file properties."},
    Setting{"version.description", 0, 0, VT::String, F::VersionText, R::None, nullptr,
            "File description (FileDescription): the program's name in Explorer and Task Manager."},
    Setting{"version.company", 0, 0, VT::String, F::VersionText, R::None, nullptr, "Company name (CompanyName)."},
    Setting{"version.copyright", 0, 0, VT::String, F::VersionText, R::None, nullptr,
            "Copyright notice (LegalCopyright)."},
    Setting{"version.file-version", 0, 0, VT::String, F::VersionNumber, R::None, nullptr,
            "File version (FileVersion): 1 to 4 numbers from 0 to 65535 joined with dots, such as "
            "\"1.2.3.4\"; a suffix such as \"-beta\" stays in the text. Without it: 0.0.0.0."},
    Setting{"version.product-version", 0, 0, VT::String, F::VersionNumber, R::None, nullptr,
            "Product version (ProductVersion), written like file-version. Default: file-version."},
    Setting{"version.original-filename", 0, 0, VT::String, F::VersionText, R::None, nullptr,
            "Original file name (OriginalFilename); InternalName is this name without its extension. "
            "Default: the name of the file that build writes."},
    Setting{"installer.upgrade-code", key::InstallerUpgradeCode, 0, VT::String, F::Text, R::Guid, nullptr,
            "The package's upgrade code, a GUID that stays the same for every version of the service "
            "(quorv-pack init writes a fresh one); needed by quorv-pack msi. A package with a higher "
            "installer.version and the same upgrade code replaces the installed one (a major upgrade)."},
    Setting{"installer.manufacturer", key::InstallerManufacturer, 0, VT::String, F::Text, R::None, nullptr,
            "Manufacturer of the package, as Programs and Features shows it. Default: version.company, "
            "else the service name."},
    Setting{"installer.version", key::InstallerVersion, 0, VT::String, F::Text, R::InstallerVersion, nullptr,
            "Product version of the package: two to four numbers such as \"1.2.3\", major and minor at "
            "most 255, the others at most 65535 (Windows Installer compares only the first three). "
            "Default: version.product-version (else version.file-version), which msi refuses when it is "
            "no such version."},
    Setting{"installer.directory", key::InstallerDirectory, 0, VT::String, F::Text, R::InstallDirectory, nullptr,
            "Install directory below the 64-bit Program Files, such as \"Acme\\\\App\". Default: the "
            "service name. INSTALLDIR=PATH on the msiexec command line chooses another."},
    Setting{"installer.exe-name", key::InstallerExeName, 0, VT::String, F::Text, R::ExeName, nullptr,
            "File name of the service executable in the install directory. Default: the service name "
            "with .exe."},
    Setting{"installer.files", key::InstallerFiles, 0, VT::List, F::InstallerFiles, R::None, nullptr,
            "Files the package installs beside the executable: [ { source = \"dist/jre\", target = "
            "\"jre\" }, { source = \"lib/*.jar\", target = \"lib\" } ]. A source is a file, a directory "
            "(taken whole, with its sub-directories) or a pattern with * and ? in its last part, "
            "relative to the configuration file; target is the directory below the install directory "
            "(default: the install directory itself)."},
    Setting{"files", key::IncludedCount, 0, VT::List, F::IncludedFiles, R::None, nullptr,
            "Included files: [[files]] with source (path on the build machine, relative to the "
            "configuration file) and target (name in the temporary directory, at most one "
            "backslash; default: the source's file name). Writes keys 2002 and 2003."},
    Setting{"strings", 0, 0, VT::Table, F::RawStrings, R::None, nullptr,
            "Any 8-bit key by number, for keys without a name: 108 = \"...\"."},
    Setting{"wide", 0, 0, VT::Table, F::RawWide, R::None, nullptr,
            "Any wide key by number, with locale variants as for service.description."},
};

#undef QUORV_JAVA_HOME_HINT

}  // namespace

std::span<const Setting> settings() { return kSettings; }

const Setting* findSetting(std::string_view path) {
  for (const auto& s : kSettings)
    if (s.path == path) return &s;
  return nullptr;
}

const Setting* settingForKey(int key) {
  for (const auto& s : kSettings)
    if (s.key == key || (s.enablingKey != 0 && s.enablingKey == key) ||
        (s.form == Form::IncludedFiles && key == key::IncludedNames))
      return &s;
  return nullptr;
}

bool isSettingTable(std::string_view tablePath) {
  for (const auto& s : kSettings)
    if (s.path.size() > tablePath.size() && s.path.substr(0, tablePath.size()) == tablePath &&
        s.path[tablePath.size()] == '.')
      return true;
  return false;
}

std::string_view typeName(ValueType type) {
  switch (type) {
    case ValueType::String: return "string";
    case ValueType::Int: return "int";
    case ValueType::Bool: return "bool";
    case ValueType::List: return "list";
    case ValueType::Table: return "table";
  }
  return "?";
}

std::string_view formDescription(Form form) {
  switch (form) {
    case Form::Text: return "text as given";
    case Form::WideText: return "wide text; locale variants as locale groups";
    case Form::Number: return "decimal number";
    case Form::Flag: return "\"1\" (true) or \"0\" (false)";
    case Form::CommaList: return "items joined with \",\"";
    case Form::NumberList: return "numbers joined with \",\"";
    case Form::SemicolonList: return "items joined with \";\"";
    case Form::SearchList: return "type letter and location per item, joined with \";\"";
    case Form::ClassPath: return "type letter, mandatory mark (1/0) and path per item, joined with \";\"";
    case Form::LogPath: return "the path; \"1\" in the enabling key";
    case Form::StartType: return "\"auto\": key 107 = 4; \"delayed\": also key 30201 = 1";
    case Form::IncludedFiles: return "count (2002), names joined with \";\" (2003), one record per file";
    case Form::RuntimeSwitch: return "first included file quorv-runtime.jar";
    case Form::RawStrings: return "8-bit entry of that key";
    case Form::RawWide: return "wide entry of that key";
    case Form::VersionText: return "string of the version resource (any Unicode text)";
    case Form::VersionNumber: return "numbers and string of the version resource";
    case Form::IconFile: return "icon group 1 and its images";
    case Form::Environment: return "NAME=value per variable, sorted by name, joined with a line feed";
    case Form::PropertySize: return "JVM option -D...=BYTES appended to key 123";
    case Form::PropertyCount: return "JVM option -D...=N appended to key 123";
    case Form::InstallerFiles: return "source and target per entry, a tab between them, joined with a line feed";
  }
  return "?";
}

}  // namespace quorv::pack
