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

}  // namespace
}  // namespace velkor::test
