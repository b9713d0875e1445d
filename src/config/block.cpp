#include "config/block.h"

#include <algorithm>
#include <cstring>

#include "config/block_format.h"
#include "config/keys.h"
#include "config/locale.h"
#include "config/store.h"
#include "core/globals.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "diag/messages.h"

namespace quorv {
namespace {

constexpr std::size_t kBufferSize = 16 * 1024;

// Copies up to `count` bytes to `out`, refilling the buffer as needed; returns the bytes copied.
std::size_t take(BlockReader& r, uint8_t* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    if (r.begin == r.end) {
      if (r.seekFailed) break;
      uint32_t got = 0;
      if (!r.source.read(r.buffer.data(), static_cast<uint32_t>(r.buffer.size()), got) || got == 0) break;
      r.begin = 0;
      r.end = std::min<std::size_t>(got, r.buffer.size());
    }
    const std::size_t n = std::min(count - done, r.end - r.begin);
    if (out != nullptr) std::memcpy(out + done, r.buffer.data() + r.begin, n);
    r.begin += n;
    r.position += n;
    done += n;
  }
  return done;
}

uint64_t littleEndian(const uint8_t* bytes, int width) {
  uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

// Reads `length` bytes into a string that grows as bytes arrive, so that a hostile length never
// allocates more than the file holds.
template <typename Bytes>
bool takeGrowing(BlockReader& r, Bytes& out, int64_t length) {
  std::size_t chunk = 0;
  int64_t left = length;
  while (left > 0) {
    chunk = static_cast<std::size_t>(std::min<int64_t>(left, static_cast<int64_t>(kBufferSize)));
    const std::size_t old = out.size();
    out.resize(old + chunk);
    const std::size_t got = take(r, reinterpret_cast<uint8_t*>(out.data()) + old, chunk);
    if (got < chunk) return false;
    left -= static_cast<int64_t>(chunk);
  }
  return true;
}

}  // namespace

BlockReader makeBlockReader(FileSource source) {
  BlockReader r;
  r.source = std::move(source);
  r.buffer.resize(kBufferSize);
  return r;
}

void seekTo(BlockReader& r, int64_t position) {
  r.begin = r.end = 0;
  // Positions are 32-bit signed file offsets; anything else is a failed seek, and every read
  // after it comes up short.
  r.seekFailed = position < 0 || position > INT32_MAX || !r.source.seek(static_cast<uint32_t>(position));
  if (!r.seekFailed) r.position = static_cast<uint64_t>(position);
}

int64_t readLong(BlockReader& r) {
  uint8_t bytes[8];
  if (take(r, bytes, 8) < 8) {
    logMessage("error %d\n", static_cast<int>(r.source.lastError()));
    fatalError(text::ReadLongFailed);
  }
  return static_cast<int64_t>(littleEndian(bytes, 8));
}

int32_t readInt(BlockReader& r) {
  uint8_t bytes[4];
  const std::size_t got = take(r, bytes, 4);
  if (got < 4) {
    logMessage("error %d %d\n", static_cast<int>(r.source.lastError()), static_cast<int>(got));
    fatalError(text::ReadIntFailed);
  }
  return static_cast<int32_t>(static_cast<uint32_t>(littleEndian(bytes, 4)));
}

int16_t readShort(BlockReader& r) {
  uint8_t bytes[2];
  if (take(r, bytes, 2) < 2) {
    logMessage("error %d\n", static_cast<int>(r.source.lastError()));
    fatalError(text::ReadShortFailed);
  }
  return static_cast<int16_t>(static_cast<uint16_t>(littleEndian(bytes, 2)));
}

std::string readString(BlockReader& r) {
  const int32_t length = readInt(r);
  std::string value;
  if (length < 0 || !takeGrowing(r, value, length)) fatalError(text::ReadStringFailed);
  return value;
}

std::u16string readWString(BlockReader& r) {
  const int32_t length = readInt(r);
  std::string bytes;
  if (length < 0 || !takeGrowing(r, bytes, length)) fatalError(text::ReadWStringFailed);
  // An odd byte length keeps the whole units; the odd last byte is dropped.
  std::u16string value(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < value.size(); ++i) {
    value[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                     (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return value;
}

void seekAppendedBlock(BlockReader& r) {
  seekTo(r, 60);
  const int64_t h = static_cast<uint32_t>(readInt(r));
  seekTo(r, h + 6);
  const int sections = readShort(r);
  logMessage("number of sections: %d", sections);
  seekTo(r, h + 20);
  const int optional = readShort(r);
  logMessage("size of optional headers: %d", optional);
  const int32_t last = static_cast<int32_t>(static_cast<uint32_t>(h + optional + 40 * sections - 16));
  logMessage("resSectionTableStart: %d", last);
  seekTo(r, static_cast<int64_t>(last) + 16);
  const int32_t rawSize = readInt(r);
  seekTo(r, static_cast<int64_t>(last) + 20);
  const int32_t rawOffset = readInt(r);
  logMessage("rawDataSize: %d, rawDataOffset: %d", rawSize, rawOffset);
  // The sum is a 32-bit file position.
  const int32_t start = static_cast<int32_t>(static_cast<uint32_t>(rawSize) + static_cast<uint32_t>(rawOffset));
  seekTo(r, start);
}

void loadConfigurationFrom(BlockReader& r, const std::function<std::string()>& determineLocale) {
  auto& store = configStore();
  if (static_cast<uint32_t>(readInt(r)) != block::kMagic) fatalError(text::BadMagic);
  readInt(r);
  readInt(r);
  readLong(r);

  const int32_t strings = readInt(r);
  for (int32_t i = 0; i < strings; ++i) {
    const int32_t key = readInt(r);
    store.strings[key] = readString(r);
  }
  const int32_t wides = readInt(r);
  for (int32_t i = 0; i < wides; ++i) {
    const int32_t key = readInt(r);
    store.wide[key] = readWString(r);
  }

  const std::string locale = determineLocale();
  setLanguageCountry(locale);

  const int32_t groups = readInt(r);
  for (int32_t g = 0; g < groups; ++g) {
    const std::string prefix = readString(r);
    const bool applies = locale.compare(0, prefix.size(), prefix) == 0 && locale.size() >= prefix.size();
    const int32_t entries = readInt(r);
    for (int32_t i = 0; i < entries; ++i) {
      const int32_t key = readInt(r);
      std::u16string value = readWString(r);
      if (applies) store.wide[key] = std::move(value);
    }
  }

  includedFilesOffset = static_cast<uint32_t>(r.position);
  const int32_t kind = getConfigInt(key::LauncherKind);
  if (kind != key::KindGuiJavaw && kind != key::KindMessageBox) useMessageBox = false;
}

}  // namespace quorv
