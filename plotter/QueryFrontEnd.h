// The query front end: the one-letter queries of the selected plotter, routed by its connection
// (2 the vendor driver through the plotter link, 3 the printing class through the command
// executor), and the two operations built on them.
#pragma once

#include <cstdint>

namespace plotter {

// Results: the reply length (0 or more); -1 a query letter outside the table (printing class);
// -4 no reply, or the plotter link did not open. A plotter on any other connection, or no
// plotter selected, gives 0 and leaves reply as it was.
// The caller's capacity bounds every copy: at most capacity - 1 bytes of the reply go to reply,
// always followed by a zero byte; a capacity below 1 copies nothing. The result is the length
// of the whole reply even where the copy was cut. The vendor-driver route returns the byte
// count received, cuts the copy at the first carriage return and on -4 leaves an empty string;
// the printing-class route counts and copies up to the reply's first zero byte, and answers "9"
// with "0" without asking the plotter.
int16_t queryPlotter(const char* query, char* reply, int capacity);
int16_t queryOverDriver(const char* query, char* reply, int capacity);
int16_t queryOverPrintClass(const char* query, char* reply, int capacity);

// Writes ESC ".S" with serial and ":" (cut to 46 characters) to the selected plotter: 0 on
// success, -2 when the command failed, -1 when the plotter is not on the printing class.
int16_t setSerialNumber(const char* serial);

inline constexpr int kFixturesSize = 100;
// The query "4;" with capacity 100; on a positive result its reply goes to out, so that out
// holds at most 99 characters and is always zero-terminated.
int16_t queryFixtures(char (&out)[kFixturesSize]);

}  // namespace plotter
