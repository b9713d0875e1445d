// The version resource and the icon: the settings that describe them, their bytes, and how a
// packed launcher carries them and `dump` shows them.
#include <sstream>

#include "dump_config.h"
#include "pack_build.h"
#include "pack_test_support.h"
#include "parse_config.h"
#include "pe_image.h"
#include "version_resource.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

Bytes fromHex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// A 32-bit bitmap icon image: BITMAPINFOHEADER (height doubled for the mask), pixels, AND mask.
Bytes bitmapImage(int size) {
  Bytes b(40, 0);
  put32(b, 0, 40);
  put32(b, 4, static_cast<uint32_t>(size));
  put32(b, 8, static_cast<uint32_t>(2 * size));
  put16(b, 12, 1);
  put16(b, 14, 32);
  b.resize(40 + size * size * 4 + ((size + 31) / 32) * 4 * size, 0x7F);
  return b;
}

Bytes pngImage() {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  b.resize(64, 0);
  return b;
}

// An .ico file; each image with the planes and bit count its directory entry claims.
Bytes iconFile(const std::vector<std::tuple<int, Bytes, uint16_t, uint16_t>>& images) {
  Bytes b(6, 0);
  put16(b, 2, 1);
  put16(b, 4, static_cast<uint16_t>(images.size()));
  size_t offset = 6 + 16 * images.size();
  Bytes data;
  for (const auto& [size, image, planes, bits] : images) {
    size_t e = b.size();
    b.resize(e + 16, 0);
    b[e] = b[e + 1] = static_cast<uint8_t>(size % 256);
    put16(b, e + 4, planes);
    put16(b, e + 6, bits);
    put32(b, e + 8, static_cast<uint32_t>(image.size()));
    put32(b, e + 12, static_cast<uint32_t>(offset + data.size()));
    data.insert(data.end(), image.begin(), image.end());
  }
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

TEST(VersionNumbers, DottedNumbersWithAnOptionalSuffix) {
  struct Case {
    const char* text;
    VersionNumbers numbers;
    const char* fault;
  };
  const Case cases[] = {
      {"1", {1, 0, 0, 0}, ""},
      {"1.2.3.4", {1, 2, 3, 4}, ""},
      {"65535.0.65535", {65535, 0, 65535, 0}, ""},
      {"1.2.3-SNAPSHOT", {1, 2, 3, 0}, ""},
      {"2024.1 beta", {2024, 1, 0, 0}, ""},
      {"", {}, "a version begins with a number"},
      {"v1.2", {}, "a version begins with a number"},
      {"1.", {}, "a dot must be followed by a number"},
      {"1..2", {}, "a dot must be followed by a number"},
      {"65536", {}, "each number of a version is at most 65535"},
      {"1.99999999999", {}, "each number of a version is at most 65535"},
      {"1.2.3.4.5", {}, "a version has at most four numbers"},
  };
  for (const auto& c : cases) {
    VersionNumbers n;
    EXPECT_EQ(parseVersionNumbers(c.text, n), c.fault) << c.text;
    if (std::string(c.fault).empty()) {
      EXPECT_EQ(n, c.numbers) << c.text;
    }
  }
}

TEST(VersionResource, BytesMatchWhatTheResourceCompilerWrites) {
  // windres compiled the same VERSIONINFO statement into these bytes.
  const Bytes expected = fromHex(
      "680134000000560053005f00560045005200530049004f004e005f0049004e0046004f0000000000bd04effe00000100"
      "020001000400030002000100000000003f000000000000000400040001000000000000000000000000000000c6000000"
      "010053007400720069006e006700460069006c00650049006e0066006f000000a2000000010030003400300039003000"
      "340042003000000030000800010043006f006d00700061006e0079004e0061006d006500000000004b0065006c007600"
      "6100720061000000300008000100460069006c006500560065007200730069006f006e000000000031002e0032002e00"
      "33002e00340000002a0005000100500072006f0064007500630074004e0061006d00650000000000e900630068006f00"
      "00000000440000000100560061007200460069006c00650049006e0066006f0000000000240004000000540072006100"
      "6e0073006c006100740069006f006e00000000000904b004");
  VersionInfo info;
  info.fileVersion = {1, 2, 3, 4};
  info.productVersion = {1, 2, 0, 0};
  info.strings = {{"CompanyName", u"Kelvara"}, {"FileVersion", u"1.2.3.4"}, {"ProductName", u"\u00e9cho"}};
  Bytes bytes = encodeVersionInfo(info);
  EXPECT_EQ(bytes, expected);

  VersionInfo back = decodeVersionInfo(bytes, "x");
  EXPECT_EQ(back.fileVersion, info.fileVersion);
  EXPECT_EQ(back.productVersion, info.productVersion);
  EXPECT_EQ(back.strings, info.strings);
}

TEST(VersionResource, DamagedBytesAreReportedNotTrusted) {
  VersionInfo info;
  info.strings = {{"ProductName", u"x"}};
  Bytes good = encodeVersionInfo(info);
  Bytes longer = good;
  put16(longer, 0, static_cast<uint16_t>(good.size() + 10));
  Bytes otherKey = good;
  otherKey[6] = 'W';
  for (const auto& [bytes, message] : std::vector<std::pair<Bytes, std::string>>{
           {Bytes(4, 0), "a block is cut short"},
           {longer, "a block's length leaves its parent"},
           {otherKey, "no VS_VERSION_INFO key"},
           {Bytes(good.begin(), good.begin() + 20), "a block's length leaves its parent"}}) {
    try {
      decodeVersionInfo(bytes, "app.exe");
      ADD_FAILURE() << message;
    } catch (const PackError& e) {
      EXPECT_EQ(std::string(e.what()), "app.exe: damaged version resource: " + message);
    }
  }
}

TEST(VersionResource, DefaultsNameTheOutputAndRepeatTheFileVersion) {
  ExecutableInfo info;
  info.versionStrings = {{"version.product", u"Echo"}, {"version.file-version", u"2.5-rc1"}};
  VersionInfo v = buildVersionInfo(info, "echo-service.exe");
  EXPECT_EQ(v.fileVersion, (VersionNumbers{2, 5, 0, 0}));
  EXPECT_EQ(v.productVersion, v.fileVersion);
  EXPECT_EQ(v.strings, (std::vector<std::pair<std::string, std::u16string>>{{"FileVersion", u"2.5-rc1"},
                                                                             {"InternalName", u"echo-service"},
                                                                             {"OriginalFilename", u"echo-service.exe"},
                                                                             {"ProductName", u"Echo"},
                                                                             {"ProductVersion", u"2.5-rc1"}}));
  info.versionStrings["version.original-filename"] = u"Echo.Service.exe";
  info.versionStrings["version.product-version"] = u"3";
  v = buildVersionInfo(info, "ignored.exe");
  EXPECT_EQ(v.text("InternalName"), u"Echo.Service");
  EXPECT_EQ(v.text("ProductVersion"), u"3");
  EXPECT_EQ(v.productVersion, (VersionNumbers{3, 0, 0, 0}));
}

TEST(IconFile, ImagesAndTheirDirectoryEntries) {
  Bytes ico = iconFile({{16, bitmapImage(16), 0, 0}, {32, bitmapImage(32), 1, 32}, {256, pngImage(), 0, 0}});
  std::vector<IconImage> images = parseIconFile(ico, "app.ico");
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[0].width, 16);
  EXPECT_EQ(images[0].planes, 1) << "taken from the bitmap header when the entry leaves it 0";
  EXPECT_EQ(images[0].bitCount, 32);
  EXPECT_EQ(images[0].bytes, bitmapImage(16));
  EXPECT_EQ(images[2].width, 0) << "0 stands for 256";
  EXPECT_EQ(images[2].bitCount, 32);
  EXPECT_EQ(images[2].bytes, pngImage());

  Bytes outside = ico;
  put32(outside, 6 + 12, 100000);
  Bytes notAnImage = iconFile({{16, Bytes(48, 0x11), 1, 32}});
  Bytes cursor = ico;
  put16(cursor, 2, 2);
  const std::pair<Bytes, std::string> bad[] = {
      {Bytes{}, "no icon header"},
      {cursor, "no icon header"},
      {Bytes{0, 0, 1, 0, 0, 0}, "no images"},
      {Bytes(ico.begin(), ico.begin() + 30), "the image list is cut short"},
      {outside, "image 1 lies outside the file"},
      {notAnImage, "image 1 is neither a bitmap nor a PNG image"},
  };
  for (const auto& [bytes, why] : bad) {
    try {
      parseIconFile(bytes, "app.ico");
      ADD_FAILURE() << why;
    } catch (const PackError& e) {
      EXPECT_EQ(std::string(e.what()), "app.ico: not an icon file (" + why + ")");
    }
  }
}

class ExecutableResources : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    PeShape shape;
    shape.sections = 3;
    shape.resources = true;
    writeBytes(path("stub.exe"), makePe(shape));
    writeBytes(path("app.ico"), iconFile({{16, bitmapImage(16), 0, 0}, {48, bitmapImage(48), 0, 0}}));
  }
  ParseResult parse(const std::string& toml, bool checkSources = true) {
    writeText(path("c.toml"), "runtime.include = false\n" + toml);
    return parseConfigFile(path("c.toml"), {"", checkSources});
  }
};

TEST_F(ExecutableResources, SettingsAndTheirProblems) {
  ParseResult r = parse(
      "launcher.icon = \"app.ico\"\n[version]\nproduct = \"Echo ✓\"\nfile-version = \"1.2.3.4\"\n"
      "copyright = \"© Kelvara\"\n");
  for (const auto& p : r.problems) ADD_FAILURE() << formatProblem(p);
  EXPECT_EQ(r.config.executable.icon, path("app.ico"));
  EXPECT_EQ(r.config.executable.versionStrings.at("version.product"), u"Echo \u2713");
  EXPECT_EQ(r.config.executable.versionStrings.at("version.copyright"), u"\u00a9 Kelvara");
  EXPECT_TRUE(r.config.strings.count(2002) == 0 && r.config.files.empty()) << "no block entries";

  writeText(path("bad.ico"), "not an icon");
  r = parse(
      "[launcher]\nicon = \"bad.ico\"\n[version]\nfile-version = \"1.2.3.4.5\"\nproduct = \"\"\n"
      "company = 3\nprodcut = \"x\"\n");
  std::vector<std::string> lines;
  for (const auto& p : r.problems) lines.push_back(formatProblem(p));
  std::string c = path("c.toml").string();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       c + ":3: launcher.icon: " + path("bad.ico").string() +
                           ": not an icon file (no icon header) (an .ico file with one or more images)",
                       c + ":5: version.file-version: \"1.2.3.4.5\": a version has at most four numbers (such as "
                           "\"1.2.3.4\" or \"1.2.3-beta\")",
                       c + ":6: version.product: empty text (leave the setting out)",
                       c + ":7: version.company: wrong type: expected a string, found an integer (see quorv-pack "
                           "reference)",
                       c + ":8: version.prodcut: unknown setting (did you mean version.product?)"}));
  r = parse("launcher.icon = \"missing.ico\"\n");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_NE(formatProblem(r.problems[0]).find("icon file not found"), std::string::npos);
  r = parse(std::string("version.description = \"") + std::string(40000, 'x') + "\"\n");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_NE(formatProblem(r.problems[0]).find("too long"), std::string::npos);
}

TEST_F(ExecutableResources, PackedLauncherCarriesThemAndDumpShowsThem) {
  ParseResult r = parse(
      "service.name = \"echo\"\nlauncher.icon = \"app.ico\"\n[version]\nproduct = \"Echo\"\n"
      "description = \"Echo service\"\ncompany = \"Kelvara\"\ncopyright = \"© 2024\"\n"
      "file-version = \"1.2.3.4\"\nproduct-version = \"1.2-beta\"\n");
  for (const auto& p : r.problems) ADD_FAILURE() << formatProblem(p);
  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), r.config, path("echo.exe"), notes);
  EXPECT_EQ(notes.str(), "");

  Bytes exe = readBytes(path("echo.exe"));
  EXPECT_EQ(le32(exe, kChecksumAt), referenceChecksum(exe));
  ResourceTree tree = readFileResources(path("echo.exe"));
  EXPECT_EQ(tree.at(24).at(1).at(0x409).bytes, Bytes(kManifest.begin(), kManifest.end())) << "the manifest stays";
  auto version = findVersionInfo(tree, "echo.exe");
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->fileVersion, (VersionNumbers{1, 2, 3, 4}));
  EXPECT_EQ(version->productVersion, (VersionNumbers{1, 2, 0, 0}));
  EXPECT_EQ(version->text("OriginalFilename"), u"echo.exe");
  EXPECT_EQ(version->text("LegalCopyright"), u"\u00a9 2024");
  EXPECT_EQ(tree.at(3).size(), 2u);
  EXPECT_EQ(tree.at(3).at(2).at(0x409).bytes, bitmapImage(48));
  std::vector<IconImage> group = firstIconGroup(tree);
  ASSERT_EQ(group.size(), 2u);
  EXPECT_EQ(group[1].width, 48);
  EXPECT_EQ(group[1].bitCount, 32);

  std::string dumped = dumpConfig(readBlock(path("echo.exe")), "echo.exe", tree);
  EXPECT_NE(dumped.find("[version]\nproduct = \"Echo\"\ndescription = \"Echo service\"\ncompany = \"Kelvara\"\n"
                        "copyright = \"© 2024\"\nfile-version = \"1.2.3.4\"\nproduct-version = \"1.2-beta\"\n"
                        "original-filename = \"echo.exe\"\n"),
            std::string::npos)
      << dumped;
  EXPECT_NE(dumped.find("# Note: icon with 2 images (16x16 32-bit, 48x48 32-bit); launcher.icon names an .ico file"),
            std::string::npos)
      << dumped;

  // Built again from the dump (with the icon named again), the launcher is the same.
  writeText(path("again.toml"), dumped + "\n[launcher]\nicon = \"app.ico\"\n");
  ParseResult again = parseConfigFile(path("again.toml"), {"", true});
  for (const auto& p : again.problems) ADD_FAILURE() << formatProblem(p);
  fs::create_directories(path("again"));
  writePackedLauncher(path("stub.exe"), again.config, path("again/echo.exe"), notes);
  EXPECT_EQ(readBytes(path("again/echo.exe")), exe);
}

TEST_F(ExecutableResources, WithoutTheSettingsTheStubsResourcesStayAsTheyAre) {
  ParseResult r = parse("service.name = \"echo\"\n");
  std::ostringstream notes;
  writePackedLauncher(path("stub.exe"), r.config, path("echo.exe"), notes);
  Bytes stub = readBytes(path("stub.exe"));
  Bytes exe = readBytes(path("echo.exe"));
  EXPECT_EQ(withoutChecksum(Bytes(exe.begin(), exe.begin() + static_cast<long>(stub.size()))), withoutChecksum(stub));
  std::string dumped = dumpConfig(readBlock(path("echo.exe")), "echo.exe", readFileResources(path("echo.exe")));
  EXPECT_EQ(dumped.find("version"), std::string::npos) << dumped;
  EXPECT_EQ(dumped.find("icon"), std::string::npos) << dumped;
}

}  // namespace
