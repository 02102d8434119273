#include "discovery/Edition.h"

namespace discovery {
namespace {

constexpr EditionFacts kFull{"Velkor", false, 11, 13, nullptr, false};
constexpr EditionFacts kUpdateOnly{"Velkorflash", true, 12, 14, "ZK150", true};

Edition running = Edition::Full;

}  // namespace

const EditionFacts& editionFacts(Edition edition) {
  return edition == Edition::UpdateOnly ? kUpdateOnly : kFull;
}

Edition currentEdition() { return running; }

void setEdition(Edition edition) { running = edition; }

}  // namespace discovery
