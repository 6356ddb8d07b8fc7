#include "runtime/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <vector>

#include "runtime/endings.h"

namespace rt {

namespace {

namespace fs = std::filesystem;

// Where an output goes and how it is written.
struct Target {
  enum How { kNew, kReplace, kInPlace, kStream };
  std::string path;  // the file that ends up holding the output
  How how = kNew;
  int stream = -1;  // kStream: the program's own open file that the path names
  mode_t mode = 0;  // kReplace: the mode the new file keeps
  std::string identity;
  std::string problem;  // why it cannot be written, or ""
};

std::string folderOf(const fs::path& path) {
  fs::path parent = path.parent_path();
  return parent.empty() ? "." : parent.string();
}

std::string writableFolder(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return "the folder " + shown(dir) + " does not exist";
  if (!S_ISDIR(st.st_mode)) return shown(dir) + " is not a folder";
  if (access(dir.c_str(), W_OK | X_OK) != 0) return "no permission to write into the folder " + shown(dir);
  return "";
}

std::string fileIdentity(const struct stat& st) {
  return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

std::string newPathIdentity(const fs::path& path) {
  std::error_code ec;
  return "path " + fs::weakly_canonical(fs::absolute(path), ec).string();
}

// The descriptor of the program's own that `path` names (/dev/stdout leads
// to /proc/self/fd/1, /dev/fd/2 is /proc/self/fd/2), or -1.
int ownDescriptor(const fs::path& path) {
  static const std::regex own("/proc/(self|thread-self|" + std::to_string(getpid()) +
                              "|" + std::to_string(getpid()) + "/task/[0-9]+)/fd/([0-9]{1,9})");
  std::error_code ec;
  fs::path folder = fs::weakly_canonical(fs::absolute(path).parent_path(), ec);
  std::smatch m;
  std::string text = (folder / path.filename()).lexically_normal().string();
  return std::regex_match(text, m, own) ? std::stoi(m[2].str()) : -1;
}

std::string descriptorName(int fd) {
  switch (fd) {
    case 0: return "the standard input";
    case 1: return "the standard output";
    case 2: return "the standard error";
    default: return "descriptor " + std::to_string(fd);
  }
}

// Follows `given` through its links to what will be written.
Target resolve(const std::string& given) {
  Target t;
  if (given.empty()) {
    t.problem = "no file name";
    return t;
  }
  fs::path p = given;
  for (int hop = 0; hop <= 40; ++hop) {
    t.path = p.string();
    struct stat st;
    if (int fd = ownDescriptor(p); fd >= 0) {
      // The stream the program was given, which may already hold other
      // output: written on where it stands.
      t.how = Target::kStream;
      t.stream = fd;
      int flags = fcntl(fd, F_GETFL);
      if (flags < 0 || fstat(fd, &st) != 0) t.problem = descriptorName(fd) + " is closed";
      else if ((flags & O_ACCMODE) == O_RDONLY) t.problem = descriptorName(fd) + " is not open for writing";
      else if (S_ISDIR(st.st_mode)) t.problem = "it is a folder";
      else t.identity = fileIdentity(st);
      return t;
    }
    if (lstat(p.c_str(), &st) != 0) {
      // A new file (also at the end of a link to nothing yet); the check of
      // its folder says what is missing.
      if (errno != ENOENT && errno != ENOTDIR) t.problem = std::strerror(errno);
      else t.problem = writableFolder(folderOf(p));
      t.identity = newPathIdentity(p);
      return t;
    }
    if (S_ISLNK(st.st_mode)) {
      std::error_code ec;
      fs::path next = fs::read_symlink(p, ec);
      if (ec) {
        t.problem = ec.message();
        return t;
      }
      p = next.is_absolute() ? next : p.parent_path() / next;
      continue;
    }
    t.identity = fileIdentity(st);
    if (S_ISDIR(st.st_mode)) {
      t.problem = "it is a folder";
    } else if (access(p.c_str(), W_OK) != 0) {
      t.problem = "no permission to write it";
    } else if (!S_ISREG(st.st_mode)) {
      t.how = Target::kInPlace;
    } else {
      t.how = Target::kReplace;
      t.mode = st.st_mode & 07777;
      t.problem = writableFolder(folderOf(p));
    }
    return t;
  }
  t.problem = std::strerror(ELOOP);
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
  if (t.how == Target::kStream) {
    fd_ = fcntl(t.stream, F_DUPFD_CLOEXEC, 3);
    return fd_ >= 0 || fail();
  }
  if (t.how == Target::kInPlace) {
    fd_ = aboveStandardStreams(::open(t.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
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
  holdTemporary(temp_);
  fd_ = aboveStandardStreams(fd_);
  if (fd_ < 0) return fail();
  if (t.how == Target::kReplace && fchmod(fd_, t.mode) != 0) return fail();
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
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
      fail();
    } else {
      dropTemporary(temp_);
      temp_.clear();
    }
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
    ::unlink(temp_.c_str());
    dropTemporary(temp_);
  }
  temp_.clear();
}

OutputTarget outputTarget(const std::string& path) {
  Target t = resolve(path);
  return {t.path, t.identity, t.problem};
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

std::string pathIdentity(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? fileIdentity(st) : newPathIdentity(path);
}

}  // namespace rt
