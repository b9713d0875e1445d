// Block layout; format constants come from the launcher's own header.
#include "block_writer.h"

#include <algorithm>
#include <limits>

#include "config/block_format.h"

namespace quorv::pack {
namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putI32(std::vector<uint8_t>& out, int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    throw PackError("a value of the configuration is too long for the block (2 GiB)");
  putU32(out, static_cast<uint32_t>(static_cast<int32_t>(v)));
}

void putU64(std::vector<uint8_t>& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putWideEntry(std::vector<uint8_t>& out, int32_t key, const std::u16string& value) {
  putI32(out, key);
  putI32(out, int64_t(value.size()) * 2);
  for (char16_t c : value) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
}

}  // namespace

std::vector<uint8_t> encodeConfiguration(const PackConfig& config) {
  std::vector<uint8_t> out;
  putI32(out, int64_t(config.strings.size()));
  for (const auto& [key, value] : config.strings) {
    putI32(out, key);
    putI32(out, int64_t(value.size()));
    out.insert(out.end(), value.begin(), value.end());
  }
  putI32(out, int64_t(config.wide.size()));
  for (const auto& [key, value] : config.wide) putWideEntry(out, key, value);
  putI32(out, int64_t(config.groups.size()));
  for (const auto& group : config.groups) {
    putI32(out, int64_t(group.prefix.size()));
    out.insert(out.end(), group.prefix.begin(), group.prefix.end());
    putI32(out, int64_t(group.entries.size()));
    for (const auto& [key, value] : group.entries) putWideEntry(out, key, value);
  }
  return out;
}

std::vector<uint8_t> encodeRecordLength(uint64_t size) {
  if (size > uint64_t(std::numeric_limits<int64_t>::max())) throw PackError("an included file is too large");
  std::vector<uint8_t> out;
  putU64(out, size);
  return out;
}

int64_t blockSizeField(uint64_t configurationBytes, std::span<const uint64_t> fileSizes) {
  constexpr uint64_t kLimit = uint64_t(std::numeric_limits<int64_t>::max());
  uint64_t total = 8 + configurationBytes;
  for (uint64_t size : fileSizes) {
    if (size > kLimit - 8 || total > kLimit - 8 - size) throw PackError("the included files are too large");
    total += 8 + size;
  }
  return static_cast<int64_t>(total);
}

uint64_t paddingAfter(uint64_t endOffset) {
  return (block::kAlignment - endOffset % block::kAlignment) % block::kAlignment;
}

uint64_t writeBlock(File& out, uint64_t startOffset, const PackConfig& config, const Progress& progress) {
  std::vector<uint8_t> configuration = encodeConfiguration(config);
  std::vector<uint64_t> sizes;
  for (const auto& file : config.files) {
    std::error_code ec;
    uint64_t size = std::filesystem::file_size(file.source, ec);
    if (ec) throw PackError(displayPath(file.source) + ": cannot read the included file: " + ec.message());
    sizes.push_back(size);
  }

  std::vector<uint8_t> header;
  putU32(header, block::kMagic);
  putU32(header, 0);
  putU32(header, 0);
  putU64(header, static_cast<uint64_t>(blockSizeField(configuration.size(), sizes)));
  writeAll(out, header.data(), header.size());
  writeAll(out, configuration.data(), configuration.size());
  uint64_t offset = startOffset + header.size() + configuration.size();

  std::vector<uint8_t> buffer(1 << 16);
  for (size_t i = 0; i < config.files.size(); ++i) {
    auto length = encodeRecordLength(sizes[i]);
    writeAll(out, length.data(), length.size());
    File source = openForRead(config.files[i].source);
    bool shown = progress.out != nullptr && sizes[i] > progress.above;
    if (shown) {
      *progress.out << "quorv-pack: packing " << displayPath(config.files[i].source.filename()) << ": "
                    << (sizes[i] + (1 << 19)) / (1 << 20) << " MiB ..." << std::flush;
    }
    try {
      uint64_t left = sizes[i];
      while (left > 0) {
        size_t n = readSome(source, buffer.data(), static_cast<size_t>(std::min<uint64_t>(buffer.size(), left)));
        if (n == 0) break;
        for (size_t k = 0; k < n; ++k) buffer[k] ^= block::kScrambleKey;
        writeAll(out, buffer.data(), n);
        left -= n;
      }
      if (left != 0 || readSome(source, buffer.data(), 1) != 0)
        throw PackError(displayPath(config.files[i].source) + ": the file changed while it was being packed");
    } catch (...) {
      if (shown) *progress.out << " failed" << std::endl;
      throw;
    }
    if (shown) *progress.out << " done" << std::endl;
    offset += length.size() + sizes[i];
  }

  writeAll(out, block::kEndMarker, sizeof block::kEndMarker);
  offset += sizeof block::kEndMarker;
  std::vector<uint8_t> zeros(paddingAfter(offset), 0);
  writeAll(out, zeros.data(), zeros.size());
  return offset + zeros.size();
}

}  // namespace quorv::pack
