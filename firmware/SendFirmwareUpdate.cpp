#include "firmware/SendFirmwareUpdate.h"

#include <cstdio>

#include "discovery/ModelTable.h"
#include "discovery/PlotterRecord.h"
#include "firmware/ConvertFirmwareFile.h"
#include "firmware/DeviceIdentity.h"
#include "firmware/UniqueFile.h"
#include "firmware/UpdateFit.h"
#include "firmware/UpdateMessages.h"
#include "firmware/UpdateSend.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "prompt/Progress.h"

namespace firmware {
namespace {

using discovery::PlotterRecord;

// Vendor driver: the plotter link, opened if need be (its error is returned as it is, with no
// message), and the boot program's number. 0 when device is filled.
int driverDevice(const UpdateTarget& target, prompt::Prompter& prompter, UpdateIdentity& device) {
  if (const int error = plotter::ensurePlotterLinkOpen(); error != 0) return error;
  const std::optional<UpdateIdentity> identity = driverDeviceIdentity(target.bootNumber);
  if (!identity) {
    prompter.showError(unknownBootText(target.bootNumber));
    return kUpdateRefused;
  }
  device = *identity;
  return 0;
}

// Printing class: the record's model row. 0 when device is filled.
int printerDevice(const PlotterRecord* record, const UpdateTarget& target,
                  prompt::Prompter& prompter, UpdateIdentity& device) {
  if (record == nullptr || record->modelRow < 0 || record->modelRow >= discovery::kModelTableSize) {
    prompter.showError(kUnknownPlotterText);
    return kUpdateRefused;
  }
  device = printerDeviceIdentity(discovery::modelTable()[record->modelRow].productId, target);
  return 0;
}

// Closes the temporary file. A stream that did not wholly reach the disk is a write failure,
// whatever the parser said, and the file goes.
bool finishTempFile(UniqueFile temp) {
  const bool clean = std::ferror(temp.get()) == 0;
  const bool closed = std::fclose(temp.release()) == 0;  // data not flushed fails here
  if (clean && closed) return true;
  plotter::removeTempFile();
  return false;
}

// Converts the firmware file at path into the update stream in the temporary file: its identity
// code, or kUpdateRefused once the reason is shown.
int convertToTempFile(const char* path, char* log, int capacity, prompt::Prompter& prompter) {
  if (path == nullptr || *path == '\0') {
    prompter.showError(kNotSelectedText);
    return kUpdateRefused;
  }
  UniqueFile in = openFile(path, "rb");
  if (!in) {
    prompter.showError(withText(kCannotOpenFileText, path));
    return kUpdateRefused;
  }
  plotter::ensureTempName();
  UniqueFile temp = plotter::createTempFile();
  if (!temp) {
    prompter.showError(withText(kCannotOpenTempText, plotter::tempName()));
    return kUpdateRefused;
  }
  prompt::reportStep(prompt::Step::ConvertingFile);
  const int code = convertFirmwareFile(in.get(), temp.get(), log, capacity);
  in.reset();
  if (!finishTempFile(std::move(temp))) {
    prompter.showError(withText(kCannotWriteTempText, plotter::tempName()));
    return kUpdateRefused;
  }
  if (code < 0) prompter.showError(wrongFormatText());
  return code < 0 ? kUpdateRefused : code;
}

// The hardware check, then (except on the vendor driver) the question about a near fit.
bool accepted(int connection, const UpdateFindings& found, prompt::Prompter& prompter) {
  const UpdateIdentity& device = found.device;
  const UpdateIdentity& firmware = found.firmware;
  if (!hardwareFits(device.hardwareClass, firmware.hardwareClass)) {
    prompter.showError(withNames(kNotCompatibleText, device, firmware));
    return false;
  }
  if (connection == discovery::kConnectionDriver) return true;
  const char* question = fitQuestion(device, firmware);
  return question == nullptr || prompter.askYesNo(withNames(question, device, firmware));
}

// A failed send on the vendor driver keeps the stream file; the printing class never does. The
// printing class's record is the one its identity was found by.
int send(int connection, const PlotterRecord* record, const UpdateTarget& target,
         prompt::Prompter& prompter, UpdateFindings& found) {
  plotter::SendOutcome sent;
  if (connection == discovery::kConnectionDriver) {
    sent.result = sendUpdateToDriver(plotter::tempName());
  } else {
    sent = sendUpdateToPrinter(discovery::plotterList().selected, target.firmwareVersion,
                               discovery::recordText(record->name).c_str(), plotter::tempName());
  }
  found.spooler = sent.spooler;
  if (sent.result != 0) prompter.showError(sendErrorText(sent.spooler));
  if (sent.result == 0 || connection != discovery::kConnectionDriver) plotter::removeTempFile();
  return sent.result;
}

}  // namespace

int sendFirmwareUpdate(const char* path, char* log, int capacity, int connection,
                       const UpdateTarget& target, prompt::Prompter& prompter,
                       UpdateFindings* findings) {
  UpdateFindings unused;
  UpdateFindings& found = findings != nullptr ? *findings : unused;
  found = {};
  if (connection != discovery::kConnectionDriver && connection != discovery::kConnectionPrinter) {
    prompter.showError(kNoSendPathText);
    return kUpdateRefused;
  }
  const PlotterRecord* record = discovery::selectedRecord();
  const int identified = connection == discovery::kConnectionDriver
                             ? driverDevice(target, prompter, found.device)
                             : printerDevice(record, target, prompter, found.device);
  if (identified != 0) return identified;
  const int code = convertToTempFile(path, log, capacity, prompter);
  if (code < 0) return code;
  found.firmware = firmwareIdentity(static_cast<uint16_t>(code));
  if (!accepted(connection, found, prompter)) return kUpdateRefused;
  return send(connection, record, target, prompter, found);
}

}  // namespace firmware
