// Process-wide state of the launcher. Each value is written once by the step that owns it
// (named beside it) and only read afterwards.
#pragma once
#include <cstdint>
#include <string>

namespace quorv {

extern std::string serviceName;        // key 101, the command-line override, or the SCM's name
extern bool interactiveFlag;           // cleared by "non-interactive" after a service command
extern char launcherFlavour;           // first character of key 2001: 'z' installer, else wrapper
extern std::string tempDirectory;      // per-run temporary directory; empty until created
extern std::string jvmHome;            // directory of the chosen java.exe plus "..", set by LoadDLL
extern uint32_t includedFilesOffset;   // where the included-files region begins in the executable
extern uint64_t unextractedPosition;   // position after the last extracted record, 0 if none
extern std::string semaphoreName;      // name of the instance semaphore, set by the guard

constexpr std::size_t kServiceNameMax = 8191;  // longer names are cut to this many characters

}  // namespace quorv
