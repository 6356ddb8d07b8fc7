#include "runtime/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <utility>

#include "runtime/streams.h"

namespace rt {

namespace {

// How long a leftover must have lain untouched before it is cleared.
constexpr time_t kLeftoverSeconds = 60;

// The largest process number the system hands out.
long pidMax() {
  static const long max = [] {
    long v = 0;
    std::ifstream("/proc/sys/kernel/pid_max") >> v;
    return v > 0 ? v : 4194304;  // the kernel's own limit
  }();
  return max;
}

// The process a temporary name was made by, or 0 when `name` is not
// exactly one that a run makes.
pid_t temporaryMaker(const char* name) {
  static const std::regex temporary(R"(\.out-([1-9][0-9]{0,9})-[0-9a-f]{16}\.part)");
  std::cmatch m;
  if (!std::regex_match(name, m, temporary)) return 0;
  long long pid = std::stoll(m[1].str());
  return pid <= pidMax() ? static_cast<pid_t>(pid) : 0;
}

// Whether a process holds a lock of any kind on the file `name`, found as
// `st`, in `folder`; true too when it cannot be told.
bool lockedByAnyone(int folder, const char* name, const struct stat& st) {
  int fd = -1;
  for (int mode : {O_RDONLY, O_WRONLY}) {
    fd = openat(folder, name, mode | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) break;
  }
  if (fd >= 0) {
    struct stat now;
    struct flock l {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    // A record lock or an open file description's lock, then flock's.
    bool locked = fstat(fd, &now) != 0 || !sameFile(now, st) ||
                  (fcntl(fd, F_OFD_GETLK, &l) == 0 ? l.l_type != F_UNLCK : errno != EINVAL) ||
                  flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
  }
  // A file the user cannot open (a mode of 0): the system's list of locks.
  std::ifstream locks("/proc/locks");
  if (!locks) return true;
  char want[64];
  std::snprintf(want, sizeof want, " %02x:%02x:%ju ", major(st.st_dev), minor(st.st_dev),
                static_cast<uintmax_t>(st.st_ino));
  for (std::string line; std::getline(locks, line);)
    if ((line + " ").find(want) != std::string::npos) return true;
  return false;
}

}  // namespace

std::string temporaryName() {
  uint64_t bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != sizeof bits) {
    // Without the kernel's generator: the clock and a count, which no one
    // can tell ahead either.
    static uint64_t count = 0;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    bits = (static_cast<uint64_t>(ts.tv_nsec) << 20) ^ static_cast<uint64_t>(ts.tv_sec) ^ (++count << 44);
    bits *= 0x9e3779b97f4a7c15ULL;
  }
  char name[64];
  std::snprintf(name, sizeof name, ".out-%ld-%016" PRIx64 ".part", static_cast<long>(getpid()), bits);
  return name;
}

void clearLeftovers(int folder) {
  struct stat self;
  if (fstat(folder, &self) != 0) return;
  static std::set<std::pair<dev_t, ino_t>> cleared;
  if (!cleared.insert({self.st_dev, self.st_ino}).second) return;
  int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return;
  }
  time_t now = time(nullptr);
  while (dirent* e = readdir(dir)) {
    pid_t pid = temporaryMaker(e->d_name);
    struct stat st;
    if (pid <= 0 || pid == getpid() || fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid() || now - st.st_mtime < kLeftoverSeconds) continue;
    if (kill(pid, 0) == 0 || errno != ESRCH) continue;
    if (!lockedByAnyone(fd, e->d_name, st)) unlinkat(fd, e->d_name, 0);
  }
  closedir(dir);
}

void markLive(int fd) {
  struct flock l {};
  l.l_type = F_WRLCK;
  l.l_whence = SEEK_SET;
  fcntl(fd, F_OFD_SETLK, &l);
}

}  // namespace rt
