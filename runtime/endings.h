// How a run can end besides its keys running out or its window closing:
// a signal.
//
// A first SIGTERM, SIGINT or SIGHUP stops the run: it ends at its next key
// wait, writes its outputs, says so in one line and then dies by that
// signal, so that a shell loop or make sees the stop. The same stop sent
// again by the same sender a moment later (as `timeout` sends it to the
// run and then to its process group) is that one stop. A second stop, and
// every other signal that ends a process, end the run at once: the outputs
// not in place yet are then as they were before the run, and nothing
// half-written is left in a folder. A handler never waits: a line that
// finds no room on the standard error is dropped.
//
// The bound, one rule: from a stop on, every moment of the run counts
// against the stop's grace but the run's own work, which is named by an
// OwnWork scope (drawing its pages, encoding a PNG, writing its files);
// within that work, a WaitOnOthers scope counts again. The run's own waits
// give up when the grace is spent; a watchdog thread, started with the
// run and needing no timer or signal of the kernel's, ends the run as a
// second stop would a little after that, whatever the run waits in and
// whatever signal mask and limits it was started with. An ending at once
// is bounded by the watchdog too: should its line or its clean-up wait,
// the process dies by the signal all the same. A process the run forks
// takes the default handling of every signal and dies with the run.
#pragma once

#include <signal.h>

#include <string>

#include "runtime/exit_status.h"

namespace rt {

// How long, from a stop, the run still waits on others, in all; readers
// that take nothing get no more than their share of it, so that the rest
// is left for the window's teardown and the last line.
constexpr int kStopGraceMs = 500, kReadersShareMs = 300;
// Past the grace, the watchdog ends a run still waiting this much later.
constexpr int kStopMarginMs = 200;
// How long after a stop the same stop from the same sender is taken as
// that stop sent again: room for a sender that sends it twice on a busy
// machine, short against a person's second Ctrl-C.
constexpr long long kSameStopMs = 300;

// Installs the program's signal handling and starts the watchdog; signals
// ignored when the program started stay ignored. SIGPIPE and SIGXFSZ are
// ignored: the write they stand for fails and is reported.
void catchEndings();
// The stop signal asked for, or 0.
int stopAsked();
// When a stop was asked for, throws ProgramEnd so that the run ends.
void stopIfAsked();
// What is left of the readers' share of the stop's grace, in milliseconds
// (<= 0: spent); a large number before a stop.
long long graceLeftMs();
// The end of a run: holds the stop signals from now on, so that a stop
// that comes later is not taken, and returns the stop asked for, or 0.
int finalStop();
// Removes the temporary files and dies by `sig`, as it would have without
// the program's handler.
[[noreturn]] void dieBy(int sig);
// "SIGTERM", ...
std::string signalName(int sig);

// Work of the run's own (drawing, encoding, writing its files): time
// spent within it does not count against a stop's grace. Scopes nest; the
// innermost decides.
class OwnWork {
 public:
  OwnWork();
  ~OwnWork();
  OwnWork(const OwnWork&) = delete;
  OwnWork& operator=(const OwnWork&) = delete;

 private:
  bool counted_;
};

// A call that may wait on another process (a reader, the display server)
// within the run's own work: the time spent in it counts again.
class WaitOnOthers {
 public:
  WaitOnOthers();
  ~WaitOnOthers();
  WaitOnOthers(const WaitOnOthers&) = delete;
  WaitOnOthers& operator=(const WaitOnOthers&) = delete;

 private:
  bool counted_;
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
