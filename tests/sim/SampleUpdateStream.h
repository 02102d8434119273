// An update stream as the firmware converter writes it: the transfer line "<title> <count>
// <checksum> " padded to an even length and ended by a carriage return, then the image.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "os/Win32.h"
#include "sim/WordChecksum.h"

namespace velkor::test {

inline std::vector<BYTE> updateStream(const std::string& title, const std::vector<BYTE>& image) {
  sim::WordChecksum sum;
  sum.add(image.data(), image.size());
  char text[64];
  std::snprintf(text, sizeof text, "%s %lx %lx ", title.c_str(),
                static_cast<unsigned long>(image.size()), static_cast<unsigned long>(sum.value()));
  std::string line = text;
  line += line.size() % 2 != 0 ? "\r" : " \r";
  std::vector<BYTE> stream(line.begin(), line.end());
  stream.insert(stream.end(), image.begin(), image.end());
  return stream;
}

// Bytes that differ from place to place, so that a checksum sees where each one went.
inline std::vector<BYTE> varied(size_t size) {
  std::vector<BYTE> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = BYTE(i * 7 + i / 251);
  return bytes;
}

inline uint32_t checksumOf(const std::vector<BYTE>& bytes) {
  sim::WordChecksum sum;
  sum.add(bytes.data(), bytes.size());
  return sum.value();
}

}  // namespace velkor::test
