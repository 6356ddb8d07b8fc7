// Every way a run ends from its own course, and the line that says what
// became of its outputs:
//   endRun         the run is over (its keys spent, its window closed, an
//                  error, a refusal): a stop asked for meanwhile ends it by
//                  its signal, else it returns its status;
//   endByStop      a stop: says so and dies by the signal;
//   endAsLost      the display went away under the run;
//   cannotStartNow the run cannot start, found where nothing may unwind;
//   refuse         the command line is refused, before the run begins;
//   refuseOutput   an output cannot be had as the run starts: refused, or
//                  the run cannot start for want of a descriptor.
// An ending at once (a second stop, another signal that ends a process, a
// stop's bound spent) happens in a signal handler: see endings.h.
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
// The run is over with `status`, its window closed and its outputs
// handled: a stop asked for at any time before now ends the process by
// its signal, so that the caller (a shell loop, make) stops too; else
// returns `status`, for main() to end with.
int endRun(int status);
// Says the stop line and dies by `sig`.
[[noreturn]] void endByStop(int sig);
// The display went away, as `what` says ("the display was lost (...)");
// the outputs have been handled. A stop asked for meanwhile wins: the run
// ends by it. Else says so and what the outputs hold, and ends with
// kDisplayLost, or kOutputFailed when an output could not be written.
[[noreturn]] void endAsLost(const std::string& what);
// The run cannot start, found inside a call of a library's that nothing
// may unwind through: says `line`, removes the temporary files and ends
// with kCannotStart.
[[noreturn]] void cannotStartNow(const std::string& line);
// The command line is refused for what `line` says: says it, ending as
// every refusal does with " (see --help)", and throws ProgramEnd with
// kRefused.
[[noreturn]] void refuse(const std::string& line);
// An output cannot be had as the run starts, as `line` says: refused,
// unless the cause is that no descriptor was to be had (`noDescriptor`):
// then the run cannot start ("cannot start: " and `line`, kCannotStart),
// since the command line is not at fault.
[[noreturn]] void refuseOutput(const std::string& line, bool noDescriptor);

}  // namespace rt
