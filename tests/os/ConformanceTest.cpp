#include "ConformanceTest.h"

namespace conformance {

std::vector<EnvMaker> environments() {
  std::vector<EnvMaker> makers{{"sim", &makeSimEnv}};
#ifdef _WIN32
  // makeWin32Env is defined in Win32Env.cpp, the real Windows environment.
  makers.push_back({"win32", &makeWin32Env});
#endif
  return makers;
}

std::string envName(const ::testing::TestParamInfo<EnvMaker>& info) { return info.param.name; }

void ConformanceTest::SetUp() {
  env_ = GetParam().make();
  platform_.emplace(env_->platform());
  startHandles_ = env_->openHandleCount();
}

void ConformanceTest::TearDown() {
  if (startHandles_ >= 0) {
    EXPECT_EQ(env_->openHandleCount(), startHandles_) << "handles left open";
  }
  platform_.reset();
  env_.reset();
}

void ConformanceTest::writeFile(const std::string& path, const std::string& content) {
  HANDLE file = os::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  EXPECT_TRUE(os::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                            nullptr));
  EXPECT_EQ(written, content.size());
  EXPECT_TRUE(os::CloseHandle(file));
}

}  // namespace conformance
