// Building a packed launcher atomically, and extracting the included files of one.
#include "pack_build.h"

#include <random>

#include "block_reader.h"
#include "block_writer.h"
#include "file_io.h"
#include "parse_config.h"
#include "pe_checksum.h"
#include "pe_image.h"
#include "text_codec.h"
#include "version_resource.h"

namespace fs = std::filesystem;

namespace quorv::pack {
namespace {

// A new file beside `out` whose name no other build uses at the same time.
File createTemporaryBeside(const fs::path& out) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  fs::path dir = out.parent_path();
  for (int attempt = 0;; ++attempt) {
    fs::path name = ".";
    name += out.filename();
    name += ".";
    name += std::to_string(random() % 1000000000);
    name += ".tmp";
    fs::path candidate = dir / name;
    try {
      return createNew(candidate);
    } catch (const PackError&) {
      std::error_code ec;
      if (attempt >= 20 || !fs::exists(candidate, ec)) throw;
    }
  }
}

void applyExecutableInfo(std::vector<uint8_t>& image, const ExecutableInfo& info, const std::string& outputName,
                         const std::string& stubName) {
  if (info.empty()) return;
  ResourceTree tree = readResources(image, stubName);
  if (!info.versionStrings.empty()) setVersionResource(tree, buildVersionInfo(info, outputName));
  if (!info.icon.empty()) setIconResources(tree, readIconFile(info.icon));
  replaceResources(image, tree, stubName);
}

}  // namespace

void writePackedLauncher(const fs::path& stub, const PackConfig& config, const fs::path& out, std::ostream& notes) {
  File in = openForRead(stub);
  StubLayout layout = inspectStub(in);
  std::error_code ec;
  if (fs::is_directory(out, ec)) throw PackError(displayPath(out) + ": is a directory");
  std::vector<uint8_t> image = loadStubImage(in, layout);
  applyExecutableInfo(image, config.executable, displayPath(out.filename()), displayPath(stub));
  // The checksum covers the whole file, so it is summed while writing and stored last.
  uint64_t checksumAt = checksumOffset(image);
  std::fill_n(image.begin() + static_cast<ptrdiff_t>(checksumAt), 4, 0);
  PeChecksum checksum;

  File temp = createTemporaryBeside(out);
  fs::path tempPath = temp.path;
  try {
    temp.onWrite = [&checksum](const uint8_t* data, size_t size) { checksum.add(data, size); };
    writeAll(temp, image.data(), image.size());
    writeBlock(temp, image.size(), config, Progress{&notes});
    temp.onWrite = nullptr;
    uint32_t value = checksum.value();
    uint8_t field[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    seekTo(temp, checksumAt);
    writeAll(temp, field, sizeof field);
    closeChecked(temp);
    fs::rename(tempPath, out, ec);
    if (ec) throw PackError(displayPath(out) + ": cannot write: " + ec.message());
  } catch (...) {
    temp = File();
    fs::remove(tempPath, ec);
    throw;
  }
  if (layout.dropped > 0)
    notes << "quorv-pack: note: " << displayPath(stub) << ": left out " << layout.dropped
          << " bytes after the last section" << (layout.clearSymbols ? " (the COFF symbol table)" : "") << "\n";
  for (const auto& file : config.files)
    if (fs::file_size(file.source, ec) == 0 && !ec)
      notes << "quorv-pack: note: " << displayPath(file.source) << " is empty; the launcher writes no file for it\n";
}

std::string dependencyFileText(const fs::path& out, const fs::path& configFile, const fs::path& stub,
                               const PackConfig& config, const std::vector<fs::path>& more) {
  auto escaped = [](const fs::path& path) {
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    auto text = (ec ? path : full).lexically_normal().generic_u8string();
    std::string out;
    for (char8_t c : text) {
      if (c == ' ' || c == '#') out += '\\';
      if (c == '$') out += '$';
      out += static_cast<char>(c);
    }
    return out;
  };
  std::string text = escaped(out) + ":";
  std::vector<fs::path> inputs{configFile, stub};
  for (const auto& file : config.files) inputs.push_back(file.source);
  if (!config.executable.icon.empty()) inputs.push_back(config.executable.icon);
  inputs.insert(inputs.end(), more.begin(), more.end());
  for (const auto& input : inputs) text += " \\\n  " + escaped(input);
  return text + "\n";
}

size_t extractIncludedFiles(const fs::path& exe, const fs::path& dir, std::ostream& report) {
  BlockContents block = readBlock(exe);
  for (const auto& record : block.records)
    if (auto fault = targetNameFault(record.name); !fault.empty())
      throw PackError(displayPath(exe) + ": included file \"" + latin1ToUtf8(record.name) + "\": " + fault);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw PackError(displayPath(dir) + ": cannot create the directory: " + ec.message());
  File file = openForRead(exe);
  size_t written = 0;
  for (const auto& record : block.records) {
    std::string utf8 = latin1ToUtf8(record.name);
    fs::path target = dir;
    size_t slash = utf8.find('\\');
    auto part = [](const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); };
    if (slash != std::string::npos) {
      target /= part(utf8.substr(0, slash));
      fs::create_directories(target, ec);
      if (ec) throw PackError(displayPath(target) + ": cannot create the directory: " + ec.message());
      target /= part(utf8.substr(slash + 1));
    } else {
      target /= part(utf8);
    }
    if (record.size <= 0) {
      report << utf8 << ": empty, not written (the launcher writes no file for it)\n";
      continue;
    }
    extractRecord(file, record, target);
    report << utf8 << ": " << record.size << " bytes\n";
    ++written;
  }
  return written;
}

}  // namespace quorv::pack
