// Fixed texts that the launcher shows or prints; configured templates live in the data block.
#pragma once

namespace quorv::text {

constexpr const char* OpenMediaFailed =
    "Error opening media file. Please move this file to an ascii-only path like c:\\";
constexpr const char* BadMagic = "Internal Error: magic";
constexpr const char* ReadLongFailed = "Internal Error: readLong";
constexpr const char* ReadIntFailed = "Internal Error: readInt";
constexpr const char* ReadShortFailed = "Internal Error: readShort";
constexpr const char* ReadStringFailed = "Internal Error: readString";
constexpr const char* ReadWStringFailed = "Internal Error: readWString";
constexpr const char* PreparingJre = "Preparing JRE ...\n";

}  // namespace quorv::text

namespace quorv::text {
// What the install commands print about the service account and the settings beyond the
// registration.
constexpr const char* BadServiceAccount =
    "The service account '%s' is not an account: use LocalSystem, LocalService, NetworkService, "
    "virtual, DOMAIN\\user, .\\user, user@domain or DOMAIN\\name$.\n";
constexpr const char* NoServicePassword =
    "No password for the service account '%s': set QUORV_SERVICE_PASSWORD or run the command in "
    "a console.\n";
constexpr const char* ServicePasswordPrompt = "Password for %s: ";
constexpr const char* ServicePasswordNotAnsi =
    "The password for '%s' holds characters that the ANSI code page cannot carry.\n";
constexpr const char* ServiceSettingFailed = "Could not apply %s. Error code: %d\n";
constexpr const char* LogonRightFailed =
    "Could not grant '%s' the right to log on as a service. Error code: %d\n";
constexpr const char* DirectoryCreateFailed = "Could not create the directory '%s'. Error code: %d\n";
constexpr const char* DirectoryRightsFailed =
    "Could not give '%s' modify rights on '%s'. Error code: %d\n";
constexpr const char* ServiceAccountNotRunnable =
    "The service account '%s' is %s, not an account that a service can run as.\n";
constexpr const char* LogDirectoryHoldsExecutable =
    "Could not prepare the directory '%s' of %s: it holds the executable; give the log a directory of its own.\n";
constexpr const char* LogDirectoryIsLink =
    "Could not prepare the directory '%s' of %s: it is a link (a junction or symbolic link).\n";
constexpr const char* LogDirectoryForeignOwner =
    "Could not prepare the directory '%s' of %s: it belongs to %s, not to SYSTEM, the Administrators or the "
    "installing user.\n";
constexpr const char* DirectoryRightsNotRemoved =
    "Could not remove the rights of '%s' on '%s'. Error code: %d\n";
constexpr const char* StopWhileStarting =
    "Service '%s' is still starting (it waits until its application is ready) and does not take a stop now; stop "
    "it again once it runs.\n";
constexpr const char* ConfigureOpenFailed = "Could not open service '%s'. Error code: %d\n";
constexpr const char* EventSourceForeign =
    "Could not register the event source '%s': it belongs to another program ('%s').\n";
}  // namespace quorv::text
