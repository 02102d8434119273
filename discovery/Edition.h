// The two programs built from these sources differ in a few facts of the shared parts: the
// update-only program's command tables have one more row ("Get Serial Number Mode"), which
// shifts the codes of "Set Serial Number" and "Query Online"; its model identification accepts
// one more platform name and two version-prefix rules. Those facts live here, together, keyed by
// the Edition that each program's entry point fixes; nothing else in the core asks which program
// it is.
#pragma once

#include <cstdint>

namespace discovery {

enum class Edition { Full, UpdateOnly };

struct EditionFacts {
  const char* programName;        // "Velkor", "Velkorflash"
  bool hasSerialNumberModeRow;    // the command tables' "Get Serial Number Mode" row (code 11)
  int32_t setSerialNumberCode;    // 11, 12
  int32_t queryOnlineCode;        // 13, 14
  const char* extraPlatformName;  // accepted like "ZK400" by identification; null for none
  bool versionPrefixRules;        // "2.0." gives size class 2 and "1.0." size class 1
};

const EditionFacts& editionFacts(Edition edition);

// The edition of the running program: Full until its entry point (or a test) says otherwise.
Edition currentEdition();
void setEdition(Edition edition);
inline const EditionFacts& currentEditionFacts() { return editionFacts(currentEdition()); }

}  // namespace discovery
