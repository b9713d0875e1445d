// The written block, read back byte by byte by the tests' own reader.
#include <sstream>

#include "block_writer.h"
#include "pack_build.h"
#include "pack_test_support.h"
#include "parse_config.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

class BlockLayout : public ScratchTest {};

TEST_F(BlockLayout, HeaderTablesRecordsMarkerAndPadding) {
  Bytes stub = makePe({});
  writeBytes(path("stub.exe"), stub);
  writeText(path("rt.jar"), "RUNTIME");
  writeText(path("app.jar"), std::string("\x00\x5A\xFF" "abc", 6));
  writeText(path("c.toml"), R"(
[service]
name = "svc"
description = { default = "Dienst", de = "Dienst DE", de_CH = "Dienst CH" }
[strings]
108 = "extra"
-7 = "negative"
[[files]]
source = "app.jar"
target = "lib\\app.jar"
)");
  ParseResult parsed = parseConfigFile(path("c.toml"), {path("rt.jar"), true});
  ASSERT_TRUE(parsed.problems.empty()) << formatProblem(parsed.problems[0]);
  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), parsed.config, path("out.exe"), notes);

  Bytes exe = readBytes(path("out.exe"));
  ParsedBlock b = parseBlock(exe, 2);
  EXPECT_EQ(b.offset, 0x600u);
  Bytes image = withoutChecksum(Bytes(exe.begin(), exe.begin() + static_cast<long>(stub.size())));
  EXPECT_EQ(image, withoutChecksum(stub)) << "the stub is copied unchanged but for its checksum";
  EXPECT_EQ(le32(exe, kChecksumAt), referenceChecksum(exe)) << "the checksum covers the whole file";
  EXPECT_EQ(b.magic, 0xE8E413D5u);
  EXPECT_EQ(exe[b.offset], 0xD5);  // little-endian in the file
  EXPECT_EQ(b.reserved1, 0u);
  EXPECT_EQ(b.reserved2, 0u);
  // From the start of the size field (offset + 12) to the end of the last record.
  EXPECT_EQ(b.sizeField, static_cast<int64_t>(b.endOffset - 4 - (b.offset + 12)));

  // The string table in key order, with the defaults the packer adds.
  std::map<int32_t, std::string> strings(b.strings.begin(), b.strings.end());
  EXPECT_EQ(b.strings.front().first, -7);
  EXPECT_EQ(strings[101], "svc");
  EXPECT_EQ(strings[108], "extra");
  EXPECT_EQ(strings[2001], "q");
  EXPECT_EQ(strings[1000], "Error");
  EXPECT_EQ(strings[1009], "An internal error occurred (error code: {0})");
  EXPECT_EQ(strings[1016],
            "No JVM could be found on your system.\nPlease define QUORV_JAVA_HOME\nto point to an installed {0}-bit "
            "JDK or JRE or download a JRE from adoptium.net.");
  EXPECT_EQ(strings[2002], "2");
  EXPECT_EQ(strings[2003], "quorv-runtime.jar;lib\\app.jar");
  for (size_t i = 1; i < b.strings.size(); ++i) EXPECT_LT(b.strings[i - 1].first, b.strings[i].first);

  ASSERT_EQ(b.wide.size(), 1u);
  EXPECT_EQ(b.wide[0].first, 20017);
  EXPECT_EQ(b.wide[0].second, u"Dienst");
  ASSERT_EQ(b.groups.size(), 2u);
  EXPECT_EQ(b.groups[0].first, "de");
  EXPECT_EQ(b.groups[1].first, "de_CH");  // the more specific group comes last and wins
  EXPECT_EQ(b.groups[1].second.at(0).second, u"Dienst CH");

  // Records: the runtime first, then the file; contents scrambled in the file.
  EXPECT_EQ(std::string(b.files[0].begin(), b.files[0].end()), "RUNTIME");
  EXPECT_EQ(b.files[1], (Bytes{0x00, 0x5A, 0xFF, 'a', 'b', 'c'}));
  EXPECT_EQ(le64(exe, b.filesOffset), 7u);
  EXPECT_EQ(exe[b.filesOffset + 8], 'R' ^ 0x5A);

  EXPECT_EQ(b.endMarker, (Bytes{0xE8, 0xE4, 0x13, 0xD5}));
  EXPECT_EQ(exe.size() % 512, 0u);
  EXPECT_LT(exe.size() - b.endOffset, 512u);
  EXPECT_TRUE(std::all_of(exe.begin() + static_cast<long>(b.endOffset), exe.end(), [](uint8_t c) { return c == 0; }));
}

TEST_F(BlockLayout, PaddingFollowsTheFileOffsetNotTheBlockLength) {
  // A stub whose last section ends off a 512 boundary.
  PeShape shape;
  shape.lastRawSize = 0x123;
  Bytes stub = makePe(shape);
  writeBytes(path("stub.exe"), stub);
  PackConfig config;
  config.strings[101] = "x";
  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), config, path("out.exe"), notes);
  Bytes exe = readBytes(path("out.exe"));
  ParsedBlock b = parseBlock(exe, 0);
  EXPECT_EQ(b.offset, 0x523u);
  EXPECT_EQ(b.endMarker, (Bytes{0xE8, 0xE4, 0x13, 0xD5}));
  EXPECT_EQ(exe.size() % 512, 0u);
  EXPECT_EQ(notes.str(), "") << "nothing was dropped";
}

TEST_F(BlockLayout, EmptyConfigurationHasZeroCounts) {
  writeBytes(path("stub.exe"), makePe({}));
  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), PackConfig{}, path("out.exe"), notes);
  Bytes exe = readBytes(path("out.exe"));
  ParsedBlock b = parseBlock(exe, 0);
  EXPECT_TRUE(b.strings.empty() && b.wide.empty() && b.groups.empty());
  EXPECT_EQ(b.sizeField, 8 + 12);  // the field itself and three zero counts
  EXPECT_EQ(exe.size(), 0x600u + 512u);
}

}  // namespace
