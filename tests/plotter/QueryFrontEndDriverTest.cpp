// The query front end on the vendor-driver connection and on connections nobody serves.
#include <gtest/gtest.h>

#include <cstring>

#include "plotter/QueryFrontEnd.h"
#include "tests/plotter/PlotterListTest.h"

namespace velkor::test {
namespace {

using namespace plotter;

class QueryFrontEndDriverTest : public PlotterListTest {};

TEST_F(QueryFrontEndDriverTest, ReplyIsCutAtItsCarriageReturnAndCountedWhole) {
  sim::VirtualPlotter& plotter = plugIn();
  plotter.state.replies["5"] = "ZK4\rXYZ";
  addRecord(discovery::kConnectionDriver);
  char reply[300];
  std::memset(reply, 'x', sizeof reply);
  EXPECT_EQ(queryPlotter("5", reply, sizeof reply), 7);
  EXPECT_STREQ(reply, "ZK4");
  EXPECT_NE(linkDevice(), nullptr) << "the link stays open after the query";
}

TEST_F(QueryFrontEndDriverTest, SmallCapacitiesNeverOverrun) {
  sim::VirtualPlotter& plotter = plugIn();
  plotter.state.replies["6"] = std::string(300, 'F');
  addRecord(discovery::kConnectionDriver);
  char buffer[8];
  for (int capacity : {0, 1, 4}) {
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(queryPlotter("6", buffer, capacity), 300);
    for (int i = capacity; i < int(sizeof buffer); ++i) EXPECT_EQ(buffer[i], '#') << capacity;
    if (capacity > 0) {
      EXPECT_EQ(std::strlen(buffer), size_t(capacity - 1));
    }
  }
}

// The whole query text goes out: the plotter answers "4;", not "4".
TEST_F(QueryFrontEndDriverTest, LongFixturesReplyStaysTerminatedInItsBuffer) {
  sim::VirtualPlotter& plotter = plugIn();
  plotter.state.replies["4;"] = std::string(250, 'V');
  addRecord(discovery::kConnectionDriver);
  char out[kFixturesSize];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(queryFixtures(out), 250);
  EXPECT_EQ(strnlen(out, sizeof out), size_t(kFixturesSize - 1));
}

TEST_F(QueryFrontEndDriverTest, NoLinkLeavesTheBufferAndAFailedQueryEmptiesIt) {
  addRecord(discovery::kConnectionDriver);
  char reply[16] = "unchanged";
  EXPECT_EQ(queryPlotter("5", reply, sizeof reply), kLinkFailed);
  EXPECT_STREQ(reply, "unchanged") << "the link's error comes back before anything is asked";
  sim::VirtualPlotter& plotter = plugIn();
  ASSERT_EQ(openPlotterLink(), 0);
  plotter.unplug();
  EXPECT_EQ(queryPlotter("5", reply, sizeof reply), -4);
  EXPECT_STREQ(reply, "");
}

TEST_F(QueryFrontEndDriverTest, SerialNumberIsNotWrittenOverTheDriver) {
  sim::VirtualPlotter& plotter = plugIn();
  addRecord(discovery::kConnectionDriver);
  EXPECT_EQ(setSerialNumber("40999999"), -1);
  EXPECT_EQ(plotter.driverLog(), "");
}

TEST_F(QueryFrontEndDriverTest, UnservedConnectionsAndNoSelectionGiveZeroAndLeaveTheBuffer) {
  sim::VirtualPlotter& plotter = plugIn();
  char reply[16] = "unchanged";
  EXPECT_EQ(queryPlotter("5", reply, sizeof reply), 0) << "nothing selected";
  addRecord(discovery::kConnectionParallel);
  EXPECT_EQ(queryPlotter("5", reply, sizeof reply), 0);
  addRecord(discovery::kConnectionOther);
  EXPECT_EQ(queryPlotter("5", reply, sizeof reply), 0);
  EXPECT_STREQ(reply, "unchanged");
  EXPECT_EQ(plotter.driverLog(), "");
  EXPECT_EQ(linkDevice(), nullptr);
}

}  // namespace
}  // namespace velkor::test
