// The .reg text parser: both formats, every kind of value, and refusal (never a crash) of
// anything else.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "os/sim/RegText.h"

namespace os::sim {
namespace {

std::string textOf(const RegistryValue& value) {
  return std::string(value.data.begin(), value.data.end());
}

std::string errorOf(std::string_view text) {
  std::string error;
  EXPECT_FALSE(parseRegistryText(text, &error)) << text;
  return error;
}

TEST(RegTextTest, Version5FileWithEveryKindOfValue) {
  auto parsed = parseRegistryText(R"(Windows Registry Editor Version 5.00

; a comment
[HKEY_LOCAL_MACHINE\SOFTWARE\Velkor Test]
@="default"
"Path"="C:\\Temp\\\"quoted\""
"Number"=dword:0001002a
"Raw"=hex:de,ad,\
  be,ef
"List"=hex(7):41,00,00,00,c4,00,00,00,00,00
"Expand"=hex(2):25,00,00,00

[hkey_local_machine]
"AtRoot"=dword:1
)");
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->keys.size(), 2u);
  const auto& values = parsed->keys[0].values;
  EXPECT_EQ(parsed->keys[0].path, "SOFTWARE\\Velkor Test");
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(values[0].name, "");
  EXPECT_EQ(textOf(values[0]), std::string("default\0", 8));
  EXPECT_EQ(textOf(values[1]), std::string("C:\\Temp\\\"quoted\"\0", 17));
  EXPECT_EQ(values[2].type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(values[2].data, (std::vector<BYTE>{0x2a, 0x00, 0x01, 0x00}));
  EXPECT_EQ(values[3].type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(values[3].data, (std::vector<BYTE>{0xde, 0xad, 0xbe, 0xef}));
  EXPECT_EQ(values[4].type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(textOf(values[4]), std::string("A\0\xC3\x84\0\0", 6));  // UTF-16 kept as UTF-8
  EXPECT_EQ(values[5].type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(parsed->keys[1].path, "");
}

TEST(RegTextTest, Regedit4MultiStringsAreBytes) {
  auto parsed = parseRegistryText("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
                                  "\"HardwareID\"=hex(7):55,53,42,00,00\r\n");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(textOf(parsed->keys[0].values[0]), std::string("USB\0\0", 5));
}

TEST(RegTextTest, Utf16FilesAsRegeditWritesThem) {
  std::string utf8 = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"N\"=\"v\"\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : utf8) utf16 += std::string{c, '\0'};
  auto parsed = parseRegistryText(utf16);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->keys[0].path, "K");
  EXPECT_EQ(textOf(parsed->keys[0].values[0]), std::string("v\0", 2));
}

TEST(RegTextTest, AValueNamedTwiceKeepsTheLastWithoutRegardToCase) {
  auto parsed = parseRegistryText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"Port\"=\"A\"\n\"PORT\"=\"B\"\n");
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->keys[0].values.size(), 1u);
  EXPECT_EQ(textOf(parsed->keys[0].values[0]), std::string("B\0", 2));
}

TEST(RegTextTest, ErrorsNameTheLine) {
  EXPECT_EQ(errorOf(""), "line 1: expected \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
  EXPECT_EQ(errorOf("REGEDIT4\n\"A\"=\"b\""), "line 2: value before the first [key]");
  EXPECT_EQ(errorOf("REGEDIT4\n\n[HKEY_CURRENT_USER\\X]"),
            "line 3: only keys below HKEY_LOCAL_MACHINE are supported");
  const char* key = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n";
  EXPECT_EQ(errorOf(std::string(key) + "\"A\"=dword:123456789"),
            "line 3: dword: needs 1 to 8 hexadecimal digits");
  EXPECT_EQ(errorOf(std::string(key) + "\"A\"=-"), "line 3: value deletions are not supported");
  EXPECT_EQ(errorOf("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\K]"), "line 2: key deletions are not supported");
  EXPECT_EQ(errorOf(std::string(key) + "\"A=\"b\""), "line 3: expected '=' after the value name");
  EXPECT_EQ(errorOf(std::string(key) + "\"A\"=\"b"), "line 3: text without its closing quote");
  EXPECT_EQ(errorOf(std::string(key) + "\"A\"=hex:1,zz"),
            "line 3: hex data must be bytes of two hexadecimal digits separated by commas");
  EXPECT_EQ(errorOf(std::string(key) + "\"A\"=hex:01,\\"),
            "line 3: hex data must be bytes of two hexadecimal digits separated by commas");
  EXPECT_EQ(errorOf("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n"
                    "\"A\"=hex(7):41,00,00"),
            "line 3: UTF-16 text with an odd count of bytes");
  EXPECT_EQ(errorOf("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]"), "line 2: empty key name in the key path");
  EXPECT_EQ(errorOf(std::string(key) + "junk"), "line 3: expected a [key], a value or a comment");
}

// Outside bytes: random text and damaged copies of a good file give a result or an error.
TEST(RegTextTest, AnyInputIsParsedOrRefusedWithoutHarm) {
  const std::string good =
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\\B]\n@=\"x\"\n"
      "\"L\"=hex(7):41,00,00,00,\\\n 00,00\n\"D\"=dword:ff\n\"S\"=\"a\\\\b\\\"c\"\n";
  std::mt19937 random(20261207);
  const char alphabet[] = "[]\\\"@=:,;-()hexdword0123456789abcdefHKEY_LOCAL_MACHINE\n\r \xFF\xFE";
  for (int round = 0; round < 3000; ++round) {
    std::string text = good;
    int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      size_t at = random() % text.size();
      char c = alphabet[random() % (sizeof alphabet - 1)];
      switch (random() % 3) {
        case 0: text[at] = c; break;
        case 1: text.insert(at, 1, c); break;
        default: text.erase(at, 1 + random() % 5); break;
      }
    }
    std::string error;
    auto parsed = parseRegistryText(text, &error);
    EXPECT_TRUE(parsed || !error.empty()) << text;
  }
}

}  // namespace
}  // namespace os::sim
