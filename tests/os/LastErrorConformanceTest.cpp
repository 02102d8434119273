// The registry calls return their error and leave the thread's last error as it was, so a caller
// that reads the registry between a failing call and its report still reports the right error.
#include "ConformanceTest.h"

namespace conformance {
namespace {

CONFORMANCE_SUITE(LastErrorConformance);

TEST_P(LastErrorConformance, RegistryCallsReturnTheirErrorAndLeaveItAlone) {
  os::SetLastError(ERROR_CRC);
  HKEY key = nullptr;
  EXPECT_EQ(os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VelkorTest\\Missing", 0, KEY_READ,
                              &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_CRC));
}

}  // namespace
}  // namespace conformance
