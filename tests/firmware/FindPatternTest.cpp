#include "firmware/FindPattern.h"

#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
