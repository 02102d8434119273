#include "firmware/DeviceIdentity.h"

#include "firmware/ClassTable.h"
#include "firmware/IdentityCode.h"

namespace firmware {
namespace {

UpdateIdentity identityOf(uint16_t code, int deviceType, int manufacturerCode) {
  UpdateIdentity identity;
  identity.known = true;
  identity.code = code;
  identity.deviceType = deviceType;
  identity.manufacturerCode = manufacturerCode;
  identity.hardwareClass = hardwareClass(deviceType);
  identity.names = lookupFirmwareNames(deviceType, manufacturerCode);
  return identity;
}

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

UpdateIdentity firmwareIdentity(uint16_t code) {
  return identityOf(code, deviceTypeOf(code), manufacturerCodeOf(code));
}

std::optional<UpdateIdentity> driverDeviceIdentity(long bootNumber) {
  constexpr int kTypeOfBoot[] = {1, 4, 5};  // boot programs 1, 2, 3
  if (bootNumber < 1 || bootNumber > 3) return std::nullopt;
  const int deviceType = kTypeOfBoot[bootNumber - 1];
  return identityOf(static_cast<uint16_t>(deviceType), deviceType, 0);
}

UpdateIdentity printerDeviceIdentity(uint16_t productId, const UpdateTarget& target) {
  int deviceType = deviceTypeOf(productId);
  int manufacturer = manufacturerCodeOf(productId);
  if (manufacturer == kMoravelCode && deviceType == 2 && target.bootNumber == 3) deviceType = 5;
  if (manufacturer == kLindqvarCode) {
    if (deviceType == 1 && target.bootNumber == 2) deviceType = 4;
    if (contains(target.firmwareVersion, "vt") || contains(target.displayName, "Selvara")) {
      manufacturer = kSelvaraCode;
    }
  }
  return identityOf(productId, deviceType, manufacturer);
}

}  // namespace firmware
