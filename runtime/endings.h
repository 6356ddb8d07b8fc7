// How a run can end besides its keys running out or its window closing:
// a signal, or the display going away. Whatever the ending, the outputs
// are written as the run stood and no temporary file is left behind.
#pragma once

#include <string>

namespace rt {

// Exit status of a run whose display went away under it.
constexpr int kDisplayLost = 6;
// A run stopped by signal N ends with this plus N (143 for SIGTERM).
constexpr int kSignalled = 128;

// Installs the program's signal handling. SIGTERM, SIGINT and SIGHUP ask
// the run to stop; it stops at its next key wait, as a close does, and
// writes its outputs. A second such signal, and the other signals that
// end a process, remove the temporary files and end it at once. SIGPIPE
// and SIGXFSZ are ignored: the write they stand for fails and is reported.
void catchEndings();
// When a stop was asked for: says so on stderr, once, and throws
// ProgramEnd with the signal's status.
void stopIfAsked();

// The files being written beside their targets; the signal handlers
// remove the ones still held. Paths too long to keep are not tracked.
void holdTemporary(const std::string& path);
void dropTemporary(const std::string& path);
// Async-signal-safe.
void removeTemporaries();

}  // namespace rt
