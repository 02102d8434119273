// Text in velkorctl's output: well-formed UTF-8 passes through unchanged, in JSON and as text;
// only bytes that are not text are escaped, \u00XX in JSON and \xXX in text output.
#include <gtest/gtest.h>

#include "app/cli/Json.h"
#include "app/cli/Report.h"
#include "app/cli/Utf8.h"
#include "tests/cli/RunVelkorctl.h"

namespace velkor::test {
namespace {

TEST(Utf8SequenceLength, TakesWellFormedSequencesOnly) {
  EXPECT_EQ(cli::utf8SequenceLength("A", 0), 1u);
  EXPECT_EQ(cli::utf8SequenceLength("\xc3\xbc", 0), 2u);          // ü
  EXPECT_EQ(cli::utf8SequenceLength("\xe2\x82\xac", 0), 3u);      // €
  EXPECT_EQ(cli::utf8SequenceLength("\xf0\x9d\x84\x9e", 0), 4u);  // U+1D11E
  EXPECT_EQ(cli::utf8SequenceLength("\xf4\x8f\xbf\xbf", 0), 4u);  // U+10FFFF
  for (const std::string bad :
       {"\x80", "\xff", "\xc0\xaf", "\xc1\xbf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf0\x80\x80\xaf",
        "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xc3", "\xe2\x82", "\xc3(", "\xe2\x82("}) {
    EXPECT_EQ(cli::utf8SequenceLength(bad, 0), 0u) << testing::PrintToString(bad);
  }
}

TEST(JsonString, PassesUtf8AndEscapesEachByteThatIsNotText) {
  EXPECT_EQ(cli::jsonString("M\xc3\xbcller \xe2\x82\xac \xc2\x9b"),
            "\"M\xc3\xbcller \xe2\x82\xac \xc2\x9b\"");
  EXPECT_EQ(cli::jsonString("a\xffz"), "\"a\\u00ffz\"");
  // A lead byte cut short is one escaped byte; what follows it is read afresh.
  EXPECT_EQ(cli::jsonString("\xc3(\xe2\x82\xc3\xbc"), "\"\\u00c3(\\u00e2\\u0082\xc3\xbc\"");
  EXPECT_EQ(cli::jsonString("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u0080\"");  // a surrogate
}

TEST(Printable, PassesUtf8AndEscapesControlsAndBytesThatAreNotText) {
  EXPECT_EQ(cli::printable("Gr\xc3\xbc\xc3\x9f dich \xe2\x82\xac"),
            "Gr\xc3\xbc\xc3\x9f dich \xe2\x82\xac");
  EXPECT_EQ(cli::printable("a\xff\x1b[31m\x7f\n"), "a\\xff\\x1b[31m\\x7f\\x0a");
  EXPECT_EQ(cli::printable("\xc2\x9bm"), "\\xc2\\x9bm");  // C1 control: a terminal's CSI
  EXPECT_EQ(cli::printable("\xc3"), "\\xc3");
}

#ifdef _WIN32
// Windows gives the command line in its code page, not in UTF-8.
constexpr char kName[] = "Mueller.cas";
#else
constexpr char kName[] = "M\xc3\xbcller.cas";
#endif

// A firmware file whose name and header are UTF-8, with one byte in the header that is not.
class InspectText : public testing::Test {
 protected:
  void SetUp() override {
    SampleFirmware sample = selvara();
    sample.headerNote = " Gr\xc3\xbc\xc3\x9f dich \xb4";
    ASSERT_TRUE(writeSampleFirmware(path, sample));
  }
  TempDirectory directory;
  std::string path = directory / kName;
};

TEST_F(InspectText, Utf8ComesOutUnchangedAndOtherBytesEscaped) {
  const Outcome json = velkorctl({"inspect", path, "--json"});
  ASSERT_EQ(json.exit, 0) << json.err;
  EXPECT_NE(json.out.find(std::string(kName) + "\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"title\":\"PALL Gr\xc3\xbc\xc3\x9f dich \\u00b4\""), std::string::npos)
      << json.out;
  const Outcome text = velkorctl({"inspect", path});
  ASSERT_EQ(text.exit, 0) << text.err;
  EXPECT_NE(text.out.find(std::string(kName) + "\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("title               PALL Gr\xc3\xbc\xc3\x9f dich \\xb4\n"),
            std::string::npos)
      << text.out;
}

TEST_F(InspectText, ErrorsNameTheFileInUtf8Too) {
  const std::string missing = path + ".none";
  const Outcome text = velkorctl({"inspect", missing});
  EXPECT_EQ(text.exit, 3);
  EXPECT_EQ(
      text.err.find("velkorctl inspect: Could not open firmware update file: " + missing + ": "),
      0u)
      << text.err;
  const Outcome json = velkorctl({"inspect", missing, "--json"});
  const std::string message =
      cli::jsonString("Could not open firmware update file: " + missing + ": ");
  EXPECT_NE(json.out.find("\"message\":" + message.substr(0, message.size() - 1)),
            std::string::npos)
      << json.out;
}

}  // namespace
}  // namespace velkor::test
