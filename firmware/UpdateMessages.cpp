#include "firmware/UpdateMessages.h"

#include <cstdarg>
#include <cstdio>

namespace firmware {
namespace {

// The texts hold paths and names of any length: the result is as long as they need.
std::string formatted(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

}  // namespace

std::string sendErrorText(const std::optional<plotter::SpoolerFault>& spooler) {
  if (!spooler) return kSendErrorText;
  return std::string(kSendErrorText) + "\n" + plotter::spoolerFaultText(*spooler);
}

std::string wrongFormatText() {
  return std::string("Error processing firmware update file") + std::string(kAcuteAccent) +
         ". Wrong format?";
}

std::string withText(const char* format, const char* text) { return formatted(format, text); }

std::string unknownBootText(long bootNumber) { return formatted(kUnknownBootText, bootNumber); }

std::string withNames(const char* format, const UpdateIdentity& device,
                      const UpdateIdentity& firmware) {
  return formatted(format, device.names.manufacturer, device.names.model,
                   firmware.names.manufacturer, firmware.names.model);
}

}  // namespace firmware
