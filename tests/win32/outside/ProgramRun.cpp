#include "tests/win32/outside/ProgramRun.h"

#include <vector>

namespace velkor::test {
namespace {

constexpr std::chrono::milliseconds kAskEvery{50};
constexpr UINT kAnswerLimitMs = 250;
constexpr LPARAM kCorner = MAKELPARAM(4, 4);

}  // namespace

ProgramRun::ProgramRun(const std::string& program, const std::string& world,
                       const std::string& arguments) {
  SetEnvironmentVariableA("VELKOR_WORLD", world.c_str());
  std::string commandLine = "\"" + program + "\" " + arguments;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    process_ = {};
  }
  SetEnvironmentVariableA("VELKOR_WORLD", nullptr);
}

ProgramRun::~ProgramRun() {
  if (!started()) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, INFINITE);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool ProgramRun::endsWithin(std::chrono::milliseconds time) {
  return started() &&
         WaitForSingleObject(process_.hProcess, static_cast<DWORD>(time.count())) == WAIT_OBJECT_0;
}

AnswerWatch::AnswerWatch(HWND window) : thread_([this, window] { watch(window); }) {}

AnswerWatch::~AnswerWatch() { stop(); }

long AnswerWatch::stop() {
  going_ = false;
  if (thread_.joinable()) thread_.join();
  return longestMs_;
}

void AnswerWatch::watch(HWND window) {
  while (going_) {
    const auto asked = std::chrono::steady_clock::now();
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result) != 0;
    const long tookMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - asked)
                                              .count());
    if (!IsWindow(window)) return;
    ++asked_;
    if (!answered) ++unanswered_;
    if (tookMs > longestMs_) longestMs_ = tookMs;
    std::this_thread::sleep_for(kAskEvery);
  }
}

void click(HWND control) {
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, kCorner);
  PostMessageA(control, WM_LBUTTONUP, 0, kCorner);
}

void doubleClick(HWND control) {
  click(control);
  PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, kCorner);
  PostMessageA(control, WM_LBUTTONUP, 0, kCorner);
}

}  // namespace velkor::test
