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
