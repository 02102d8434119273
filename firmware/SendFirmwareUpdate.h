// The update procedure: converts the chosen firmware update file into the update stream, decides
// whether it fits the selected plotter, asks where it does not quite fit, and sends it by the
// plotter's connection (the plotter link's transfer channel on the vendor driver, print jobs to
// its queue on the printing class).
#pragma once

#include <cstdint>
#include <string>

#include "firmware/FirmwareNameTable.h"
#include "prompt/Prompter.h"

namespace firmware {

// What the dialog last showed of the selected plotter, which the update decides by.
struct UpdateTarget {
  std::string firmwareVersion;  // the firmware field's text ("???", or the update-mode text)
  long bootNumber = 0;          // the leading integer of the boot program field
  std::string displayName;      // the record's name, as in the list
};

// Results besides 0 (sent) and the codes of the link and of printFileJobs.
inline constexpr int kUpdateRefused = -2;     // no file, unreadable, not converted, no fit, No
inline constexpr int kUpdateSendFailed = -4;  // the plotter did not take it

// One side of the comparison: the plotter as it stands, or the firmware in the file.
struct UpdateIdentity {
  bool known = false;  // false until the procedure got that far
  uint16_t code = 0;   // identity code (model row's product ID, or the file's)
  int deviceType = 0;
  int manufacturerCode = 0;
  int hardwareClass = 0;
  FirmwareNames names{"", ""};
};

// What the procedure found, for a front end that shows more than the messages.
struct UpdateFindings {
  UpdateIdentity device;
  UpdateIdentity firmware;
};

// The selected plotter of the plotter list with the given connection; messages and questions go
// to prompter. log (capacity bytes) takes the parser's progress lines. findings, if given, is
// filled as far as the procedure got.
int sendFirmwareUpdate(const char* path, char* log, int capacity, int connection,
                       const UpdateTarget& target, prompt::Prompter& prompter,
                       UpdateFindings* findings = nullptr);

}  // namespace firmware
