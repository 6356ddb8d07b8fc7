// Loaded ahead of the C library by the tests, this sends the run a signal
// at the moment LESSON_SIGNAL_AT names, so that a test meets that moment
// every time instead of aiming at it with a timer:
//   fifo-open  SIGTERM just before a FIFO is opened;
//   fifo-wait  SIGTERM just before a wait for room in a FIFO or a pipe
//              that is full (a poll, or a write that would wait);
//   fifo-taken SIGTERM just after a wait found room in a FIFO, a pipe or
//              a socket, which another writer then takes, all of it;
//   look-taken nothing sent: a look for room (a poll that does not wait)
//              in a FIFO or a pipe that is full finds room all the same,
//              as when another writer takes it all right after the look;
//   named      SIGUSR1 just after a file is linked or renamed to a name
//              that is not a temporary one;
//   named-as   the signal numbered LESSON_SIGNAL just after a file is
//              linked or renamed to the name LESSON_NAMED_AS (its last
//              part): the run's last output named, its last moment;
//   named-second
//              as `named`, but to the second thread of `thread`; the
//              call returns once the signal has come on to the calling
//              thread;
//   temporary  the signal numbered LESSON_SIGNAL just after a temporary
//              name is made: a file created, linked or renamed under a
//              name that starts with ".out-";
//   fail-stopped SIGTERM at the first write of 64 KiB or more (a file's
//              first flush), and the next allocation after it fails with
//              std::bad_alloc, once: an internal failure with a stop
//              pending;
//   thread     nothing sent: a second thread, named "second", sleeps
//              with no signal held, for the test to send a signal to;
//   alarm-held nothing sent: a wait with no end (a poll with no timeout,
//              as for a display server's reply) holds SIGALRM on its
//              thread from then on, as a library may hold signals;
//   slow-line  nothing sent: the first write to the standard error works
//              on the CPU for a second of its own CPU time first, as a
//              slow machine may take to say a line;
//   spin       nothing sent: the first write of 64 KiB or more (a file's
//              first flush) creates the file LESSON_SPIN_MARK names, then
//              works on the CPU, as a very large page's encoding does,
//              until a file of that name and "-go-on" is there (a minute
//              of its own CPU time at most), before it writes.
// Each signal is sent once.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

bool at(const char* moment) {
  const char* m = std::getenv("LESSON_SIGNAL_AT");
  return m && std::strcmp(m, moment) == 0;
}

std::atomic<bool> sent{false};
pthread_t second;

void sendOnce(int sig) {
  if (sent.exchange(true)) return;
  if (!at("named-second")) {
    raise(sig);
    return;
  }
  pthread_kill(second, sig);
  // This thread goes on only once the second one took the signal and sent
  // it on here, where it waits while the run holds it; a run that takes it
  // on the second thread alone ends meanwhile. A few seconds at most,
  // should it never come.
  for (int waited = 0; waited < 5000; ++waited) {
    sigset_t pending;
    if (sigpending(&pending) == 0 && sigismember(&pending, sig)) break;
    timespec pause{0, 1'000'000};
    nanosleep(&pause, nullptr);
  }
}

// The next allocation fails.
std::atomic<bool> failNext{false};

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool fifo(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
}

bool isSocket(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
}

// A FIFO or pipe that takes nothing now.
bool full(int fd) {
  static auto realPoll = next<int (*)(pollfd*, nfds_t, int)>("poll");
  pollfd p{fd, POLLOUT, 0};
  return fifo(fd) && realPoll(&p, 1, 0) == 0;
}

const char* base(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

bool temporary(const char* name) { return std::strncmp(base(name), ".out-", 5) == 0; }

void temporaryNow(const char* name) {
  const char* sig = std::getenv("LESSON_SIGNAL");
  if (at("temporary") && temporary(name) && sig) sendOnce(std::atoi(sig));
}

// After a file was linked or renamed to `name`.
void namedNow(int result, const char* name) {
  if (result != 0) return;
  if ((at("named") || at("named-second")) && !temporary(name)) sendOnce(SIGUSR1);
  const char* as = std::getenv("LESSON_NAMED_AS");
  const char* sig = std::getenv("LESSON_SIGNAL");
  if (at("named-as") && as && sig && std::strcmp(base(name), as) == 0) sendOnce(std::atoi(sig));
  temporaryNow(name);
}

__attribute__((constructor)) void startSecondThread() {
  if (!at("thread") && !at("named-second")) return;
  sigset_t none;
  sigemptyset(&none);
  pthread_sigmask(SIG_SETMASK, &none, nullptr);
  pthread_create(
      &second, nullptr,
      [](void*) -> void* {
        for (;;) pause();
      },
      nullptr);
  pthread_setname_np(second, "second");
}

}  // namespace

extern "C" int openat(int folder, const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  struct stat st;
  if (at("fifo-open") && fstatat(folder, path, &st, 0) == 0 && S_ISFIFO(st.st_mode)) sendOnce(SIGTERM);
  static auto real = next<int (*)(int, const char*, int, ...)>("openat");
  int fd = real(folder, path, flags, mode);
  int saved = errno;
  if (fd >= 0 && (flags & O_CREAT)) temporaryNow(path);
  errno = saved;
  return fd;
}

// Fills the pipe `fd` writes to through a description of its own, as
// another writer would; a socket, which cannot be opened anew, through
// `fd` itself, without waiting.
void fill(int fd) {
  static auto realWrite = next<ssize_t (*)(int, const void*, size_t)>("write");
  char self[32], zeros[4096] = {};
  if (isSocket(fd)) {
    while (send(fd, zeros, sizeof zeros, MSG_DONTWAIT | MSG_NOSIGNAL) > 0) {
    }
    return;
  }
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  int other = open(self, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  while (other >= 0 && realWrite(other, zeros, sizeof zeros) > 0) {
  }
  if (other >= 0) close(other);
}

// Before a wait for room in a FIFO, a pipe or a socket, and after one.
bool waitingForRoom(pollfd* fds, nfds_t n) { return n == 1 && (fds[0].events & POLLOUT); }

int roomWaited(pollfd* fds, int r) {
  if (at("fifo-taken") && r == 1 && (fds[0].revents & POLLOUT) && (fifo(fds[0].fd) || isSocket(fds[0].fd)) &&
      !sent) {
    int saved = errno;
    fill(fds[0].fd);
    sendOnce(SIGTERM);
    errno = saved;
  }
  return r;
}

void holdAlarmInEndlessWait(bool endless) {
  if (!at("alarm-held") || !endless) return;
  sigset_t alarm;
  sigemptyset(&alarm);
  sigaddset(&alarm, SIGALRM);
  pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
}

extern "C" int poll(pollfd* fds, nfds_t n, int timeout) {
  holdAlarmInEndlessWait(timeout < 0);
  if (at("fifo-wait") && waitingForRoom(fds, n) && full(fds[0].fd)) sendOnce(SIGTERM);
  if (at("look-taken") && waitingForRoom(fds, n) && timeout == 0 && full(fds[0].fd)) {
    fds[0].revents = POLLOUT;
    return 1;
  }
  static auto real = next<int (*)(pollfd*, nfds_t, int)>("poll");
  return roomWaited(fds, real(fds, n, timeout));
}

extern "C" int ppoll(pollfd* fds, nfds_t n, const timespec* timeout, const sigset_t* mask) {
  holdAlarmInEndlessWait(timeout == nullptr);
  if (at("fifo-wait") && waitingForRoom(fds, n) && full(fds[0].fd)) sendOnce(SIGTERM);
  static auto real = next<int (*)(pollfd*, nfds_t, const timespec*, const sigset_t*)>("ppoll");
  return roomWaited(fds, real(fds, n, timeout, mask));
}

// Works on the CPU for `seconds` of the calling thread's CPU time, or
// until the file `goOn` is there.
void spin(int seconds, const char* goOn = nullptr) {
  timespec start, now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
  do {
    for (volatile int i = 0; i < 100000; ++i) {
    }
    if (goOn && access(goOn, F_OK) == 0) return;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  } while (now.tv_sec - start.tv_sec < seconds ||
           (now.tv_sec - start.tv_sec == seconds && now.tv_nsec < start.tv_nsec));
}

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  if (at("fifo-wait") && full(fd)) sendOnce(SIGTERM);
  if (at("spin") && size >= 65536 && !sent.exchange(true)) {
    int saved = errno;
    const char* mark = std::getenv("LESSON_SPIN_MARK");
    std::string goOn = mark ? std::string(mark) + "-go-on" : "";
    if (mark) close(open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    spin(60, mark ? goOn.c_str() : nullptr);
    errno = saved;
  }
  if (at("slow-line") && fd == 2 && !sent.exchange(true)) spin(1);
  if (at("fail-stopped") && size >= 65536 && !sent) {
    sendOnce(SIGTERM);
    failNext = true;
  }
  static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  return real(fd, data, size);
}

extern "C" int linkat(int from, const char* fromPath, int to, const char* toPath, int flags) {
  static auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
  int r = real(from, fromPath, to, toPath, flags);
  int saved = errno;
  namedNow(r, toPath);
  errno = saved;
  return r;
}

extern "C" int renameat(int from, const char* fromPath, int to, const char* toPath) {
  static auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
  int r = real(from, fromPath, to, toPath);
  int saved = errno;
  namedNow(r, toPath);
  errno = saved;
  return r;
}

// The program's allocations, made as they were (by the C++ library, or a
// sanitizer's), but for the one failure asked for.
void* operator new(std::size_t size) {
  if (failNext.exchange(false)) throw std::bad_alloc();
  static auto real = next<void* (*)(std::size_t)>(sizeof(std::size_t) == 8 ? "_Znwm" : "_Znwj");
  return real(size);
}
