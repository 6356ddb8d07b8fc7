#include "runtime/output.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <regex>
#include <utility>

#include "runtime/endings.h"
#include "runtime/messages.h"

namespace rt {

namespace {

// A descriptor closed with the object.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) {
      reset();
      fd_ = std::exchange(o.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// A folder opened only to name things in it: nothing is read through it.
int openFolder(int at, const char* name) {
  return openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::string joined(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& p : parts) path += "/" + p;
  return path.empty() ? "/" : path;
}

std::string joined(std::vector<std::string> parts, const std::string& last) {
  parts.push_back(last);
  return joined(parts);
}

// The path `parts` one step on: into `name`, or up for "..".
void step(std::vector<std::string>& parts, const std::string& name) {
  if (name != "..") parts.push_back(name);
  else if (!parts.empty()) parts.pop_back();
}

std::vector<std::string> components(const std::string& path) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string c = path.substr(i, j - i);
    if (!c.empty() && c != ".") out.push_back(c);
    i = j + 1;
  }
  return out;
}

std::string userName(uid_t uid) {
  char buf[1024];
  passwd pw, *found = nullptr;
  if (getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found) return found->pw_name;
  return "uid " + std::to_string(uid);
}

// Whether the program may replace another user's file in a sticky folder
// (the owner-override capability; without a way to tell, root may).
bool mayReplaceOthersFiles() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("CapEff:", 0) == 0) {
      unsigned long long caps = std::strtoull(line.c_str() + 7, nullptr, 16);
      return (caps >> 3) & 1;  // CAP_FOWNER
    }
  return geteuid() == 0;
}

bool shared(const struct stat& folder) { return (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH); }

// Why an existing folder could not take a new file, or "".
std::string folderRefuses(int folder, const std::string& path) {
  if (faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0) return "";
  if (errno == EACCES || errno == EPERM) return "no permission to write into the folder " + shown(path);
  if (errno == EROFS) return "the folder " + shown(path) + " is on a read-only file system";
  return std::string("the folder ") + shown(path) + ": " + std::strerror(errno);
}

std::string fileIdentity(const struct stat& st) {
  // What is written to the null device is thrown away: outputs may share it.
  if (S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3)) return "";
  return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

// A path followed to its end, component by component.
struct Walk {
  Fd folder;                         // the deepest existing folder reached
  std::vector<std::string> parts;    // its path from the root
  std::vector<std::string> missing;  // what of the path is not there, below it
  bool exists = false;               // the whole path is there
  std::string name;                  // exists: its name in `folder` ("" for `folder` itself)
  struct stat st {};                 // exists: what it is
  int stream = -1;                   // a descriptor of the program's own that the path names
  std::string problem;
};

// The descriptor of the program's own that `parts` / `name` names
// (/proc/self/fd/1, which /dev/stdout leads to), or -1.
int ownDescriptor(const std::vector<std::string>& parts, const std::string& name) {
  // The program's number as /proc names it, which in another process
  // namespace's /proc is not the one getpid() gives.
  static const std::string pid = [] {
    char self[32] = {};
    ssize_t n = readlink("/proc/self", self, sizeof self - 1);
    return n > 0 ? std::string(self, static_cast<size_t>(n)) : std::to_string(getpid());
  }();
  bool fdFolder = (parts.size() == 3 && parts[0] == "proc" && parts[1] == pid && parts[2] == "fd") ||
                  (parts.size() == 5 && parts[0] == "proc" && parts[1] == pid && parts[2] == "task" &&
                   parts[4] == "fd");
  if (!fdFolder || name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::stoi(name);
}

// What another user planted in a folder shared by all (sticky and
// writable by all, such as /tmp): a link or a FIFO that belongs neither to
// the user running the program nor to the folder's owner. The kernel's own
// rule for such folders, kept whatever the machine's setting. Why the
// entry `name`, owned by `owner`, is not used (`undone` says what is not done
// with it), or "".
std::string planted(const Walk& w, const char* what, const std::string& name, uid_t owner, const char* undone) {
  struct stat folder;
  if (fstat(w.folder.get(), &folder) != 0 || !shared(folder)) return "";
  if (owner == geteuid() || owner == folder.st_uid) return "";
  return std::string("the ") + what + " " + shown(joined(w.parts, name)) + " belongs to " + userName(owner) +
         ", who owns neither the shared folder " + shown(joined(w.parts)) + " nor this run, so it is not " + undone;
}

// Follows `path`, a relative one from the folder `inFd` at `inParts` when
// one is given (else from the current folder).
Walk walk(const std::string& path, int inFd = -1, const std::vector<std::string>& inParts = {}) {
  Walk w;
  if (path.empty()) {
    w.problem = "no file name";
    return w;
  }
  if (path[0] == '/' || inFd < 0) {
    w.folder.reset(openFolder(AT_FDCWD, path[0] == '/' ? "/" : "."));
    if (path[0] != '/') {
      char* cwd = getcwd(nullptr, 0);
      if (!cwd) {
        w.problem = std::string("the current folder: ") + std::strerror(errno);
        return w;
      }
      w.parts = components(cwd);
      std::free(cwd);
    }
  } else {
    w.folder.reset(fcntl(inFd, F_DUPFD_CLOEXEC, 3));
    w.parts = inParts;
  }
  if (w.folder.get() < 0) {
    w.problem = std::strerror(errno);
    return w;
  }
  std::deque<std::string> todo;
  for (std::string& c : components(path)) todo.push_back(std::move(c));
  int links = 0;
  while (!todo.empty()) {
    std::string c = std::move(todo.front());
    todo.pop_front();
    bool last = todo.empty();
    if (c == "..") {
      w.folder.reset(openFolder(w.folder.get(), ".."));
      step(w.parts, c);
      if (w.folder.get() < 0) {
        w.problem = std::strerror(errno);
        return w;
      }
      continue;
    }
    if (last) {
      w.stream = ownDescriptor(w.parts, c);
      if (w.stream >= 0) return w;
    }
    struct stat st;
    if (fstatat(w.folder.get(), c.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) {
        w.missing.push_back(c);
        w.missing.insert(w.missing.end(), todo.begin(), todo.end());
      } else if (errno == ENAMETOOLONG) {
        w.problem = "the name " + shown(c) + " is longer than the file system allows";
      } else if (errno == EACCES) {
        w.problem = "no permission to look into the folder " + shown(joined(w.parts));
      } else {
        w.problem = std::strerror(errno);
      }
      return w;
    }
    if (S_ISLNK(st.st_mode)) {
      if (++links > 40) {
        w.problem = std::strerror(ELOOP);
        return w;
      }
      w.problem = planted(w, "link", c, st.st_uid, "followed");
      if (!w.problem.empty()) return w;
      std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
      ssize_t n = readlinkat(w.folder.get(), c.c_str(), target.data(), target.size());
      if (n < 0 || static_cast<size_t>(n) >= target.size()) {
        w.problem = n < 0 ? std::strerror(errno) : "a link that changed while it was read";
        return w;
      }
      target.resize(static_cast<size_t>(n));
      if (!target.empty() && target[0] == '/') {
        w.folder.reset(openFolder(AT_FDCWD, "/"));
        w.parts.clear();
      }
      std::vector<std::string> more = components(target);
      todo.insert(todo.begin(), more.begin(), more.end());
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      w.folder.reset(openFolder(w.folder.get(), c.c_str()));
      if (w.folder.get() < 0) {
        w.problem = errno == EACCES ? "no permission to look into the folder " + shown(joined(w.parts, c))
                                    : std::strerror(errno);
        return w;
      }
      w.parts.push_back(c);
      continue;
    }
    if (!last) {
      w.problem = shown(joined(w.parts, c)) + " is not a folder";
      return w;
    }
    w.exists = true;
    w.name = c;
    w.st = st;
    return w;
  }
  // The path ends on a folder.
  w.exists = true;
  if (fstat(w.folder.get(), &w.st) != 0) w.problem = std::strerror(errno);
  return w;
}

std::string descriptorName(int fd) {
  switch (fd) {
    case 0: return "the standard input";
    case 1: return "the standard output";
    case 2: return "the standard error";
    default: return "descriptor " + std::to_string(fd);
  }
}

// Where an output goes and how it is written.
struct Target {
  Walk walk;
  OutputFile::State state = OutputFile::State::kNew;
  OutputTarget target;  // what the checks say of it
};

constexpr const char* kNamesAFolder = "the name ends in \"/\", so it names a folder, not a file";

// Whether `path` can only name a folder: it ends in "/", ".", or "..".
bool namesAFolder(const std::string& path) {
  if (path.empty()) return false;
  if (path.back() == '/') return true;
  size_t slash = path.rfind('/');
  std::string last = path.substr(slash == std::string::npos ? 0 : slash + 1);
  return last == "." || last == "..";
}

Target resolve(const std::string& given, int inFd = -1, const std::vector<std::string>& inParts = {}) {
  Target t;
  t.walk = walk(given, inFd, inParts);
  Walk& w = t.walk;
  OutputTarget& o = t.target;
  o.problem = w.problem;
  if (!o.problem.empty()) return t;
  t.state = OutputFile::State::kInPlace;
  bool folderOnly = namesAFolder(given);
  if (w.stream >= 0) {
    // The stream the program was given, which may already hold other
    // output: written on where it stands.
    struct stat st;
    int flags = fcntl(w.stream, F_GETFL);
    if (flags < 0 || fstat(w.stream, &st) != 0) o.problem = descriptorName(w.stream) + " is closed";
    else if ((flags & O_ACCMODE) == O_RDONLY) o.problem = descriptorName(w.stream) + " is not open for writing";
    else if (S_ISDIR(st.st_mode)) o.problem = "it is a folder";
    else o.identity = fileIdentity(st);
    o.file = "/dev/fd/" + std::to_string(w.stream);
    if (o.problem.empty() && folderOnly) o.problem = kNamesAFolder;
    return t;
  }
  o.folder = joined(w.parts);
  if (w.exists && (w.name.empty() || S_ISDIR(w.st.st_mode))) {
    o.file = o.folder;
    o.problem = "it is a folder";
    return t;
  }
  if (folderOnly) {
    o.file = w.exists ? joined(w.parts, w.name) : joined(w.parts, w.missing[0]);
    o.problem = kNamesAFolder;
    return t;
  }
  if (!w.exists) {
    t.state = OutputFile::State::kNew;
    o.file = joined(w.parts, w.missing[0]);
    if (w.missing.size() > 1) {
      // The folder the file would be in, when it can be named without
      // going up from a folder that is not there.
      if (std::find(w.missing.begin(), w.missing.end(), "..") == w.missing.end()) {
        std::vector<std::string> folder = w.parts;
        folder.insert(folder.end(), w.missing.begin(), w.missing.end() - 1);
        o.missingFolder = o.folder = o.file = joined(folder);
        o.file += "/" + w.missing.back();
        o.identity = "new " + o.file;
        o.problem = "the folder " + shown(o.folder) + " does not exist";
      } else {
        o.problem = "the folder " + shown(o.file) + " does not exist";
      }
      return t;
    }
    w.name = w.missing[0];
    o.identity = "new " + o.file;
    o.problem = folderRefuses(w.folder.get(), o.folder);
    return t;
  }
  o.file = joined(w.parts, w.name);
  o.identity = fileIdentity(w.st);
  if (faccessat(w.folder.get(), w.name.c_str(), W_OK, AT_EACCESS) != 0) {
    o.problem = errno == EROFS ? "it is on a read-only file system"
                : errno == EACCES || errno == EPERM ? "no permission to write it"
                                                    : std::strerror(errno);
    return t;
  }
  if (S_ISFIFO(w.st.st_mode)) {
    o.problem = planted(w, "FIFO", w.name, w.st.st_uid, "written");
    return t;
  }
  if (!S_ISREG(w.st.st_mode)) return t;
  t.state = OutputFile::State::kReplacing;
  o.problem = folderRefuses(w.folder.get(), o.folder);
  struct stat folder;
  if (o.problem.empty() && fstat(w.folder.get(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
      w.st.st_uid != geteuid() && folder.st_uid != geteuid() && !mayReplaceOthersFiles())
    o.problem = "it belongs to " + userName(w.st.st_uid) + ", and in the shared folder " + shown(o.folder) +
                " only its owner may replace it";
  return t;
}

// A call that a signal may interrupt on some file systems (FUSE), made
// again until it is not interrupted.
template <typename Call>
int uninterrupted(Call call) {
  int r;
  do r = call();
  while (r < 0 && errno == EINTR);
  return r;
}

// A short name no other writer uses, for a file of ours not in place yet:
// ".out-PID-N.part".
std::string temporaryName() {
  static unsigned counter = 0;
  return ".out-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".part";
}

// The process a temporary name was made by, or 0 when `name` is not one.
pid_t temporaryMaker(const std::string& name) {
  static const std::regex temporary(R"(\.out-([0-9]{1,9})-[0-9]{1,9}\.part)");
  std::smatch m;
  return std::regex_match(name, m, temporary) ? static_cast<pid_t>(std::stol(m[1].str())) : 0;
}

// How long a leftover must have lain untouched before it is cleared.
constexpr time_t kLeftoverSeconds = 60;

// Takes a lock of `type` on the whole file, without waiting; as fcntl. A
// file of a live run's own holds its run's write lock for as long as the
// run has it open, seen from any process namespace, where the run's number
// may mean nothing.
int lockWhole(int fd, short type) {
  struct flock l {};
  l.l_type = type;
  l.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &l);
}

// Removes the file `name` (found as `found`) in `folder` unless a live run
// holds its lock, or it cannot be told.
void removeUnlessLocked(int folder, const char* name, const struct stat& found) {
  int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  // Where the file system keeps no such locks, the run's number decides.
  bool unlocked = lockWhole(fd, F_RDLCK) == 0 || errno == EINVAL;
  if (unlocked && fstat(fd, &st) == 0 && st.st_dev == found.st_dev && st.st_ino == found.st_ino)
    unlinkat(folder, name, 0);
  ::close(fd);
}

// Clears what dead runs of this user left in `folder` under temporary
// names: a file that a SIGKILL stopped short of putting in place. A name
// whose run is alive (its number is a live process, or its lock is held),
// another user's file, and one touched within the last minute stay.
void clearLeftovers(int folder) {
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
    removeUnlessLocked(fd, e->d_name, st);
  }
  closedir(dir);
}

constexpr const char* kStoppedWaiting = "the run was stopped while it waited for the reader";
// How often a FIFO with no reader is tried again.
constexpr long kReaderPollNs = 50'000'000;

// Follows `path` to a folder, which need not exist yet.
Walk walkToFolder(const std::string& path) {
  Walk w = walk(path);
  if (w.problem.empty() && (w.stream >= 0 || (w.exists && !w.name.empty())))
    w.problem = shown(path) + " is not a folder";
  return w;
}

}  // namespace

OutputFolder::~OutputFolder() {
  if (fd_ >= 0) ::close(fd_);
  for (const Made& m : made_) ::close(m.in);
}

bool OutputFolder::open(const std::string& path) {
  Walk w = walkToFolder(path);
  error_ = w.problem;
  if (!error_.empty()) return false;
  for (const std::string& c : w.missing) {
    if (c != "..") {
      if (mkdirat(w.folder.get(), c.c_str(), 0777) == 0) {
        made_.push_back({fcntl(w.folder.get(), F_DUPFD_CLOEXEC, 3), c, joined(w.parts, c)});
      } else if (errno != EEXIST) {
        error_ = "cannot make " + shown(joined(w.parts, c)) + ": " + std::strerror(errno);
        return false;
      }
    }
    w.folder.reset(openFolder(w.folder.get(), c.c_str()));
    if (w.folder.get() < 0) {
      error_ = std::strerror(errno);
      return false;
    }
    step(w.parts, c);
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = aboveStandardStreams(w.folder.release());
  parts_ = std::move(w.parts);
  clearLeftovers(fd_);
  return true;
}

std::string OutputFolder::unmake() {
  std::string left;
  for (auto m = made_.rbegin(); m != made_.rend(); ++m) {
    if (m->in < 0 || unlinkat(m->in, m->name.c_str(), AT_REMOVEDIR) != 0) left = m->path;
    if (m->in >= 0) ::close(m->in);
  }
  made_.clear();
  return left;
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, const std::string& option, const OutputFolder* in) {
  discard();
  error_.clear();
  buffer_.clear();
  Target t = in ? resolve(path, in->fd_, in->parts_) : resolve(path);
  if (!t.target.problem.empty()) return fail(t.target.problem);
  Walk& w = t.walk;
  if (t.state == State::kInPlace) {
    // Written where it is from now on: not as it was before the run.
    if (!option.empty()) releaseOutput(holdOutput(option));
    if (w.stream < 0) return openInPlace(w.folder.get(), w.name, w.st, path, option);
    // A pipe or a terminal through a writer of the run's own, which never
    // waits in a write; a file through the stream itself, where it stands.
    state_ = State::kInPlace;
    fd_ = writerOfOwn(w.stream);
    if (fd_ < 0) fd_ = fcntl(w.stream, F_DUPFD_CLOEXEC, 3);
    struct stat st;
    piece_ = fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? SIZE_MAX : PIPE_BUF;
    return fd_ >= 0 || fail();
  }
  folder_ = w.folder.release();
  name_ = w.name;
  named_ = !option.empty();
  // Only for an output of its own: the shots are written into a folder
  // cleared when it was opened.
  if (!in) clearLeftovers(folder_);
  // Until it is in place, the target is as it was before the run.
  slot_ = holdOutput(option);
  return openBeside(t.state, w.st.st_uid, w.st.st_gid, w.st.st_mode);
}

// A device or a FIFO, opened without waiting. A FIFO is opened only once a
// reader has it open: it is tried again every little while until the
// reader comes or a stop is asked for.
bool OutputFile::openInPlace(int folder, const std::string& name, const struct stat& found,
                             const std::string& path, const std::string& option) {
  state_ = State::kInPlace;
  for (bool said = false;;) {
    if (stopAsked()) return fail("the run was stopped while it waited for a reader to open it");
    fd_ = openat(folder, name.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd_ >= 0) break;
    if (errno == EINTR) continue;
    if (errno != ENXIO || !S_ISFIFO(found.st_mode)) return fail();
    if (!said && !stopAsked()) {
      say((option.empty() ? "" : option + ": ") + "waiting for a reader to open the FIFO " + shown(path));
      said = true;
    }
    timespec pause{0, kReaderPollNs};
    nanosleep(&pause, nullptr);
  }
  fd_ = aboveStandardStreams(fd_);
  if (fd_ < 0) return fail();
  struct stat st;
  if (fstat(fd_, &st) != 0 || st.st_dev != found.st_dev || st.st_ino != found.st_ino)
    return fail("it was replaced while the run opened it");
  // It stays a description that never waits in a write: room is waited
  // for before each, and another writer that takes the room meanwhile
  // makes the write come back at once.
  piece_ = PIPE_BUF;
  return true;
}

template <typename Make>
bool OutputFile::nameTemporarily(Make make) {
  // Named and recorded as one step: a signal that ends the run meanwhile
  // finds the name in the record and removes the file.
  SignalsHeld held;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = temporaryName();
    if (make(name)) {
      temp_ = name;
      state_ = State::kTemporary;
      recordTemporary(slot_, folder_, temp_);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// The file is written unnamed in its folder; where the file system cannot
// make an unnamed file, under a temporary name the signal handlers know.
bool OutputFile::openBeside(State state, uid_t uid, gid_t gid, mode_t mode) {
  state_ = state;
  fd_ = openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    nameTemporarily([&](const std::string& name) {
      fd_ = openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      return fd_ >= 0;
    });
  }
  fd_ = aboveStandardStreams(fd_);
  if (fd_ < 0) return fail();
  lockWhole(fd_, F_WRLCK);
  if (state == State::kReplacing) {
    // The file keeps its mode, but for the set-user-ID and set-group-ID
    // bits, and then its owner and group where the program may set them:
    // the mode first, while the file is still the program's own.
    if (fchmod(fd_, mode & 0777) != 0) return fail();
    if (uid != geteuid() || gid != getegid()) (void)fchown(fd_, uid, gid);
  }
  return true;
}

bool OutputFile::write(const char* data, size_t size) {
  if (failed() || fd_ < 0) return false;
  buffer_.append(data, size);
  return buffer_.size() < (1u << 16) || flush();
}

bool OutputFile::flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    size_t size = buffer_.size() - done;
    if (state_ == State::kInPlace) {
      // A reader that takes nothing holds the run only until a stop, and
      // then only for the stop's grace; no write waits in the call.
      Room room = waitForRoom(fd_);
      if (room != Room::kReady) {
        buffer_.clear();
        return room == Room::kStopped ? fail(kStoppedWaiting) : fail();
      }
      size = std::min(size, piece_);
    }
    ssize_t n = ::write(fd_, buffer_.data() + done, size);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      buffer_.clear();
      return fail();
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

// Gives the complete unnamed file the name `name` in its folder.
bool OutputFile::link(const std::string& name) {
  std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (uninterrupted([&] { return linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW); }) == 0)
    return true;
  // Without /proc, the call that needs a privilege.
  return errno == ENOENT &&
         uninterrupted([&] { return linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH); }) == 0;
}

bool OutputFile::publish() {
  if (state_ == State::kNew) {
    // A new file appears whole under its name at once, and is no longer
    // one the handlers name, in the same step.
    SignalsHeld held;
    if (link(name_)) {
      outputInPlace(slot_);
      return true;
    }
    if (errno != EEXIST) return fail();
    // The name was taken meanwhile: the file replaces what took it.
  }
  if (state_ != State::kTemporary && !nameTemporarily([&](const std::string& name) { return link(name); }))
    return fail();
  SignalsHeld held;
  if (uninterrupted([&] { return renameat(folder_, temp_.c_str(), folder_, name_.c_str()); }) != 0) return fail();
  forgetTemporary(slot_);
  outputInPlace(slot_);
  temp_.clear();
  return true;
}

bool OutputFile::commit() {
  if (fd_ < 0) {
    discard();
    return !failed();
  }
  if (!failed()) flush();
  if (state_ == State::kInPlace) {
    if (::close(fd_) != 0 && !failed() && errno != EINTR) fail();
    fd_ = -1;
  } else if (!failed()) {
    // On the disk before it has its name, so a power cut cannot leave a
    // named file that is not whole.
    if (uninterrupted([&] { return fdatasync(fd_); }) != 0) fail();
    if (!failed() && state_ == State::kTemporary) {
      // Closed before it is named, for what a file system says only then;
      // a second descriptor keeps the run's lock on it.
      int keep = fcntl(fd_, F_DUPFD_CLOEXEC, 3);
      if (::close(std::exchange(fd_, keep)) != 0 && errno != EINTR) fail();
    }
    if (!failed()) publish();
  }
  discard();
  return !failed();
}

bool OutputFile::fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

bool OutputFile::fail() {
  if (error_.empty()) error_ = std::strerror(errno);
  return false;
}

void OutputFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    SignalsHeld held;
    unlinkat(folder_, temp_.c_str(), 0);
    forgetTemporary(slot_);
    temp_.clear();
  }
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
  // An output given up is as it was before the run, and the handlers go
  // on naming it so.
  if (!(failed() && named_)) releaseOutput(slot_);
  slot_ = -1;
  state_ = State::kClosed;
}

OutputTarget outputTarget(const std::string& path) {
  Target t = resolve(path);
  t.target.inPlace = t.target.problem.empty() && t.state == OutputFile::State::kInPlace;
  return t.target;
}

OutputTarget folderTarget(const std::string& path) {
  OutputTarget o;
  Walk w = walkToFolder(path);
  o.problem = w.problem;
  if (!o.problem.empty()) return o;
  o.folder = joined(w.parts);
  // The folders still to be made, by name.
  std::vector<std::string> parts = w.parts;
  for (const std::string& c : w.missing) step(parts, c);
  o.file = joined(parts);
  o.identity = w.exists ? fileIdentity(w.st) : "new " + o.file;
  o.problem = folderRefuses(w.folder.get(), o.folder);
  return o;
}

}  // namespace rt
