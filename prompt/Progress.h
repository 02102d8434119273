// How far a long operation has come, for a front end that shows it: the step it is at (a wait,
// a switch of the plotter, a poll) and the bytes of a send. The core reports; nobody has to
// listen.
#pragma once

#include <cstdint>

namespace prompt {

enum class Step {
  LookingForPlotters,        // a discovery of the attached plotters
  AskingPlotter,             // queries of the plotter's fields
  SettlingList,              // the pause before an update looks at the selected plotter
  ConvertingFile,            // the firmware file made into the update stream
  CheckingOnline,            // the plotter asked whether it is online
  SwitchingToDownloadState,  // the plotter told to start its download state
  WaitingForRestart,         // the pause while it restarts
  WaitingForPlotter,         // one poll of the plotter coming back (number of count)
  AnnouncingUpdate,          // the job that announces the update stream
  WaitingAfterAnnouncement,  // the pause before the stream follows the announcement
  Sending,                   // bytes going out; advance() says how many
  WaitingForPrintQueue,      // print jobs taken by the spooler, not yet out of its queue
  StoringSerial,             // the pause while the plotter stores a serial number
  AbortingPlot,              // a plot aborted
};

class Progress {
 public:
  virtual ~Progress() = default;
  // A step begins; number and count say which of a series of steps it is (0 of 0: no series).
  virtual void step(Step /*step*/, int /*number*/, int /*count*/) {}
  // sent of total bytes have gone out; called after every chunk or job, and once with
  // sent == 0 before the first.
  virtual void advance(uint64_t /*sent*/, uint64_t /*total*/) {}
};

// The listener in use, or null. One operation runs at a time, on one thread.
Progress* progress();
// Installs a listener (null: none); returns the one it replaces.
Progress* installProgress(Progress* listener);
// Tell the listener in use, if any.
void reportStep(Step step, int number = 0, int count = 0);
void reportSent(uint64_t sent, uint64_t total);

}  // namespace prompt
