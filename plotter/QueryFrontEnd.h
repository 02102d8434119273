// The query front end: the one-letter queries of the selected plotter, routed by its connection
// (2 the vendor driver through the plotter link, 3 the printing class through the command
// executor), and the two operations built on them.
#pragma once

#include <cstdint>

namespace plotter {

// Results: the reply length (0 or more); -1 a query letter outside the table (printing class);
// -4 no reply, or the plotter link did not open. A plotter on any other connection gives 0 and
// leaves reply as it was. Nothing is ever copied past reply[capacity - 1], and on success the
// reply is zero-terminated within capacity.
int16_t queryPlotter(const char* query, char* reply, int capacity);
int16_t queryOverDriver(const char* query, char* reply, int capacity);
int16_t queryOverPrintClass(const char* query, char* reply, int capacity);

// Writes ESC ".S" with serial and ":" (cut to 46 characters) to the selected plotter: 0 on
// success, -2 when the command failed, -1 when the plotter is not on the printing class.
int16_t setSerialNumber(const char* serial);

inline constexpr int kFixturesSize = 100;
// The query "4;"; on a positive result the first 100 characters of the reply go to out (with no
// terminator when the reply is 100 characters or longer).
int16_t queryFixtures(char (&out)[kFixturesSize]);

}  // namespace plotter
