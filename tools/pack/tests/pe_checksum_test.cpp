// The image checksum, fed in pieces of any size, agrees with the usual word-wise computation.
#include <random>

#include "pack_test_support.h"
#include "pe_checksum.h"

using namespace packtest;
using namespace quorv::pack;

namespace {

TEST(PeChecksum, AnySplitGivesTheReferenceValue) {
  std::mt19937 random(7);
  for (size_t size : {size_t(0x200), size_t(0x201), size_t(0x203), size_t(70001)}) {
    Bytes image = makePe({});
    image.resize(size, 0);
    for (size_t i = 0x400; i < image.size(); ++i) image[i] = static_cast<uint8_t>(random());
    if (size > 0x400) image[size - 1] = 0xFF;  // an odd last byte counts as a low half
    std::fill_n(image.begin() + kChecksumAt, 4, 0);
    PeChecksum sum;
    for (size_t at = 0; at < image.size();) {
      size_t piece = std::min<size_t>(image.size() - at, 1 + random() % 777);
      sum.add(image.data() + at, piece);
      at += piece;
    }
    EXPECT_EQ(sum.value(), referenceChecksum(image)) << size;
  }
}

TEST(PeChecksum, CarriesAreFoldedBackIn) {
  Bytes ones(0x20000, 0xFF);  // every word 0xFFFF
  PeChecksum sum;
  sum.add(ones.data(), ones.size());
  EXPECT_EQ(sum.value(), 0xFFFFu + 0x20000u);
}

}  // namespace
