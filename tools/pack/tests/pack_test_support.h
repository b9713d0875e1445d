// Helpers of the packer's tests: scratch directories, a small synthetic PE image, an independent
// reader of the block layout, and running the packer binary.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace packtest {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

inline Bytes readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const fs::path& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline uint32_t le32(const Bytes& b, size_t at) {
  return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}
inline uint64_t le64(const Bytes& b, size_t at) { return le32(b, at) | uint64_t(le32(b, at + 4)) << 32; }
inline void put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A minimal PE image: DOS header, PE header, optional header with 16 data directories, and
// `sections` sections of 0x200 bytes each from 0x200 on, so the last one ends at 0x200 * (n + 1).
// Section i lies at RVA 0x1000 * (i + 1). With `resources`, the last two sections are .rsrc,
// holding one RT_MANIFEST resource (type 24, id 1, language 0x409: kManifest), and .reloc,
// holding one base relocation block for the page at 0x1000.
struct PeShape {
  int sections = 2;
  bool pe32plus = true;
  bool certificate = false;
  Bytes trailer;                  // appended after the last section
  bool symbolsInTrailer = false;  // PointerToSymbolTable points at the trailer
  uint32_t lastRawSize = 0x200;
  bool resources = false;
};

constexpr size_t kPeOffset = 0x80;
constexpr size_t kOptional = kPeOffset + 24;
constexpr size_t kChecksumAt = kOptional + 64;
constexpr size_t kSizeOfImageAt = kOptional + 56;
inline size_t directoryAt(int index, bool pe32plus = true) { return kOptional + (pe32plus ? 112 : 96) + 8 * index; }
inline size_t sectionAt(int index, bool pe32plus = true) { return kOptional + (pe32plus ? 240 : 224) + 40 * index; }
inline const std::string kManifest = "<assembly manifestVersion=\"1.0\"/>";
inline const Bytes kRelocations = {0x00, 0x10, 0, 0, 12, 0, 0, 0, 0x08, 0xA0, 0, 0};

// The bytes of the .rsrc section of makePe, laid out by hand: three directories, a data entry
// and the manifest.
inline Bytes manifestSection(uint32_t rva) {
  Bytes b(0x58, 0);
  auto dir = [&](size_t at, uint32_t id, uint32_t target) {
    put16(b, at + 14, 1);
    put32(b, at + 16, id);
    put32(b, at + 20, target);
  };
  dir(0x00, 24, 0x80000018);
  dir(0x18, 1, 0x80000030);
  dir(0x30, 0x409, 0x48);
  put32(b, 0x48, rva + 0x58);
  put32(b, 0x4C, static_cast<uint32_t>(kManifest.size()));
  b.insert(b.end(), kManifest.begin(), kManifest.end());
  return b;
}

inline Bytes makePe(const PeShape& shape) {
  uint16_t optionalSize = shape.pe32plus ? 240 : 224;
  size_t table = kPeOffset + 24 + optionalSize;
  Bytes b(0x200 * (shape.sections + 1), 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 60, kPeOffset);
  std::memcpy(&b[kPeOffset], "PE\0\0", 4);
  put16(b, kPeOffset + 4, 0x8664);
  put16(b, kPeOffset + 6, static_cast<uint16_t>(shape.sections));
  put16(b, kPeOffset + 20, optionalSize);
  size_t opt = kPeOffset + 24;
  put16(b, opt, shape.pe32plus ? 0x20B : 0x10B);
  put32(b, opt + 32, 0x1000);  // SectionAlignment
  put32(b, opt + 36, 0x200);   // FileAlignment
  put32(b, opt + 56, 0x1000 * (shape.sections + 1));
  put32(b, opt + 60, 0x200);   // SizeOfHeaders
  size_t count = opt + (shape.pe32plus ? 108 : 92);
  put32(b, count, 16);
  if (shape.certificate) {
    put32(b, count + 4 + 4 * 8, 0x1000);
    put32(b, count + 4 + 4 * 8 + 4, 0x100);
  }
  for (int i = 0; i < shape.sections; ++i) {
    size_t entry = table + 40 * i;
    std::string name = ".s" + std::to_string(i);
    std::memcpy(&b[entry], name.data(), name.size());
    bool last = i == shape.sections - 1;
    put32(b, entry + 8, 0x200);
    put32(b, entry + 12, 0x1000 * (i + 1));
    put32(b, entry + 16, last ? shape.lastRawSize : 0x200);
    put32(b, entry + 20, last && shape.lastRawSize == 0 ? 0 : 0x200 * (i + 1));
    put32(b, entry + 36, 0x40000040);
    for (size_t k = 0; k < 0x200; ++k) b[0x200 * (i + 1) + k] = static_cast<uint8_t>(i * 31 + k);
  }
  if (shape.resources) {
    int rsrc = shape.sections - 2, reloc = shape.sections - 1;
    uint32_t rsrcVa = 0x1000 * (rsrc + 1), relocVa = 0x1000 * (reloc + 1);
    Bytes section = manifestSection(rsrcVa);
    std::memcpy(&b[table + 40 * rsrc], ".rsrc\0\0\0", 8);
    std::memcpy(&b[table + 40 * reloc], ".reloc\0\0", 8);
    std::fill(b.begin() + 0x200 * (rsrc + 1), b.begin() + 0x200 * (reloc + 2), 0);
    std::copy(section.begin(), section.end(), b.begin() + 0x200 * (rsrc + 1));
    std::copy(kRelocations.begin(), kRelocations.end(), b.begin() + 0x200 * (reloc + 1));
    put32(b, table + 40 * rsrc + 8, static_cast<uint32_t>(section.size()));
    put32(b, table + 40 * reloc + 8, static_cast<uint32_t>(kRelocations.size()));
    put32(b, table + 40 * reloc + 36, 0x42000040);
    put32(b, count + 4 + 2 * 8, rsrcVa);
    put32(b, count + 4 + 2 * 8 + 4, static_cast<uint32_t>(section.size()));
    put32(b, count + 4 + 5 * 8, relocVa);
    put32(b, count + 4 + 5 * 8 + 4, static_cast<uint32_t>(kRelocations.size()));
  }
  if (shape.lastRawSize != 0) b.resize(0x200 * shape.sections + shape.lastRawSize);
  if (shape.symbolsInTrailer) {
    put32(b, kPeOffset + 12, static_cast<uint32_t>(b.size()));
    put32(b, kPeOffset + 16, 3);
  }
  b.insert(b.end(), shape.trailer.begin(), shape.trailer.end());
  return b;
}

// The image checksum as the usual tools compute it: 32-bit words summed with end-around carry,
// folded to 16 bits, plus the file length.
inline uint32_t referenceChecksum(Bytes b) {
  std::fill_n(b.begin() + kChecksumAt, 4, 0);
  size_t length = b.size();
  b.resize((b.size() + 3) / 4 * 4, 0);
  uint64_t sum = 0;
  for (size_t at = 0; at < b.size(); at += 4) {
    sum = (sum & 0xFFFFFFFF) + le32(b, at) + (sum >> 32);
    if (sum > 0xFFFFFFFFull) sum = (sum & 0xFFFFFFFF) + (sum >> 32);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  sum += sum >> 16;
  return static_cast<uint32_t>((sum & 0xFFFF) + length);
}

// A copy with the CheckSum field zeroed, for comparing images that differ only in it.
inline Bytes withoutChecksum(Bytes b) {
  std::fill_n(b.begin() + kChecksumAt, 4, 0);
  return b;
}

// The block as an independent reader sees it, parsed from the bytes of a packed launcher.
struct ParsedBlock {
  size_t offset = 0;
  uint32_t magic = 0, reserved1 = 0, reserved2 = 0;
  int64_t sizeField = 0;
  std::vector<std::pair<int32_t, std::string>> strings;
  std::vector<std::pair<int32_t, std::u16string>> wide;
  std::vector<std::pair<std::string, std::vector<std::pair<int32_t, std::u16string>>>> groups;
  size_t filesOffset = 0;
  std::vector<Bytes> files;  // unscrambled
  size_t endOffset = 0;      // after the end marker
  Bytes endMarker;
};

inline ParsedBlock parseBlock(const Bytes& exe, int fileCount, uint8_t key = 0x5A) {
  ParsedBlock out;
  size_t pe = le32(exe, 60);
  size_t sections = exe.at(pe + 6) | exe.at(pe + 7) << 8;
  size_t optional = exe.at(pe + 20) | exe.at(pe + 21) << 8;
  size_t last = pe + 24 + optional + 40 * (sections - 1);
  size_t at = le32(exe, last + 20) + le32(exe, last + 16);
  out.offset = at;
  auto i32 = [&] {
    int32_t v = static_cast<int32_t>(le32(exe, at));
    at += 4;
    return v;
  };
  auto bytes = [&](size_t n) {
    std::string s(exe.begin() + static_cast<long>(at), exe.begin() + static_cast<long>(at + n));
    at += n;
    return s;
  };
  auto wide = [&] {
    int32_t n = i32();
    std::u16string s;
    for (int32_t k = 0; k < n / 2; ++k)
      s.push_back(static_cast<char16_t>(exe.at(at + 2 * k) | exe.at(at + 2 * k + 1) << 8));
    at += static_cast<size_t>(n);
    return s;
  };
  out.magic = le32(exe, at);
  out.reserved1 = le32(exe, at + 4);
  out.reserved2 = le32(exe, at + 8);
  out.sizeField = static_cast<int64_t>(le64(exe, at + 12));
  at += 20;
  for (int32_t n = i32(); n > 0; --n) {
    int32_t k = i32();
    int32_t len = i32();
    out.strings.emplace_back(k, bytes(static_cast<size_t>(len)));
  }
  for (int32_t n = i32(); n > 0; --n) {
    int32_t k = i32();
    out.wide.emplace_back(k, wide());
  }
  for (int32_t n = i32(); n > 0; --n) {
    int32_t len = i32();
    std::string prefix = bytes(static_cast<size_t>(len));
    std::vector<std::pair<int32_t, std::u16string>> entries;
    for (int32_t m = i32(); m > 0; --m) {
      int32_t k = i32();
      entries.emplace_back(k, wide());
    }
    out.groups.emplace_back(prefix, entries);
  }
  out.filesOffset = at;
  for (int f = 0; f < fileCount; ++f) {
    int64_t len = static_cast<int64_t>(le64(exe, at));
    at += 8;
    Bytes content(exe.begin() + static_cast<long>(at), exe.begin() + static_cast<long>(at + len));
    for (auto& c : content) c ^= key;
    out.files.push_back(content);
    at += static_cast<size_t>(len);
  }
  out.endMarker = Bytes(exe.begin() + static_cast<long>(at), exe.begin() + static_cast<long>(at + 4));
  out.endOffset = at + 4;
  return out;
}

// A fresh scratch directory per test.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    dir = fs::temp_directory_path() / ("quorv-pack-test-" + std::to_string(seed()) + std::to_string(seed()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path path(const std::string& name) const { return dir / name; }
  // Files in the scratch directory whose names begin with a dot (the packer's temporary files).
  std::vector<std::string> hiddenFiles() const {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(dir))
      if (e.path().filename().string().front() == '.') out.push_back(e.path().filename().string());
    return out;
  }
  fs::path dir;
};

struct RunResult {
  int code = -1;
  std::string output;  // standard output and error together
};

// Runs a shell command; its standard output and error come back together.
inline RunResult runCommand(const std::string& command) {
  RunResult r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
  int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Runs the packer binary with the given arguments (each is quoted).
inline RunResult runPack(const std::vector<std::string>& args) {
  std::string cmd = "'" + std::string(QUORV_PACK_BINARY) + "'";
  for (const auto& a : args) cmd += " '" + a + "'";
  return runCommand(cmd);
}

}  // namespace packtest
