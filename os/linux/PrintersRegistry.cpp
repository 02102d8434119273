#include "os/linux/PrintersRegistry.h"

#include <strings.h>

#include <cctype>

#include "os/linux/DeviceId1284.h"
#include "os/sim/PrinterRegistryKeys.h"

namespace os::linux_platform {
namespace {

// What a usb: device URI names: usb://Maker/Model?serial=S&interface=N, percent-encoded.
struct UsbUri {
  std::string maker;
  std::string model;
  std::string serial;
};

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string queryValue(const std::string& query, const std::string& name) {
  size_t at = 0;
  while (at < query.size()) {
    size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(at, end - at);
    if (pair.compare(0, name.size() + 1, name + "=") == 0) {
      return percentDecoded(pair.substr(name.size() + 1));
    }
    at = end + 1;
  }
  return {};
}

bool parseUsbUri(const std::string& uri, UsbUri* parsed) {
  constexpr std::string_view kScheme = "usb://";
  if (uri.compare(0, kScheme.size(), kScheme) != 0) return false;
  const std::string rest = uri.substr(kScheme.size());
  const size_t question = rest.find('?');
  const std::string path = rest.substr(0, question);
  const size_t slash = path.find('/');
  if (slash == std::string::npos) return false;
  parsed->maker = percentDecoded(path.substr(0, slash));
  parsed->model = percentDecoded(path.substr(slash + 1));
  if (question != std::string::npos)
    parsed->serial = queryValue(rest.substr(question + 1), "serial");
  return true;
}

bool sameText(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

bool portMatches(const UsbUri& uri, const UsbPrinterPort& port) {
  if (!sameText(uri.maker, deviceIdMaker(port.deviceId)) ||
      !sameText(uri.model, deviceIdModel(port.deviceId))) {
    return false;
  }
  // The usb backend takes the serial from the device ID, else from the USB descriptor.
  const std::string idSerial = deviceIdSerial(port.deviceId);
  return uri.serial == port.serial || (!idSerial.empty() && uri.serial == idSerial);
}

std::string uriScheme(const std::string& uri) {
  const size_t colon = uri.find(':');
  return colon == std::string::npos ? uri : uri.substr(0, colon);
}

// The instance name of the USB device: the part of its instance ID after the last backslash.
std::string instanceName(const std::string& instanceId) {
  const size_t slash = instanceId.rfind('\\');
  return slash == std::string::npos ? instanceId : instanceId.substr(slash + 1);
}

std::string parentIdPrefix(size_t portIndex) {
  return os::sim::instancePart("7&%08x&0", portIndex);
}

}  // namespace

const UsbPrinterPort* usbPortOfQueue(const CupsQueue& queue,
                                     const std::vector<UsbPrinterPort>& ports) {
  UsbUri uri;
  if (!parseUsbUri(queue.deviceUri, &uri)) return nullptr;
  for (const UsbPrinterPort& port : ports) {
    if (portMatches(uri, port)) return &port;
  }
  return nullptr;
}

std::string queuePortName(const CupsQueue& queue, const std::vector<UsbPrinterPort>& ports) {
  if (const UsbPrinterPort* port = usbPortOfQueue(queue, ports)) return port->port;
  return uriScheme(queue.deviceUri);
}

std::string printersRegistryText(const std::vector<CupsQueue>& queues,
                                 const std::vector<UsbPrinterPort>& ports) {
  os::sim::RegWriter reg;
  os::sim::writePrintersKey(reg);
  for (const CupsQueue& queue : queues) {
    const UsbPrinterPort* port = usbPortOfQueue(queue, ports);
    os::sim::PrinterDevice device;
    if (port) {
      const std::string model =
          usbPrintModelId(deviceIdMaker(port->deviceId), deviceIdModel(port->deviceId));
      device = os::sim::usbPrinterDevice(
          model, parentIdPrefix(static_cast<size_t>(port - ports.data())), port->port);
    }
    os::sim::writePrintQueue(reg, queue.name, queuePortName(queue, ports), device);
  }
  for (size_t i = 0; i < ports.size(); ++i) {
    os::sim::writeUsbPrinterParent(reg, ports[i].vendorId, ports[i].productId,
                                   instanceName(ports[i].instance), parentIdPrefix(i));
  }
  return reg.take();
}

}  // namespace os::linux_platform
