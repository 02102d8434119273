#include "firmware/UpdateFit.h"

#include "firmware/UpdateMessages.h"

namespace firmware {

bool hardwareFits(int deviceClass, int firmwareClass) {
  auto differ = [&](auto belongs) { return belongs(deviceClass) != belongs(firmwareClass); };
  return !differ([](int c) { return c > 5; }) && !differ([](int c) { return c == 5; }) &&
         !differ([](int c) { return c == 4; });
}

const char* fitQuestion(const UpdateIdentity& device, const UpdateIdentity& firmware) {
  const bool otherType = device.deviceType != firmware.deviceType;
  const bool otherMaker = device.manufacturerCode != firmware.manufacturerCode;
  if (otherType) return otherMaker ? kTypeAndManufacturerQuestionText : kTypeQuestionText;
  return otherMaker ? kManufacturerQuestionText : nullptr;
}

}  // namespace firmware
