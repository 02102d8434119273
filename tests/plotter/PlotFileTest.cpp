// Plot files and aborts on the selected plotter, by its connection: the transfer channel of the
// plotter link, the print queue of a printing-class plotter, and nothing for the others.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/sim/FaultInjector.h"
#include "plotter/PlotFile.h"
#include "plotter/PrintJobs.h"
#include "tests/plotter/PrintQueueTest.h"
#include "tests/plotter/ProgressRecord.h"
#include "tests/support/ScratchFile.h"

namespace velkor::test {
namespace {

using namespace plotter;

class PlotFileTest : public PrintQueueTest {
 protected:
  // A link plotter with its record selected.
  sim::VirtualPlotter& plugInLinkPlotter() {
    sim::VirtualPlotter& plotter = plugIn();
    addRecord(discovery::kConnectionDriver);
    return plotter;
  }
  // The command requests (code 06) the plotter took: each a length byte and the text.
  static std::vector<std::string> commandsTaken(const sim::VirtualPlotter& plotter) {
    std::vector<std::string> texts;
    for (const std::vector<BYTE>& record : requestRecords(plotter)) {
      if (record.size() > 2 && record[0] == 0x06)
        texts.emplace_back(record.begin() + 2, record.end());
    }
    return texts;
  }
};

TEST_F(PlotFileTest, DriverPlotStreamsTheFileAndKeepsTheLinkOpen) {
  sim::VirtualPlotter& plotter = plugInLinkPlotter();
  ScratchFile file(300000);
  ProgressRecord progress;
  EXPECT_EQ(plotFile(file.path()).result, 0);
  ASSERT_EQ(plotter.jobs().files().size(), 1u);
  const sim::ReceivedFile& received = plotter.jobs().files()[0];
  EXPECT_TRUE(received.complete());
  EXPECT_EQ(received.name, "drawing.plt");
  EXPECT_NE(linkDevice(), nullptr);
  EXPECT_EQ(progress.steps,
            (std::vector<ProgressRecord::Step>{
                {0, 300000}, {131072, 300000}, {262144, 300000}, {300000, 300000}}));
}

TEST_F(PlotFileTest, DriverPlotFailsWithoutLinkOrFile) {
  addRecord(discovery::kConnectionDriver);
  ScratchFile file(10);
  EXPECT_EQ(sendPlotFile(file.path()), kLinkFailed) << "no plotter";
  plugInLinkPlotter();
  EXPECT_EQ(sendPlotFile((file.directory() + "/missing.plt").c_str()), kLinkFailed);
  EXPECT_EQ(sendPlotFile(file.path()), 0) << "the link a failed transfer left open still serves";
}

TEST_F(PlotFileTest, PrintingClassPlotGoesToTheRecordsQueue) {
  ScratchFile file(kPrintJobChunk);
  EXPECT_EQ(plotFile(file.path()).result, 0);
  EXPECT_EQ(jobsReceived(), "job:1048576,job:0");
  discovery::setRecordText(discovery::plotterList().records[row].name, "Gone Queue");
  EXPECT_EQ(plotFile(file.path()).result, -3);
}

TEST_F(PlotFileTest, OtherConnectionsAndNoSelectionDoNothing) {
  ScratchFile file(10);
  addRecord(discovery::kConnectionParallel);
  EXPECT_EQ(plotFile(file.path()).result, 0);
  EXPECT_EQ(abortPlot(), 0);
  discovery::plotterList().selected = -1;
  EXPECT_EQ(plotFile(file.path()).result, 0);
  EXPECT_EQ(abortPlot(), 0);
  EXPECT_EQ(jobsReceived(), "");
}

// The abort closes the link also when the plotter does not take the blank; the next plot opens
// it again.
TEST_F(PlotFileTest, DriverAbortSendsABlankAndClosesTheLinkWhateverHappens) {
  sim::VirtualPlotter& plotter = plugInLinkPlotter();
  ScratchFile file(100);
  ASSERT_EQ(plotFile(file.path()).result, 0);
  EXPECT_EQ(abortPlot(), 0);
  EXPECT_EQ(commandsTaken(plotter), std::vector<std::string>{" "});
  EXPECT_EQ(linkDevice(), nullptr);
  plotter.misbehaviour.silent = true;
  EXPECT_EQ(abortPlot(), kLinkFailed) << "a plotter that does not answer did not take it";
  EXPECT_EQ(linkDevice(), nullptr);
  plotter.misbehaviour.silent = false;
  EXPECT_EQ(plotFile(file.path()).result, 0);
  EXPECT_EQ(plotter.jobs().files().size(), 2u);
  plotter.unplug();
  EXPECT_EQ(abortPlot(), kLinkFailed) << "the link was open, but the plotter did not take it";
  EXPECT_EQ(linkDevice(), nullptr);
  EXPECT_EQ(abortPlot(), kLinkFailed) << "nothing to open";
}

TEST_F(PlotFileTest, PrintingClassAbortIsResetWithoutReply) {
  EXPECT_EQ(abortPlot(), 0);
  EXPECT_EQ(printer->printerLog().summary(), "write:\\x1b.K");
  machine.faults().on(os::sim::Call::WriteFile).path("PIPE02");
  EXPECT_EQ(abortPlot(), -2);
}

}  // namespace
}  // namespace velkor::test
