#include "runtime/targets.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <fstream>

#include "runtime/messages.h"
#include "runtime/streams.h"

namespace rt {

void Fd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

std::string pathOf(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& p : parts) path += "/" + p;
  return path.empty() ? "/" : path;
}

std::string userName(uid_t uid) {
  char buf[1024];
  passwd pw, *found = nullptr;
  if (getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found) return found->pw_name;
  return "uid " + std::to_string(uid);
}

namespace {

// A folder opened only to name things in it: nothing is read through it.
int openFolder(int at, const char* name) {
  return openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::string joined(std::vector<std::string> parts, const std::string& last) {
  parts.push_back(last);
  return pathOf(parts);
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

// A new file `name` in the folder `folder`, by the folder's own identity
// rather than its path, which a bind mount or another path may repeat.
std::string newFileIdentity(int folder, const std::string& name, const std::string& path) {
  struct stat st;
  if (fstat(folder, &st) != 0) return "new " + path;
  return "new " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/" + name;
}

// What a file of `mode` is when the run does not write that kind, or
// nullptr: it writes a regular file, a FIFO or a character device (and
// follows a link, and looks into a folder).
const char* unwrittenKind(mode_t mode) {
  switch (mode & S_IFMT) {
    case S_IFREG: case S_IFIFO: case S_IFCHR: case S_IFDIR: case S_IFLNK: return nullptr;
    case S_IFSOCK: return "a socket";
    case S_IFBLK: return "a block device";
    default: return "a special file";
  }
}

std::string notWritten(const char* kind) { return std::string(kind) + ", which the run does not write"; }

// The file attributes (FS_IOC_GETFLAGS) of the entry `name` of the folder
// `at` ("." for the folder), or 0 where they cannot be read: it is opened
// for reading, without waiting, only to ask.
int fileFlags(int at, const char* name) {
  Fd f(openat(at, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
  int flags = 0;
  if (f.get() < 0 || ioctl(f.get(), FS_IOC_GETFLAGS, &flags) != 0) return 0;
  return flags;
}

// Why the regular file `name` in the folder `at` (at `folder`) cannot be
// replaced for a file attribute, its own or its folder's: neither a file
// marked immutable or append-only nor any file of a folder marked
// append-only can be renamed over; or "".
std::string attributeRefuses(int at, const std::string& name, const std::string& folder) {
  int flags = fileFlags(at, name.c_str());
  if (flags & FS_IMMUTABLE_FL) return "it is marked immutable, so the run could not replace it";
  if (flags & FS_APPEND_FL) return "it is marked append-only, so the run could not replace it";
  if (fileFlags(at, ".") & FS_APPEND_FL)
    return "the folder " + shown(folder) + " is marked append-only, so the run could not replace a file in it";
  return "";
}

// Why the socket `fd`, a stream of the caller's, takes nothing written to
// it, or "".
std::string socketRefuses(int fd) {
  int listening = 0;
  socklen_t size = sizeof listening;
  if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && listening)
    return "is a listening socket, which takes no data";
  sockaddr_storage peer;
  socklen_t peerSize = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 && errno == ENOTCONN)
    return "is a socket that is not connected";
  return "";
}

// The caller's descriptor that `parts` / `name` names (/proc/self/fd/1,
// which /dev/stdout leads to), or -1.
int callersDescriptor(const std::vector<std::string>& parts, const std::string& name) {
  // The program's number as /proc names it, which in another process
  // namespace's /proc is not the one getpid() gives.
  static const std::string pid = [] {
    char self[32] = {};
    ssize_t n = readlink("/proc/self", self, sizeof self - 1);
    return n > 0 ? std::string(self, static_cast<size_t>(n)) : std::to_string(getpid());
  }();
  bool fdFolder = (parts.size() == 3 && parts[0] == "proc" && (parts[1] == pid || parts[1] == "self") &&
                   parts[2] == "fd") ||
                  (parts.size() == 5 && parts[0] == "proc" && parts[1] == pid && parts[2] == "task" &&
                   parts[4] == "fd");
  if (!fdFolder || name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::stoi(name);
}

// Where the path walked so far has got to.
struct Walk {
  Fd folder;
  std::vector<std::string> parts;
};

// What another user planted in a folder shared by all: a link, a FIFO or
// a file that belongs neither to the user running the program nor to the
// folder's owner. The kernel's own rule for such folders, kept whatever
// the machine's setting and for root too. Why the entry `name` of the
// folder `at` (at `parts`), owned by `owner`, is not used (`undone` says
// what is not done with it), or "".
std::string planted(int at, const std::vector<std::string>& parts, const char* what, const std::string& name,
                    uid_t owner, const char* undone) {
  struct stat folder;
  if (fstat(at, &folder) != 0 || !shared(folder)) return "";
  if (owner == geteuid() || owner == folder.st_uid) return "";
  return std::string("the ") + what + " " + shown(joined(parts, name)) + " belongs to " + userName(owner) +
         ", who owns neither the shared folder " + shown(pathOf(parts)) + " nor this run, so it is not " + undone;
}

// Follows `path` into `t`: its deepest existing folder (at, parts), what is
// missing below it, and the entry found (name, found) or the stream.
// False with t.problem set.
bool walk(OutputTarget& t, const std::string& path, int inFd, const std::vector<std::string>& inParts) {
  Walk w;
  auto failed = [&](const std::string& why) {
    t.problem = why;
    return false;
  };
  // A call failed as errno says, maybe for want of a descriptor.
  auto failedCall = [&] {
    t.noDescriptor = outOfDescriptors(errno);
    return failed(std::strerror(errno));
  };
  if (path.empty()) return failed("no file name");
  if (path[0] == '/' || inFd < 0) {
    w.folder.reset(openFolder(AT_FDCWD, path[0] == '/' ? "/" : "."));
    if (path[0] != '/') {
      char* cwd = getcwd(nullptr, 0);
      if (!cwd) return failed(std::string("the current folder: ") + std::strerror(errno));
      w.parts = components(cwd);
      std::free(cwd);
    }
  } else {
    w.folder.reset(fcntl(inFd, F_DUPFD_CLOEXEC, 3));
    w.parts = inParts;
  }
  if (w.folder.get() < 0) return failedCall();
  auto done = [&] {
    t.at = std::make_shared<const Fd>(std::move(w.folder));
    t.parts = std::move(w.parts);
    return true;
  };
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
      if (w.folder.get() < 0) return failedCall();
      continue;
    }
    if (last && (t.stream = callersDescriptor(w.parts, c)) >= 0) return done();
    struct stat st;
    if (fstatat(w.folder.get(), c.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      // /proc/self/fd/N (where /dev/stdout and /dev/fd/N lead) where no
      // /proc is mounted: the caller's descriptor all the same.
      if (errno == ENOENT && w.parts == std::vector<std::string>{"proc"} && c == "self" && todo.size() == 2 &&
          todo[0] == "fd" && (t.stream = callersDescriptor({"proc", "self", "fd"}, todo[1])) >= 0)
        return done();
      if (errno == ENOENT) {
        t.missing.push_back(c);
        t.missing.insert(t.missing.end(), todo.begin(), todo.end());
        return done();
      }
      if (errno == ENAMETOOLONG) return failed("the name " + shown(c) + " is longer than the file system allows");
      if (errno == EACCES) return failed("no permission to look into the folder " + shown(pathOf(w.parts)));
      return failed(std::strerror(errno));
    }
    if (S_ISLNK(st.st_mode)) {
      if (++links > 40) return failed(std::strerror(ELOOP));
      if (std::string why = planted(w.folder.get(), w.parts, "link", c, st.st_uid, "followed"); !why.empty())
        return failed(why);
      std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
      ssize_t n = readlinkat(w.folder.get(), c.c_str(), target.data(), target.size());
      if (n < 0 || static_cast<size_t>(n) >= target.size())
        return failed(n < 0 ? std::strerror(errno) : "a link that changed while it was read");
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
      if (w.folder.get() < 0 && errno == EACCES)
        return failed("no permission to look into the folder " + shown(joined(w.parts, c)));
      if (w.folder.get() < 0) return failedCall();
      w.parts.push_back(c);
      continue;
    }
    if (!last) return failed(shown(joined(w.parts, c)) + " is not a folder");
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
      if (S_ISFIFO(st.st_mode))
        if (std::string why = planted(w.folder.get(), w.parts, "FIFO", c, st.st_uid, "written"); !why.empty())
          return failed(why);
      // Held from now on: what the run opens is this one, or nothing.
      auto held = std::make_shared<Fd>(openat(w.folder.get(), c.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
      if (held->get() < 0 || fstat(held->get(), &st) != 0) return failedCall();
      t.held = std::move(held);
    }
    t.name = c;
    t.found = st;
    return done();
  }
  // The path ends on a folder.
  if (fstat(w.folder.get(), &t.found) != 0) return failed(std::strerror(errno));
  return done();
}

std::string descriptorName(int fd) {
  switch (fd) {
    case 0: return "the standard input";
    case 1: return "the standard output";
    case 2: return "the standard error";
    default: return "descriptor " + std::to_string(fd);
  }
}

// What `path` ends in when it can only name a folder: "/", "." or "..";
// else "".
std::string folderEnding(const std::string& path) {
  if (path.empty() || path.back() == '/') return path.empty() ? "" : "/";
  size_t slash = path.rfind('/');
  std::string last = path.substr(slash == std::string::npos ? 0 : slash + 1);
  return last == "." || last == ".." ? last : "";
}

std::string namesAFolder(const std::string& ending) {
  return "the name ends in \"" + ending + "\", so it names a folder, not a file";
}

}  // namespace

OutputTarget outputTarget(const std::string& given, int inFd, const std::vector<std::string>& inParts) {
  OutputTarget o;
  if (!walk(o, given, inFd, inParts)) return o;
  std::string ending = folderEnding(given);
  if (o.stream >= 0) {
    // The stream the caller gave the program, which may already hold other
    // output: written on where it stands.
    o.plan = Plan::kInPlace;
    struct stat st;
    int flags = closedAtStart(o.stream) ? -1 : fcntl(o.stream, F_GETFL);
    if (flags < 0 || fstat(o.stream, &st) != 0) o.problem = descriptorName(o.stream) + " is closed";
    else if ((flags & O_ACCMODE) == O_RDONLY) o.problem = descriptorName(o.stream) + " is not open for writing";
    else if (S_ISDIR(st.st_mode)) o.problem = "it is a folder";
    else if (std::string why = S_ISSOCK(st.st_mode) ? socketRefuses(o.stream) : ""; !why.empty())
      o.problem = descriptorName(o.stream) + " " + why;
    else o.identity = fileIdentity(st);
    o.file = "/dev/fd/" + std::to_string(o.stream);
    if (o.problem.empty() && !ending.empty()) o.problem = namesAFolder(ending);
    return o;
  }
  o.folder = pathOf(o.parts);
  bool exists = o.missing.empty();
  if (exists && (o.name.empty() || S_ISDIR(o.found.st_mode))) {
    o.file = o.folder;
    o.problem = "it is a folder";
    return o;
  }
  if (!ending.empty()) {
    o.file = joined(o.parts, exists ? o.name : o.missing[0]);
    o.problem = namesAFolder(ending);
    return o;
  }
  int at = o.at->get();
  if (!exists) {
    o.plan = Plan::kNew;
    o.file = joined(o.parts, o.missing[0]);
    if (o.missing.size() > 1) {
      // The folder the file would be in, when it can be named without
      // going up from a folder that is not there.
      if (std::find(o.missing.begin(), o.missing.end(), "..") == o.missing.end()) {
        std::vector<std::string> folder = o.parts;
        folder.insert(folder.end(), o.missing.begin(), o.missing.end() - 1);
        o.missingFolder = o.folder = o.file = pathOf(folder);
        o.file += "/" + o.missing.back();
        // The folder is not there to tell: by its path, as --shots makes it.
        o.identity = "new " + o.file;
        o.problem = "the folder " + shown(o.folder) + " does not exist";
      } else {
        o.problem = "the folder " + shown(o.file) + " does not exist";
      }
      return o;
    }
    o.name = o.missing[0];
    o.identity = newFileIdentity(at, o.name, o.file);
    o.problem = folderRefuses(at, o.folder);
    return o;
  }
  o.file = joined(o.parts, o.name);
  o.identity = fileIdentity(o.found);
  if (const char* kind = unwrittenKind(o.found.st_mode)) {
    o.problem = "it is " + notWritten(kind);
    return o;
  }
  if (faccessat(at, o.name.c_str(), W_OK, AT_EACCESS) != 0) {
    // A file marked immutable is not writable, for root too.
    std::string marked = errno == EPERM && S_ISREG(o.found.st_mode) ? attributeRefuses(at, o.name, o.folder) : "";
    o.problem = !marked.empty() ? marked
                : errno == EROFS ? "it is on a read-only file system"
                : errno == EACCES || errno == EPERM ? "no permission to write it"
                                                    : std::strerror(errno);
    return o;
  }
  // A FIFO or a character device is written where it is; a regular file
  // is replaced.
  if (!S_ISREG(o.found.st_mode)) {
    o.plan = Plan::kInPlace;
    return o;
  }
  o.plan = Plan::kReplacing;
  o.problem = folderRefuses(at, o.folder);
  if (o.problem.empty()) o.problem = attributeRefuses(at, o.name, o.folder);
  if (o.problem.empty()) o.problem = planted(at, o.parts, "file", o.name, o.found.st_uid, "replaced");
  // In any other sticky folder, the kernel lets only the file's owner, the
  // folder's owner or a process that may override owners replace it.
  struct stat folder;
  if (o.problem.empty() && fstat(at, &folder) == 0 && (folder.st_mode & S_ISVTX) && o.found.st_uid != geteuid() &&
      folder.st_uid != geteuid() && !mayReplaceOthersFiles())
    o.problem = "it belongs to " + userName(o.found.st_uid) + ", and in the shared folder " + shown(o.folder) +
                " only its owner may replace it";
  return o;
}

OutputTarget folderTarget(const std::string& path) {
  OutputTarget o;
  if (!walk(o, path, -1, {})) return o;
  if (o.stream >= 0 || (o.missing.empty() && !o.name.empty())) {
    o.problem = shown(path) + " is not a folder";
    return o;
  }
  o.folder = pathOf(o.parts);
  // The folders still to be made, by name.
  std::vector<std::string> parts = o.parts;
  for (const std::string& c : o.missing) step(parts, c);
  o.file = pathOf(parts);
  o.identity = o.missing.empty() ? fileIdentity(o.found) : "new " + o.file;
  o.problem = folderRefuses(o.at->get(), o.folder);
  return o;
}

OutputTargets outputTargets(const std::string& png, const std::string& trace, const std::string& shots) {
  OutputTargets t;
  if (!png.empty()) {
    t.png = outputTarget(png);
    t.png.binary = true;
    if (t.png.problem.empty() && t.png.stream >= 0)
      t.png.problem = terminalRefuses(t.png.stream, descriptorName(t.png.stream));
  }
  if (!trace.empty()) t.trace = outputTarget(trace);
  if (!shots.empty()) t.shots = folderTarget(shots);
  return t;
}

std::string terminalRefuses(int fd, const std::string& what) {
  if (!isatty(fd)) return "";
  return what + " is a terminal, and a PNG is binary data, which a terminal would take for codes of its own";
}

void checkShotNames(OutputTarget& shots, bool (*taken)(const std::string&)) {
  if (!shots.problem.empty() || !shots.missing.empty()) return;
  int at = shots.at->get();
  Fd opened(openat(at, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* listing = opened.get() < 0 ? nullptr : fdopendir(opened.get());
  if (!listing) {
    // A folder that may not be read is not looked into; one that cannot
    // be opened for want of a descriptor is not begun in.
    if (outOfDescriptors(errno)) {
      shots.noDescriptor = true;
      shots.problem = std::strerror(errno);
    }
    return;
  }
  opened.release();
  while (const dirent* e = readdir(listing)) {
    if (!taken(e->d_name)) continue;
    // As the run will find it: a link followed.
    OutputTarget t = outputTarget(e->d_name, at, shots.parts);
    std::string path = shown(joined(shots.parts, e->d_name));
    const char* is = e->d_type == DT_LNK ? " leads to " : " is ";
    // What the walk found, when it got there.
    bool found = t.at && t.missing.empty() && t.stream < 0;
    if (t.noDescriptor) {
      shots.problem = t.problem;
      shots.noDescriptor = true;
    } else if (const char* kind = found ? unwrittenKind(t.found.st_mode) : nullptr) {
      shots.problem = path + is + notWritten(kind);
    } else if (found && (S_ISDIR(t.found.st_mode) || S_ISFIFO(t.found.st_mode))) {
      // A folder takes no file; a FIFO would hold the run at a shot, in
      // the middle of it, until a reader came.
      shots.problem = path + is + (S_ISDIR(t.found.st_mode) ? "a folder" : "a FIFO") + ", which the shots do not write";
    } else if (!t.problem.empty()) {
      shots.problem = path + ": " + t.problem;
    }
    if (!shots.problem.empty()) break;
  }
  closedir(listing);
}

}  // namespace rt
