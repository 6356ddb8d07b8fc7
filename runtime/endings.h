// How a run can end besides its keys running out or its window closing:
// a signal.
//
// A handler waits on nothing but the write of its one line, and that
// write is bounded like every wait after a stop (below).
//
// A SIGTERM, SIGINT or SIGHUP stops the run: it ends at its next key
// wait, writes its outputs, says so in one line and then dies by the
// signal of the stop, so that a shell loop or make sees it. One act of a
// person's often reaches the run as several of them, from several
// senders: Ctrl-C from the terminal and again from `timeout`, which
// relays it; a closed terminal's hang-up from the kernel and again from
// the shell. So every stop that comes within kSameActMs of the first,
// from whoever, is that one stop; the line names the first. A stop that
// comes later (a person's second Ctrl-C) and every other signal that ends
// a process end the run at once: the outputs not in place yet are then as
// they were before the run, and nothing half-written is left in a folder.
//
// The bound. From a stop on, what counts is the time the run's main
// thread spends blocked, as the kernel counts it: the time that is
// neither on a CPU nor waiting for one, nor waiting on a display server
// that is itself waiting for one. Drawing, encoding a page and a busy
// machine's delays never count; waiting on another process, a device or a
// file system always does, with no scope to mark it. Blocked time in the run's own files (a WritingFiles scope) counts
// against a budget of its own, kOwnFilesBudgetMs, as a slow stick takes a
// while to write them; every other wait counts against kStopBoundMs, of
// which readers that take nothing get kReadersShareMs in all. Past either,
// the run ends at once, as at a second stop. A kernel timer watches the
// count while the run starts, and a watchdog thread from the time its
// display is open (a second thread makes the C library lock in every call,
// which slows the start), whatever the run waits in and whatever signal
// mask and limits it was started with; where no thread can be had, the
// timer goes on, where no timer can, the thread starts at once, and where
// neither can, the run does not start. Where /proc is missing, the time
// waiting for a CPU counts as blocked; where the display server cannot be
// looked at, so does the server's.
//
// An ending at once is bounded too: should its line or its clean-up stay
// blocked for kEndingMs, the process dies by the signal all the same,
// leaving its temporary files for a later run to clear. A process the run
// forks takes the default handling of every signal and dies with the run.
#pragma once

#include <signal.h>

#include <string>

#include "runtime/exit_status.h"

namespace rt {

// From a stop, how long the run may stay blocked on others, in all, and
// the share of it that readers taking nothing get: the rest is left for
// the window's teardown and the last line.
constexpr int kStopBoundMs = 1000, kReadersShareMs = 300;
// From a stop, how long the run may stay blocked writing its own files.
constexpr int kOwnFilesBudgetMs = 10000;
// How long an ending at once may stay blocked before the process dies all
// the same.
constexpr int kEndingMs = 200;
// A stop that comes within this time (by the clock) of the first is the
// same act of a person's, relayed: as long as the stop's bound, so that a
// stop after it, when every wait on others has ended, is a second one.
constexpr int kSameActMs = kStopBoundMs;

// Installs the program's signal handling, with the timer keeping a stop's
// bound (the watchdog, where no timer can be had); signals ignored when
// the program started stay ignored, and the stops are taken whatever mask
// it was started with. SIGPIPE and SIGXFSZ are ignored: the write they
// stand for fails and is reported. Returns why a stop could not be
// bounded (no thread and no timer to be had), or "".
std::string catchEndings();
// From here on the watchdog keeps the bound, where a thread can be had
// (else the timer goes on). Called once the start-up's libraries are
// loaded and the display is open: while the process has one thread, the
// C library takes no lock in each call of its streams and allocator, and
// the X input method reads its compose table a character at a time.
void watchFromNowOn();
// A connection to the run's display server, a local one (it may be closed
// once this returns): from now on, the time the server waits for a CPU
// while the run is blocked does not count against a stop's bound.
void waitsOnDisplayServer(int connection);
// The stop signal asked for, or 0.
int stopAsked();
// When a stop was asked for, throws ProgramEnd so that the run ends.
void stopIfAsked();
// What is left of the readers' share of the stop's bound, in milliseconds
// (<= 0: spent); a large number before a stop.
long long readersShareLeftMs();
// Waits until `fd` is ready for `events` (poll's), `timeoutMs` pass (-1:
// no end) or a signal is taken, whichever comes first: what `fd` is ready
// for, 0 at the end of the time or on a signal, -1 with errno set. With
// `untilStop`, a stop asked for before the call ends it at once too. A
// stop that comes just before the wait ends it all the same.
short waitFor(int fd, short events, int timeoutMs, bool untilStop);
// The end of a run: holds the stop signals from now on, so that a stop
// that comes later is not taken, and returns the stop asked for, or 0.
int finalStop();
// Removes the temporary files and dies by `sig`, as it would have without
// the program's handler.
[[noreturn]] void dieBy(int sig);
// "SIGTERM", ...
std::string signalName(int sig);

// The run's own files being written (made, written, put on the disk,
// named, removed): blocked time within it counts against
// kOwnFilesBudgetMs instead of the stop's bound. Scopes nest.
class WritingFiles {
 public:
  WritingFiles();
  ~WritingFiles();
  WritingFiles(const WritingFiles&) = delete;
  WritingFiles& operator=(const WritingFiles&) = delete;
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
