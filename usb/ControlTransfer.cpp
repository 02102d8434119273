#include "usb/ControlTransfer.h"

#include <array>

namespace usb {
namespace {

struct Kind {
  WORD field0;
  uint8_t requestType;
};

constexpr std::array<Kind, 4> kKinds{{
    {0x0001, 0x40},
    {0x0002, 0xC0},
    {0x0003, 0x41},
    {0x0004, 0xC1},
}};

}  // namespace

std::optional<ControlSetup> controlSetupFor(const UdrvControlRecord& record, uint32_t dataLength) {
  if (dataLength > kMaxControlData) return std::nullopt;
  const WORD field0 = record.field0;
  for (const Kind& kind : kKinds) {
    if (kind.field0 != field0) continue;
    return ControlSetup{kind.requestType, record.field1, record.field2, record.field3,
                        static_cast<uint16_t>(dataLength)};
  }
  return std::nullopt;
}

std::optional<UdrvControlRecord> controlRecordFor(const ControlSetup& setup) {
  for (const Kind& kind : kKinds) {
    if (kind.requestType != setup.requestType) continue;
    return UdrvControlRecord{kind.field0, setup.request, setup.value, setup.index};
  }
  return std::nullopt;
}

}  // namespace usb
