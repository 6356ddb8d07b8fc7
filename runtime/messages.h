// What the program says to whoever started it: one line a message on the
// standard error, and the usage on the standard output.
//
// A reader that takes nothing never holds a run that was asked to stop:
// a message waits for room as any write does, but once a stop is asked
// for, no longer than the readers' share of the stop's bound, and a line
// that cannot be written then is dropped. What an output written in place
// on the standard error holds is written before a line is said, so that a
// line never lands inside one of its own.
#pragma once

#include <string>

namespace rt {

// Writes `line` and a line end to the standard error, whole or not at all
// as far as the reader allows.
void say(const std::string& line);

// A text from the command line as messages echo it: control characters,
// backslashes and broken UTF-8 escaped, and cut in the middle to 60
// characters with a note of its length, so that a message stays one line.
std::string shown(const std::string& text);

}  // namespace rt
