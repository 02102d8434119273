// Plot files and aborting a plot on the selected plotter, by its connection: over the plotter
// link's transfer channel (vendor driver) or as print jobs to its print queue (printing class).
#pragma once

#include "plotter/PrintJobFollow.h"

namespace plotter {

// Sends the file at path to the selected plotter: sendPlotFile on the vendor driver,
// printFileJobs to its queue on the printing class, nothing otherwise. The result is that of
// the route taken (0 for none), with the spooler's report when the queue held the jobs, for
// callers that report it; the dialog does not.
SendOutcome plotFile(const char* path);
// 0, or kLinkFailed when the link does not open or the transfer fails. The link stays open.
int sendPlotFile(const char* path);
// Vendor driver: a single blank as a command, then the link is closed whatever happened (the
// result: 0, the link's error when it did not open, kLinkFailed when the plotter did not take
// the command; the dialog shows none of them, velkorctl says which). Printing class: "Reset" (0
// sent, -2 the command failed). Any other connection, or none selected: 0, nothing sent.
int abortPlot();

}  // namespace plotter
