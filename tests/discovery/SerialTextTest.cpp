// The serial-number text taken from a plotter's reply.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "discovery/SerialText.h"

namespace velkor::test {
namespace {

using discovery::serialTextFromReply;

TEST(SerialTextTest, TakesTheTextAsThePlotterKeepsIt) {
  EXPECT_EQ(serialTextFromReply("40123456\r"), "40123456");
  EXPECT_EQ(serialTextFromReply("ABC-1234"), "ABC-1234");  // the hyphen ends the scan only
  EXPECT_EQ(serialTextFromReply("0000000001"), "0000000001");
  EXPECT_EQ(serialTextFromReply("1234567890123456789012345"), "1234567890123456789");
  EXPECT_EQ(serialTextFromReply("12\r34"), "12");
  EXPECT_EQ(serialTextFromReply("0000"), "0000");  // shorter than 5: always accepted
  EXPECT_EQ(serialTextFromReply(std::string("AB\0"
                                            "0000000",
                                            10)),
            "AB");
}

TEST(SerialTextTest, RefusesAnUnsetSerial) {
  EXPECT_EQ(serialTextFromReply("00000000000"), std::nullopt);
  EXPECT_EQ(serialTextFromReply("AB000000  "), std::nullopt);
  EXPECT_EQ(serialTextFromReply("XY00    00\r"), std::nullopt);
  EXPECT_EQ(serialTextFromReply("AB00000"), "AB00000");  // position 8 is past its end
}

TEST(SerialTextTest, AnyByteAtAnyPlaceGivesAPrefixWithoutTheEnding) {
  const std::string serial = "41207735";
  for (char odd : {'\r', '\n', '\0', '\xE9', '\xFF', ' '}) {
    for (std::size_t at = 0; at <= serial.size(); ++at) {
      std::string reply = serial;
      reply.insert(at, 1, odd);
      SCOPED_TRACE(::testing::PrintToString(reply));
      const std::optional<std::string> text = serialTextFromReply(reply);
      ASSERT_TRUE(text.has_value());
      EXPECT_EQ(reply.rfind(*text, 0), 0u) << "a prefix of the reply";
      EXPECT_EQ(text->find_first_of(std::string("\r\0", 2)), std::string::npos);
      if (odd == '\r' || odd == '\0') {
        EXPECT_EQ(*text, serial.substr(0, at)) << "the ending ends it";
      }
    }
  }
}

}  // namespace
}  // namespace velkor::test
