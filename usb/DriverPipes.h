// How the vendor driver names the pipes below a device: a pipe's path is its endpoint address in
// decimal ("129", "2"), and its token (IOCTL_UDRV_GET_PIPE_TOKEN, handed to IOCTL_UDRV_ATTACH_PIPE)
// is a base with the endpoint address in the low byte. Whatever stands in the driver's place
// forms them here.
#pragma once

#include <algorithm>
#include <optional>
#include <string>

#include "os/Win32.h"

namespace usb {

inline constexpr DWORD kPipeTokenBase = 0x50495000;

inline DWORD pipeTokenOf(BYTE address) { return kPipeTokenBase | address; }

// The endpoint address a token stands for; none when it is not a pipe token.
inline std::optional<BYTE> pipeOfToken(DWORD token) {
  if ((token & ~DWORD(0xFF)) != kPipeTokenBase) return std::nullopt;
  return BYTE(token & 0xFF);
}

// The endpoint address of a path below the device; none when it is not one.
inline std::optional<BYTE> pipeAddressOf(const std::string& subPath) {
  if (subPath.empty() || subPath.size() > 3 ||
      !std::all_of(subPath.begin(), subPath.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  int address = std::stoi(subPath);
  if (address > 255) return std::nullopt;
  return BYTE(address);
}

}  // namespace usb
