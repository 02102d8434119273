// velkorctl end to end, in process: command lines in, output and exit codes out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/cli/Command.h"
#include "app/cli/Json.h"
#include "tests/cli/RunVelkorctl.h"
#include "usb/UsbIdentifiers.h"

namespace velkor::test {
namespace {

class Inspect : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(writeSampleFirmware(file.path(), selvara())); }
  TempFile file, stream{".stream"};
};

TEST_F(Inspect, AcceptedFileAsJson) {
  const Outcome r = velkorctl({"inspect", file.string(), "--json"});
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "{\"file\":" + cli::jsonString(file.string()) +
                       ",\"section\":\"PALL\",\"title\":\"PALL sample firmware\","
                       "\"headerText\":\"PALL sample firmware\",\"dataBytes\":131072,"
                       "\"accepted\":true,\"checksum\":\"0x22235354\",\"checksumValue\":572740436,"
                       "\"identityCode\":\"0x6c01\",\"identityCodeValue\":27649,\"deviceType\":1,"
                       "\"manufacturerCode\":\"0x6c\",\"manufacturerCodeValue\":108,"
                       "\"hardwareClass\":1,"
                       "\"model\":\"Selvara 2\",\"manufacturer\":\"Lindqvar\"}\n");
}

TEST_F(Inspect, AcceptedFileAsText) {
  const Outcome r = velkorctl({"inspect", file.string()});
  EXPECT_EQ(r.exit, 0);
  EXPECT_NE(r.out.find("identity code       0x6c01\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("manufacturer code   0x6c 'l'\n"), std::string::npos);
  EXPECT_NE(r.out.find("model               Selvara 2\n"), std::string::npos);
}

TEST_F(Inspect, StreamIsTheTransferLineAndTheData) {
  const Outcome r = velkorctl({"inspect", "--stream", stream.string(), file.string()});
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::vector<unsigned char> bytes = readWholeFile(stream.path());
  const std::vector<unsigned char> whole = buildSampleFirmware(selvara());
  const std::string line = "PALL sample firmware 20000 22235354  \r";
  ASSERT_EQ(bytes.size(), line.size() + 0x20000);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 38), line);
  EXPECT_TRUE(std::equal(bytes.begin() + 38, bytes.end(), whole.begin() + 0x4000));
}

TEST_F(Inspect, RejectedFileGivesTheParsersTextAndLeavesTheStreamFileAlone) {
  SampleFirmware uneven = selvara();
  uneven.dataCount = 0x20001;
  ASSERT_TRUE(writeSampleFirmware(file.path(), uneven));
  ASSERT_TRUE(writeSampleFirmware(stream.path(), selvara()));
  const Outcome r = velkorctl({"inspect", file.string(), "--stream=" + stream.string()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "velkorctl inspect: " + file.string() +
                       ": Error: Number of bytes in data file is uneven: 131073 .\n");
  EXPECT_EQ(readWholeFile(stream.path()), buildSampleFirmware(selvara()));

  const Outcome j = velkorctl({"inspect", file.string(), "--json"});
  EXPECT_EQ(j.exit, 1);
  EXPECT_EQ(j.err, "");
  const std::string message =
      file.string() + ": Error: Number of bytes in data file is uneven: 131073 .";
  EXPECT_NE(j.out.find(",\"accepted\":false,\"error\":{\"code\":1,\"message\":" +
                       cli::jsonString(message) + "},\"exitCode\":1}\n"),
            std::string::npos)
      << j.out;
}

TEST_F(Inspect, MissingFileOrStreamOverTheInputAreRefused) {
  const Outcome missing = velkorctl({"inspect", file.string() + ".none", "--json"});
  EXPECT_EQ(missing.exit, 3);
  EXPECT_NE(missing.out.find("\"error\":{\"code\":3,\"message\":\"Could not open firmware update "
                             "file: "),
            std::string::npos);
  EXPECT_NE(missing.out.find(".none: "), std::string::npos) << missing.out;  // and why
  const Outcome over = velkorctl({"inspect", file.string(), "--stream", file.string()});
  EXPECT_EQ(over.exit, 2);
  EXPECT_EQ(readWholeFile(file.path()), buildSampleFirmware(selvara()));
}

TEST_F(Inspect, StreamThatCannotBeOpenedOrWrittenIsReportedWithTheReason) {
  const std::string directory = std::filesystem::temp_directory_path().string();
  const Outcome unopened = velkorctl({"inspect", file.string(), "--stream", directory});
  EXPECT_EQ(unopened.exit, 3);
  EXPECT_NE(unopened.err.find("Could not open stream file: " + directory + ": "), std::string::npos)
      << unopened.err;
#ifndef _WIN32
  // A full device takes the open but not the bytes; it is no stream file to remove afterwards.
  const Outcome full = velkorctl({"inspect", file.string(), "--stream", "/dev/full"});
  EXPECT_EQ(full.exit, 1);
  EXPECT_NE(full.err.find("/dev/full: Error: Update stream could not be written. ("),
            std::string::npos)
      << full.err;
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
#endif
}

TEST(VelkorctlUsage, ErrorsExitWith2AndPointToHelp) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"frob"},
                                             {"inspect"},
                                             {"inspect", "a", "b"},
                                             {"inspect", "a", "--strem", "x"},
                                             {"inspect", "a", "--stream"},
                                             {"models", "--json=1"}}) {
    const Outcome r = velkorctl(args);
    EXPECT_EQ(r.exit, 2) << testing::PrintToString(args);
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
  }
  const Outcome json = velkorctl({"inspect", "--json"});
  EXPECT_EQ(json.exit, 2);
  EXPECT_EQ(json.out, "{\"error\":{\"code\":2,\"message\":\"missing FILE.cas\"},\"exitCode\":2}\n");
}

TEST(VelkorctlHelp, ListsEveryCommandAndTheExitCodes) {
  const Outcome help = velkorctl({"--help"});
  EXPECT_EQ(help.exit, 0);
  for (const cli::Command* command : cli::commandTable()) {
    EXPECT_NE(help.out.find(std::string("  ") + command->name + " "), std::string::npos);
    const Outcome own = velkorctl({command->name, "--help"});
    EXPECT_EQ(own.exit, 0);
    EXPECT_EQ(own.out.find(std::string("usage: velkorctl ") + command->name), 0u);
    EXPECT_NE(own.out.find("Exit codes:"), std::string::npos);
  }
  EXPECT_NE(help.out.find("  2  usage error"), std::string::npos);
  const Outcome version = velkorctl({"--version"});
  EXPECT_EQ(version.out.rfind("velkorctl ", 0), 0u);
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(version.out[10])));
}

TEST(VelkorctlModels, ShowsTheIdentifiersAndEveryModelRow) {
  const Outcome r = velkorctl({"models", "--json"});
  char expected[192];
  std::snprintf(expected, sizeof expected,
                "{\"vendorId\":\"0x%04x\",\"vendorIdValue\":%d,"
                "\"legacyVendorId\":\"0x%04x\",\"legacyVendorIdValue\":%d,"
                "\"legacyProductId\":\"0x%04x\",\"legacyProductIdValue\":%d,\"models\":[",
                usb::kVendorId, usb::kVendorId, usb::kLegacyVendorId, usb::kLegacyVendorId,
                usb::kLegacyProductId, usb::kLegacyProductId);
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out.substr(0, std::strlen(expected)), expected);
  EXPECT_NE(r.out.find("{\"row\":50,\"vendorId\":11898,\"productId\":21505,"
                       "\"hardwareId\":\"TessarineTessa_300B8495\",\"commandTable\":0,"
                       "\"sizeClass\":0,\"kind\":0,\"brand\":8}],\"firmwareNames\":[{"),
            std::string::npos);
  // The tables an update decides by: the names with their end row, the classes of types 0-11.
  EXPECT_NE(r.out.find("{\"manufacturer\":\"unknown\",\"model\":\"unknown\",\"typeByte\":0,"
                       "\"manufacturerCode\":0}],\"classTable\":[0,1,1,1,4,5,5,7,8,8,10,11]}\n"),
            std::string::npos)
      << r.out;
}

TEST(JsonString, EscapesQuotesBackslashesControlAndHighBytes) {
  EXPECT_EQ(cli::jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(cli::jsonString("\n\r\t\x01\x7f"), "\"\\n\\r\\t\\u0001\\u007f\"");
  EXPECT_EQ(cli::jsonString("\xb4."), "\"\\u00b4.\"");
}

}  // namespace
}  // namespace velkor::test
