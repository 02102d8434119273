#include "sim/UsbStatusTextResources.h"

#include "os/sim/SimMachine.h"
#include "usb/UsbStatusTexts.h"

namespace sim {

void registerUsbStatusTexts(os::sim::SimMachine& machine) {
  for (const usb::StatusTextResource& resource : usb::kStatusTextResources) {
    machine.setStringResource(resource.id, resource.text);
  }
}

}  // namespace sim
