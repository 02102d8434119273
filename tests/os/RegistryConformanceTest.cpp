// Registry reads as the print-queue walk makes them: two-call value reads, subkey lists.
#include <cstring>
#include <string>
#include <utility>

#include "ConformanceTest.h"
#include "os/Handles.h"

namespace conformance {
namespace {

CONFORMANCE_SUITE(RegistryConformance);

constexpr const char* kRegText = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\VelkorTest\Values]
@="default"
"Port"="USB001"
"Count"=dword:0000001f
"Bytes"=hex:01,02,ff
"HardwareID"=hex(7):55,00,53,00,42,00,50,00,52,00,49,00,4e,00,54,00,00,00,47,00,\
  00,00,00,00

[HKEY_LOCAL_MACHINE\SOFTWARE\VelkorTest\Queues\Zeta]

[HKEY_LOCAL_MACHINE\SOFTWARE\VelkorTest\Queues\alpha]

[HKEY_LOCAL_MACHINE\SOFTWARE\VelkorTest\Queues\Mid Queue Name]
)";

class Registry {
 public:
  explicit Registry(const char* path) {
    HKEY key = nullptr;
    status = os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
    key_.reset(key);
  }
  HKEY get() const { return key_.get(); }
  LSTATUS status;

 private:
  os::UniqueRegKey key_;
};

TEST_P(RegistryConformance, TextValueComesWithItsTerminator) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  Registry key("SOFTWARE\\VelkorTest\\Values");
  ASSERT_EQ(key.status, ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(os::RegQueryValueExA(key.get(), "Port", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_GE(size, 7u);  // Windows may ask for more than it then gives
  std::string data(size, 'x');
  ASSERT_EQ(os::RegQueryValueExA(key.get(), "Port", nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(std::memcmp(data.data(), "USB001", 7), 0);
}

TEST_P(RegistryConformance, TooSmallABufferGetsMoreDataAndTheSize) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  Registry key("SOFTWARE\\VelkorTest\\Values");
  BYTE data[3];
  DWORD size = sizeof data;
  EXPECT_EQ(os::RegQueryValueExA(key.get(), "Port", nullptr, nullptr, data, &size),
            ERROR_MORE_DATA);
  EXPECT_GE(size, 7u);
}

TEST_P(RegistryConformance, NumbersBytesAndMultiStringsKeepTheirTypes) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  Registry key("SOFTWARE\\VelkorTest\\Values");
  DWORD type = 0, number = 0, size = sizeof number;
  ASSERT_EQ(os::RegQueryValueExA(key.get(), "Count", nullptr, &type,
                                 reinterpret_cast<BYTE*>(&number), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 0x1Fu);

  BYTE bytes[8];
  size = sizeof bytes;
  ASSERT_EQ(os::RegQueryValueExA(key.get(), "Bytes", nullptr, &type, bytes, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(size, 3u);
  EXPECT_EQ(bytes[2], 0xFF);

  char list[32];
  size = sizeof list;
  ASSERT_EQ(os::RegQueryValueExA(key.get(), "HardwareID", nullptr, &type,
                                 reinterpret_cast<BYTE*>(list), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(std::string(list, size), std::string("USBPRINT\0G\0\0", 12));
}

TEST_P(RegistryConformance, DefaultValueAndMissingNames) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  Registry key("SOFTWARE\\VelkorTest\\Values");
  char text[16];
  DWORD size = sizeof text;
  ASSERT_EQ(os::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "default");
  size = sizeof text;
  EXPECT_EQ(os::RegQueryValueExA(key.get(), "Absent", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(text), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Registry("SOFTWARE\\VelkorTest\\Absent").status, ERROR_FILE_NOT_FOUND);
}

TEST_P(RegistryConformance, KeyNamesIgnoreCase) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  Registry key("software\\VELKORTEST\\values");
  EXPECT_EQ(key.status, ERROR_SUCCESS);
  EXPECT_NE(key.get(), nullptr);
}

// The number of subkeys and the length of the longest name, as RegQueryInfoKeyA tells them.
std::pair<DWORD, DWORD> subkeyCountAndLongest(HKEY key) {
  DWORD count = 0, longest = 0;
  EXPECT_EQ(os::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  return {count, longest};
}

TEST_P(RegistryConformance, SubkeysAreCountedAndEnumeratedByName) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  Registry queues("SOFTWARE\\VelkorTest\\Queues");
  ASSERT_EQ(queues.status, ERROR_SUCCESS);
  const auto [count, longest] = subkeyCountAndLongest(queues.get());
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(longest, 14u);  // "Mid Queue Name"

  const char* expected[] = {"alpha", "Mid Queue Name", "Zeta"};
  for (DWORD index = 0; index < 3; ++index) {
    char name[15];
    DWORD size = sizeof name;
    ASSERT_EQ(os::RegEnumKeyExA(queues.get(), index, name, &size, nullptr, nullptr, nullptr,
                                nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, expected[index]);
    EXPECT_EQ(size, std::strlen(expected[index]));
  }
  char name[15];
  DWORD size = sizeof name;
  EXPECT_EQ(os::RegEnumKeyExA(queues.get(), 3, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  size = 5;
  EXPECT_EQ(os::RegEnumKeyExA(queues.get(), 1, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
}

// The programs' code page is UTF-8, in which a name takes more bytes than the UTF-16 units the
// longest-name length counts: a buffer of that length is too short for it.
TEST_P(RegistryConformance, ANameBeyondTheOldCodePagesComesInUtf8) {
  ASSERT_TRUE(env().loadRegistry("Windows Registry Editor Version 5.00\n\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VelkorTest\\Queues\\"
                                 "\u03a9\u03bc\u03ad\u03b3\u03b1 \u6e2c\u8a66 \u0141\u00f3d\u017a]\n"));
  const std::string expected = "\u03a9\u03bc\u03ad\u03b3\u03b1 \u6e2c\u8a66 \u0141\u00f3d\u017a";
  Registry queues("SOFTWARE\\VelkorTest\\Queues");
  ASSERT_EQ(queues.status, ERROR_SUCCESS);
  const auto [count, longest] = subkeyCountAndLongest(queues.get());
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(longest, 13u);
  EXPECT_EQ(expected.size(), 25u);
  char name[64];
  DWORD size = longest + 1;
  EXPECT_EQ(os::RegEnumKeyExA(queues.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  size = sizeof name;
  ASSERT_EQ(os::RegEnumKeyExA(queues.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(name), expected);
  EXPECT_EQ(size, expected.size());
}

TEST_P(RegistryConformance, AClosedKeyIsRefused) {
  ASSERT_TRUE(env().loadRegistry(kRegText));
  HKEY key = nullptr;
  ASSERT_EQ(os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VelkorTest", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(os::RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(os::RegCloseKey(key), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace conformance
