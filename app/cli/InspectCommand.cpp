// velkorctl inspect: checks a firmware update file without any plotter, and can write the
// update stream that would be sent.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/HostSystem.h"
#include "app/cli/OutputFile.h"
#include "app/cli/Report.h"
#include "firmware/ClassTable.h"
#include "firmware/ConvertFirmwareFile.h"
#include "firmware/FirmwareNameTable.h"
#include "firmware/IdentityCode.h"
#include "firmware/TransferLine.h"
#include "firmware/UniqueFile.h"
#include "os/HostPath.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl inspect";
constexpr OptionRule kOptions[] = {{"--stream", "OUT"}, {"--json", nullptr}};
constexpr const char* kPositionals[] = {"FILE.cas"};

constexpr const char kHelp[] =
    " FILE.cas [--stream OUT] [--json]\n\n"
    "Checks a firmware update file as an update would, without any plotter: its section\n"
    "keyword, header title, data byte count and checksum, its identity code with the device\n"
    "type, manufacturer code and hardware class, and the model and manufacturer it names.\n"
    "A rejected file shows the parser's own error text.\n\n"
    "Options:\n"
    "  --stream OUT  also write the update stream (transfer line and image) to OUT. It is\n"
    "                written to a new file beside OUT that takes OUT's place only when\n"
    "                complete: a rejected file or a failed write leaves OUT untouched.\n"
    "                A device or pipe named as OUT is written directly.\n"
    "  --json        one JSON object on standard output, errors included\n";

// The last nonempty line of the progress log: the parser's error text on a rejection.
std::string lastLine(const std::string& log) {
  const size_t end = log.find_last_not_of("\r\n");
  if (end == std::string::npos) return {};
  const size_t start = log.find_last_of("\r\n", end);
  const size_t from = start == std::string::npos ? 0 : start + 1;
  return log.substr(from, end + 1 - from);
}

void addSummary(Report& report, const firmware::FirmwareSummary& summary) {
  const std::string header = summary.headerText;
  report.text("section", "section", summary.keyword)
      .text("title", "title", header.substr(0, firmware::kTitleLength))
      .text("headerText", "", header)
      .number("dataBytes", "data bytes", static_cast<int64_t>(summary.dataCount));
}

void addIdentity(Report& report, uint16_t code) {
  const int type = firmware::deviceTypeOf(code);
  const int manufacturer = firmware::manufacturerCodeOf(code);
  const firmware::FirmwareNames names = firmware::lookupFirmwareNames(type, manufacturer);
  std::string shown = hexText(static_cast<uint32_t>(manufacturer), 2);
  if (manufacturer > 0x20 && manufacturer < 0x7F) {
    shown += std::string(" '") + char(manufacturer) + "'";
  }
  report.hex("identityCode", "identity code", code, 4)
      .number("deviceType", "device type", type)
      .hex("manufacturerCode", "", static_cast<uint32_t>(manufacturer), 2)
      .text("", "manufacturer code", shown)
      .number("hardwareClass", "hardware class", firmware::hardwareClass(type))
      .text("model", "model", names.model)
      .text("manufacturer", "manufacturer", names.manufacturer);
}

// A named file and the system's reason for the last failed call on it, for the technician to
// act on.
std::string reason(const std::string& path, int error) {
  return utf8FromSystem(path) + ": " + std::strerror(error);
}

bool overwritesInput(const std::string& path, const std::string& outPath) {
  std::error_code ignored;
  return std::filesystem::equivalent(os::hostPath(path), os::hostPath(outPath), ignored);
}

// What the conversion came to: the exit code, and the error text when it failed.
struct Outcome {
  ExitCode code;
  std::string message;
};

// Converts the open file once, writing its update stream into stream (the file named
// streamPath) when there is one; the summary, and on acceptance the identity, go to the report.
Outcome convert(std::FILE* in, const std::string& path, OutputFile* stream,
                const std::string& streamPath, Report& report) {
  char log[1024] = "";
  firmware::FirmwareSummary summary{};
  const int code = firmware::convertFirmwareFile(in, stream ? stream->file() : nullptr, log,
                                                 sizeof log, &summary);
  const int writeError = errno;
  addSummary(report, summary);
  if (code < 0 && stream != nullptr && std::ferror(stream->file()) != 0) {
    return {kExitFailed, utf8FromSystem(streamPath) + ": " + lastLine(log) + " (" +
                             std::strerror(writeError) + ")"};
  }
  if (code < 0) return {kExitFailed, utf8FromSystem(path) + ": " + lastLine(log)};
  if (stream != nullptr) {
    if (const int error = stream->commit(); error != 0) {
      return {kExitFileError, "Could not write stream file: " + reason(streamPath, error)};
    }
  }
  report.flag("accepted", "", true).hex("checksum", "checksum", summary.checksum, 8);
  addIdentity(report, static_cast<uint16_t>(code));
  return {kExitOk, {}};
}

int inspect(const Arguments& args, const Console& console) {
  const std::string& path = args.positionals[0];
  const bool streams = args.has("--stream");
  const std::string streamPath = streams ? args.value("--stream") : std::string();
  Report report;
  report.text("file", "firmware file", utf8FromSystem(path));
  const auto fail = [&](ExitCode code, const std::string& message) {
    report.flag("accepted", "", false);
    return reportError(console, args.has("--json"), kContext, code, message, report);
  };
  if (streams && overwritesInput(path, streamPath)) {
    return fail(kExitUsage, "the stream must not overwrite " + utf8FromSystem(path));
  }
  const firmware::UniqueFile in = firmware::openFile(path.c_str(), "rb");
  if (!in) {
    return fail(kExitFileError, "Could not open firmware update file: " + reason(path, errno));
  }
  std::optional<OutputFile> stream;
  if (streams && stream.emplace(streamPath).file() == nullptr) {
    return fail(kExitFileError,
                "Could not open stream file: " + reason(streamPath, stream->error()));
  }
  const Outcome outcome = convert(in.get(), path, stream ? &*stream : nullptr, streamPath, report);
  if (outcome.code != kExitOk) return fail(outcome.code, outcome.message);
  if (streams) report.text("stream", "update stream", utf8FromSystem(streamPath));
  report.write(console.out, args.has("--json"));
  return kExitOk;
}

}  // namespace

extern const Command kInspectCommand;
const Command kInspectCommand{
    "inspect", "check a firmware update file (*.cas) offline", kHelp, kOptions, kPositionals, 1, 1,
    inspect};

}  // namespace cli
