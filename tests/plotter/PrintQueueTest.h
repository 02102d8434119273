// A print queue "Plotter A" on the port USB001 with a printing-class plotter of the escape
// table behind it, its record selected in the plotter list under the queue's name.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/plotter/PlotterListTest.h"

namespace velkor::test {

class PrintQueueTest : public PlotterListTest {
 protected:
  static constexpr const char* kQueue = "Plotter A";

  void SetUp() override {
    PlotterListTest::SetUp();
    ASSERT_TRUE(machine.loadRegistry(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print"
        "\\Printers\\Plotter A]\n\"Port\"=\"USB001\"\n"));
    printer = &plugInPrinter(kEscapeModel);
    printer->servePort("USB001");
    row = addPrinterRecord(kEscapeModel);
    discovery::setRecordText(discovery::plotterList().records[row].name, kQueue);
  }

  // The jobs the plotter took from the port, as "job:N" tokens.
  std::string jobsReceived() const { return printer->printerLog().summary(); }
  // The document names of the jobs the spooler took, comma-separated.
  std::string documents() const {
    std::string names;
    for (const os::sim::PrintJob& job : machine.printJobs()) {
      names += (names.empty() ? "" : ",") + job.document;
    }
    return names;
  }

  sim::VirtualPlotter* printer = nullptr;
  int16_t row = -1;
};

}  // namespace velkor::test
