// The update procedure: converts the chosen firmware update file into the update stream, decides
// whether it fits the selected plotter, asks where it does not quite fit, and sends it by the
// plotter's connection (the plotter link's transfer channel on the vendor driver, print jobs to
// its queue on the printing class).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "firmware/FirmwareNameTable.h"
#include "plotter/PrintJobFollow.h"
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
  // What the spooler reported of a print queue that held the update's jobs.
  std::optional<plotter::SpoolerFault> spooler;
};

// Updates the selected plotter of the plotter list, which has the given connection, with the
// firmware file at path; messages and questions go to prompter. log (capacity bytes) takes the
// parser's progress lines. findings, if given, is filled as far as the procedure got: the device
// once it is identified, the firmware once the file is converted.
// Only the vendor driver (2) and the printing class (3) can take an update; any other
// connection, and a vendor-driver plotter whose boot program is not 1, 2 or 3, is refused before
// the file is opened. The converted stream stays in the temporary file after a refusal of the
// file or of its fit and after a failed send on the vendor driver; a stream that could not be
// written whole never stays.
// On the printing class the update is sent once its jobs have left the print queue; a queue
// that held them fails the send, whose message then names the queue and what the spooler
// reported on a second line (findings->spooler has it too).
// 0 when sent; kUpdateRefused; kUpdateSendFailed; the plotter link's error when it does not
// open (no message); a result of plotter::printFileJobs on the printing class.
int sendFirmwareUpdate(const char* path, char* log, int capacity, int connection,
                       const UpdateTarget& target, prompt::Prompter& prompter,
                       UpdateFindings* findings = nullptr);

}  // namespace firmware
