#include "firmware/ClassTable.h"

namespace firmware {
namespace {
constexpr int kClassTable[kClassTableSize] = {0, 1, 1, 1, 4, 5, 5, 7, 8, 8, 10, 11};
}  // namespace

int hardwareClass(int deviceType) {
  const int type = deviceType & 0x0F;
  return type < kClassTableSize ? kClassTable[type] : type;
}

}  // namespace firmware
