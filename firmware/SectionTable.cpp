#include "firmware/SectionTable.h"

#include <cstring>

namespace firmware {
namespace {

// "PROG" comes first: it also stands for every unknown keyword.
constexpr SectionEntry kSections[] = {
    {"PROG", 0x10000, 0x10000, 0x200000, MarkerTest::AboveZero, 4, IdentityKind::Program, false},
    {"BOOT", 0x4000, 0x4000, 0x10000, MarkerTest::AtMostTwo, 0, IdentityKind::Boot, true},
    {"CONF", 0x4000, 0x4000, 0x8000, MarkerTest::Never, 0, IdentityKind::Program, false},
    {"BSAP", 0x4000, 0x14000, 0x200000, MarkerTest::AtMostTwo, 0, IdentityKind::Program, true},
    {"PALL", 0x4000, 0x20000, 0x204000, MarkerTest::AtMostTwo, 0, IdentityKind::Program, true},
};

}  // namespace

const SectionEntry& programSection() { return kSections[0]; }

const SectionEntry& findSection(const unsigned char* keyword) {
  for (const SectionEntry& section : kSections) {
    if (std::memcmp(section.keyword, keyword, kKeywordLength) == 0) return section;
  }
  return programSection();
}

bool markerTestPasses(const SectionEntry& section, const unsigned char* data, uint64_t n) {
  if (section.markerTest == MarkerTest::Never || n <= section.markerIndex) return false;
  const unsigned char marker = data[section.markerIndex];
  return section.markerTest == MarkerTest::AboveZero ? marker > 0 : marker <= 2;
}

}  // namespace firmware
