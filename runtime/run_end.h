// The line that ends a run that was stopped or lost its display, and what
// it says of the outputs.
#pragma once

#include <string>

namespace rt {

// The run has begun with `outputs` outputs open.
void runBegan(int outputs);
// What became of the outputs, for the line that ends the run: `asked`
// outputs were handled and `failed` of them could not be written (each
// said in a line of its own before).
void outputsHandled(int asked, int failed);
// A folder the run made and could not take back when it ended before it
// began.
void folderLeft(const std::string& path);
// The line's end that says what the outputs hold ("; the outputs hold the
// run as it stood"), or "" when there are none.
std::string outputsClause();
// Says the stop line and dies by `sig`.
[[noreturn]] void endByStop(int sig);
// The display went away, as `what` says ("the display was lost (...)");
// the outputs have been handled. A stop asked for meanwhile wins: the run
// ends by it. Else says so and what the outputs hold, and ends with
// kDisplayLost, or kOutputFailed when an output could not be written.
[[noreturn]] void endAsLost(const std::string& what);

}  // namespace rt
