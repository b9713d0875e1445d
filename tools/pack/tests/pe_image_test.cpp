// Cutting the launcher stub at the end of its last section, and the stubs the packer refuses.
#include <sstream>

#include "pack_build.h"
#include "pack_test_support.h"
#include "pe_image.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

std::string stubError(const Bytes& stub) {
  try {
    inspectStub(stub, stub.size(), "stub.exe");
  } catch (const PackError& e) {
    return e.what();
  }
  return "";
}

TEST(PeImage, CutIsTheEndOfTheLastSectionTableEntry) {
  for (bool plus : {true, false}) {
    PeShape shape;
    shape.pe32plus = plus;
    shape.sections = 3;
    Bytes stub = makePe(shape);
    StubLayout layout = inspectStub(stub, stub.size(), "stub.exe");
    EXPECT_EQ(layout.cut, 0x800u);
    EXPECT_EQ(layout.dropped, 0u);
    EXPECT_FALSE(layout.clearSymbols);
  }
}

TEST(PeImage, RefusedStubs) {
  struct Case {
    const char* name;
    Bytes stub;
    const char* message;
  };
  Bytes noPe = makePe({});
  noPe[kPeOffset] = 'X';
  Bytes farHeader = makePe({});
  put32(farHeader, 60, 0x7FFFFFF0);
  Bytes noSections = makePe({});
  put16(noSections, kPeOffset + 6, 0);
  Bytes badMagic = makePe({});
  put16(badMagic, kPeOffset + 24, 0x999);
  Bytes shortOptional = makePe({});
  put16(shortOptional, kPeOffset + 20, 100);
  PeShape signedShape;
  signedShape.certificate = true;
  PeShape signed32 = signedShape;
  signed32.pe32plus = false;
  PeShape noData;
  noData.lastRawSize = 0;
  Bytes truncated = makePe({});
  truncated.resize(0x500);
  Bytes overlapping = makePe({});
  put32(overlapping, kPeOffset + 24 + 240 + 16, 0x800);  // the first section now runs past the last

  const Case cases[] = {
      {"empty file", Bytes{}, "not a PE image (no MZ header)"},
      {"text file", Bytes{'h', 'e', 'l', 'l', 'o'}, "not a PE image (no MZ header)"},
      {"no PE signature", noPe, "not a PE image (no PE signature)"},
      {"header offset beyond the file", farHeader, "not a PE image (no PE signature)"},
      {"no sections", noSections, "not a PE image (no sections)"},
      {"unknown optional header", badMagic, "not a PE image (unknown optional header)"},
      {"short optional header", shortOptional, "not a PE image (optional header too short)"},
      {"signed PE32+", makePe(signedShape),
       "already carries a certificate table; pack the unsigned launcher and sign after packing"},
      {"signed PE32", makePe(signed32), "sign after packing"},
      {"last section without data", makePe(noData), "has no data in the file"},
      {"truncated", truncated, "is truncated"},
      {"section beyond the last", overlapping, "section .s0 of the launcher stub ends after its last section"},
  };
  for (const auto& c : cases) {
    std::string error = stubError(c.stub);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.rfind("stub.exe: ", 0), 0u) << c.name << ": the message names the file";
  }
}

class PeCut : public ScratchTest {};

TEST_F(PeCut, SymbolTableAfterTheLastSectionIsDroppedAndItsFieldsCleared) {
  // Symbols (3 records of 18 bytes), then the string table: its size and ".debug_info".
  Bytes trailer(3 * 18, 0x11);
  const char strings[] = "\x10\x00\x00\x00.debug_info";
  trailer.insert(trailer.end(), strings, strings + sizeof strings);
  PeShape shape;
  shape.trailer = trailer;
  shape.symbolsInTrailer = true;
  Bytes stub = makePe(shape);
  size_t firstSection = kPeOffset + 24 + 240;
  std::memcpy(&stub[firstSection], "/4\0\0\0\0\0\0", 8);  // long name at offset 4 of the string table
  writeBytes(path("stub.exe"), stub);

  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), {}, path("out.exe"), notes);
  Bytes exe = readBytes(path("out.exe"));
  EXPECT_EQ(le32(exe, kPeOffset + 12), 0u) << "PointerToSymbolTable";
  EXPECT_EQ(le32(exe, kPeOffset + 16), 0u) << "NumberOfSymbols";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&exe[firstSection]), 8), ".debug_i");
  EXPECT_EQ(le32(exe, 0x600), 0xE8E413D5u) << "the block follows the last section";
  EXPECT_TRUE(std::equal(stub.begin() + 0x200, stub.begin() + 0x600, exe.begin() + 0x200));
  std::string dropped = "left out " + std::to_string(trailer.size()) + " bytes after the last section";
  EXPECT_NE(notes.str().find(dropped + " (the COFF symbol table)"), std::string::npos)
      << notes.str();
}

TEST_F(PeCut, OtherTrailingDataIsDroppedAndTheHeaderKept) {
  PeShape shape;
  shape.trailer = Bytes(700, 0xAB);  // such as the block of an already packed launcher
  Bytes stub = makePe(shape);
  put32(stub, kPeOffset + 12, 0x300);  // a symbol pointer inside the sections stays as it is
  writeBytes(path("stub.exe"), stub);
  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), {}, path("out.exe"), notes);
  Bytes exe = readBytes(path("out.exe"));
  EXPECT_EQ(withoutChecksum(Bytes(exe.begin(), exe.begin() + 0x600)), withoutChecksum(Bytes(stub.begin(), stub.begin() + 0x600)));
  EXPECT_EQ(le32(exe, 0x600), 0xE8E413D5u);
  EXPECT_EQ(exe.size(), 0x600u + 512u);
}

}  // namespace
