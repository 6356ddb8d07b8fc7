// How a run can end besides its keys running out or its window closing:
// a signal, or the display going away.
//
// A first SIGTERM, SIGINT or SIGHUP stops the run: it ends at its next key
// wait, writes its outputs, says so in one line and then dies by that
// signal, so that a shell loop or make sees the stop. From the stop on, a
// reader that takes nothing (a FIFO nobody reads, a stalled pipe on the
// standard error) holds the run no longer than the stop's grace, all waits
// together. A second stop, and every other signal that ends a process, end
// it at once: the outputs not in place yet are then as they were before
// the run, and nothing half-written is left in a folder. The handlers
// never wait: a line that finds no room on the standard error is dropped.
#pragma once

#include <signal.h>

#include <string>

namespace rt {

// Exit status of a run whose display went away under it.
constexpr int kDisplayLost = 6;
// A shell reports a run that died by signal N as this plus N (143 for
// SIGTERM).
constexpr int kSignalled = 128;
// How long, from a stop, the run still waits for readers to make room.
constexpr int kStopGraceMs = 500;

// Installs the program's signal handling; signals ignored when the program
// started stay ignored. SIGPIPE and SIGXFSZ are ignored: the write they
// stand for fails and is reported.
void catchEndings();
// The stop signal asked for, or 0.
int stopAsked();
// When a stop was asked for, throws ProgramEnd so that the run ends.
void stopIfAsked();
// The end of a run: holds the stop signals from now on, so that a stop
// that comes later is not taken, and returns the stop asked for, or 0.
int finalStop();
// Removes the temporary files and dies by `sig`, as it would have without
// the program's handler.
[[noreturn]] void dieBy(int sig);
// "SIGTERM", ...
std::string signalName(int sig);

// Keeps a descriptor of the program's own off the numbers 0 to 2, which a
// closed standard stream would otherwise lend it, so that nothing written
// to a standard stream ever lands there: `fd`, or a copy of it above them
// (`fd` closed). -1 stays -1.
int aboveStandardStreams(int fd);
// A description of the program's own, opened anew on what `fd` writes to,
// that never waits: a write that finds no room returns at once, whoever
// else writes there. Only for a pipe, a FIFO or a terminal, whose readers
// take what comes in the order it comes; -1 for anything else (a file,
// whose place other writers share; a socket) and where none can be opened.
int writerOfOwn(int fd);
// What messages to the standard error are written through: such a writer
// of the program's own once catchEndings() has opened one, else 2.
int errorWriter();

// Waits until `fd` takes a write of up to PIPE_BUF bytes without waiting:
// before a stop, as long as that takes, and once a stop is asked for, only
// within the stop's grace.
enum class Room { kReady, kStopped, kFailed };
Room waitForRoom(int fd);

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

// Holds the signals that end a run for the life of the object, so that a
// file is made or named and recorded below as one step.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_;
};

// What a signal handler must know of the outputs being written, in slots it
// reads without locks: an output's option while it is not in place yet
// (--png, --trace), and the name of a file of ours in a folder (held open
// as a descriptor) that is not complete yet. A slot is taken, changed and
// given back with SignalsHeld. -1: no slot was free, nothing is recorded.
// An output is held from the start of the run, before it is opened, so
// that an ending then names it too; opening it takes the same slot over.
int holdOutput(const std::string& option);
void recordTemporary(int slot, int folder, const std::string& name);
void forgetTemporary(int slot);
// The output is in place: the handlers no longer name it.
void outputInPlace(int slot);
void releaseOutput(int slot);
// Async-signal-safe: removes every temporary file recorded.
void removeTemporaries();

}  // namespace rt
