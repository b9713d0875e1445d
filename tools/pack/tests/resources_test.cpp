// The resource section of the launcher stub: reading its tree, writing a new one in place, moving
// the base relocations after it, and the layouts that are refused.
#include "pack_test_support.h"
#include "pack_config.h"
#include "pe_image.h"
#include "resources.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

PeShape resourceShape() {
  PeShape shape;
  shape.sections = 3;  // .s0, .rsrc, .reloc
  shape.resources = true;
  return shape;
}

ResourceData data(const std::string& text, uint32_t codePage = 0) {
  return ResourceData{Bytes(text.begin(), text.end()), codePage};
}

std::string refusal(Bytes image, const ResourceTree& tree) {
  try {
    replaceResources(image, tree, "stub.exe");
  } catch (const PackError& e) {
    return e.what();
  }
  return "";
}

TEST(ResourceTree, ReadsTheStubsTree) {
  ResourceTree tree = readResources(makePe(resourceShape()), "stub.exe");
  ResourceTree expected;
  expected[24][1][0x409] = data(kManifest);
  EXPECT_EQ(tree, expected);
  EXPECT_TRUE(readResources(makePe({}), "stub.exe").empty()) << "no resource directory";
}

TEST(ResourceTree, WrittenAndReadBackAtAnyAddress) {
  ResourceTree tree;
  tree[24][1][0x409] = data(kManifest);
  tree[16][1][0x409] = data("version", 1200);
  tree[ResourceName(u"MYTYPE")][ResourceName(u"B")][0] = data("b");
  tree[ResourceName(u"MYTYPE")][ResourceName(u"A")][0] = data("a");
  tree[ResourceName(u"MYTYPE")][7][0] = data("");
  for (uint32_t rva : {0x1000u, 0x23000u}) {
    Bytes section = serializeResourceTree(tree, rva);
    RvaReader read = [&](uint32_t at, uint32_t size) -> std::span<const uint8_t> {
      if (at < rva || at - rva + uint64_t(size) > section.size()) return {};
      return std::span<const uint8_t>(section).subspan(at - rva, size);
    };
    EXPECT_EQ(parseResourceTree(read, rva, "x"), tree) << rva;
    // The root lists the named type first, then the ids in ascending order.
    EXPECT_EQ(section[12] | section[13] << 8, 1);
    EXPECT_EQ(section[14] | section[15] << 8, 2);
    EXPECT_EQ(le32(section, 16) & 0x80000000u, 0x80000000u);
    EXPECT_EQ(le32(section, 24), 16u);
    EXPECT_EQ(le32(section, 32), 24u);
  }
}

TEST(ResourceTree, DamagedTreesAreReported) {
  Bytes good = manifestSection(0x1000);
  auto read = [](const Bytes& section) {
    return RvaReader([&section](uint32_t at, uint32_t size) -> std::span<const uint8_t> {
      if (at < 0x1000 || at - 0x1000 + uint64_t(size) > section.size()) return {};
      return std::span<const uint8_t>(section).subspan(at - 0x1000, size);
    });
  };
  Bytes loop = good;
  put32(loop, 0x18 + 20, 0x80000000);  // the name level points back at the root
  Bytes shallow = good;
  put32(shallow, 0x18 + 20, 0x48);  // a data entry at the name level
  Bytes outside = good;
  put32(outside, 0x48, 0x9000);  // the data lies outside the image
  Bytes far = good;
  put32(far, 20, 0x80001000);  // a directory beyond the section
  Bytes twice = good;  // a second name directory, at the end, that lists id 1 twice
  twice.resize((twice.size() + 3) / 4 * 4, 0);
  size_t names = twice.size();
  twice.resize(names + 32, 0);
  put16(twice, names + 14, 2);
  for (size_t e : {names + 16, names + 24}) {
    put32(twice, e, 1);
    put32(twice, e + 4, 0x80000030);
  }
  put32(twice, 20, 0x80000000u | static_cast<uint32_t>(names));
  // 400 types that share one directory of 400 names: a small section, a huge tree.
  Bytes wide(2 * (16 + 8 * 400) + 16, 0);
  for (size_t dir : {size_t(0), size_t(16 + 8 * 400)}) {
    put16(wide, dir + 14, 400);
    uint32_t target = 0x80000000u | static_cast<uint32_t>(dir == 0 ? 16 + 8 * 400 : 2 * (16 + 8 * 400));
    for (uint32_t i = 0; i < 400; ++i) {
      put32(wide, dir + 16 + 8 * i, i + 1);
      put32(wide, dir + 20 + 8 * i, target);
    }
  }
  const std::pair<Bytes, std::string> cases[] = {
      {wide, "too many entries"},
      {loop, "the tree is not three levels deep (type, name, language)"},
      {shallow, "the tree is not three levels deep (type, name, language)"},
      {outside, "resource data lies outside the image"},
      {far, "an entry lies outside the image"},
      {twice, "an entry occurs twice in one directory"},
  };
  for (const auto& [bytes, message] : cases) {
    try {
      parseResourceTree(read(bytes), 0x1000, "stub.exe");
      ADD_FAILURE() << message;
    } catch (const PackError& e) {
      EXPECT_EQ(std::string(e.what()), "stub.exe: damaged resource directory: " + message);
    }
  }
}

TEST(ReplaceResources, GrowsTheSectionAndMovesTheRelocationsUp) {
  Bytes stub = makePe(resourceShape());
  ResourceTree tree = readResources(stub, "stub.exe");
  tree[3][1][0x409] = ResourceData{Bytes(0x1234, 0xAB), 0};  // more than a page
  Bytes image = stub;
  replaceResources(image, tree, "stub.exe");

  size_t rsrc = sectionAt(1), reloc = sectionAt(2);
  EXPECT_EQ(le32(image, rsrc + 12), 0x2000u) << "the resources keep their address";
  EXPECT_EQ(le32(image, rsrc + 20), 0x400u) << "and their file offset";
  uint32_t size = le32(image, rsrc + 8);
  EXPECT_GT(size, 0x1234u);
  EXPECT_EQ(le32(image, rsrc + 16), (size + 0x1FF) / 0x200 * 0x200);
  EXPECT_EQ(le32(image, directoryAt(2)), 0x2000u);
  EXPECT_EQ(le32(image, directoryAt(2) + 4), size);

  uint32_t relocVa = le32(image, reloc + 12);
  uint32_t relocPointer = le32(image, reloc + 20);
  EXPECT_EQ(relocVa, 0x4000u) << "the next section boundary after the grown resources";
  EXPECT_EQ(relocPointer, 0x400u + le32(image, rsrc + 16));
  EXPECT_EQ(le32(image, reloc + 16), 0x200u);
  EXPECT_EQ(le32(image, directoryAt(5)), relocVa);
  EXPECT_EQ(le32(image, directoryAt(5) + 4), kRelocations.size());
  EXPECT_TRUE(std::equal(kRelocations.begin(), kRelocations.end(), image.begin() + relocPointer));
  EXPECT_EQ(le32(image, kSizeOfImageAt), 0x5000u);
  EXPECT_EQ(image.size(), relocPointer + 0x200u) << "the image ends with the relocations";
  EXPECT_TRUE(std::equal(stub.begin() + 0x200, stub.begin() + 0x400, image.begin() + 0x200)) << "code unchanged";
  EXPECT_EQ(readResources(image, "out.exe"), tree);

  // Shrinking back gives the stub's layout again.
  replaceResources(image, readResources(stub, "stub.exe"), "stub.exe");
  EXPECT_EQ(le32(image, reloc + 12), 0x3000u);
  EXPECT_EQ(le32(image, kSizeOfImageAt), 0x4000u);
  EXPECT_EQ(image, stub);
}

TEST(ReplaceResources, ResourcesThatEndTheImageGrowInPlace) {
  PeShape shape = resourceShape();
  Bytes stub = makePe(shape);
  // Drop .reloc: two sections, the resources last, no relocation directory.
  put16(stub, kPeOffset + 6, 2);
  put32(stub, directoryAt(5), 0);
  put32(stub, directoryAt(5) + 4, 0);
  stub.resize(0x600);
  ResourceTree tree = readResources(stub, "stub.exe");
  tree[16][1][0x409] = ResourceData{Bytes(0x300, 1), 0};
  replaceResources(stub, tree, "stub.exe");
  EXPECT_EQ(stub.size(), 0x400u + le32(stub, sectionAt(1) + 16));
  EXPECT_EQ(le32(stub, kSizeOfImageAt), 0x3000u);
  EXPECT_EQ(readResources(stub, "out.exe"), tree);
}

TEST(ReplaceResources, RefusedLayouts) {
  ResourceTree tree;
  tree[16][1][0x409] = data("v");
  Bytes noResources = makePe({});
  Bytes notReloc = makePe(resourceShape());
  put32(notReloc, directoryAt(5), 0);  // what follows .rsrc is no longer the relocations
  Bytes before = makePe(resourceShape());
  put32(before, sectionAt(0) + 12, 0x5000);  // .s0 now lies above the resources
  Bytes debug = makePe(resourceShape());
  put32(debug, directoryAt(6), 0x3000);  // a debug directory inside .reloc
  Bytes relocatedRsrc = makePe(resourceShape());
  put32(relocatedRsrc, 0x600, 0x2000);  // a base relocation of a page of .rsrc
  Bytes offCenter = makePe(resourceShape());
  put32(offCenter, directoryAt(2), 0x2010);
  Bytes badAlignment = makePe(resourceShape());
  put32(badAlignment, kOptional + 36, 0x300);
  Bytes noRawData = makePe(resourceShape());
  put32(noRawData, sectionAt(1) + 16, 0);         // .rsrc has no bytes in the file...
  put32(noRawData, sectionAt(1) + 20, 0x100000);  // ...and its position lies far past the end
  Bytes rsrcPastEnd = makePe(resourceShape());
  put32(rsrcPastEnd, sectionAt(1) + 20, 0x100000);
  Bytes relocPastEnd = makePe(resourceShape());
  put32(relocPastEnd, sectionAt(2) + 20, 0x100000);

  const std::pair<Bytes, std::string> cases[] = {
      {noResources, "it has no resource section"},
      {notReloc, "section .reloc follows the resource section and cannot be moved"},
      {before, "section .s0 lies after the resource section"},
      {debug, "data directory 6 points into the resource section or after it"},
      {relocatedRsrc, "a base relocation points into the resource section or after it"},
      {offCenter, "its resources do not begin a section"},
      {badAlignment, "its section alignment is not a power of two"},
      {noRawData, "its resource section has no data in the file"},
      {rsrcPastEnd, "its resource section lies outside the file"},
      {relocPastEnd, "section .reloc lies outside the file"},
  };
  for (const auto& [image, why] : cases)
    EXPECT_EQ(refusal(image, tree), "stub.exe: cannot write version information or an icon into this launcher stub: " + why);
}

}  // namespace
