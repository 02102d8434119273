// The 2 MiB update image the benchmarks send: a valid image of the identity code whose firmware
// text ("2.10 A3") the plotter is still listed with after taking it.
#pragma once

#include <cstdint>
#include <memory>

#include "tests/support/SampleFirmware.h"

namespace velkor::bench {

inline constexpr size_t kUpdateImageBytes = 0x200000;

inline std::unique_ptr<velkor::test::TempFile> updateImage(uint16_t code) {
  auto file = std::make_unique<velkor::test::TempFile>();
  velkor::test::SampleFirmware sample;
  sample.dataCount = kUpdateImageBytes;
  sample.descriptor = velkor::test::Descriptor::PatternB;
  sample.productId = code;
  sample.headerNote = " 2.10 A3";
  if (!velkor::test::writeSampleFirmware(file->path(), sample)) return nullptr;
  return file;
}

}  // namespace velkor::bench
