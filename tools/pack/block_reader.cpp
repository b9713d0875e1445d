// The block reader of the packer: like the launcher's, but it checks every length against the
// file and reports a damaged block instead of trusting it.
#include "block_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "config/block_format.h"
#include "config/keys.h"
#include "pe_image.h"

namespace quorv::pack {
namespace {

struct Reader {
  File& file;
  uint64_t size;
  uint64_t position;

  [[noreturn]] void damaged(const std::string& what) {
    throw PackError(displayPath(file.path) + ": damaged block: " + what + " at offset " + std::to_string(position));
  }
  void need(uint64_t n, const char* what) {
    if (n > size - position) damaged(std::string(what) + " runs past the end of the file");
  }
  void bytes(void* out, uint64_t n, const char* what) {
    need(n, what);
    readExact(file, out, static_cast<size_t>(n));
    position += n;
  }
  uint32_t u32(const char* what) {
    uint8_t b[4];
    bytes(b, 4, what);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  }
  int32_t i32(const char* what) { return static_cast<int32_t>(u32(what)); }
  int64_t i64(const char* what) {
    uint64_t low = u32(what);
    uint64_t high = u32(what);
    return static_cast<int64_t>(low | high << 32);
  }
  uint32_t length(const char* what) {
    int32_t n = i32(what);
    if (n < 0) damaged(std::string("negative length of ") + what);
    return static_cast<uint32_t>(n);
  }
  std::string text(const char* what) {
    std::string out(length(what), '\0');
    bytes(out.data(), out.size(), what);
    return out;
  }
  std::u16string wide(const char* what) {
    uint32_t n = length(what);
    if (n % 2 != 0) damaged(std::string("odd length of ") + what);
    std::string raw(n, '\0');
    bytes(raw.data(), n, what);
    std::u16string out(n / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<char16_t>(static_cast<uint8_t>(raw[2 * i]) | static_cast<uint8_t>(raw[2 * i + 1]) << 8);
    return out;
  }
};

}  // namespace

std::vector<std::string> splitNames(const std::string& names) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    if (end > start) out.push_back(names.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

int32_t configNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) && text[i] != '\0') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

BlockContents readBlock(const std::filesystem::path& exe) {
  File file = openForRead(exe);
  StubLayout layout;
  uint64_t size = fileSize(file);
  {
    std::vector<uint8_t> head(std::min<uint64_t>(size, 1 << 20));
    readExact(file, head.data(), head.size());
    layout = inspectStub(head, size, displayPath(exe), false);
  }
  BlockContents out;
  out.blockOffset = layout.cut;
  seekTo(file, layout.cut);
  Reader r{file, size, layout.cut};
  if (layout.cut + 4 > size)
    throw PackError(displayPath(exe) + ": no appended data block (nothing follows the last section)");
  if (r.u32("magic") != block::kMagic)
    throw PackError(displayPath(exe) + ": no appended data block (wrong magic after the last section)");
  r.u32("header");
  r.u32("header");
  out.sizeField = r.i64("header");

  int32_t count = r.i32("string count");
  for (int32_t i = 0; i < count; ++i) {
    int32_t key = r.i32("string key");
    out.config.strings[key] = r.text("string value");
  }
  count = r.i32("wide count");
  for (int32_t i = 0; i < count; ++i) {
    int32_t key = r.i32("wide key");
    out.config.wide[key] = r.wide("wide value");
  }
  count = r.i32("group count");
  for (int32_t i = 0; i < count; ++i) {
    LocaleGroup group;
    group.prefix = r.text("locale prefix");
    int32_t entries = r.i32("group entry count");
    for (int32_t k = 0; k < entries; ++k) {
      int32_t key = r.i32("group key");
      group.entries[key] = r.wide("group value");
    }
    out.config.groups.push_back(std::move(group));
  }
  out.includedFilesOffset = r.position;

  auto value = [&](int32_t key) {
    auto it = out.config.strings.find(key);
    return it == out.config.strings.end() ? std::string() : it->second;
  };
  int32_t files = configNumber(value(key::IncludedCount));
  std::vector<std::string> names = splitNames(value(key::IncludedNames));
  for (size_t i = 0; i < names.size() && int64_t(i) < files; ++i) {
    BlockRecord record{names[i], r.i64("record length"), 0};
    record.contentOffset = r.position;
    if (record.size > 0) {
      r.need(static_cast<uint64_t>(record.size), "included file");
      r.position += static_cast<uint64_t>(record.size);
      seekTo(file, r.position);
    }
    out.records.push_back(std::move(record));
  }
  uint8_t marker[4];
  if (size - r.position >= 4) {
    readExact(file, marker, 4);
    out.endMarkerFound = std::memcmp(marker, block::kEndMarker, 4) == 0;
  }
  return out;
}

void extractRecord(File& exe, const BlockRecord& record, const std::filesystem::path& target) {
  File out = createNew(target);
  seekTo(exe, record.contentOffset);
  std::vector<uint8_t> buffer(1 << 16);
  uint64_t left = record.size > 0 ? static_cast<uint64_t>(record.size) : 0;
  while (left > 0) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), left));
    readExact(exe, buffer.data(), n);
    for (size_t k = 0; k < n; ++k) buffer[k] ^= block::kScrambleKey;
    writeAll(out, buffer.data(), n);
    left -= n;
  }
  closeChecked(out);
}

}  // namespace quorv::pack
