// How a run can end besides its keys running out or its window closing:
// a signal, or the display going away.
//
// A first SIGTERM, SIGINT or SIGHUP stops the run: a call blocked on an
// output (a FIFO nobody opens or reads) gives up at once, the run ends at
// its next key wait, writes its outputs, says so in one line and then dies
// by that signal, so that a shell loop or make sees the stop. A second stop,
// and every other signal that ends a process, end it at once: --png and
// --trace are then as they were before the run, and nothing half-written
// is left in a folder.
#pragma once

#include <signal.h>

#include <string>

namespace rt {

// Exit status of a run whose display went away under it.
constexpr int kDisplayLost = 6;
// A shell reports a run that died by signal N as this plus N (143 for
// SIGTERM).
constexpr int kSignalled = 128;

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
// Flushes the standard streams and dies by `sig`, as it would have without
// the program's handler.
[[noreturn]] void dieBy(int sig);
// "SIGTERM", ...
std::string signalName(int sig);

// Holds the signals that end a run for the life of the object, so that a
// file is made and recorded below as one step.
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
int holdOutput(const std::string& option);
void recordTemporary(int slot, int folder, const std::string& name);
void forgetTemporary(int slot);
void releaseOutput(int slot);
// Async-signal-safe: removes every temporary file recorded.
void removeTemporaries();

}  // namespace rt
