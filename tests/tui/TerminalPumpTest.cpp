// The terminal dialog while an operation runs on its worker, in a pseudo-terminal: keys typed
// meanwhile are dropped, Ctrl-C and the signals that end a program ask for a close instead, what
// the operation changes is shown, and no key typed before a box answers it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include "app/ForwardedDialog.h"
#include "app/dialogs/ControlIds.h"
#include "app/tui/TerminalPump.h"
#include "tests/tui/PseudoTerminal.h"

namespace velkor::test {
namespace {

using app::tui::KeyCode;
using app::tui::Terminal;
using namespace std::chrono_literals;

std::unique_ptr<Terminal> openOn(const PseudoTerminal& pty) {
  std::string error;
  auto terminal = Terminal::open(pty.terminal(), pty.terminal(), 80, 25, &error);
  if (!terminal) throw std::runtime_error(error);
  return terminal;
}

app::tui::WakePipe wakePipe() {
  std::string error;
  std::optional<app::tui::WakePipe> pipe = app::tui::WakePipe::open(&error);
  if (!pipe) throw std::runtime_error(error);
  return std::move(*pipe);
}

// The worker's side: waits up to 5 s for the front end to note a close.
bool awaitClose(const app::OperationRunner& runner) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!runner.closeRequested() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  return runner.closeRequested();
}

class OperationInTerminal : public ::testing::Test {
 protected:
  OperationInTerminal() { pump.attach(live); }

  std::string status() { return dialog.view().controlText(IDC_STATUS_LINE, 299); }

  PseudoTerminal pty;
  std::unique_ptr<Terminal> terminal = openOn(pty);
  app::tui::TerminalDialog dialog{*terminal, app::editionDialogs(discovery::Edition::Full),
                                  "Velkor"};
  app::tui::TerminalPump pump{*terminal, dialog, wakePipe()};
  app::AppState state;
  app::LiveDialog live{pump, state, dialog.view(), dialog};
};

TEST_F(OperationInTerminal, KeysTypedMeanwhileAreDroppedAndCtrlCIsACloseAskedFor) {
  live.runner().run([&] {
    pty.type("\r\r\ry\x1b[B\x11\x1b\x03 \rq");
    EXPECT_TRUE(awaitClose(live.runner()));
  });
  EXPECT_TRUE(live.closeRequested());
  EXPECT_EQ(status(), app::kCloseWaitsText);
  pty.type("x");
  const app::tui::Key key = terminal->readKey();
  EXPECT_EQ(key.code, KeyCode::Character) << "a key typed during the operation was kept";
  EXPECT_EQ(key.character, 'x');
}

TEST_F(OperationInTerminal, SignalsThatEndTheProgramAskForACloseWhileAnOperationRuns) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    app::LiveDialog operation(pump, state, dialog.view(), dialog);
    pump.attach(operation);
    const Terminal::CloseSignals held;
    operation.runner().run([&] {
      kill(getpid(), signal);
      EXPECT_TRUE(awaitClose(operation.runner())) << strsignal(signal);
    });
    EXPECT_FALSE(terminal->takeCloseAsked()) << "the pump took the close already";
  }
}

TEST_F(OperationInTerminal, WhatTheOperationChangesIsShownAndAResizeShowsTheDialogAgain) {
  app::ForwardedView view(live.runner(), dialog.view());
  live.runner().run([&] {
    view.setControlText(IDC_STATUS_LINE, "Sending update: 1 KiB of 2 KiB (50%)");
    EXPECT_TRUE(pty.awaitOutput("Sending update: 1 KiB of 2 KiB (50%)"));
    const int shown = pty.count("\x1b[H");
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(pty.count("\x1b[H"), shown) << "an unchanged dialog is not shown again";
    pty.resize(100, 30);
    kill(getpid(), SIGWINCH);
    EXPECT_TRUE(pty.awaitOutput("\x1b[H", shown)) << "not shown again after a resize";
  });
  EXPECT_EQ(terminal->columns(), 100);
}

TEST_F(OperationInTerminal, TheCallsOfAnOperationWakeTheDialogsThread) {
  const auto start = std::chrono::steady_clock::now();
  live.runner().run([&] {
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(1ms);  // the dialog's thread is back waiting
      live.runner().call([] {});
    }
  });
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s)
      << "the calls waited for the pump's time-out";
}

TEST_F(OperationInTerminal, KeysTypedBeforeABoxDoNotAnswerIt) {
  pty.type("a\r\r");
  ASSERT_TRUE(pty.awaitKeysArrived());
  EXPECT_EQ(terminal->readKey().character, 'a') << "the Enters wait in the terminal's bytes";
  pty.type("\r");
  ASSERT_TRUE(pty.awaitKeysArrived());
  std::jthread answer([&] {
    if (pty.awaitOutput("Plotter update sent.")) pty.type("\r");
  });
  dialog.showInformation("Plotter update sent.");
  answer.join();
  pty.type("x");
  EXPECT_EQ(terminal->readKey().character, 'x') << "the box took an Enter typed before it";
}

}  // namespace
}  // namespace velkor::test
