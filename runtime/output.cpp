#include "runtime/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>

namespace rt {

namespace {

namespace fs = std::filesystem;

// Where an output goes and how it is written.
struct Target {
  std::string path;      // the file that ends up holding the output
  bool inPlace = false;  // a special file (or a link to nothing yet), written where it is
  bool special = false;  // an existing special file
  bool exists = false;   // an existing regular file: replaced, keeping its mode
  int stream = -1;       // the program's own open file that the path names
  mode_t mode = 0;
  std::string problem;  // why it cannot be written, or ""
};

std::string folderOf(const std::string& path) {
  fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? "." : parent.string();
}

std::string writableFolder(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return "the folder " + dir + " does not exist";
  if (!S_ISDIR(st.st_mode)) return dir + " is not a folder";
  if (access(dir.c_str(), W_OK | X_OK) != 0) return "no permission to write into the folder " + dir;
  return "";
}

// The descriptor of the program's own open file that a path names through
// a chain of links (/dev/stdout is a link to /proc/self/fd/1), or -1.
int openStream(const std::string& path) {
  static const std::regex own("/proc/(self|thread-self|" + std::to_string(getpid()) +
                              ")/fd/([0-9]+)");
  fs::path p = fs::absolute(path);
  std::error_code ec;
  for (int hop = 0; hop < 40; ++hop) {
    std::smatch m;
    std::string text = p.lexically_normal().string();
    if (std::regex_match(text, m, own)) return std::stoi(m[2].str());
    if (!fs::is_symlink(p, ec)) return -1;
    fs::path next = fs::read_symlink(p, ec);
    if (ec) return -1;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return -1;
}

Target resolve(const std::string& path) {
  Target t;
  t.path = path;
  if (path.empty()) {
    t.problem = "no file name";
    return t;
  }
  struct stat ls, st;
  if (lstat(path.c_str(), &ls) != 0) {
    // A new file; the check of its folder says what is missing.
    if (errno != ENOENT && errno != ENOTDIR) t.problem = std::strerror(errno);
    return t;
  }
  bool link = S_ISLNK(ls.st_mode);
  if (link && stat(path.c_str(), &st) != 0) {
    // A link to nothing yet: written through, which creates its target.
    if (errno == ENOENT) t.inPlace = true;
    else t.problem = std::strerror(errno);
    return t;
  }
  if (!link) st = ls;
  if (S_ISDIR(st.st_mode)) {
    t.problem = "it is a folder";
  } else if (access(path.c_str(), W_OK) != 0) {
    t.problem = "no permission to write it";
  } else if (!S_ISREG(st.st_mode)) {
    t.inPlace = t.special = true;
  } else {
    t.exists = true;
    t.mode = st.st_mode & 07777;
    if (link && (t.stream = openStream(path)) >= 0) {
      // /dev/stdout and its kind: the stream the program was given, which
      // may already hold other output, written on where it stands.
      t.inPlace = true;
    } else if (link) {
      // Written through the link: the file it names is the one replaced.
      if (char* real = realpath(path.c_str(), nullptr)) {
        t.path = real;
        std::free(real);
      } else {
        t.inPlace = true;
      }
    }
  }
  return t;
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path) {
  discard();
  error_.clear();
  buffer_.clear();
  Target t = resolve(path);
  if (!t.problem.empty()) {
    error_ = t.problem;
    return false;
  }
  target_ = t.path;
  if (t.stream >= 0) {
    fd_ = fcntl(t.stream, F_DUPFD_CLOEXEC, 0);
    return fd_ >= 0 || fail();
  }
  if (t.inPlace) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0 || fail();
  }
  // A fresh file beside the target, under a name no other writer uses.
  static unsigned counter = 0;
  std::string stem = folderOf(t.path) + "/." + fs::path(t.path).filename().string() + ".";
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = stem + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".part";
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temp_.clear();
    return fail();
  }
  if (t.exists && fchmod(fd_, t.mode) != 0) return fail();
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
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
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

bool OutputFile::commit() {
  if (fd_ < 0) return !failed();
  if (!failed()) flush();
  if (::close(fd_) != 0 && !failed()) fail();
  fd_ = -1;
  if (!failed() && !temp_.empty()) {
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) fail();
    else temp_.clear();
  }
  discard();
  return !failed();
}

bool OutputFile::fail() {
  if (error_.empty()) error_ = std::strerror(errno);
  return false;
}

void OutputFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

std::string outputProblem(const std::string& path) {
  Target t = resolve(path);
  if (!t.problem.empty() || t.inPlace) return t.problem;
  return writableFolder(folderOf(t.path));
}

std::string folderProblem(const std::string& dir) {
  if (dir.empty()) return "no folder name";
  // The folder itself, or the nearest folder above it that exists, in
  // which the missing ones will be made.
  fs::path p = fs::absolute(dir);
  std::error_code ec;
  while (!fs::exists(fs::symlink_status(p, ec)) && p.has_relative_path()) p = p.parent_path();
  return writableFolder(p.string());
}

std::string outputIdentity(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0)
    return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  std::error_code ec;
  return "path " + fs::weakly_canonical(fs::absolute(path), ec).string();
}

}  // namespace rt
