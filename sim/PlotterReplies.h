// What a plotter answers to its one-letter queries, the same on both faces: the driver face
// gets the query text in a query record, the printing-class face as the letters of an escape
// command or of a vendor get request.
#pragma once

#include <string>

namespace sim {

struct PlotterState;

// Query texts as the driver's query records carry them: "5", "6", "7", "8", "9", "A", "B",
// "4;", "S:" and "S=:". A custom answer (state.replies) for the whole text wins and is given as
// written; a built-in one is the state's text followed by state.replyEnding.
bool answersQuery(const PlotterState& state, const std::string& query);
// The answer to the query; empty for a query the plotter does not know. While the plotter is
// plotting, the status query "B" gives "Plotting" instead of the state's status.
std::string replyTo(const PlotterState& state, const std::string& query, bool plotting);

}  // namespace sim
