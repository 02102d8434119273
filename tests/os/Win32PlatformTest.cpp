// What only the real Windows platform does, beyond the conformance suite: the default platform,
// the program's own string table, and the environment the suite runs it in (run under Wine).
#ifdef _WIN32

#include "os/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <string>

#include "ConformanceEnv.h"
#include "Win32Strings.h"
#include "os/Calls.h"
#include "os/Handles.h"

namespace {

TEST(Win32PlatformTest, HostPlatformIsTheDefaultOnWindows) {
  EXPECT_EQ(&os::platform(), &os::win32::hostPlatform());
  os::win32::Win32Platform other;
  {
    os::ScopedPlatform installed(other);
    EXPECT_EQ(&os::platform(), &other);
  }
  EXPECT_EQ(&os::platform(), &os::win32::hostPlatform());
}

TEST(Win32PlatformTest, NullInstanceLoadsFromTheProgramsOwnStrings) {
  os::win32::Win32Platform win;
  char text[64] = {};
  const std::string expected = WIN32_TEST_STRING_TEXT;
  EXPECT_EQ(win.LoadStringA(nullptr, WIN32_TEST_STRING, text, sizeof text), int(expected.size()));
  EXPECT_EQ(text, expected);

  char small[7] = {};
  EXPECT_EQ(win.LoadStringA(nullptr, WIN32_TEST_STRING, small, sizeof small), 6);
  EXPECT_EQ(std::string(small), expected.substr(0, 6)) << "cut to the buffer and terminated";

  EXPECT_EQ(win.LoadStringA(nullptr, WIN32_TEST_STRING + 1, text, sizeof text), 0);
}

class Win32EnvTest : public ::testing::Test {
 protected:
  std::unique_ptr<conformance::Env> env_ = conformance::makeWin32Env();
};

TEST_F(Win32EnvTest, CountsTheProcesssHandlesSoLeaksShow) {
  long before = env_->openHandleCount();
  ASSERT_GT(before, 0) << "the suite's leak check needs the count under Wine";
  {
    os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event.valid());
    EXPECT_EQ(env_->openHandleCount(), before + 1);
  }
  EXPECT_EQ(env_->openHandleCount(), before);
}

TEST_F(Win32EnvTest, WritesOnlyBelowTheTestKeyAndRemovesItAfterwards) {
  EXPECT_FALSE(env_->loadRegistry(
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\VelkorTest]\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VelkorTestOther]\n\"Port\"=\"USB001\"\n"));
  HKEY key = nullptr;
  EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VelkorTestOther", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND)
      << "nothing is written when any key lies outside";
  EXPECT_FALSE(env_->loadRegistry("not registry text"));

  ASSERT_TRUE(env_->loadRegistry(
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\velkortest\\Queue]\n\"Port\"=\"USB001\"\n"));
  env_.reset();
  EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VelkorTest", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

}  // namespace

#endif  // _WIN32
