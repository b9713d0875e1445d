// Configuration keys of the appended data block. Each key is declared once here and used by name.
#pragma once

namespace quorv::key {

constexpr int ServiceName = 101;
constexpr int ErrorLogEnabled = 102;
constexpr int ErrorLogFile = 103;
constexpr int OutputLogEnabled = 104;
constexpr int OutputLogFile = 105;
constexpr int EntryFlag = 106;
constexpr int LauncherKind = 107;
constexpr int ClassPath = 121;
constexpr int MainClass = 122;
constexpr int VmOptions = 123;
constexpr int Arguments = 124;
constexpr int AllowJArguments = 125;
constexpr int MinVersion = 126;
constexpr int MaxVersion = 127;
constexpr int MinRelease = 30400;      // lowest accepted Java feature release, a number
constexpr int MaxRelease = 30401;      // highest accepted Java feature release, a number
constexpr int AppEnvironment = 30402;  // worker's variables: "NAME=value" lines
constexpr int SearchSequence = 128;
constexpr int AllowBeta = 130;
constexpr int JdkRequired = 131;
constexpr int WorkingDirectory = 146;
constexpr int Dependencies = 149;
constexpr int VmType = 152;
constexpr int GlobalSemaphore = 158;
constexpr int InstallationsValue = 160;
constexpr int Caption = 1000;
constexpr int MsgJvmStartFailed = 1005;      // "The JVM could not be started. ..."
constexpr int MsgNotFound = 1006;            // "File or directory {0} not found or empty\n"
constexpr int MsgEnvUndefined = 1008;        // "The environment variable {0} has to be defined"
constexpr int MsgInternal = 1009;            // "An internal error occurred (error code: {0})"
constexpr int MsgNoMainClass = 1010;         // "Couldn't load main class."
constexpr int MsgNoMainMethod = 1011;        // "Main method not found."
constexpr int MsgPoweruser = 1015;           // "You must be at least Poweruser to run this program."
constexpr int MsgNoJvm = 1016;               // "No JVM could be found ... {0}-bit ..."
constexpr int MsgEnvJvmBroken = 1018;        // "The {0} environment variable does not ... 64-bit ..."
constexpr int MsgLocationJvmBroken = 1020;   // "The JVM found at {0} is damaged. ... 64-bit ..."
constexpr int Flavour = 2001;
constexpr int IncludedCount = 2002;
constexpr int IncludedNames = 2003;
constexpr int InstallationDir = 10003;
constexpr int NativeLibDirs = 10004;
constexpr int SingleInstance = 10005;
constexpr int ServiceDescription = 20017;  // wide table
constexpr int ServiceAccount = 30200;        // "LocalSystem", "LocalService", "NetworkService", "virtual", a user
constexpr int ServiceDelayedStart = 30201;   // "1": an automatic start is delayed
constexpr int ServiceFailureActions = 30202; // "restart/10s,reboot/5m,none"
constexpr int ServiceFailureReset = 30203;   // a duration, such as "1d"
constexpr int ServicePreshutdownTimeout = 30204;  // a duration, such as "3m"
constexpr int WorkerLog = 30300;      // file the service copies its worker's output into
constexpr int WorkerLogSize = 30301;  // size at which that file is moved aside, "10MB"
constexpr int WorkerLogKeep = 30302;  // how many moved-aside files stay
constexpr int StopTimeout = 30303;    // how long a stop waits for the worker, "30s"
constexpr int Restart = 30310;           // "never", "on-failure" or "always"
constexpr int SuccessExitCodes = 30311;  // exit codes that are no failure, "0,143"
constexpr int RestartDelay = 30312;      // delay before the first restart in a row, "2s"
constexpr int RestartDelayMax = 30313;   // the longest delay, "1m"
constexpr int RestartReset = 30314;      // a worker that ran this long ends the row, "10m"
constexpr int RestartLimit = 30315;      // at most N restarts within a window, "5/10m"
constexpr int Heartbeat = 30316;         // interval of the worker's heartbeat, "10s"
constexpr int HeartbeatTimeout = 30317;  // no heartbeat for this long: hung, "1m"
constexpr int DeadlockCheck = 30318;     // "1": the heartbeat fails while threads are deadlocked
constexpr int Ready = 30320;             // "notify", "tcp://HOST:PORT" or "http://HOST:PORT/PATH"
constexpr int ReadyTimeout = 30321;      // how long the service waits for the gate, "2m"
constexpr int WaitFor = 30322;           // targets that must answer before the first worker, joined with ","
// The [installer] table: read by the packer's msi command and printed by dump; the launcher
// itself does not read them.
constexpr int InstallerUpgradeCode = 30600;   // a GUID
constexpr int InstallerManufacturer = 30601;
constexpr int InstallerVersion = 30602;       // "1.2.3"
constexpr int InstallerDirectory = 30603;     // below Program Files
constexpr int InstallerExeName = 30604;       // "app.exe"
constexpr int InstallerFiles = 30605;         // "source TAB target" lines

// Launcher kinds of key 107.
constexpr int KindGuiJavaw = 1;
constexpr int KindAutoInstall = 4;
constexpr int KindMessageBox = 5;

}  // namespace quorv::key

namespace quorv::detail {
// Details of the internal-error message (key 1009).
constexpr const char* TempDirFailed = "7";
constexpr const char* IncludedFileCreate = "11";
constexpr const char* FirstRunClass = "14";
constexpr const char* FirstRunMethod = "15";
constexpr const char* ExtractionFailed = "16";
constexpr const char* UnpackStart = "20";
}  // namespace quorv::detail

namespace quorv::key {
// Message templates that this launcher never shows; the packer writes their shipped texts.
constexpr int MsgNoJvmPlain = 1001;          // "No JVM could be found ... download a JRE from ..."
constexpr int MsgPathJvmDamaged = 1002;      // "The JVM found in your path is damaged. ..."
constexpr int MsgEnvJvmBrokenPlain = 1003;   // "The {0} environment variable does not ..."
constexpr int MsgJvmDamagedPlain = 1004;     // "The JVM found at {0} is damaged. ..."
constexpr int MsgWrongParameters = 1007;     // "Wrong Parameter Usage"
constexpr int MsgError = 1012;               // "Error"
constexpr int MsgOk = 1013;                  // "Ok"
constexpr int MsgStartupError = 1014;        // "An error occurred while starting up {0}:"
constexpr int MsgEnvJvmBroken32 = 1017;      // "... 32-bit JDK or JRE."
constexpr int MsgLocationJvmBroken32 = 1019; // "The JVM found at {0} is damaged. ... 32-bit ..."
}  // namespace quorv::key
