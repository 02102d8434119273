#include "firmware/AppendLog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AppendLog, DropsWholeLinesFromTheFrontUntilTheTextFits) {
  char log[1024];
  std::string lines;
  for (int i = 0; i < 9; ++i) lines += std::string(99, char('a' + i)) + "\n";  // 900 characters
  std::snprintf(log, sizeof log, "%s", lines.c_str());
  const std::string text(200, 'T');
  firmware::appendLog(log, text.c_str(), sizeof log);
  // 900 + 200 >= 1024: one line goes (800 + 200 = 1000 < 1024), no more.
  EXPECT_EQ(std::string(log), lines.substr(100) + text);
}

TEST(AppendLog, CarriageReturnAndLineFeedEndALineEachAndAPairTakesTwoRounds) {
  char log[32] = "0123456789\r\n0123456789\r";
  firmware::appendLog(log, "abcdefghij", sizeof log);  // 23 + 10 >= 32
  EXPECT_STREQ(log, "\n0123456789\rabcdefghij");
  firmware::appendLog(log, "klmnopqrst", sizeof log);  // 22 + 10 >= 32: the LF goes
  EXPECT_STREQ(log, "0123456789\rabcdefghijklmnopqrst");
}

TEST(AppendLog, LogWithoutLineEndIsDroppedWhole) {
  char log[16] = "no line end";
  firmware::appendLog(log, "fresh\n", sizeof log);
  EXPECT_STREQ(log, "fresh\n");
}

TEST(AppendLog, StaysBelowItsCapacityEvenForATextThatCannotFit) {
  char log[8] = "abc\n";
  firmware::appendLog(log, "0123456789", sizeof log);
  EXPECT_STREQ(log, "0123456");
  firmware::appendLog(log, "x", 0);
  EXPECT_STREQ(log, "0123456");
}

TEST(AppendLog, TextThatFitsIsAppendedAfterTheLines) {
  char log[64] = "first\n";
  firmware::appendLog(log, "second\n", sizeof log);
  EXPECT_STREQ(log, "first\nsecond\n");
}

}  // namespace
