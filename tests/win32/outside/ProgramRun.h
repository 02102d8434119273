// A dialog program of the Windows build started as a technician starts it, in a process of its
// own on a world of the simulated machine, and watched from this process: how long its dialog
// takes to answer, and when it ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace velkor::test {

class ProgramRun {
 public:
  // program: the .exe's path; world: VELKOR_WORLD; commandLine: what follows the program.
  ProgramRun(const std::string& program, const std::string& world, const std::string& arguments);
  ~ProgramRun();  // a program still running is ended
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  bool started() const { return process_.hProcess != nullptr; }
  DWORD uiThread() const { return process_.dwThreadId; }
  // Whether the program ended within the time given.
  bool endsWithin(std::chrono::milliseconds time);

 private:
  PROCESS_INFORMATION process_{};
};

// Asks a window an empty message every 50 ms, each with a 250 ms limit, for as long as it
// lives, and keeps the longest time an answer took (a message not answered counts as 250 ms).
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window);
  ~AnswerWatch();
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;

  // Stops asking; the longest time without an answer, in ms.
  long stop();
  int unanswered() const { return unanswered_; }
  int asked() const { return asked_; }

 private:
  void watch(HWND window);

  std::atomic<bool> going_{true};
  std::atomic<long> longestMs_{0};
  std::atomic<int> unanswered_{0};
  std::atomic<int> asked_{0};
  std::thread thread_;
};

// A mouse click on a control as the system delivers it: button down and up in its corner.
void click(HWND control);
// Two clicks in quick succession, as a double-click delivers them.
void doubleClick(HWND control);

}  // namespace velkor::test
