#include "app/tui/Terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace app::tui {
namespace {

// What an escape byte waits for before it counts as the Escape key alone.
constexpr int kEscapeWaitMs = 50;

constexpr char kEnter[] = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr char kLeave[] = "\x1b[0m\x1b[2J\x1b[?25h\x1b[?1049l";

// The terminal's settings as found, for the signal handlers too (they may only call what is
// async-signal-safe: tcsetattr and write are).
struct termios savedSettings;
volatile std::sig_atomic_t settingsSaved = 0;
volatile std::sig_atomic_t sizeChanged = 0;

constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT, SIGABRT,
                                  SIGSEGV, SIGBUS,  SIGFPE, SIGILL,  SIGPIPE};

void writeAll(const char* text, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(STDOUT_FILENO, text, size);
    if (written <= 0) return;
    text += written;
    size -= static_cast<std::size_t>(written);
  }
}

void restoreTerminal() {
  if (!settingsSaved) return;
  writeAll(kLeave, sizeof kLeave - 1);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedSettings);
  settingsSaved = 0;
}

void onEndingSignal(int signal) {
  restoreTerminal();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void onSizeChange(int) { sizeChanged = 1; }

void handleSignals(void (*ending)(int), void (*size)(int)) {
  for (int signal : kEndingSignals) std::signal(signal, ending);
  std::signal(SIGWINCH, size);
}

bool querySize(int* columns, int* rows) {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return false;
  *columns = size.ws_col;
  *rows = size.ws_row;
  return true;
}

}  // namespace

std::unique_ptr<Terminal> Terminal::open(int minColumns, int minRows, std::string* error) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *error = "standard input and output must be a terminal (velkorctl is the one for scripts)";
    return nullptr;
  }
  int columns = 0, rows = 0;
  if (!querySize(&columns, &rows) || columns < minColumns || rows < minRows) {
    *error = "the terminal is " + std::to_string(columns) + " x " + std::to_string(rows) +
             "; the dialog needs at least " + std::to_string(minColumns) + " x " +
             std::to_string(minRows);
    return nullptr;
  }
  if (tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
    *error = std::string("cannot read the terminal's settings: ") + std::strerror(errno);
    return nullptr;
  }
  struct termios raw = savedSettings;
  raw.c_lflag &= ~tcflag_t(ECHO | ICANON | ISIG | IEXTEN);
  raw.c_iflag &= ~tcflag_t(IXON | ICRNL | BRKINT | INPCK | ISTRIP);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  settingsSaved = 1;
  handleSignals(onEndingSignal, onSizeChange);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
  writeAll(kEnter, sizeof kEnter - 1);
  return std::unique_ptr<Terminal>(new Terminal(columns, rows));
}

Terminal::~Terminal() {
  restoreTerminal();
  handleSignals(SIG_DFL, SIG_DFL);
}

void Terminal::show(const Screen& screen) {
  const std::string sequences = screen.escapeSequences();
  writeAll(sequences.data(), sequences.size());
}

// 1: bytes came; 0: a time-out or a signal; -1: the input ended (the terminal went away).
int Terminal::readMore(int timeoutMs) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, timeoutMs) <= 0) return 0;
  char bytes[64];
  const ssize_t got = ::read(STDIN_FILENO, bytes, sizeof bytes);
  if (got < 0) return errno == EINTR || errno == EAGAIN ? 0 : -1;
  if (got == 0) return -1;
  pending_.append(bytes, static_cast<std::size_t>(got));
  return 1;
}

Key Terminal::readKey() {
  for (;;) {
    if (sizeChanged) {
      sizeChanged = 0;
      querySize(&columns_, &rows_);
      return {KeyCode::Redraw};
    }
    std::size_t used = 0;
    Key key = decodeKey(pending_, false, &used);
    if (key.code == KeyCode::None && !pending_.empty() && readMore(kEscapeWaitMs) <= 0) {
      key = decodeKey(pending_, true, &used);
    }
    if (used > 0) {
      pending_.erase(0, used);
      return key;
    }
    // With no terminal left the dialog closes as on Esc.
    if (pending_.empty() && readMore(-1) < 0) return {KeyCode::Quit};
  }
}

}  // namespace app::tui
