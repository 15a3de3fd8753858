#include "catalogue/implode.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue/explode.h"
#include "tests/catalogue/dcl_samples.h"

namespace bexa {
namespace {

TEST(Implode, RoundTripsOnEveryCodingAndDictionarySize) {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes.push_back(static_cast<char>(i));
  const std::string samples[] = {
      "",
      "a",
      "ab",
      all_bytes,
      std::string(100000, 'q'),
      testing::SampleText(70000),
      testing::SampleBinary(150000),
      testing::SampleRandom(20000),
      testing::SampleText(5000) + all_bytes + testing::SampleBinary(5000) + std::string(600, '\0'),
      // Past 64 KiB the match finder's tables hold stale positions.
      testing::SampleRandom(70000) + testing::SampleText(70000) + testing::SampleRandom(70000, 9),
  };
  for (auto coding : {dcl::kBinary, dcl::kAscii}) {
    for (uint32_t dict : {4u, 5u, 6u}) {
      for (const std::string& data : samples) {
        const std::string stream = Implode(data, coding, dict);
        ASSERT_GE(stream.size(), 5u);
        EXPECT_EQ(static_cast<uint32_t>(stream[0]), coding);
        EXPECT_EQ(static_cast<uint32_t>(stream[1]), dict);
        std::string out;
        EXPECT_EQ(ExplodeBuffer(stream, out), 0u) << coding << " " << dict << " " << data.size();
        EXPECT_EQ(out, data) << coding << " " << dict << " " << data.size();
      }
    }
  }
}

TEST(Implode, EmptyInputGivesFiveBytes) {
  EXPECT_EQ(Implode("", dcl::kBinary, 6), std::string("\x00\x06\x01\xFF\x00", 5));
  EXPECT_EQ(Implode("", dcl::kAscii, 4).size(), 5u);
}

TEST(Implode, RejectsBadArguments) {
  EXPECT_EQ(Implode("abc", dcl::kBinary, 3), "");
  EXPECT_EQ(Implode("abc", dcl::kBinary, 7), "");
  EXPECT_EQ(Implode("abc", static_cast<dcl::Coding>(2), 6), "");
}

TEST(Implode, CompressesRepeats) {
  EXPECT_LT(Implode(std::string(100000, 'q'), dcl::kBinary, 6).size(), 1000u);
  EXPECT_LT(Implode(testing::SampleText(100000), dcl::kAscii, 6).size(), 50000u);
}

}  // namespace
}  // namespace bexa
