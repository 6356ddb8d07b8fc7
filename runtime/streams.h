// The streams a run writes to where they are: its standard streams, and
// the outputs written in place (a FIFO, a device, /dev/stdout).
//
// No descriptor of the run's own, or of a library's, ever takes the
// number of a standard stream: one that is closed when the run starts is
// opened on /dev/null first, and is still known as closed, so that
// --png /dev/stdout is refused then. /dev/fd/N and /proc/self/fd/N name
// the caller's descriptors as they were when the run started.
//
// Every write in place and every line said goes through a StreamWriter,
// which never waits in the call where the stream allows it (a description
// of its own that never waits, for a pipe, a FIFO or a terminal; a socket
// written without waiting) and waits for room: before a stop as long as
// that takes, after one only within the readers' share of the stop's
// bound. The stop's bound covers the rest.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace rt {

// The first step of a run, before it opens anything: notes which of the
// caller's descriptors are open, and opens /dev/null onto a standard
// stream that is closed.
void takeStandardStreams();
// Whether the caller's descriptor `fd` was closed when the run started,
// whatever of the run's own has the number now.
bool closedAtStart(int fd);

class StreamWriter {
 public:
  StreamWriter() = default;
  // Writes to what `fd` writes to; `fd` stays its owner's.
  explicit StreamWriter(int fd);
  // Writes to `fd`, a descriptor of the run's own opened without waiting
  // (a FIFO, a device), and closes it in the end.
  static StreamWriter adopt(int fd);
  ~StreamWriter();
  StreamWriter(StreamWriter&& other) noexcept;
  StreamWriter& operator=(StreamWriter&& other) noexcept;
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;

  bool open() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }
  // Whether the two write to one file, pipe or terminal.
  bool sameTarget(const StreamWriter& other) const {
    return fd_ >= 0 && other.fd_ >= 0 && dev_ == other.dev_ && ino_ == other.ino_;
  }
  enum class Put { kDone, kStopped, kFailed };
  // Writes all of `data`; kFailed with errno set, or kStopped when the
  // readers' share of the stop's bound ran out while it waited for room.
  Put put(const char* data, size_t size);
  // Closes it; false with errno set when the close reported a failure.
  bool close();
  // For a handler: writes `data` only as far as there is room at once.
  void putNow(const char* data, size_t size) const;

 private:
  // Takes what `fd` is; its file type and mode, or 0.
  mode_t know(int fd);

  int fd_ = -1;
  unsigned long long dev_ = 0, ino_ = 0;
  bool waits_ = false;   // a reader takes what comes: room is waited for
  bool socket_ = false;  // written without waiting, call by call
};

// Writes all of `data` to a file; false with errno set.
bool writeAll(int fd, const char* data, size_t size);

// Whether `a` and `b` were found of one file (pipe, device): its file
// system, number and type, and for a device its number.
bool sameFile(const struct stat& a, const struct stat& b);

// Waits until `fd` takes a write of up to PIPE_BUF bytes without waiting:
// before a stop, as long as that takes, and once a stop is asked for, only
// within the readers' share of the stop's bound.
enum class Room { kReady, kStopped, kFailed };
Room waitForRoom(int fd);

// The standard error, as messages are written to it.
StreamWriter& errorStream();

}  // namespace rt
