#include "firmware/FindPattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

namespace {

std::optional<size_t> find(const char* pattern, const char* data) {
  return firmware::findPattern(reinterpret_cast<const unsigned char*>(pattern), std::strlen(pattern),
                               reinterpret_cast<const unsigned char*>(data), std::strlen(data));
}

TEST(FindPattern, GivesThePositionJustAfterTheFirstOccurrence) {
  EXPECT_EQ(find("KR A4", "xxKR A4yyKR A4"), 7u);
  EXPECT_EQ(find("aab", "aaab"), 4u);  // a failed partial match does not skip the next start
}

TEST(FindPattern, PatternEndingAtTheLastByteIsFound) {
  EXPECT_EQ(find("qd", "1.12 qd"), 7u);
  EXPECT_EQ(find("1.12 qd", "1.12 qd"), 7u);
}

TEST(FindPattern, AbsentLongerOrEmptyPatternIsNotFound) {
  EXPECT_EQ(find("KR A4", "KR A"), std::nullopt);
  EXPECT_EQ(find("KR A5", "KR A4 KR A4"), std::nullopt);
  EXPECT_EQ(find("", "abc"), std::nullopt);
  EXPECT_EQ(find("a", ""), std::nullopt);
}

TEST(FindPattern, BytesAreComparedWithEmbeddedZeros) {
  const unsigned char data[] = {0x00, 0x00, 0x40, 0x7A, 0x00, 0x40, 0x7A, 0x2E, 0x01};
  const unsigned char pattern[] = {0x00, 0x40, 0x7A, 0x2E};
  EXPECT_EQ(firmware::findPattern(pattern, 4, data, sizeof data), 8u);
}

// The search screens 64 starts at a time; the first match must be found wherever it starts or
// ends relative to those blocks, also in data made of the pattern's first byte.
TEST(FindPattern, FindsTheFirstMatchAtEveryStartAcrossScreenedBlocks) {
  const unsigned char pattern[] = {0x00, 0x40, 0x7A, 0x2E};
  for (size_t n : {4u, 63u, 64u, 67u, 128u, 131u, 200u}) {
    for (size_t start = 0; start + sizeof pattern <= n; ++start) {
      std::vector<unsigned char> data(n, 0x00);
      std::copy(std::begin(pattern), std::end(pattern), data.begin() + start);
      EXPECT_EQ(firmware::findPattern(pattern, sizeof pattern, data.data(), n), start + 4)
          << "n " << n << ", start " << start;
    }
  }
}

TEST(FindPattern, AgreesWithAPlainSearchOnDataFullOfNearMatches) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    // Two letters only: first and last bytes of the pattern are in place almost everywhere.
    std::vector<unsigned char> data(random() % 300), pattern(1 + random() % 6);
    for (unsigned char& byte : data) byte = static_cast<unsigned char>('a' + random() % 2);
    for (unsigned char& byte : pattern) byte = static_cast<unsigned char>('a' + random() % 2);
    const auto hit = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    const std::optional<size_t> expected =
        hit == data.end()
            ? std::nullopt
            : std::optional<size_t>(static_cast<size_t>(hit - data.begin()) + pattern.size());
    EXPECT_EQ(firmware::findPattern(pattern.data(), pattern.size(), data.data(), data.size()),
              expected)
        << "round " << round;
  }
}

}  // namespace
