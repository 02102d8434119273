// Tests of the executor and the query front end: virtual plotters on a simulated machine, and
// the plotter list filled by the test as discovery would fill it. The list, the plotter link
// and the edition are back to their start when a test ends.
#pragma once

#include <cstring>
#include <string>

#include "discovery/Edition.h"
#include "discovery/ModelTable.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotterLink.h"
#include "tests/support/VendorDriverTest.h"

namespace velkor::test {

class PlotterListTest : public VendorDriverTest {
 protected:
  // Model rows with each command table.
  static constexpr int16_t kEscapeModel = 0;
  static constexpr int16_t kVendorRequestModel = 2;

  void SetUp() override {
    clearList();
    VendorDriverTest::SetUp();
  }
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::selectLinkPlace(0);
    discovery::setEdition(discovery::Edition::Full);
    clearList();
    VendorDriverTest::TearDown();
  }

  static void clearList() {
    discovery::PlotterList& list = discovery::plotterList();
    std::memset(&list, 0, sizeof list);
    list.selected = -1;
  }

  // Appends a record and selects it; returns its row.
  static int16_t addRecord(int16_t connection, int16_t modelRow = 0,
                           const std::string& instanceText = {}, int16_t linkPlace = 0) {
    discovery::PlotterList& list = discovery::plotterList();
    int16_t row = list.count++;
    discovery::PlotterRecord& record = list.records[row];
    discovery::setRecordText(record.name, "plotter " + std::to_string(row));
    discovery::setRecordText(record.instanceText, instanceText);
    record.connection = connection;
    record.modelRow = modelRow;
    record.linkPlace = linkPlace;
    list.selected = row;
    return row;
  }

  // A printing-class plotter of the model row, with its record; the record's instance text is
  // written in capitals, as the registry may give it, and its path in lower case.
  sim::VirtualPlotter& plugInPrinter(int16_t modelRow, const std::string& serial = "vk0000001") {
    const discovery::ModelEntry& model = discovery::modelTable()[modelRow];
    sim::PlotterIdentity identity;
    identity.vendorId = model.vendorId;
    identity.productId = model.productId;
    identity.instanceSerial = serial;
    identity.connection = sim::Connection::Printer;
    return plugIn(identity);
  }
  static int16_t addPrinterRecord(int16_t modelRow, const std::string& serial = "VK0000001") {
    return addRecord(discovery::kConnectionPrinter, modelRow, serial);
  }
};

}  // namespace velkor::test
