// Velkor.exe and Velkorflash.exe run as a technician runs them, each in its own process on a
// simulated world with the real waits, driven from this process: while an update, a plot or a
// serial number's pause runs, the dialog answers the system at once, a second click does
// nothing, and a close waits for the operation and its notice.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "app/LiveDialog.h"
#include "app/dialogs/ControlIds.h"
#include "tests/support/SampleFirmware.h"
#include "tests/win32/DialogDriver.h"
#include "tests/win32/outside/ProgramRun.h"

namespace velkor::test {
namespace {

using namespace std::chrono_literals;

// What a loaded machine adds to the 100 ms the dialog answers within.
constexpr long kLongestAnswerMs = 250;
constexpr auto kIntoTheOperation = 1500ms;
constexpr int kClassicLine = 3;    // behind a print queue, old firmware: the download state
constexpr int kInUpdateLine = 2;   // on the vendor driver, in update mode
constexpr int kPrinterLine = 4;    // behind a print queue: takes a serial number

struct Program {
  const char* name;
  const char* path;
  const char* title;
};

const Program kPrograms[] = {{"Velkor", VELKOR_EXE, "Velkor"},
                             {"Velkorflash", VELKORFLASH_EXE, "Velkorflash "}};

std::string windowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
}

bool startsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

class LiveDialogTest : public ::testing::TestWithParam<Program> {
 protected:
  // Starts the program; the driver is there once its dialog is.
  DialogDriver& start(const std::string& world, const std::string& arguments = "") {
    run_.emplace(windowsPath(GetParam().path), world, arguments);
    EXPECT_TRUE(run_->started()) << GetParam().path;
    dialog_.emplace(run_->uiThread(), GetParam().title);
    // Under Wine the first mouse click on a dialog that came up in another process's shadow
    // only makes its button take the focus: a refresh takes it, as a person's first look would.
    click(control(IDC_REFRESH));
    std::this_thread::sleep_for(300ms);
    dialog_->settle();
    return *dialog_;
  }

  HWND control(int id) { return GetDlgItem(dialog_->window(), id); }

  // A click on a button that starts an operation; returns once the operation has begun (a
  // click is posted, so the dialog may still be idle when the next sent message comes back).
  void startOperation(int button) {
    click(control(button));
    for (int i = 0; i < 150 && !dialog_->busy(); ++i) std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(dialog_->busy()) << "the click on " << button << " started nothing";
  }

  // The longest the dialog took to answer while it ran, checked and printed.
  void expectAnswering(AnswerWatch& watch, const char* what) {
    const long longest = watch.stop();
    std::printf("%s, %s: longest time without an answer %ld ms (%d asked)\n", GetParam().name,
                what, longest, watch.asked());
    EXPECT_EQ(watch.unanswered(), 0) << what;
    EXPECT_LE(longest, kLongestAnswerMs) << what;
  }

  // Sends update to the line; the question (if any) answered Yes, and the notice that follows.
  std::optional<ModalBox> updateTo(int line, bool asks) {
    EXPECT_FALSE(dialog_->select(line));
    startOperation(IDC_SEND_UPDATE);
    std::optional<ModalBox> box = dialog_->settle();
    if (asks && box && box->yesNo) box = dialog_->answer(*box, IDYES);
    return box;
  }

  std::optional<ProgramRun> run_;
  std::optional<DialogDriver> dialog_;
};

TEST_P(LiveDialogTest, AnUpdateOnAPrintQueueKeepsTheDialogAnsweringAndTakesOneClick) {
  TempFile firmware;
  ASSERT_TRUE(writeSampleFirmware(firmware.path(), classicFirmware()));
  DialogDriver& dialog = start("default", "\"" + firmware.string() + "\"");
  AnswerWatch watch(dialog.window());
  ASSERT_FALSE(dialog.select(kClassicLine));
  startOperation(IDC_SEND_UPDATE);
  std::optional<ModalBox> box = dialog.settle();
  ASSERT_TRUE(box && box->yesNo) << "the question before the update";
  EXPECT_TRUE(dialog.busy());
  PostMessageA(box->window, WM_COMMAND, IDYES, 0);
  std::this_thread::sleep_for(kIntoTheOperation);
  EXPECT_TRUE(dialog.busy()) << "the update is still on its way";
  click(control(IDC_SEND_UPDATE));
  box = dialog.settle();
  ASSERT_TRUE(box) << "no notice after the update";
  EXPECT_FALSE(box->yesNo) << box->text;
  EXPECT_TRUE(startsWith(box->text, "Plotter update sent.")) << box->text;
  EXPECT_TRUE(startsWith(dialog.text(IDC_STATUS_LINE), "Plotter update sent on  "))
      << dialog.text(IDC_STATUS_LINE);
  EXPECT_FALSE(dialog.answer(*box, IDOK)) << "a second update came up";
  EXPECT_FALSE(dialog.busy());
  expectAnswering(watch, "update on a print queue");
  dialog.close();
  EXPECT_TRUE(run_->endsWithin(10s));
}

TEST_P(LiveDialogTest, AnUpdateOnTheDriverKeepsTheDialogAnswering) {
  TempFile firmware;
  SampleFirmware sample = classicFirmware(" 2.02 A4");
  sample.productId = 0x4C04;
  ASSERT_TRUE(writeSampleFirmware(firmware.path(), sample));
  DialogDriver& dialog = start("default", "\"" + firmware.string() + "\"");
  AnswerWatch watch(dialog.window());
  std::optional<ModalBox> box = updateTo(kInUpdateLine, false);
  ASSERT_TRUE(box) << "no notice after the update";
  EXPECT_TRUE(startsWith(box->text, "Plotter update sent.")) << box->text;
  EXPECT_FALSE(dialog.answer(*box, IDOK));
  expectAnswering(watch, "update on the driver");
  dialog.close();
}

TEST_P(LiveDialogTest, ACloseAskedForDuringAnUpdateWaitsForItAndItsNotice) {
  TempFile firmware;
  ASSERT_TRUE(writeSampleFirmware(firmware.path(), classicFirmware()));
  DialogDriver& dialog = start("default", "\"" + firmware.string() + "\"");
  ASSERT_FALSE(dialog.select(kClassicLine));
  startOperation(IDC_SEND_UPDATE);
  std::optional<ModalBox> box = dialog.settle();
  ASSERT_TRUE(box && box->yesNo);
  PostMessageA(box->window, WM_COMMAND, IDYES, 0);
  std::this_thread::sleep_for(kIntoTheOperation);
  PostMessageA(dialog.window(), WM_CLOSE, 0, 0);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(dialog.text(IDC_STATUS_LINE), app::kCloseWaitsText);
  EXPECT_FALSE(run_->endsWithin(0ms)) << "closed in the middle of the update";
  box = dialog.settle();
  ASSERT_TRUE(box) << "no notice after the update";
  EXPECT_TRUE(startsWith(box->text, "Plotter update sent.")) << box->text;
  EXPECT_FALSE(run_->endsWithin(500ms)) << "closed before the notice was answered";
  PostMessageA(box->window, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(run_->endsWithin(10s)) << "the program did not close after the update";
}

class FullProgramTest : public LiveDialogTest {};

// A driver plotter that takes each chunk of a plot slowly, as one drawing as it goes.
constexpr char kSlowWorld[] = R"([plotter Slow]
connection = driver
type = ZK400
firmware = 1.14aKR A4
boot = 3.02
hardware = MB-7 rev C
chunk-delay = 300
)";

TEST_P(FullProgramTest, ADoubleClickOnSendFileSendsThePlotOnce) {
  TempFile world(".world");
  std::ofstream(world.path()) << kSlowWorld;
  TempFile plot(".plt");
  std::ofstream(plot.path(), std::ios::binary) << std::string(1 << 20, 'P');
  DialogDriver& dialog = start(world.string());
  std::optional<ModalBox> box = dialog.press(IDC_CHOOSE_PLOT_FILE);
  ASSERT_TRUE(box) << "no file-open dialog";
  EXPECT_FALSE(dialog.typeFileName(*box, plot.string()));
  AnswerWatch watch(dialog.window());
  doubleClick(control(IDC_SEND_PLOT_FILE));
  int operations = 0;
  bool wasBusy = false;
  for (auto until = std::chrono::steady_clock::now() + 8s; std::chrono::steady_clock::now() < until;
       std::this_thread::sleep_for(20ms)) {
    const bool busy = dialog.busy();
    if (busy && !wasBusy) ++operations;
    wasBusy = busy;
  }
  EXPECT_EQ(operations, 1) << "a double-click sent the plot more than once";
  EXPECT_FALSE(dialog.settle());
  expectAnswering(watch, "plot to a slow plotter");
  dialog.close();
}

TEST_P(FullProgramTest, ACloseAskedForDuringTheSerialNumbersPauseWaitsForIt) {
  DialogDriver& dialog = start("default");
  ASSERT_FALSE(dialog.select(kPrinterLine));
  SendMessageA(control(IDC_SERIAL_NUMBER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("523009197"));
  const auto clicked = std::chrono::steady_clock::now();
  startOperation(IDC_SEND_SERIAL_NUMBER);
  std::this_thread::sleep_for(kIntoTheOperation);
  PostMessageA(dialog.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(run_->endsWithin(2s)) << "closed in the middle of the serial number's pause";
  EXPECT_TRUE(run_->endsWithin(15s)) << "the program did not close after the pause";
  EXPECT_GE(std::chrono::steady_clock::now() - clicked, 5s);
}

std::string programName(const ::testing::TestParamInfo<Program>& program) {
  return program.param.name;
}

INSTANTIATE_TEST_SUITE_P(Programs, LiveDialogTest, ::testing::ValuesIn(kPrograms), programName);
INSTANTIATE_TEST_SUITE_P(Programs, FullProgramTest, ::testing::Values(kPrograms[0]), programName);

}  // namespace
}  // namespace velkor::test
