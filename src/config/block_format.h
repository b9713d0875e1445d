// Layout constants of the appended data block, shared by the launcher and the packer.
#pragma once
#include <cstdint>

namespace quorv::block {

constexpr uint32_t kMagic = 0xE8E413D5u;                        // stored little-endian: D5 13 E4 E8
constexpr uint8_t kEndMarker[4] = {0xE8, 0xE4, 0x13, 0xD5};    // the magic in the other byte order
constexpr uint32_t kAlignment = 512;                            // zero padding after the end marker
// Every content byte of an included file is stored XOR this key.
constexpr uint8_t kScrambleKey = 0x5A;

}  // namespace quorv::block
