#include "firmware/IdentifyFirmware.h"

#include <cstring>
#include <optional>

#include "firmware/FindPattern.h"
#include "usb/UsbIdentifiers.h"

namespace firmware {
namespace {

// Four bytes of a USB device descriptor embedded in the image: bDeviceProtocol 0,
// bMaxPacketSize0 and idVendor low byte first. idProduct follows, also low byte first.
struct DescriptorPattern {
  unsigned char bytes[4];
};

constexpr DescriptorPattern descriptorPattern(unsigned char maxPacketSize, uint16_t vendorId) {
  return {{0x00, maxPacketSize, static_cast<unsigned char>(vendorId & 0xFF),
           static_cast<unsigned char>(vendorId >> 8)}};
}

constexpr DescriptorPattern kPatternA = descriptorPattern(0x40, usb::kVendorId);
constexpr DescriptorPattern kPatternB = descriptorPattern(0x08, usb::kVendorId);
constexpr DescriptorPattern kLegacyPattern = descriptorPattern(0x08, usb::kLegacyVendorId);

struct Image {
  const unsigned char* data;
  size_t n;

  // The idProduct after the pattern; none when the pattern is absent or too close to the end.
  std::optional<uint16_t> productAfter(const DescriptorPattern& pattern) const {
    const std::optional<size_t> end = findPattern(pattern.bytes, sizeof pattern.bytes, data, n);
    if (!end || n - *end < 2) return std::nullopt;
    return static_cast<uint16_t>(data[*end] | data[*end + 1] << 8);
  }
  bool contains(const char* text) const {
    return findPattern(reinterpret_cast<const unsigned char*>(text), std::strlen(text), data, n)
        .has_value();
  }
  unsigned char generation() const { return n > kGenerationByte ? data[kGenerationByte] : 0; }
};

uint16_t bootIdentity(const Image& image) {
  switch (image.generation()) {
    case 3: return 0x0005;
    case 2: return 0x0004;
    default: return 0x0001;
  }
}

// Descriptor pattern B names the line; two lines share their descriptor with a sibling that
// only the generation byte or a text in the image tells apart.
uint16_t programIdentity(const Image& image, uint16_t code, bool extended) {
  if ((code & 0xFF0F) == 0x4D02 && extended) {
    return image.generation() == 3 ? 0x4D05 : code;
  }
  if ((code & 0xFF0F) == 0x4C01) {
    if (image.contains("KR A4")) return 0x4C04;
    if (image.contains("MDL:Selvara 2;")) return 0x6C01;
    if (image.contains("TLM BASIC")) return 0x4C04;
  }
  return code;
}

// The oldest images carry the legacy vendor ID; their version texts tell the lines apart.
uint16_t legacyIdentity(const Image& image) {
  if (image.contains("1.14a qdKR A4")) return 0x0304;
  if (image.contains("1.14aKR A4")) return 0x0604;
  if (image.contains("1.12 qd")) return 0x0301;
  return 0x0601;
}

}  // namespace

uint16_t identifyFirmware(const unsigned char* data, size_t n, bool markerPassed,
                          IdentityKind identityKind, bool extended) {
  const Image image{data, n};
  if (!markerPassed) return image.productAfter(kPatternA).value_or(0);
  if (identityKind == IdentityKind::Boot) return bootIdentity(image);
  if (const std::optional<uint16_t> code = image.productAfter(kPatternB)) {
    return programIdentity(image, *code, extended);
  }
  if (image.productAfter(kLegacyPattern)) return legacyIdentity(image);
  return 0;
}

}  // namespace firmware
