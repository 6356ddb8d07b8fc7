#include "runtime/output.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <utility>

#include "runtime/endings.h"

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

// The link `name` in the folder, owned as `link` says: followed only when
// the folder is not a shared one, or the link belongs to the user running
// the program or to the folder's owner. Why not, or "".
std::string plantedLink(const Walk& w, const std::string& name, const struct stat& link) {
  struct stat folder;
  if (fstat(w.folder.get(), &folder) != 0 || !shared(folder)) return "";
  if (link.st_uid == geteuid() || link.st_uid == folder.st_uid) return "";
  return "the link " + shown(joined(w.parts, name)) + " belongs to " + userName(link.st_uid) +
         ", who owns neither the shared folder " + shown(joined(w.parts)) +
         " nor this run, so it is not followed";
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
      w.problem = plantedLink(w, c, st);
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
  enum How { kNew, kReplace, kInPlace, kStream };
  Walk walk;
  How how = kNew;
  OutputTarget target;  // what the checks say of it
};

Target resolve(const std::string& given, int inFd = -1, const std::vector<std::string>& inParts = {}) {
  Target t;
  t.walk = walk(given, inFd, inParts);
  Walk& w = t.walk;
  OutputTarget& o = t.target;
  o.problem = w.problem;
  if (!o.problem.empty()) return t;
  if (w.stream >= 0) {
    // The stream the program was given, which may already hold other
    // output: written on where it stands.
    t.how = Target::kStream;
    struct stat st;
    int flags = fcntl(w.stream, F_GETFL);
    if (flags < 0 || fstat(w.stream, &st) != 0) o.problem = descriptorName(w.stream) + " is closed";
    else if ((flags & O_ACCMODE) == O_RDONLY) o.problem = descriptorName(w.stream) + " is not open for writing";
    else if (S_ISDIR(st.st_mode)) o.problem = "it is a folder";
    else o.identity = fileIdentity(st);
    o.file = "/dev/fd/" + std::to_string(w.stream);
    return t;
  }
  o.folder = joined(w.parts);
  if (!w.exists) {
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
  if (w.name.empty() || S_ISDIR(w.st.st_mode)) {
    o.file = o.folder;
    o.problem = "it is a folder";
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
  if (!S_ISREG(w.st.st_mode)) {
    t.how = Target::kInPlace;
    return t;
  }
  t.how = Target::kReplace;
  o.problem = folderRefuses(w.folder.get(), o.folder);
  struct stat folder;
  if (o.problem.empty() && fstat(w.folder.get(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
      w.st.st_uid != geteuid() && folder.st_uid != geteuid() && !mayReplaceOthersFiles())
    o.problem = "it belongs to " + userName(w.st.st_uid) + ", and in the shared folder " + shown(o.folder) +
                " only its owner may replace it";
  return t;
}

// Keeps the program's own outputs off descriptors 0 to 2, which a closed
// standard stream would otherwise hand them, so that nothing written to a
// standard stream ever lands in an output.
int aboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  int saved = errno;
  ::close(fd);
  errno = saved;
  return moved;
}

// A short name no other writer uses, for a file of ours not complete yet.
std::string temporaryName() {
  static unsigned counter = 0;
  return ".out-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".part";
}

constexpr const char* kStoppedWaiting = "the run was stopped while it waited for the reader";
// How long a write waits for a reader to make room once a stop is asked.
constexpr int kReaderGraceMs = 500;

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
}

bool OutputFolder::open(const std::string& path) {
  Walk w = walkToFolder(path);
  error_ = w.problem;
  if (!error_.empty()) return false;
  for (const std::string& c : w.missing) {
    if (c != ".." && mkdirat(w.folder.get(), c.c_str(), 0777) != 0 && errno != EEXIST) {
      error_ = "cannot make " + shown(joined(w.parts, c)) + ": " + std::strerror(errno);
      return false;
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
  return true;
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, const std::string& option, const OutputFolder* in) {
  discard();
  error_.clear();
  buffer_.clear();
  Target t = in ? resolve(path, in->fd_, in->parts_) : resolve(path);
  if (!t.target.problem.empty()) return fail(t.target.problem);
  Walk& w = t.walk;
  if (t.how == Target::kStream) {
    how_ = How::kInPlace;
    fd_ = fcntl(w.stream, F_DUPFD_CLOEXEC, 3);
    return fd_ >= 0 || fail();
  }
  if (t.how == Target::kInPlace) {
    // A FIFO waits here for its reader; a stop ends the wait.
    how_ = How::kInPlace;
    for (;;) {
      if (stopAsked()) return fail("the run was stopped while it waited for a reader to open it");
      fd_ = openat(w.folder.get(), w.name.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
      if (fd_ >= 0 || errno != EINTR) break;
    }
    fd_ = aboveStandardStreams(fd_);
    if (fd_ < 0) return fail();
    struct stat st;
    if (fstat(fd_, &st) != 0 || st.st_dev != w.st.st_dev || st.st_ino != w.st.st_ino)
      return fail("it was replaced while the run opened it");
    return true;
  }
  folder_ = w.folder.release();
  name_ = w.name;
  // Until it is in place, the target is as it was before the run.
  slot_ = holdOutput(option);
  return openBeside(t.how == Target::kReplace, w.st.st_uid, w.st.st_gid, w.st.st_mode & 07777);
}

// The file is written unnamed in its folder; where the file system cannot
// make an unnamed file, under a temporary name the signal handlers know.
bool OutputFile::openBeside(bool replace, uid_t uid, gid_t gid, mode_t mode) {
  replace_ = replace;
  how_ = How::kUnnamed;
  fd_ = openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    how_ = How::kNamed;
    SignalsHeld held;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      std::string name = temporaryName();
      fd_ = openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd_ >= 0) {
        temp_ = name;
        recordTemporary(slot_, folder_, temp_);
      } else if (errno != EEXIST) {
        break;
      }
    }
  }
  fd_ = aboveStandardStreams(fd_);
  if (fd_ < 0) return fail();
  if (replace) {
    // The file keeps its owner and group where the program may set them,
    // and its mode.
    if (uid != geteuid() || gid != getegid()) (void)fchown(fd_, uid, gid);
    if (fchmod(fd_, mode) != 0) return fail();
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
    if (how_ == How::kInPlace && stopAsked()) {
      // Once a stop is asked for, a reader that takes nothing no longer
      // holds the run (a stop that comes during a write cuts it short): a
      // piece that fits waits a moment for room, and no longer.
      pollfd p{fd_, POLLOUT, 0};
      int ready = poll(&p, 1, kReaderGraceMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        buffer_.clear();
        return fail(kStoppedWaiting);
      }
      size = std::min<size_t>(size, PIPE_BUF);
    }
    ssize_t n = ::write(fd_, buffer_.data() + done, size);
    if (n < 0 && errno == EINTR) continue;
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
  if (linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  // Without /proc, the call that needs a privilege.
  return errno == ENOENT && linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH) == 0;
}

bool OutputFile::publish() {
  if (how_ == How::kUnnamed) {
    // A new file appears whole under its name at once.
    if (!replace_ && link(name_)) return true;
    if (!replace_ && errno != EEXIST) return fail();
    // One that replaces another is named beside it, then put over it.
    SignalsHeld held;
    for (int attempt = 0; attempt < 100 && temp_.empty(); ++attempt) {
      std::string name = temporaryName();
      if (link(name)) {
        temp_ = name;
        recordTemporary(slot_, folder_, temp_);
      } else if (errno != EEXIST) {
        return fail();
      }
    }
    if (temp_.empty()) return fail();
  }
  if (renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) return fail();
  forgetTemporary(slot_);
  temp_.clear();
  return true;
}

bool OutputFile::commit() {
  if (fd_ < 0) {
    discard();
    return !failed();
  }
  if (!failed()) flush();
  if (how_ == How::kInPlace) {
    if (::close(fd_) != 0 && !failed() && errno != EINTR) fail();
    fd_ = -1;
  } else if (!failed()) {
    // On the disk before it has its name, so a power cut cannot leave a
    // named file that is not whole.
    if (fdatasync(fd_) != 0) fail();
    if (!failed() && how_ == How::kNamed && ::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) fail();
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
  releaseOutput(slot_);
  slot_ = -1;
  how_ = How::kNone;
}

OutputTarget outputTarget(const std::string& path) { return resolve(path).target; }

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

std::string shown(const std::string& text) {
  constexpr size_t kLongest = 60, kHead = 40;
  // Code points of the text, each as it will be shown.
  std::vector<std::string> points;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool whole = n > 0 && i + n <= text.size();
    for (size_t k = 1; whole && k < n; ++k) whole = (static_cast<unsigned char>(text[i + k]) >> 6) == 2;
    char escaped[8];
    if (c == '\n' || c == '\t' || c == '\r') {
      points.push_back(c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r");
    } else if (c == '\\') {
      points.push_back("\\\\");
    } else if (!whole || c < 0x20 || c == 0x7f) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      points.push_back(escaped);
      n = 1;
    } else if (n == 2 && c == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
      // The C1 controls, which terminals also obey.
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
      points.push_back(escaped);
    } else {
      points.push_back(text.substr(i, n));
    }
    i += n;
  }
  std::string out;
  if (points.size() <= kLongest) {
    for (const auto& p : points) out += p;
    return out;
  }
  // Both ends, which tell most: the start of a path and its file name.
  for (size_t k = 0; k < kHead; ++k) out += points[k];
  out += "...";
  for (size_t k = points.size() - (kLongest - kHead); k < points.size(); ++k) out += points[k];
  return out + " [cut from " + std::to_string(text.size()) + " bytes]";
}

}  // namespace rt
