// Fuzzes the firmware file parser with whole files, and checks what it promises on every input:
// an identity code or -1, nothing written on -1, a stream of transfer line plus data otherwise,
// and a progress log that stays below its capacity.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "firmware/ConvertFirmwareFile.h"

namespace {

void check(bool promise) {
  if (!promise) __builtin_trap();
}

std::FILE* openInput(const uint8_t* data, size_t size) {
  if (size == 0) return std::fopen("/dev/null", "rb");
  return fmemopen(const_cast<uint8_t*>(data), size, "rb");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::FILE* const out = std::tmpfile();  // scratch output, reused by every run
  std::FILE* in = openInput(data, size);
  if (in == nullptr || out == nullptr) return 0;
  std::rewind(out);
  char log[200];
  std::memset(log, 'x', sizeof log);
  log[sizeof log - 1] = '\0';  // a full log, so that every run drops lines
  firmware::FirmwareSummary summary{};
  const int result = firmware::convertFirmwareFile(in, out, log, sizeof log, &summary);
  std::fclose(in);
  const long written = std::ftell(out);
  check(result >= -1 && result <= 0xFFFF);
  check(std::strlen(log) < sizeof log);
  check(result != -1 || written == 0);
  check(result == -1 || (written > 0 && uint64_t(written) > summary.dataCount &&
                         uint64_t(written) - summary.dataCount <= 46));
  return 0;
}
