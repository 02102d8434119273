// The progress log: a caller-owned text of lines separated by carriage returns or line feeds,
// kept shorter than its capacity by dropping whole lines from the front.
#pragma once

namespace firmware {

// Appends the text, first dropping the oldest lines until it fits. A text that would not fit
// even into an empty log is cut to capacity - 1 characters. Does nothing for capacity <= 0.
void appendLog(char* log, const char* text, int capacity);

}  // namespace firmware
