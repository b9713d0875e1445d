#include <gtest/gtest.h>

#include "config/block.h"
#include "config/keys.h"
#include "config/store.h"
#include "core/globals.h"
#include "diag/fatal.h"
#include "support/block_builder.h"
#include "support/host_system.h"

namespace quorv {
namespace {

using test::Bytes;

// Loads `exe` through the reader; returns the fatal message, or "" when loading succeeded.
std::string load(const Bytes& exe, const std::string& locale = "en") {
  test::resetHost();
  BlockReader reader = makeBlockReader(test::memorySource(exe));
  try {
    seekAppendedBlock(reader);
    loadConfigurationFrom(reader, [&] { return locale; });
  } catch (const test::FatalExit& exit) {
    EXPECT_EQ(exit.code, 1);
    return exit.message;
  }
  return "";
}

// Offset of the end marker of a block without included files.
std::size_t configEnd(const Bytes& exe) {
  std::size_t end = exe.size();
  while (exe[end - 1] == 0) --end;
  return end - 4;
}

Bytes exeWith(const Bytes& block) {
  Bytes exe = test::minimalPe();
  exe.insert(exe.end(), block.begin(), block.end());
  return exe;
}

TEST(Block, ReadsTablesAndLocatesTheIncludedFilesRegion) {
  test::BlockSpec spec;
  spec.strings = {{101, "MySvc"}, {107, "4"}, {101, "Later"}, {-5, ""}};
  spec.wide = {{20017, u"Beschreibung \u00e9\u4e2d"}};
  const Bytes exe = exeWith(test::blockBytes(spec));
  ASSERT_EQ(load(exe), "");
  EXPECT_EQ(getConfigString(101), "Later");  // a repeated key takes the later value
  EXPECT_EQ(getConfigInt(key::LauncherKind), 4);
  EXPECT_EQ(getConfigWString(20017), u"Beschreibung \u00e9\u4e2d");
  EXPECT_FALSE(useMessageBox);
  // The region begins right after the configuration part (here: just before the end marker).
  EXPECT_EQ(includedFilesOffset, configEnd(exe));
  EXPECT_TRUE(test::logContains("number of sections: 2"));
  EXPECT_TRUE(test::logContains("size of optional headers: 240"));
  EXPECT_TRUE(test::logContains("rawDataSize: 0, rawDataOffset: 1024"));
}

TEST(Block, MessageBoxOnlyForKindsOneAndFive) {
  for (const auto& [kind, box] : std::vector<std::pair<std::string, bool>>{
           {"1", true}, {"5", true}, {"0", false}, {"2", false}, {"4", false}, {"", false}}) {
    test::BlockSpec spec;
    if (!kind.empty()) spec.strings = {{107, kind}};
    ASSERT_EQ(load(exeWith(test::blockBytes(spec))), "");
    EXPECT_EQ(useMessageBox, box) << kind;
  }
}

TEST(Block, LocaleGroupsReplaceWideEntriesByPrefix) {
  test::BlockSpec spec;
  spec.wide = {{20017, u"default"}, {20018, u"other"}};
  spec.groups = {{"de", {{20017, u"deutsch"}}}, {"", {{20018, u"all"}}}, {"de_CH", {{20017, u"schweiz"}}}};
  const Bytes exe = exeWith(test::blockBytes(spec));
  struct Case {
    const char* locale;
    std::u16string description;
  } cases[] = {{"de", u"deutsch"}, {"de_DE", u"deutsch"}, {"de_CH", u"schweiz"}, {"en_US", u"default"}, {"d", u"default"}};
  for (const auto& c : cases) {
    ASSERT_EQ(load(exe, c.locale), "");
    EXPECT_EQ(getConfigWString(20017), c.description) << c.locale;
    EXPECT_EQ(getConfigWString(20018), u"all") << c.locale;
  }
}

TEST(Block, EmptyAndNegativeCountsMeanNoEntries) {
  Bytes block;
  test::putI32(block, static_cast<int32_t>(0xE8E413D5u));
  test::putI32(block, 0);
  test::putI32(block, 0);
  test::putI64(block, 0);
  test::putI32(block, -7);  // strings
  test::putI32(block, 0);   // wide
  test::putI32(block, INT32_MIN);  // groups
  ASSERT_EQ(load(exeWith(block)), "");
  EXPECT_TRUE(configStore().strings.empty());
  EXPECT_EQ(getConfigInt(101), 0);
}

TEST(Block, DamagedBlocksEndWithTheReadersMessage) {
  test::BlockSpec spec;
  spec.strings = {{101, "svc"}, {1000, "Caption"}};
  spec.wide = {{20017, u"desc"}};
  spec.groups = {{"en", {{20017, u"english"}}}};
  const Bytes good = exeWith(test::blockBytes(spec));
  const std::size_t blockStart = 1024;

  // Cut the file at every byte inside the configuration part: each cut ends in a reader's
  // message, never a crash.
  for (std::size_t cut = blockStart; cut < configEnd(good); ++cut) {
    const Bytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    const std::string message = load(truncated);
    EXPECT_TRUE(message == "Internal Error: readInt" || message == "Internal Error: readLong" ||
                message == "Internal Error: readString" || message == "Internal Error: readWString")
        << "cut at " << cut << ": " << message;
  }
}

TEST(Block, HostileHeadersAndLengths) {
  const Bytes pe = test::minimalPe();
  auto withBody = [&](auto fill) {
    Bytes block;
    test::putI32(block, static_cast<int32_t>(0xE8E413D5u));
    test::putI32(block, 0);
    test::putI32(block, 0);
    test::putI64(block, 0);
    fill(block);
    return exeWith(block);
  };
  struct Case {
    const char* what;
    Bytes exe;
    const char* message;
  } cases[] = {
      {"no block at all", pe, "Internal Error: readInt"},
      {"other data after the image", exeWith(Bytes(64, 0x11)), "Internal Error: magic"},
      {"negative string length", withBody([](Bytes& b) { test::putI32(b, 1); test::putI32(b, 101); test::putI32(b, -1); }),
       "Internal Error: readString"},
      {"string length beyond the file", withBody([](Bytes& b) { test::putI32(b, 1); test::putI32(b, 101); test::putI32(b, INT32_MAX); b.push_back('x'); }),
       "Internal Error: readString"},
      {"wide length beyond the file", withBody([](Bytes& b) { test::putI32(b, 0); test::putI32(b, 1); test::putI32(b, 20017); test::putI32(b, 0x7ffffffe); }),
       "Internal Error: readWString"},
      {"negative wide length", withBody([](Bytes& b) { test::putI32(b, 0); test::putI32(b, 1); test::putI32(b, 20017); test::putI32(b, -2); }),
       "Internal Error: readWString"},
      {"millions of string entries", withBody([](Bytes& b) { test::putI32(b, 50000000); test::putString(b, 1, "x"); }),
       "Internal Error: readInt"},
      {"millions of groups", withBody([](Bytes& b) { test::putI32(b, 0); test::putI32(b, 0); test::putI32(b, 2000000000); }),
       "Internal Error: readInt"},
  };
  for (const auto& c : cases) EXPECT_EQ(load(c.exe), c.message) << c.what;
}

TEST(Block, HostilePeHeadersFailCleanly) {
  struct Case {
    const char* what;
    uint32_t offset;
    Bytes bytes;
  } cases[] = {
      {"PE offset beyond the file", 60, {0xff, 0xff, 0xff, 0x7f}},
      {"negative PE offset", 60, {0x00, 0x00, 0x00, 0x80}},
      {"negative section count", 0x80 + 6, {0x00, 0x80}},
      {"section table beyond the file", 0x80 + 20, {0xff, 0x7f}},
  };
  for (const auto& c : cases) {
    Bytes exe = exeWith(test::blockBytes({}));
    std::copy(c.bytes.begin(), c.bytes.end(), exe.begin() + c.offset);
    const std::string message = load(exe);
    EXPECT_TRUE(message.rfind("Internal Error: ", 0) == 0) << c.what << ": " << message;
  }
}

TEST(Block, OddWideLengthKeepsWholeUnits) {
  Bytes block;
  test::putI32(block, static_cast<int32_t>(0xE8E413D5u));
  test::putI32(block, 0);
  test::putI32(block, 0);
  test::putI64(block, 0);
  test::putI32(block, 0);
  test::putI32(block, 1);
  test::putI32(block, 20017);
  test::putI32(block, 5);
  for (uint8_t b : Bytes{'a', 0, 'b', 0, 'c'}) block.push_back(b);
  test::putI32(block, 0);
  ASSERT_EQ(load(exeWith(block)), "");
  EXPECT_EQ(getConfigWString(20017), u"ab");
}

}  // namespace
}  // namespace quorv
