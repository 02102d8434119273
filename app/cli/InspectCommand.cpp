// velkorctl inspect: checks a firmware update file without any plotter, and can write the
// update stream that would be sent.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/cli/Command.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Report.h"
#include "firmware/ClassTable.h"
#include "firmware/ConvertFirmwareFile.h"
#include "firmware/FirmwareNameTable.h"
#include "firmware/IdentityCode.h"
#include "firmware/TransferLine.h"
#include "firmware/UniqueFile.h"

namespace cli {
namespace {

constexpr OptionRule kOptions[] = {{"--stream", "OUT"}, {"--json", nullptr}};

constexpr const char kHelp[] =
    " FILE.cas [--stream OUT] [--json]\n\n"
    "Checks a firmware update file as an update would, without any plotter: its section\n"
    "keyword, header title, data byte count and checksum, its identity code with the device\n"
    "type, manufacturer code and hardware class, and the model and manufacturer it names.\n"
    "A rejected file shows the parser's own error text.\n\n"
    "Options:\n"
    "  --stream OUT  also write the update stream (transfer line and image) to OUT;\n"
    "                a rejected file leaves OUT untouched\n"
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
  char code8[8];
  std::snprintf(code8, sizeof code8, "0x%02x", static_cast<unsigned>(manufacturer));
  std::string shown = code8;
  if (manufacturer > 0x20 && manufacturer < 0x7F) shown += std::string(" '") + char(manufacturer) + "'";
  report.text("identityCode", "identity code", hex16(code))
      .number("deviceType", "device type", type)
      .text("manufacturerCode", "", code8)
      .text("", "manufacturer code", shown)
      .number("hardwareClass", "hardware class", firmware::hardwareClass(type))
      .text("model", "model", names.model)
      .text("manufacturer", "manufacturer", names.manufacturer);
}

// Fails the command: the error as JSON, or on the error stream as "FILE: text" when it is
// the parser's.
int fail(Report& report, const std::string& error, int exitCode, bool json,
         const Console& console, const std::string& shownPrefix = {}) {
  report.flag("accepted", "", false).text("error", "", error).number("exitCode", "", exitCode);
  if (json) report.writeJson(console.out);
  else console.err << shownPrefix << error << '\n';
  return exitCode;
}

// The system's reason for the last failed call, so that a technician can act on it.
std::string reason(const std::string& path) { return path + ": " + std::strerror(errno); }

// Writes the update stream of an accepted file to OUT; kExitOk, or the exit code with the error
// text. A regular OUT is removed when the write fails, so that no stream cut short is left
// behind; a device or pipe named as OUT stays.
int writeStream(std::FILE* in, const std::string& outPath, std::string& error) {
  firmware::UniqueFile out = firmware::openFile(outPath.c_str(), "wb");
  if (!out) {
    error = "Could not open stream file\n" + reason(outPath);
    return kExitFileError;
  }
  char log[1024] = "";
  std::rewind(in);
  const int code = firmware::convertFirmwareFile(in, out.get(), log, sizeof log);
  if (code >= 0) return kExitOk;
  error = lastLine(log);
  if (std::ferror(out.get()) != 0) error += "\n" + reason(outPath);
  out.reset();
  std::error_code ignored;
  if (std::filesystem::is_regular_file(outPath, ignored)) std::filesystem::remove(outPath, ignored);
  return kExitFailed;
}

int inspect(const Arguments& args, const Console& console) {
  const std::string& path = args.positionals[0];
  const bool json = args.has("--json");
  Report report;
  report.text("file", "firmware file", path);
  firmware::UniqueFile in = firmware::openFile(path.c_str(), "rb");
  if (!in) {
    return fail(report, "Could not open firmware update file\n" + reason(path), kExitFileError,
                json, console);
  }
  char log[1024] = "";
  firmware::FirmwareSummary summary{};
  const int code = firmware::convertFirmwareFile(in.get(), nullptr, log, sizeof log, &summary);
  addSummary(report, summary);
  if (code < 0) return fail(report, lastLine(log), kExitFailed, json, console, path + ": ");
  if (args.has("--stream")) {
    const std::string& outPath = args.value("--stream");
    std::error_code ignored;
    if (std::filesystem::equivalent(path, outPath, ignored)) {
      return fail(report, "the stream must not overwrite " + path, kExitUsage, json, console);
    }
    std::string error;
    if (const int exitCode = writeStream(in.get(), outPath, error); exitCode != kExitOk) {
      return fail(report, error, exitCode, json, console);
    }
  }
  report.flag("accepted", "", true).text("checksum", "checksum", hex32(summary.checksum));
  addIdentity(report, static_cast<uint16_t>(code));
  if (args.has("--stream")) report.text("stream", "update stream", args.value("--stream"));
  report.write(console.out, json);
  return kExitOk;
}

}  // namespace

extern const Command kInspectCommand;
const Command kInspectCommand{"inspect", "check a firmware update file (*.cas) offline",
                              kHelp, kOptions, 1, 1, inspect};

}  // namespace cli
