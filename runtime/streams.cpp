#include "runtime/streams.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/endings.h"

namespace rt {

namespace {

// The descriptors the caller left open, as the run found them before it
// opened any, in order; a number from `coveredAtStart` on counts as
// closed (-1: not taken, in a process that is no run).
std::vector<int> openAtStart;
int coveredAtStart = -1;
// The descriptor of the standard error's writer, the one the run opens
// before it reads its command line.
int errorWriterFd = -1;

// Lists the caller's open descriptors: from /proc where it is there (all
// of them, but the listing's own), else by asking for each number below
// 1024.
void listOpenDescriptors() {
  if (DIR* listing = opendir("/proc/self/fd")) {
    while (const dirent* e = readdir(listing)) {
      char* end = nullptr;
      long fd = std::strtol(e->d_name, &end, 10);
      if (end != e->d_name && *end == '\0' && fd != dirfd(listing) && fd <= INT_MAX)
        openAtStart.push_back(static_cast<int>(fd));
    }
    closedir(listing);
    coveredAtStart = INT_MAX;
  } else {
    for (int fd = 0; fd < 1024; ++fd)
      if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) openAtStart.push_back(fd);
    coveredAtStart = 1024;
  }
  std::sort(openAtStart.begin(), openAtStart.end());
}

}  // namespace

void takeStandardStreams() {
  listOpenDescriptors();
  for (int fd = 0; fd <= 2; ++fd) {
    if (!closedAtStart(fd)) continue;
    // The lowest free number: this one, the lower ones being open. Where
    // there is no /dev/null (a bare /dev), a descriptor that reads and
    // writes nothing holds the number all the same.
    int null = open("/dev/null", (fd == 0 ? O_RDONLY : O_WRONLY) | O_NOCTTY);
    if (null < 0) null = open("/", O_PATH | O_DIRECTORY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      ::close(null);
    }
  }
}

bool closedAtStart(int fd) {
  if (coveredAtStart < 0) return fd == errorWriterFd || fcntl(fd, F_GETFD) < 0;
  return fd < 0 || fd >= coveredAtStart || !std::binary_search(openAtStart.begin(), openAtStart.end(), fd);
}

mode_t StreamWriter::know(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return 0;
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  waits_ = !S_ISREG(st.st_mode);
  socket_ = S_ISSOCK(st.st_mode);
  return st.st_mode;
}

namespace {

// Whether opening `fd` anew by its name in /proc reaches what it writes
// to: a pipe or a FIFO, or a terminal's slave side. The master side of a
// pseudo-terminal would open a new terminal; another device may be
// anything.
bool opensAsItself(int fd, mode_t mode) {
  if (S_ISFIFO(mode)) return true;
  unsigned pty;
  return S_ISCHR(mode) && isatty(fd) && ioctl(fd, TIOCGPTN, &pty) != 0;
}

bool sameObject(int a, int b) {
  struct stat sa, sb;
  return fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sameFile(sa, sb);
}

}  // namespace

StreamWriter::StreamWriter(int fd) {
  mode_t mode = know(fd);
  if (mode == 0) return;
  // A pipe, a FIFO or a terminal's slave side through a description of the
  // run's own, opened anew with O_NONBLOCK, so that a write never waits in
  // the call even when another writer takes the room found, once it is
  // sure to be the same; else the stream itself, whose writes the stop's
  // bound covers all the same.
  if (opensAsItself(fd, mode)) {
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    fd_ = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ >= 0 && !sameObject(fd_, fd)) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  if (fd_ < 0) fd_ = fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

StreamWriter StreamWriter::adopt(int fd) {
  StreamWriter w;
  w.fd_ = fd;
  w.know(fd);
  return w;
}

StreamWriter::~StreamWriter() {
  if (fd_ >= 0) ::close(fd_);
}

StreamWriter::StreamWriter(StreamWriter&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      dev_(other.dev_),
      ino_(other.ino_),
      waits_(other.waits_),
      socket_(other.socket_) {}

StreamWriter& StreamWriter::operator=(StreamWriter&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    dev_ = other.dev_;
    ino_ = other.ino_;
    waits_ = other.waits_;
    socket_ = other.socket_;
  }
  return *this;
}

StreamWriter::Put StreamWriter::put(const char* data, size_t size) {
  if (fd_ < 0) {
    errno = EBADF;
    return Put::kFailed;
  }
  if (!waits_) return writeAll(fd_, data, size) ? Put::kDone : Put::kFailed;
  for (size_t done = 0; done < size;) {
    Room room = waitForRoom(fd_);
    if (room != Room::kReady) return room == Room::kStopped ? Put::kStopped : Put::kFailed;
    // No more than a pipe takes at once once it has room, cut after a
    // line's end where there is one, so that a line that fits goes in one
    // write that no other writer of the pipe comes into.
    size_t piece = std::min<size_t>(size - done, PIPE_BUF);
    if (piece < size - done)
      if (const void* end = memrchr(data + done, '\n', piece))
        piece = static_cast<size_t>(static_cast<const char*>(end) - (data + done)) + 1;
    ssize_t n = socket_ ? send(fd_, data + done, piece, MSG_DONTWAIT | MSG_NOSIGNAL)
                        : ::write(fd_, data + done, piece);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return Put::kFailed;
    }
    done += static_cast<size_t>(n);
  }
  return Put::kDone;
}

bool StreamWriter::close() {
  int fd = std::exchange(fd_, -1);
  return fd < 0 || ::close(fd) == 0 || errno == EINTR;
}

void StreamWriter::putNow(const char* data, size_t size) const {
  for (size_t done = 0; done < size;) {
    pollfd p{fd_, POLLOUT, 0};
    if (waits_ && (poll(&p, 1, 0) != 1 || !(p.revents & POLLOUT))) return;
    ssize_t n = socket_ ? send(fd_, data + done, size - done, MSG_DONTWAIT | MSG_NOSIGNAL)
                        : ::write(fd_, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_rdev == b.st_rdev &&
         (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT);
}

bool writeAll(int fd, const char* data, size_t size) {
  for (size_t done = 0; done < size;) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

Room waitForRoom(int fd) {
  for (;;) {
    // Before a stop, as long as it takes or until one comes; from a stop
    // on, within what is left of the readers' share, and a last look once
    // it is spent.
    bool stopped = stopAsked();
    long long left = readersShareLeftMs();
    int timeout = stopped ? static_cast<int>(std::clamp<long long>(left, 0, INT_MAX)) : -1;
    short ready = waitFor(fd, POLLOUT, timeout, !stopped);
    if (ready > 0 && (ready & POLLNVAL)) errno = EBADF;
    if (ready < 0 || (ready & POLLNVAL)) return Room::kFailed;
    // An error or a reader gone is for the write to tell.
    if (ready > 0) return Room::kReady;
    if (stopped && left <= 0) return Room::kStopped;
  }
}

StreamWriter& errorStream() {
  static StreamWriter writer = [] {
    StreamWriter w(2);
    errorWriterFd = w.descriptor();
    return w;
  }();
  return writer;
}

}  // namespace rt
