#include "plotter/CommandTable.h"

#include <array>
#include <cstddef>

namespace plotter {
namespace {

// How one table carries a command.
struct Form {
  const char* bytes;
  int32_t length;
  CommandMethod method;
};

// A command as both tables know it: the same code, name and reply rule, and a form in each.
struct Row {
  int32_t code;
  const char* name;
  int32_t expectsReply;
  int32_t appendsArgument;
  Form escape;
  Form vendorRequest;
};

// The vendor requests take exactly 3 input bytes, so their short letters are stored with
// length 3 and go out zero-padded. "Firmware Update" and "Set Serial Number" travel on the
// pipe in both tables.
constexpr Row kRows[] = {
    {0, "Dummy Command", 1, 0, {"\x1b.0", 3, PipeExchange}, {"0", 3, VendorGet}},
    {1, "PlotterType", 1, 0, {"\x1b.5", 3, PipeExchange}, {"5", 3, VendorGet}},
    {2, "Firmware", 1, 0, {"\x1b.6", 3, PipeExchange}, {"6", 3, VendorGet}},
    {3, "Boot version", 1, 0, {"\x1b.7", 3, PipeExchange}, {"7", 3, VendorGet}},
    {4, "Plat  Type", 1, 0, {"\x1b.8", 3, PipeExchange}, {"8", 3, VendorGet}},
    {5, "Reset", 0, 0, {"\x1b.K", 3, PipeExchange}, {"K", 3, VendorSet}},
    {6, "Firmware Update", 0, 0, {"\x1b.DL", 4, PipeExchange}, {"\x1b.DL", 4, PipeExchange}},
    {7, "ToolInfo", 1, 0, {"\x1b.A", 3, PipeExchange}, {"A", 3, VendorGet}},
    {8, "Status", 1, 0, {"\x1b.B", 3, PipeExchange}, {"B", 3, VendorGet}},
    {9, "Fixtures", 1, 0, {"\x1b.4", 3, PipeExchange}, {"4", 3, VendorGet}},
    {10, "Get Serial Number", 1, 0, {"\x1b.S:", 4, PipeExchange}, {"S:", 3, VendorGet}},
    {11, "Set Serial Number", 0, 1, {"\x1b.S", 3, PipeExchange}, {"\x1b.S", 3, PipeExchange}},
    {13, "Query Online", 1, 0, {"", 0, LptStatus}, {"", 0, LptStatus}},
};

// The update-only program's extra row; the rows from its code on move one code up there.
constexpr Row kSerialNumberModeRow = {11, "Get Serial Number Mode",      1,
                                      0,  {"\x1b.S=:", 5, PipeExchange}, {"S=:", 3, VendorGet}};

enum class Variant { Escape, VendorRequest };

template <size_t N>
constexpr void copyText(char (&field)[N], const char* text) {
  for (size_t i = 0; i + 1 < N && text[i] != '\0'; ++i) field[i] = text[i];
}

constexpr CommandEntry entryOf(const Row& row, int32_t code, Variant variant) {
  const Form& form = variant == Variant::Escape ? row.escape : row.vendorRequest;
  CommandEntry entry{};
  entry.code = code;
  copyText(entry.name, row.name);
  copyText(entry.bytes, form.bytes);
  entry.length = form.length;
  entry.expectsReply = row.expectsReply;
  entry.appendsArgument = row.appendsArgument;
  entry.method = form.method;
  return entry;
}

constexpr size_t kRowCount = std::size(kRows);

template <bool WithModeRow>
constexpr auto buildTable(Variant variant) {
  std::array<CommandEntry, kRowCount + (WithModeRow ? 1 : 0)> table{};
  const int32_t shiftFrom = kSerialNumberModeRow.code;
  size_t at = 0;
  for (const Row& row : kRows) {
    if (WithModeRow && row.code == shiftFrom) {
      table[at++] = entryOf(kSerialNumberModeRow, shiftFrom, variant);
    }
    int32_t code = WithModeRow && row.code >= shiftFrom ? row.code + 1 : row.code;
    table[at++] = entryOf(row, code, variant);
  }
  return table;
}

constexpr auto kEscapeTable = buildTable<false>(Variant::Escape);
constexpr auto kVendorRequestTable = buildTable<false>(Variant::VendorRequest);
constexpr auto kEscapeTableWithModeRow = buildTable<true>(Variant::Escape);
constexpr auto kVendorRequestTableWithModeRow = buildTable<true>(Variant::VendorRequest);

}  // namespace

std::span<const CommandEntry> commandTable(int16_t selector, discovery::Edition edition) {
  if (discovery::editionFacts(edition).hasSerialNumberModeRow) {
    if (selector == 0) return kEscapeTableWithModeRow;
    return kVendorRequestTableWithModeRow;
  }
  if (selector == 0) return kEscapeTable;
  return kVendorRequestTable;
}

const CommandEntry* findCommand(std::span<const CommandEntry> table, int32_t code) {
  for (const CommandEntry& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace plotter
