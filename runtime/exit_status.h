// The exit statuses a run ends with. A run that dies by a signal ends
// with none: its caller sees the signal.
#pragma once

namespace rt {

// The run ended: its window closed, the main menu's last item was chosen,
// or the keys of a headless run were spent.
constexpr int kEnded = 0;
// The run could not start (no display, a font missing, no memory for the
// page, no descriptor or thread to be had).
constexpr int kCannotStart = 1;
// The command line was refused.
constexpr int kRefused = 2;
// A runtime error: the error screen was shown.
constexpr int kRuntimeError = 3;
// An internal failure.
constexpr int kInternalFailure = 4;
// An output could not be written.
constexpr int kOutputFailed = 5;
// The display went away under a window run.
constexpr int kDisplayLost = 6;
// A shell reports a run that died by signal N as this plus N (143 for
// SIGTERM).
constexpr int kSignalled = 128;

}  // namespace rt
