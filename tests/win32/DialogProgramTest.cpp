// The real dialog of a program, made from its resources on the built-in world and run modally as
// the program runs it, while a second thread uses it as a technician would: the list, the
// fields, Refresh, the file-open dialog, an update with its questions, the About box, closing.
// Built once per program (VELKOR_UPDATE_ONLY for Velkorflash), with that program's resources.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "app/dialogs/ControlIds.h"
#include "app/dialogs/DialogTemplates.h"
#include "app/machine/ProgramMachine.h"
#include "app/win32/MainDialogWindow.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "tests/support/SampleFirmware.h"
#include "tests/win32/DialogDriver.h"
#include "tests/win32/Screenshot.h"

namespace velkor::test {
namespace {

#ifdef VELKOR_UPDATE_ONLY
constexpr discovery::Edition kEdition = discovery::Edition::UpdateOnly;
constexpr const char kTitle[] = "Velkorflash ";
constexpr const char kProgram[] = "Velkorflash";
#else
constexpr discovery::Edition kEdition = discovery::Edition::Full;
constexpr const char kTitle[] = "Velkor";
constexpr const char kProgram[] = "Velkor";
#endif
constexpr bool kFull = kEdition == discovery::Edition::Full;

const char* className(app::ControlKind kind) {
  switch (kind) {
    case app::ControlKind::ListBox:
      return "listbox";
    case app::ControlKind::Edit:
      return "edit";
    case app::ControlKind::Button:
      return "button";
    default:
      return "static";
  }
}

std::string lowerClassName(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  for (char* c = name; *c != '\0'; ++c)
    *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  return name;
}

// The control's style is the template's, but for what the system manages itself: a border
// drawn as a sunken edge instead, a scroll bar shown only while the list needs it.
void expectStyle(HWND child, const app::ControlTemplate& control) {
  const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
  const DWORD extended = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
  const DWORD wanted = (control.style | WS_CHILD | WS_VISIBLE) & ~DWORD(WS_BORDER | WS_VSCROLL);
  EXPECT_EQ(style & wanted, wanted) << control.id;
  if (control.style & WS_BORDER) {
    EXPECT_TRUE((style & WS_BORDER) || (extended & WS_EX_CLIENTEDGE)) << control.id;
  }
}

// The window made from the resources has the template's size and, in creation (tab) order, its
// controls: class, ID, style, place and, for buttons, text.
void expectLayout(HWND window, const app::DialogTemplate& layout) {
  RECT size{0, 0, layout.width, layout.height}, client;
  MapDialogRect(window, &size);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  HWND child = GetWindow(window, GW_CHILD);
  for (const app::ControlTemplate& control : layout.controls) {
    ASSERT_NE(child, nullptr) << "no control for \"" << control.text << "\"";
    EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(child)), control.id) << control.text;
    EXPECT_EQ(lowerClassName(child), className(control.kind)) << control.id;
    expectStyle(child, control);
    // As the dialog manager places a control: its corner and its size each in pixels.
    RECT place{control.x, control.y, control.width, control.height};
    MapDialogRect(window, &place);
    RECT shown;
    GetWindowRect(child, &shown);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&shown), 2);
    EXPECT_EQ(shown.left, place.left) << control.id;
    EXPECT_EQ(shown.top, place.top) << control.id;
    if (control.kind != app::ControlKind::Icon) {  // an icon control takes its icon's size
      EXPECT_EQ(shown.right - shown.left, place.right) << control.id;
      EXPECT_EQ(shown.bottom - shown.top, place.bottom) << control.id;
    }
    if (control.kind == app::ControlKind::Button) {
      char text[128] = "";
      GetWindowTextA(child, text, sizeof text);
      EXPECT_STREQ(text, control.text);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "a control the template does not have";
}

class DialogProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    discovery::setEdition(kEdition);
    discovery::plotterList().selected = -1;
  }
  void TearDown() override { plotter::removeTempFile(); }

  // The dialog runs here; the script drives it from its own thread and the dialog is closed
  // when the script is done, whatever it found.
  void run(const std::string& commandLine, const std::function<void(DialogDriver&)>& script) {
    std::string error;
    machine_ = app::ProgramMachine::open("default", &error);
    ASSERT_NE(machine_, nullptr) << error;
    state_ = app::startUpState(commandLine);
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
      DialogDriver dialog(uiThread, kTitle);
      if (dialog.window() != nullptr) script(dialog);
      dialog.close();
    });
    EXPECT_TRUE(app::runMainDialog(GetModuleHandleA(nullptr), state_, *machine_));
    driver.join();
  }

  sim::VirtualPlotter& plotter(const char* label) { return *machine_->world()->plotter(label); }

  std::unique_ptr<app::ProgramMachine> machine_;
  app::AppState state_;
};

TEST_F(DialogProgramTest, ItListsTheWorldsPlottersFillsTheFieldsAndRefreshes) {
  run("", [](DialogDriver& dialog) {
    expectLayout(dialog.window(), app::editionDialogs(kEdition).main);
    const std::vector<std::string> lines = dialog.listLines();
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "Velkor Classic");
    EXPECT_EQ(dialog.selectedLine(), 0);
    EXPECT_EQ(dialog.text(IDC_FIRMWARE), "1.14aKR A4");
    EXPECT_EQ(dialog.text(IDC_STATUS_LINE), kFull ? "Velkor 2.3" : "Velkorflash V2.4");
    EXPECT_EQ(dialog.text(IDC_FIRMWARE_PATH), "-- not selected --");
    EXPECT_FALSE(dialog.select(1));
    EXPECT_EQ(dialog.text(IDC_FIRMWARE), "2.01 A3");
    EXPECT_EQ(dialog.text(IDC_HARDWARE), "MB-9 rev A");
    if (kFull) {
      EXPECT_EQ(dialog.text(IDC_TOOL_TYPE), "G 0.5 mm");
      EXPECT_EQ(dialog.text(IDC_FIXTURES), "Rotary clamp 120");
    }
    EXPECT_FALSE(dialog.press(IDC_REFRESH));
    EXPECT_EQ(dialog.listLines(), lines);
    EXPECT_EQ(dialog.selectedLine(), 1) << "a refresh keeps the selection";
    EXPECT_EQ(dialog.text(IDC_FIRMWARE), "2.01 A3");
    EXPECT_FALSE(dialog.select(2));
    EXPECT_EQ(dialog.text(IDC_FIRMWARE),
              kFull ? "data not availible" : "info not avail. in update mode");
    EXPECT_FALSE(dialog.select(1));
    const std::string shots = "Z:" VELKOR_SCREENSHOT_DIR;
    CreateDirectoryA(shots.c_str(), nullptr);
    dialog.repaint();
    EXPECT_TRUE(saveScreenshot(dialog.window(), shots + "/" + kProgram + ".png"));
  });
}

TEST_F(DialogProgramTest, AnUpdateChosenInTheFileDialogReachesThePlotterWithItsQuestions) {
  TempFile file(".cas");
  const SampleFirmware sample = classicFirmware();
  ASSERT_TRUE(writeSampleFirmware(file.path(), sample));
  run("\"first choice.cas\" ignored", [&](DialogDriver& dialog) {
    EXPECT_EQ(dialog.text(IDC_FIRMWARE_PATH), "first choice.cas");
    std::optional<ModalBox> box = dialog.press(IDC_CHOOSE_FIRMWARE_FILE);
    ASSERT_TRUE(box) << "no file-open dialog";
    EXPECT_EQ(GetWindow(box->window, GW_OWNER), dialog.window())
        << "the file-open dialog must keep the dialog from being pressed meanwhile";
    EXPECT_FALSE(dialog.answer(*box, IDCANCEL));
    EXPECT_EQ(dialog.text(IDC_FIRMWARE_PATH), "first choice.cas") << "cancelled: kept";
    box = dialog.press(IDC_CHOOSE_FIRMWARE_FILE);
    ASSERT_TRUE(box);
    EXPECT_FALSE(dialog.typeFileName(*box, file.string()));
    EXPECT_EQ(dialog.text(IDC_FIRMWARE_PATH), file.string());
    EXPECT_FALSE(dialog.select(3));
    box = dialog.press(IDC_SEND_UPDATE);
    ASSERT_TRUE(box) << "no question before the update";
    EXPECT_TRUE(box->yesNo) << box->text;
    EXPECT_EQ(box->caption, kProgram);
    box = dialog.answer(*box, IDYES);
    ASSERT_TRUE(box) << "no notice after the update";
    EXPECT_FALSE(box->yesNo);
    EXPECT_EQ(dialog.text(IDC_STATUS_LINE).rfind("Plotter update sent on  ", 0), 0u)
        << dialog.text(IDC_STATUS_LINE);
    EXPECT_FALSE(dialog.answer(*box, IDOK));
  });
  EXPECT_EQ(plotter("Classic").lastUpdateOutcome(), "accepted PALL 1.20 A4");
}

// A plotter whose boot program answers takes its update on the vendor driver with no question,
// in either program.
TEST_F(DialogProgramTest, APlotterInUpdateModeOnTheDriverTakesItsUpdate) {
  TempFile file(".cas");
  SampleFirmware sample;  // fits boot program 2.11 (device type 4)
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4C04;
  sample.headerNote = " 2.02 A4";
  ASSERT_TRUE(writeSampleFirmware(file.path(), sample));
  run("\"" + file.string() + "\"", [](DialogDriver& dialog) {
    EXPECT_FALSE(dialog.select(2));
    EXPECT_EQ(dialog.text(IDC_FIRMWARE),
              kFull ? "data not availible" : "info not avail. in update mode");
    std::optional<ModalBox> box = dialog.press(IDC_SEND_UPDATE);
    ASSERT_TRUE(box) << "no notice after the update";
    EXPECT_FALSE(box->yesNo) << box->text;
    EXPECT_EQ(box->text.rfind("Plotter update sent.", 0), 0u) << box->text;
    EXPECT_EQ(dialog.text(IDC_STATUS_LINE).rfind("Plotter update sent on  ", 0), 0u)
        << dialog.text(IDC_STATUS_LINE);
    EXPECT_FALSE(dialog.answer(*box, IDOK));
  });
  EXPECT_EQ(plotter("ZK2BS in update").lastUpdateOutcome(), "accepted PALL 2.02 A4");
}

// Esc ends the dialog as its close command does: the plotter link is closed first.
TEST_F(DialogProgramTest, EscClosesTheDialogAndThePlotterLink) {
  run("", [](DialogDriver& dialog) {
    EXPECT_NE(plotter::linkDevice(), nullptr) << "the first plotter is on the driver";
    PostMessageA(GetDlgItem(dialog.window(), IDC_PLOTTER_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(GetDlgItem(dialog.window(), IDC_PLOTTER_LIST), WM_KEYUP, VK_ESCAPE, 0);
    dialog.waitUntilGone(dialog.window());
  });
  EXPECT_EQ(plotter::linkDevice(), nullptr);
}

TEST_F(DialogProgramTest, TheSystemMenuShowsTheAboutBoxAndEnterDoesNotCloseTheDialog) {
  run("", [](DialogDriver& dialog) {
    HMENU menu = GetSystemMenu(dialog.window(), FALSE);
    char item[64] = "";
    GetMenuStringA(menu, IDM_ABOUTBOX, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, kFull ? "&About Velkor..." : "&About Velkorflash..");
    std::optional<ModalBox> about = dialog.sysCommand(IDM_ABOUTBOX);
    ASSERT_TRUE(about) << "no About box";
    EXPECT_EQ(about->caption, kFull ? "About Velkor" : "About Velkorflash");
    expectLayout(about->window, app::editionDialogs(kEdition).about);
    EXPECT_FALSE(dialog.answer(*about, IDC_ABOUT_OK));
    SendNotifyMessageA(dialog.window(), WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dialog.press(IDC_REFRESH));
    EXPECT_TRUE(IsWindow(dialog.window())) << "Enter closed the dialog";
  });
}

}  // namespace
}  // namespace velkor::test
