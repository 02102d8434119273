// The query front end on the printing-class connection: the letter table, the drain before
// each query, the serial number write, and the caller's capacity.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plotter/QueryFrontEnd.h"
#include "tests/plotter/PlotterListTest.h"

namespace velkor::test {
namespace {

using namespace plotter;

class QueryFrontEndPrinterTest : public PlotterListTest {};

TEST_F(QueryFrontEndPrinterTest, LetterAsksItsCommandAfterTheDrain) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  plotter.state.tool = "Graver 0.3";
  addPrinterRecord(kEscapeModel);
  char reply[300];
  EXPECT_EQ(queryPlotter("A", reply, sizeof reply), 11);
  EXPECT_STREQ(reply, "Graver 0.3\r");
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.0,read:0,write:\\x1b.A,read:4,read:11");
}

TEST_F(QueryFrontEndPrinterTest, OnlineQueryIsAnsweredWithoutThePlotter) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  addPrinterRecord(kEscapeModel);
  char reply[8] = "xxxxxxx";
  EXPECT_EQ(queryPlotter("9", reply, sizeof reply), 1);
  EXPECT_STREQ(reply, "0");
  EXPECT_EQ(plotter.printerLog().summary(), "");
}

TEST_F(QueryFrontEndPrinterTest, UnknownLetterIsRefusedAfterTheDrain) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  addPrinterRecord(kEscapeModel);
  char reply[8] = "kept";
  EXPECT_EQ(queryPlotter("Z", reply, sizeof reply), -1);
  EXPECT_EQ(queryPlotter("", reply, sizeof reply), -1);
  EXPECT_STREQ(reply, "kept");
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.0,read:0,write:\\x1b.0,read:0");
}

TEST_F(QueryFrontEndPrinterTest, SmallCapacitiesNeverOverrun) {
  sim::VirtualPlotter& plotter = plugInPrinter(kVendorRequestModel);
  plotter.state.status = std::string(400, 'S');
  addPrinterRecord(kVendorRequestModel);
  char buffer[8];
  for (int capacity : {0, 1, 5}) {
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(queryPlotter("B", buffer, capacity), 401);
    EXPECT_EQ(queryPlotter("9", buffer, capacity), 1);
    for (int i = capacity; i < int(sizeof buffer); ++i) EXPECT_EQ(buffer[i], '#') << capacity;
    if (capacity > 0) {
      EXPECT_EQ(std::strlen(buffer), size_t(capacity == 1 ? 0 : 1));
    }
  }
  plotter.misbehaviour.silent = true;
  EXPECT_EQ(queryPlotter("B", buffer, sizeof buffer), -4);
}

TEST_F(QueryFrontEndPrinterTest, LongSerialIsCutToFortySixCharacters) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  addPrinterRecord(kEscapeModel);
  const std::string serial(50, '7');
  EXPECT_EQ(setSerialNumber(serial.c_str()), 0);
  EXPECT_EQ(setSerialNumber("40123456"), 0);
  EXPECT_EQ(plotter.printerLog().summary(),
            "write:\\x1b.S" + std::string(46, '7') + ",write:\\x1b.S40123456:");
}

TEST_F(QueryFrontEndPrinterTest, SerialNumberGoesOnThePipeInBothTablesAndEditions) {
  sim::VirtualPlotter& plotter = plugInPrinter(kVendorRequestModel);
  addPrinterRecord(kVendorRequestModel);
  EXPECT_EQ(setSerialNumber("41"), 0);
  discovery::setEdition(discovery::Edition::UpdateOnly);
  EXPECT_EQ(setSerialNumber("42"), 0);
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.S41:,write:\\x1b.S42:");
  plotter.unplug();
  EXPECT_EQ(setSerialNumber("43"), -2);
}

}  // namespace
}  // namespace velkor::test
