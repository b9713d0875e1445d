// Included files: scrambled records, 64-bit sizes, extraction, and a damaged record.
#include <sstream>

#include "block_reader.h"
#include "block_writer.h"
#include "pack_build.h"
#include "pack_test_support.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

TEST(IncludedFileSizes, RecordLengthIsEightBytesLittleEndian) {
  EXPECT_EQ(encodeRecordLength(0x1'4000'0001ull), (Bytes{0x01, 0x00, 0x00, 0x40, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(encodeRecordLength(0), Bytes(8, 0));
  EXPECT_THROW(encodeRecordLength(0x8000'0000'0000'0000ull), PackError);
}

TEST(IncludedFileSizes, SizeFieldCountsFieldConfigurationAndRecordsIn64Bits) {
  const uint64_t fiveGiB = 5ull << 30;
  const uint64_t sizes[] = {fiveGiB, 3, 0};
  EXPECT_EQ(blockSizeField(100, sizes), int64_t(8 + 100 + (8 + fiveGiB) + (8 + 3) + 8));
  EXPECT_EQ(blockSizeField(12, {}), 20);
  const uint64_t huge[] = {0x7FFF'FFFF'FFFF'FF00ull, 0x1000};
  EXPECT_THROW(blockSizeField(12, huge), PackError);
}

TEST(IncludedFileSizes, PaddingReachesTheNext512Boundary) {
  EXPECT_EQ(paddingAfter(512), 0u);
  EXPECT_EQ(paddingAfter(513), 511u);
  EXPECT_EQ(paddingAfter((5ull << 30) + 1), 511u);
}

class IncludedFiles : public ScratchTest {
 protected:
  void pack(const PackConfig& config) {
    writeBytes(path("stub.exe"), makePe({}));
    std::ostringstream notes;
    writePackedLauncher(path("stub.exe"), config, path("out.exe"), notes);
    lastNotes = notes.str();
  }
  std::string lastNotes;
};

TEST_F(IncludedFiles, ExtractWritesTheFilesBackUnscrambled) {
  Bytes big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
  writeBytes(path("big.bin"), big);
  writeText(path("empty.txt"), "");
  writeText(path("b.jar"), "bee");
  PackConfig config;
  config.files = {{path("big.bin"), "big.bin"}, {path("empty.txt"), "empty.txt"}, {path("b.jar"), "lib\\b.jar"}};
  config.strings[2002] = "3";
  config.strings[2003] = "big.bin;empty.txt;lib\\b.jar";
  pack(config);
  EXPECT_NE(lastNotes.find("empty.txt is empty; the launcher writes no file for it"), std::string::npos);

  Bytes exe = readBytes(path("out.exe"));
  ParsedBlock b = parseBlock(exe, 3);
  EXPECT_EQ(b.files[0], big);
  EXPECT_EQ(le64(exe, b.filesOffset), big.size());
  // Stored scrambled: no byte of the content appears as itself.
  EXPECT_EQ(exe[b.filesOffset + 8 + 1], big[1] ^ 0x5A);

  std::ostringstream report;
  EXPECT_EQ(extractIncludedFiles(path("out.exe"), path("x"), report), 2u);
  EXPECT_EQ(readBytes(path("x/big.bin")), big);
  EXPECT_EQ(readBytes(path("x/lib/b.jar")), (Bytes{'b', 'e', 'e'}));
  EXPECT_FALSE(fs::exists(path("x/empty.txt"))) << "like the launcher, no file for an empty record";
}

TEST_F(IncludedFiles, ARecordRunningPastTheEndIsReportedAsDamaged) {
  writeText(path("a.jar"), "abc");
  PackConfig config;
  config.files = {{path("a.jar"), "a.jar"}};
  config.strings[2002] = "1";
  config.strings[2003] = "a.jar";
  pack(config);
  Bytes exe = readBytes(path("out.exe"));
  ParsedBlock b = parseBlock(exe, 1);
  put32(exe, b.filesOffset, 0);
  put32(exe, b.filesOffset + 4, 5);  // 5 * 2^32 bytes
  writeBytes(path("bad.exe"), exe);
  try {
    readBlock(path("bad.exe"));
    FAIL() << "expected a damaged-block error";
  } catch (const PackError& e) {
    EXPECT_NE(std::string(e.what()).find("damaged block: included file runs past the end of the file"),
              std::string::npos)
        << e.what();
  }
}

TEST_F(IncludedFiles, ExtractRefusesNamesThatLeaveTheDirectory) {
  writeText(path("a.jar"), "abc");
  PackConfig config;
  config.files = {{path("a.jar"), "..\\a.jar"}};
  config.strings[2002] = "1";
  config.strings[2003] = "..\\a.jar";
  pack(config);
  std::ostringstream report;
  try {
    extractIncludedFiles(path("out.exe"), path("x"), report);
    FAIL() << "expected a refusal";
  } catch (const PackError& e) {
    EXPECT_NE(std::string(e.what()).find("included file \"..\\a.jar\": the name contains \".\" or \"..\""),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(report.str(), "") << "nothing was written";
}

TEST_F(IncludedFiles, CountAndNamesFollowTheLauncherRules) {
  // Key 2002 of 1 with two names: only the first record is the launcher's.
  writeText(path("a.jar"), "abc");
  PackConfig config;
  config.files = {{path("a.jar"), "a.jar"}, {path("a.jar"), "b.jar"}};
  config.strings[2002] = " 1x";
  config.strings[2003] = ";a.jar;;b.jar;";
  pack(config);
  BlockContents block = readBlock(path("out.exe"));
  ASSERT_EQ(block.records.size(), 1u);
  EXPECT_EQ(block.records[0].name, "a.jar");
  EXPECT_FALSE(block.endMarkerFound) << "the second record follows, not the marker";
}

}  // namespace
