// The exit statuses a run ends with, besides 0 (ended), 1 (could not
// start), 2 (command line refused), 3 (runtime error) and 4 (internal
// failure).
#pragma once

namespace rt {

// An output could not be written.
constexpr int kOutputFailed = 5;
// The display went away under a window run.
constexpr int kDisplayLost = 6;
// A shell reports a run that died by signal N as this plus N (143 for
// SIGTERM).
constexpr int kSignalled = 128;

}  // namespace rt
