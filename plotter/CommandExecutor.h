// The command executor: runs one command-table row against a plotter on the printing-class
// connection, found among the present USB printer interfaces by its model row's identifiers and
// its instance text, and collects its reply. It keeps no state: every call enumerates the
// interfaces anew and closes what it opened before it returns.
#pragma once

#include <cstdint>
#include <string>

namespace plotter {

// plotterRow: the plotter's index in the plotter list. For a row that appends an argument, text
// carries it in; for a row that expects a reply, text becomes the reply's bytes on success
// (exactly those received; zero bytes stay part of it) and is left unchanged on failure. A pipe
// reply is at most 236 bytes (a longer announced length is refused, the payload left unread), a
// vendor request's reply at most 512. A row without reply succeeds only when all its bytes were
// written. Every request waits at most 1000 ms (10 ms for "Dummy Command" on the pipe), so a
// pipe command with a reply takes at most three waits (write, header, payload) and a request
// one; a plotter that takes no data fails the command after the first.
// Lower-cases the record's instance text in place, as the match against interface paths needs.
bool executeCommand(int16_t plotterRow, int32_t code, std::string& text);

// Discards replies the plotter still holds (escape-table plotters only): "Dummy Command" again
// and again until no complete reply comes, at most 64 times.
void drainReplies(int16_t plotterRow);

}  // namespace plotter
