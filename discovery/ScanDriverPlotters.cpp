// Identification of the plotters on the vendor-driver connection: each is opened through the
// plotter link and asked its platform name, its firmware text and its tool, and listed with a
// display name, size class, kind and brand derived from the replies. A plotter whose boot
// program answers is listed in update mode (size class 99).
#include <cstring>
#include <string>
#include <string_view>

#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "usb/UsbApi.h"

namespace discovery {
namespace {

constexpr int kScanReplySize = 2048;

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Asks the linked plotter; reply becomes its text (empty when the query failed). The query's
// result: the reply length, or negative when no reply came.
int16_t ask(const char* query, std::string& reply) {
  char buffer[kScanReplySize] = {};
  const int16_t result = plotter::queryOverDriver(query, buffer, kScanReplySize);
  reply.assign(buffer, strnlen(buffer, kScanReplySize));
  return result;
}

bool isBootPlatform(std::string_view name) {
  return name == "ZK4BS" || name == "ZK2BS" || name == "ZM6BS";
}

// Sets the candidate's brand and size class from its platform name; false when the name names
// no platform the system knows.
bool classifyPlatform(const std::string& name, PlotterRecord& candidate) {
  const char* extra = currentEditionFacts().extraPlatformName;
  if (name == "ZK400" || (extra != nullptr && name == extra)) return true;
  if (isBootPlatform(name)) {
    candidate.brand = 1;
    candidate.sizeClass = kUpdateModeSizeClass;
    return true;
  }
  if (name.compare(0, 7, "HQRT J5") != 0) return false;
  candidate.brand = 8;
  candidate.sizeClass = name == "HQRT J5-T" ? 2 : name == "HQRT J5-XXL" ? 3 : 1;
  return true;
}

// The examined text without a leading version number.
std::string_view modelPart(std::string_view examined) {
  size_t start = examined.find_first_not_of("0123456789.");
  return start == std::string_view::npos ? std::string_view() : examined.substr(start);
}

// 0 when the model part names no size.
int16_t sizeClassOf(std::string_view part, std::string_view examined) {
  const bool prefixes = currentEditionFacts().versionPrefixRules;
  if (contains(part, "KR A4")) return 4;
  if (contains(part, "A4") || (prefixes && examined.starts_with("2.0."))) return 2;
  if (contains(part, "A3") || (prefixes && examined.starts_with("1.0."))) return 1;
  if (contains(part, "ZMC600")) return 5;
  return 0;
}

int16_t brandOf(std::string_view part) {
  if (part.starts_with("p") || part.starts_with("P") || contains(part, "vyk")) return 2;
  if (contains(part, "qd")) return 4;
  return 1;
}

void applyDisplayName(PlotterRecord& candidate) {
  if (candidate.brand == 2) setRecordText(candidate.name, "TRX-Q1");
  if (candidate.brand == 4) setRecordText(candidate.name, "LNDW 500");
  switch (candidate.sizeClass) {
    case 4:
      setRecordText(candidate.name, "ZK200 A4");
      break;
    case 5:
      setRecordText(candidate.name, "ZM600 A4");
      break;
    case 2:
      appendRecordText(candidate.name, " A4");
      break;
    case 1:
      appendRecordText(candidate.name, " A3");
      break;
    default:
      break;
  }
}

// Asks the plotter at the open link what it is; false when it is given up.
bool identify(PlotterRecord& candidate) {
  std::string platform;
  ask("5", platform);
  if (!classifyPlatform(platform, candidate)) return false;
  setRecordText(candidate.name, platform);
  std::string examined = platform;
  if (candidate.sizeClass == kUpdateModeSizeClass) {
    appendRecordText(candidate.name, " ");
    appendRecordText(candidate.name, "update mode");
  } else if (ask("6", examined) <= 0) {
    return false;
  }
  const std::string_view part = modelPart(examined);
  if (candidate.sizeClass == 0) candidate.sizeClass = sizeClassOf(part, examined);
  if (candidate.sizeClass == 0) return false;
  if (candidate.brand == 0) candidate.brand = brandOf(part);
  std::string tool;
  ask("A", tool);
  candidate.kind = tool.starts_with("G") ? 2 : 1;
  if (candidate.sizeClass != kUpdateModeSizeClass) applyDisplayName(candidate);
  return true;
}

bool duplicatesAnEarlierEntry(const PlotterRecord& candidate, int first) {
  const PlotterList& list = plotterList();
  for (int j = first; j < list.count; ++j) {
    const PlotterRecord& entry = list.records[j];
    if (entry.sizeClass == candidate.sizeClass && entry.kind == candidate.kind &&
        entry.brand == candidate.brand) {
      return true;
    }
  }
  return false;
}

// A fresh candidate in the slot after the last entry; cleared, so that no text of an earlier
// plotter shows for this one.
PlotterRecord& startCandidate() {
  PlotterRecord& candidate = plotterList().records[plotterList().count];
  candidate = PlotterRecord{};
  return candidate;
}

}  // namespace

void scanDriverPlotters(DiscoveryNotes* notes) {
  PlotterList& list = plotterList();
  const int first = list.count;
  const int places = plotter::countLinkPlotters(notes ? &notes->devicesNotOpened : nullptr);
  if (notes != nullptr) notes->driverPlotters = places;
  for (int place = 0; place < places && list.count < kPlotterListCapacity; ++place) {
    plotter::selectLinkPlace(place);
    if (plotter::openPlotterLink() != 0) continue;
    PlotterRecord& candidate = startCandidate();
    candidate.linkPlace = static_cast<int16_t>(place);
    candidate.connection = kConnectionDriver;
    setRecordText(candidate.devicePath, usb::devicePathOf(plotter::linkDevice()));
    if (identify(candidate) && !duplicatesAnEarlierEntry(candidate, first)) ++list.count;
  }
  plotter::closePlotterLink();
}

}  // namespace discovery
