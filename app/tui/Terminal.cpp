#include "app/tui/Terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

namespace app::tui {
namespace {

// What an escape byte waits for before it counts as the Escape key alone.
constexpr int kEscapeWaitMs = 50;

constexpr char kEnter[] = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr char kLeave[] = "\x1b[0m\x1b[2J\x1b[?25h\x1b[?1049l";

// The terminal's settings as found and its descriptors, for the signal handlers too (they may
// only call what is async-signal-safe: tcsetattr and write are, and so are lock-free atomics,
// which a handler running on an operation's worker thread needs).
struct termios savedSettings;
int terminalInput = STDIN_FILENO;
int terminalOutput = STDOUT_FILENO;
std::atomic<bool> settingsSaved = false;
std::atomic<bool> sizeChanged = false;
std::atomic<bool> closeSignalsHeld = false;
std::atomic<bool> closeSignalled = false;
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT, SIGABRT,
                                  SIGSEGV, SIGBUS,  SIGFPE, SIGILL,  SIGPIPE};

constexpr char kCtrlC = 0x03;

void writeAll(int output, const char* text, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(output, text, size);
    if (written <= 0) return;
    text += written;
    size -= static_cast<std::size_t>(written);
  }
}

void restoreTerminal() {
  if (!settingsSaved) return;
  writeAll(terminalOutput, kLeave, sizeof kLeave - 1);
  tcsetattr(terminalInput, TCSAFLUSH, &savedSettings);
  settingsSaved = false;
}

// The signals with which a user or the system asks a program to end, rather than those of a fault.
bool asksToEnd(int signal) { return signal == SIGINT || signal == SIGTERM || signal == SIGHUP; }

void onEndingSignal(int signal) {
  if (closeSignalsHeld && asksToEnd(signal)) {
    closeSignalled = true;
    return;
  }
  restoreTerminal();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void onSizeChange(int) { sizeChanged = true; }

void handleSignals(void (*ending)(int), void (*size)(int)) {
  for (int signal : kEndingSignals) std::signal(signal, ending);
  std::signal(SIGWINCH, size);
}

bool querySize(int output, int* columns, int* rows) {
  winsize size{};
  if (ioctl(output, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return false;
  *columns = size.ws_col;
  *rows = size.ws_row;
  return true;
}

}  // namespace

std::unique_ptr<Terminal> Terminal::open(int minColumns, int minRows, std::string* error) {
  return open(STDIN_FILENO, STDOUT_FILENO, minColumns, minRows, error);
}

std::unique_ptr<Terminal> Terminal::open(int input, int output, int minColumns, int minRows,
                                         std::string* error) {
  if (!isatty(input) || !isatty(output)) {
    *error = "standard input and output must be a terminal (velkorctl is the one for scripts)";
    return nullptr;
  }
  int columns = 0, rows = 0;
  if (!querySize(output, &columns, &rows) || columns < minColumns || rows < minRows) {
    *error = "the terminal is " + std::to_string(columns) + " x " + std::to_string(rows) +
             "; the dialog needs at least " + std::to_string(minColumns) + " x " +
             std::to_string(minRows);
    return nullptr;
  }
  if (tcgetattr(input, &savedSettings) != 0) {
    *error = std::string("cannot read the terminal's settings: ") + std::strerror(errno);
    return nullptr;
  }
  struct termios raw = savedSettings;
  raw.c_lflag &= ~tcflag_t(ECHO | ICANON | ISIG | IEXTEN);
  raw.c_iflag &= ~tcflag_t(IXON | ICRNL | BRKINT | INPCK | ISTRIP);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  terminalInput = input;
  terminalOutput = output;
  settingsSaved = true;
  handleSignals(onEndingSignal, onSizeChange);
  tcsetattr(input, TCSAFLUSH, &raw);
  writeAll(output, kEnter, sizeof kEnter - 1);
  return std::unique_ptr<Terminal>(new Terminal(input, output, columns, rows));
}

Terminal::~Terminal() {
  restoreTerminal();
  handleSignals(SIG_DFL, SIG_DFL);
}

void Terminal::show(const Screen& screen) {
  shown_.clear();
  showChanges(screen);
}

void Terminal::showChanges(const Screen& screen) {
  std::string sequences = screen.escapeSequences();
  if (sequences == shown_) return;
  shown_ = std::move(sequences);
  writeAll(output_, shown_.data(), shown_.size());
}

// 1: bytes came; 0: a time-out or a signal; -1: the input ended (the terminal went away).
int Terminal::readMore(int timeoutMs) {
  pollfd waitFor{input_, POLLIN, 0};
  if (poll(&waitFor, 1, timeoutMs) <= 0) return 0;
  char bytes[64];
  const ssize_t got = ::read(input_, bytes, sizeof bytes);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
  if (got <= 0) {
    ended_ = true;
    return -1;
  }
  pending_.append(bytes, static_cast<std::size_t>(got));
  return 1;
}

bool Terminal::resized() {
  if (!sizeChanged.exchange(false)) return false;
  querySize(output_, &columns_, &rows_);
  return true;
}

Key Terminal::readKey() {
  for (;;) {
    if (resized()) return {KeyCode::Redraw};
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

// What is read is looked at for Ctrl-C before it goes; what arrives between the last read and
// the flush is too late to be anything but typed ahead.
void Terminal::flushInput() {
  while (readMore(0) > 0) {
  }
  closeTyped_ = closeTyped_ || ended_ || pending_.find(kCtrlC) != std::string::npos;
  pending_.clear();
  tcflush(input_, TCIFLUSH);
}

bool Terminal::takeCloseAsked() {
  const bool signalled = closeSignalled.exchange(false);
  return std::exchange(closeTyped_, false) || signalled;
}

Terminal::CloseSignals::CloseSignals() { closeSignalsHeld = true; }

Terminal::CloseSignals::~CloseSignals() { closeSignalsHeld = false; }

}  // namespace app::tui
