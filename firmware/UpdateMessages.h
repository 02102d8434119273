// What the update procedure tells the user, word for word. The texts of the fit (not compatible,
// and the three questions) take four names in order: the device's manufacturer and model, the
// firmware's manufacturer and model; the file texts take one path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "firmware/SendFirmwareUpdate.h"

namespace firmware {

// The acute accent of the wrong-format text: the system's 8-bit code page on Windows, UTF-8
// elsewhere.
#ifdef _WIN32
inline constexpr std::string_view kAcuteAccent = "\xB4";
#else
inline constexpr std::string_view kAcuteAccent = "\xC2\xB4";
#endif

inline constexpr char kNotSelectedText[] = "Firmware update file not selected\n";
inline constexpr char kCannotOpenFileText[] = "Could not open firmware update file\n%s";
inline constexpr char kCannotOpenTempText[] = "Could not open temporary file\n%s";
inline constexpr char kCannotWriteTempText[] = "Could not write temporary file\n%s";
inline constexpr char kNotCompatibleText[] =
    "Firmware update file not compatible with hardware\n\n"
    "Device:    %s   %s\nFirmware: %s   %s\n";
inline constexpr char kTypeQuestionText[] =
    "Device type of firmware update file and firmware in device are different.\n"
    "Your device may not work properly after the update\n\n"
    "Device:    %s   %s\nFirmware: %s   %s\n\nContinue ?";
inline constexpr char kTypeAndManufacturerQuestionText[] =
    "Device type of firmware update file and firmware in device are different.\n"
    "Your device may not work properly after the update\n\n"
    "Manufacturer of firmware update file and firmware in device are different\n"
    "A new driver and/or software may be needed\n\n"
    "Device:    %s   %s\nFirmware: %s   %s\n\nContinue ?";
inline constexpr char kManufacturerQuestionText[] =
    "Manufacturer of firmware update file and firmware in device are different\n"
    "A new driver and/or software may be needed\n\n"
    "Device:    %s   %s\nFirmware: %s   %s\n\nContinue ?";
inline constexpr char kSendErrorText[] = "Error sending update to plotter. Connection OK?";
// Refusals of plotters the update has no way to reach or to identify.
inline constexpr char kNoSendPathText[] =
    "This plotter's connection cannot take a firmware update\nThe update was not sent\n";
inline constexpr char kUnknownBootText[] =
    "Boot program of the plotter not recognised (%ld)\nThe update was not sent\n";
inline constexpr char kUnknownPlotterText[] =
    "The selected plotter is not known\nThe update was not sent\n";

// kSendErrorText, and on a second line what the spooler reported of a queue that held the jobs.
std::string sendErrorText(const std::optional<plotter::SpoolerFault>& spooler);

// "Error processing firmware update file´. Wrong format?"
std::string wrongFormatText();

// A text with its one "%s" replaced by text.
std::string withText(const char* format, const char* text);
// kUnknownBootText for that boot number.
std::string unknownBootText(long bootNumber);
// A text with the four names: the device's manufacturer and model, the firmware's manufacturer
// and model.
std::string withNames(const char* format, const UpdateIdentity& device,
                      const UpdateIdentity& firmware);

}  // namespace firmware
