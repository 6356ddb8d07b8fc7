// How a run can end besides its keys running out or its window closing:
// a signal.
//
// A first SIGTERM, SIGINT or SIGHUP stops the run: it ends at its next key
// wait, writes its outputs, says so in one line and then dies by that
// signal, so that a shell loop or make sees the stop. From the stop on,
// the run's waits on others (readers of its outputs and of its messages,
// the display server) take no longer than the stop's grace, all of them
// together: each wait of its own gives up when the grace is spent, and a
// backstop ends the run at once, as a second stop would, should a call
// still wait a little after that. A second stop, and every other signal
// that ends a process, end it at once: the outputs not in place yet are
// then as they were before the run, and nothing half-written is left in a
// folder. A handler never waits: a line that finds no room on the
// standard error is dropped.
#pragma once

#include <signal.h>

#include <string>

#include "runtime/exit_status.h"

namespace rt {

// How long, from a stop, the run still waits on others, in all.
constexpr int kStopGraceMs = 500;

// Installs the program's signal handling; signals ignored when the program
// started stay ignored. SIGPIPE and SIGXFSZ are ignored: the write they
// stand for fails and is reported.
void catchEndings();
// The stop signal asked for, or 0.
int stopAsked();
// When a stop was asked for, throws ProgramEnd so that the run ends.
void stopIfAsked();
// What is left of the stop's grace, in milliseconds (<= 0: spent); a
// large number before a stop.
long long graceLeftMs();
// The end of a run: holds the stop signals from now on, so that a stop
// that comes later is not taken, and returns the stop asked for, or 0.
int finalStop();
// Removes the temporary files and dies by `sig`, as it would have without
// the program's handler.
[[noreturn]] void dieBy(int sig);
// "SIGTERM", ...
std::string signalName(int sig);

// A call that may wait on another process (a reader, the display server)
// is made within one: once a stop is asked for, the time spent within
// them counts against the stop's grace, and the backstop ends the run
// should they go on past it. They nest.
class WaitOnOthers {
 public:
  WaitOnOthers();
  ~WaitOnOthers();
  WaitOnOthers(const WaitOnOthers&) = delete;
  WaitOnOthers& operator=(const WaitOnOthers&) = delete;
};

// Holds the signals that end a run for the life of the object, so that a
// file is made or named and recorded as one step.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_;
};

}  // namespace rt
