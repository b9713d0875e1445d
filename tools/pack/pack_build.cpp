// Building a packed launcher atomically, and extracting the included files of one.
#include "pack_build.h"

#include <random>

#include "block_reader.h"
#include "block_writer.h"
#include "file_io.h"
#include "parse_config.h"
#include "pe_image.h"
#include "text_codec.h"

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
    name += "." + std::to_string(random() % 1000000000) + ".tmp";
    fs::path candidate = dir / name;
    try {
      return createNew(candidate);
    } catch (const PackError&) {
      std::error_code ec;
      if (attempt >= 20 || !fs::exists(candidate, ec)) throw;
    }
  }
}

}  // namespace

void writePackedLauncher(const fs::path& stub, const PackConfig& config, const fs::path& out, std::ostream& notes) {
  File in = openForRead(stub);
  StubLayout layout = inspectStub(in);
  std::error_code ec;
  if (fs::is_directory(out, ec)) throw PackError(displayPath(out) + ": is a directory");

  File temp = createTemporaryBeside(out);
  fs::path tempPath = temp.path;
  try {
    copyStub(in, layout, temp);
    writeBlock(temp, layout.cut, config);
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
