// Reads a firmware update file (*.cas), checks it and writes the update stream: the transfer
// line followed by the image bytes, the only form in which firmware is sent to a plotter.
#pragma once

#include <cstdint>
#include <cstdio>

namespace firmware {

// The first 128 bytes of the file, read as text up to the first NUL.
inline constexpr int kHeaderTextLength = 128;

// What the parser found in a file, for callers that show it (offline inspection).
struct FirmwareSummary {
  char keyword[5];                          // the section in force: "PROG" for an unknown one
  char headerText[kHeaderTextLength + 1];
  uint64_t dataCount;                       // n, the bytes after the header region
  uint32_t checksum;                        // of the data; meaningful when accepted
};

// Converts the open input file into the update stream on the open output file and returns the
// image's identity code (0-65535), or -1 when the file is rejected, cannot be read to its end,
// or the stream cannot be written; the reason goes to the progress log. Both files stay open:
// they are the caller's. On a rejection nothing is written; after a failed write the output
// holds a stream cut short, which the result -1 says must not be sent. A null output checks
// the file without writing anything. Uses the module's data buffer: calls must not overlap.
int convertFirmwareFile(std::FILE* in, std::FILE* out, char* log, int capacity,
                        FirmwareSummary* summary = nullptr);

}  // namespace firmware
