#include "app/tui/Keys.h"

namespace app::tui {
namespace {

struct Sequence {
  std::string_view bytes;
  KeyCode code;
};

// What common terminals (xterm, tmux, the Linux console) send.
constexpr Sequence kSequences[] = {
    {"\x1b[A", KeyCode::Up},      {"\x1b[B", KeyCode::Down},      {"\x1b[C", KeyCode::Right},
    {"\x1b[D", KeyCode::Left},    {"\x1bOA", KeyCode::Up},        {"\x1bOB", KeyCode::Down},
    {"\x1bOC", KeyCode::Right},   {"\x1bOD", KeyCode::Left},      {"\x1b[Z", KeyCode::BackTab},
    {"\x1b[5~", KeyCode::PageUp}, {"\x1b[6~", KeyCode::PageDown}, {"\x1b[H", KeyCode::Home},
    {"\x1b[F", KeyCode::End},     {"\x1b[1~", KeyCode::Home},     {"\x1b[4~", KeyCode::End},
    {"\x1bOH", KeyCode::Home},    {"\x1bOF", KeyCode::End},       {"\x1bOP", KeyCode::Help},
    {"\x1b[11~", KeyCode::Help},  {"\x1b[[A", KeyCode::Help},     {"\x1b ", KeyCode::SystemMenu},
};

Key single(char byte) {
  switch (byte) {
    case '\r':
    case '\n':
      return {KeyCode::Enter};
    case ' ':
      return {KeyCode::Space, ' '};
    case '\t':
      return {KeyCode::Tab};
    case 0x7F:
    case 0x08:
      return {KeyCode::Backspace};
    case 0x11:  // Ctrl-Q
    case 0x03:  // Ctrl-C
      return {KeyCode::Quit};
    case 0x0C:  // Ctrl-L
      return {KeyCode::Redraw};
    default:
      break;
  }
  const auto value = static_cast<unsigned char>(byte);
  if (value >= 0x20 && value < 0x7F) return {KeyCode::Character, byte};
  return {KeyCode::Unknown};
}

// An escape sequence this decoder does not know: CSI or SS3 up to its final byte.
std::size_t unknownSequenceLength(std::string_view bytes) {
  if (bytes.size() < 2 || (bytes[1] != '[' && bytes[1] != 'O')) return 0;
  for (std::size_t i = 2; i < bytes.size(); ++i) {
    if (bytes[i] >= 0x40 && bytes[i] <= 0x7E) return i + 1;
  }
  return 0;
}

}  // namespace

Key decodeKey(std::string_view bytes, bool complete, std::size_t* used) {
  *used = 0;
  if (bytes.empty()) return {};
  if (bytes[0] != '\x1b') {
    *used = 1;
    return single(bytes[0]);
  }
  bool longerPossible = false;
  for (const Sequence& sequence : kSequences) {
    if (bytes.substr(0, sequence.bytes.size()) == sequence.bytes) {
      *used = sequence.bytes.size();
      return {sequence.code};
    }
    if (sequence.bytes.substr(0, bytes.size()) == bytes) longerPossible = true;
  }
  if (const std::size_t length = unknownSequenceLength(bytes)) {
    *used = length;
    return {KeyCode::Unknown};
  }
  if (!complete && (longerPossible || bytes.size() == 1 || bytes[1] == '[' || bytes[1] == 'O')) {
    return {};
  }
  *used = 1;
  return {KeyCode::Escape};
}

}  // namespace app::tui
