// The five kinds of firmware image a .cas file can hold, each named by the keyword that opens
// the file, and the header length, size limits and marker test that go with it.
#pragma once

#include <cstdint>

namespace firmware {

// Which identity rules apply once the marker test has passed (see identifyFirmware).
enum class IdentityKind { Program, Boot };

// What the marker byte must be for the image to count as one that carries its own identity.
enum class MarkerTest {
  Never,        // no byte is looked at
  AboveZero,    // the byte is greater than 0
  AtMostTwo,    // the byte is at most 2
};

struct SectionEntry {
  char keyword[5];
  uint32_t headerLength;  // bytes before the data, keyword included
  uint32_t minimum;       // smallest data byte count accepted
  uint32_t maximum;       // largest data byte count accepted
  MarkerTest markerTest;
  uint32_t markerIndex;   // index of the data byte the marker test reads
  IdentityKind identityKind;
  bool extended;
};

// Bytes of the file that must be read before its keyword is known.
inline constexpr uint32_t kKeywordLength = 4;

// The section whose keyword equals the first four bytes; "PROG" for any other four bytes.
const SectionEntry& findSection(const unsigned char* keyword);
// The "PROG" section, in force until the keyword has been read.
const SectionEntry& programSection();

// Whether the marker test of the section passes for the data; it never passes when the data is
// too short to hold the marker byte.
bool markerTestPasses(const SectionEntry& section, const unsigned char* data, uint64_t n);

}  // namespace firmware
