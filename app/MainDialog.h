// The main dialog of both programs, without a front end: its handlers and each edition's message
// map. It talks to its dialog through a DialogView and to the user through a Prompter; the
// running program's edition decides which fields it fills and which commands it takes.
#pragma once

#include <span>

#include "app/AppState.h"
#include "app/DialogView.h"
#include "app/PlotterInfo.h"
#include "discovery/Edition.h"
#include "prompt/Prompter.h"

namespace app {

inline constexpr int kButtonClicked = 0;            // BN_CLICKED
inline constexpr int kSelectionChange = 1;          // LBN_SELCHANGE
inline constexpr unsigned kCloseCommand = 0xF060;  // SC_CLOSE

class MainDialog {
 public:
  MainDialog(AppState& state, DialogView& view, prompt::Prompter& prompter);

  // Sets up the USB library, shows a firmware path from the command line, adds the About item
  // and refreshes the plotter list. True: the front end sets the focus.
  bool onInitDialog();
  // A command from a control, through the edition's message map; false when the map has none.
  bool onCommand(int controlId, int notification);
  // A system-menu command: true when handled here (About); false when the front end's default
  // handling follows, which for the close command comes after the plotter link was closed.
  bool onSysCommand(unsigned command);

  void onRefresh() { refreshPlotterList(); }
  void onSelectPlotter();
  void onSendSerialNumber();
  void onChooseFirmwareFile();
  void onChoosePlotFile();
  void onSendUpdate();
  void onSendPlotFile();
  void onAbortPlot();
  void onReadFixtures();
  void onReadToolType();
  void onReadStatus();

  // The list found anew, a selection kept or moved, and the selected plotter's fields.
  void refreshPlotterList();
  // The fields of plotter index (-1: all empty), as the edition shows them.
  void fillPlotterInfo(int index);

 private:
  void showRefreshed(const PlotterInfo& info);
  void show(const PlotterInfo& info);
  void chooseFile(std::span<const FileFilter> filters, std::string& path, int pathControl);
  void readField(int controlId, std::string (*read)());

  AppState& state_;
  DialogView& view_;
  prompt::Prompter& prompter_;
  discovery::Edition edition_;
};

struct MessageMapEntry {
  int controlId;
  int notification;
  void (MainDialog::*handler)();
};

// The commands each edition's dialog takes from its controls.
std::span<const MessageMapEntry> messageMap(discovery::Edition edition);

}  // namespace app
