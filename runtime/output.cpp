#include "runtime/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "runtime/endings.h"
#include "runtime/file_attributes.h"
#include "runtime/leftovers.h"
#include "runtime/messages.h"

namespace rt {

namespace {

constexpr const char* kStoppedWaiting = "the run was stopped while it waited for the reader";
// How often a FIFO with no reader is tried again.
constexpr long kReaderPollNs = 50'000'000;

// A call that a signal may interrupt on some file systems (FUSE), made
// again until it is not interrupted.
template <typename Call>
int uninterrupted(Call call) {
  int r;
  do r = call();
  while (r < 0 && errno == EINTR);
  return r;
}

// The outputs written in place, open now.
std::vector<OutputFile*> inPlaceNow;

std::string viaProc(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

}  // namespace

OutputFolder::~OutputFolder() {
  if (fd_ >= 0) ::close(fd_);
  for (const Made& m : made_) ::close(m.in);
}

bool OutputFolder::open(const OutputTarget& t) {
  error_ = t.problem;
  noDescriptor_ = t.noDescriptor;
  if (!error_.empty()) return false;
  auto failWithErrno = [&] {
    noDescriptor_ = outOfDescriptors(errno);
    error_ = std::strerror(errno);
    return false;
  };
  Fd folder(fcntl(t.at->get(), F_DUPFD_CLOEXEC, 3));
  if (folder.get() < 0) return failWithErrno();
  std::vector<std::string> parts = t.parts;
  for (const std::string& c : t.missing) {
    std::vector<std::string> next = parts;
    next.push_back(c);
    std::string path = pathOf(next);
    if (c != "..") {
      if (mkdirat(folder.get(), c.c_str(), 0777) == 0) {
        made_.push_back({fcntl(folder.get(), F_DUPFD_CLOEXEC, 3), c, path});
      } else if (errno != EEXIST) {
        error_ = "cannot make " + shown(path) + ": " + std::strerror(errno);
        return false;
      }
    }
    folder.reset(openat(folder.get(), c.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) return failWithErrno();
    if (c != "..") parts = std::move(next);
    else if (!parts.empty()) parts.pop_back();
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = folder.release();
  parts_ = std::move(parts);
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

bool OutputFile::open(const std::string& path) { return open(outputTarget(path), "", PendingHandle::reserve("")); }

bool OutputFile::open(const OutputFolder& folder, const std::string& name) {
  OutputTarget shot = outputTarget(name, folder.fd_, folder.parts_);
  shot.binary = true;
  return open(shot, "", PendingHandle::reserve(""));
}

bool OutputFile::open(const OutputTarget& t, const std::string& option, PendingHandle pending) {
  discard();
  error_.clear();
  buffer_.clear();
  pending_ = PendingOutput(pending);
  noDescriptor_ = t.noDescriptor;
  if (!t.problem.empty()) return fail(t.problem);
  open_ = true;
  plan_ = t.plan;
  return plan_ == Plan::kInPlace ? openInPlace(t, option) : openFile(t);
}

// A stream is written through a writer of its own; a device or a FIFO is
// opened without waiting, a FIFO only once a reader has it open: it is
// tried again every little while until the reader comes or a stop is
// asked for.
bool OutputFile::openInPlace(const OutputTarget& t, const std::string& option) {
  // Written where it is from now on: not as it was before the run.
  pending_.named();
  if (t.stream >= 0) {
    stream_ = StreamWriter(t.stream);
  } else if (!t.held) {
    // Only what the check held is written in place.
    return fail("it is not a file the run writes in place");
  } else {
    bool fifo = S_ISFIFO(t.found.st_mode);
    const char* replaced =
        fifo ? "it was replaced while the run waited for a reader to open it" : "it was replaced while the run opened it";
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK;
    Fd fd;
    for (bool said = false;;) {
      if (stopAsked()) return fail("the run was stopped while it waited for a reader to open it");
      // The name still leads to what was checked, which is opened itself
      // where /proc allows; the check held it, so its number is no one
      // else's meanwhile.
      struct stat now;
      if (fstatat(t.at->get(), t.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(now, t.found)) return fail(replaced);
      fd.reset(::open(viaProc(t.held->get()).c_str(), flags));
      if (fd.get() < 0 && errno == ENOENT) fd.reset(openat(t.at->get(), t.name.c_str(), flags | O_NOFOLLOW));
      if (fd.get() >= 0) break;
      if (errno == EINTR) continue;
      if (errno != ENXIO || !fifo) return failWithErrno();
      if (!said) {
        say((option.empty() ? "" : option + ": ") + "waiting for a reader to open the FIFO " + shown(t.file));
        said = true;
      }
      timespec pause{0, kReaderPollNs};
      nanosleep(&pause, nullptr);
    }
    struct stat opened;
    if (fstat(fd.get(), &opened) != 0 || !sameFile(opened, t.found)) return fail(replaced);
    if (std::string why = t.binary ? terminalRefuses(fd.get(), "it") : ""; !why.empty()) return fail(why);
    stream_ = StreamWriter::adopt(fd.release());
  }
  if (!stream_.open()) return failWithErrno();
  inPlaceNow.push_back(this);
  return true;
}

template <typename Make>
bool OutputFile::nameTemporarily(Make make) {
  // Named and recorded as one step: a signal that ends the run meanwhile
  // finds the name in the record and removes the file.
  SignalsHeld held;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = temporaryName();
    if (make(name)) {
      temp_ = name;
      pending_.temporary(folder_->get(), temp_);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// A new or replacing file, written unnamed in its folder; under a
// temporary name the signal handlers know where the file system makes no
// unnamed files, or where one could not be named later (no /proc).
bool OutputFile::openFile(const OutputTarget& t) {
  WritingFiles writing;
  folder_ = t.at;
  name_ = t.name;
  int folder = folder_->get();
  clearLeftovers(folder);
  // What is replaced is the file as it is now, if it is still there.
  if (struct stat now; plan_ == Plan::kReplacing &&
                       fstatat(folder, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(now.st_mode))
    old_ = now;
  // A replacement lets no one in but the program until it has what the
  // old file allowed; a named temporary could be opened meanwhile.
  mode_t made = old_ ? 0600 : 0666;
  file_.reset(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, made));
  struct stat unnamed, reached;
  if (file_.get() >= 0 && !(fstat(file_.get(), &unnamed) == 0 && stat(viaProc(file_.get()).c_str(), &reached) == 0 &&
                            sameFile(reached, unnamed)))
    file_.reset();
  if (file_.get() < 0 &&
      !nameTemporarily([&](const std::string& name) {
        file_.reset(openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, made));
        return file_.get() >= 0;
      }))
    return failWithErrno();
  markLive(file_.get());
  if (old_ && !takeOverAttributes(file_.get(), folder, name_, *old_)) return failWithErrno();
  return true;
}

bool OutputFile::write(const char* data, size_t size) {
  if (failed() || !open_) return false;
  buffer_.append(data, size);
  return buffer_.size() < (1u << 16) || flush();
}

bool OutputFile::flush() {
  std::string pending = std::exchange(buffer_, {});
  if (plan_ != Plan::kInPlace) {
    WritingFiles writing;
    return writeAll(file_.get(), pending.data(), pending.size()) || failWithErrno();
  }
  // A reader that takes nothing holds the run only until a stop, and then
  // only for the readers' share of the stop's bound.
  switch (stream_.put(pending.data(), pending.size())) {
    case StreamWriter::Put::kDone: return true;
    case StreamWriter::Put::kStopped: return fail(kStoppedWaiting);
    default: return failWithErrno();
  }
}

void flushOutputsInPlace(const StreamWriter& to) {
  for (OutputFile* out : inPlaceNow)
    if (!out->failed() && !out->buffer_.empty() && out->stream_.sameTarget(to)) out->flush();
}

bool OutputFile::publish() {
  // Named and no longer one the handlers name, in the same step.
  SignalsHeld held;
  auto link = [&](const std::string& name) {
    return uninterrupted([&] {
             return linkat(AT_FDCWD, viaProc(file_.get()).c_str(), folder_->get(), name.c_str(), AT_SYMLINK_FOLLOW);
           }) == 0;
  };
  if (!old_ && temp_.empty()) {
    // A file that replaces none appears whole under its name at once.
    if (link(name_)) {
      pending_.named();
      return true;
    }
    // The name was taken meanwhile: the file replaces what took it, named
    // as a replacement is.
    if (errno != EEXIST) return failWithErrno();
  }
  // Renamed to its name from a temporary one, over what has the name.
  if (temp_.empty() && !nameTemporarily(link)) return failWithErrno();
  if (uninterrupted([&] { return renameat(folder_->get(), temp_.c_str(), folder_->get(), name_.c_str()); }) != 0)
    return failWithErrno();
  pending_.named();
  temp_.clear();
  return true;
}

bool OutputFile::commit() {
  if (open_ && !failed()) flush();
  if (open_ && plan_ == Plan::kInPlace) {
    if (!stream_.close() && !failed()) failWithErrno();
  } else if (open_ && !failed()) {
    WritingFiles writing;
    // On the disk before it has its name, so a power cut cannot leave a
    // named file that is not whole.
    if (uninterrupted([&] { return fdatasync(file_.get()); }) != 0) failWithErrno();
    if (!failed() && !temp_.empty()) {
      // Closed before it is named, for what a file system says only then;
      // a second descriptor keeps the run's lock on it.
      Fd keep(fcntl(file_.get(), F_DUPFD_CLOEXEC, 3));
      if (::close(file_.release()) != 0 && errno != EINTR) failWithErrno();
      file_ = std::move(keep);
    }
    if (!failed()) publish();
  }
  discard();
  return !failed();
}

bool OutputFile::fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  // Given up: as it was before the run, and the handlers go on saying so.
  pending_.failed();
  return false;
}

bool OutputFile::failWithErrno() {
  if (error_.empty()) noDescriptor_ = outOfDescriptors(errno);
  return fail(std::strerror(errno));
}

void OutputFile::discard() {
  std::erase(inPlaceNow, this);
  stream_ = StreamWriter();
  file_.reset();
  if (!temp_.empty()) {
    WritingFiles writing;
    SignalsHeld held;
    unlinkat(folder_->get(), temp_.c_str(), 0);
    pending_.noTemporary();
    temp_.clear();
  }
  folder_.reset();
  old_.reset();
  pending_ = PendingOutput();
  open_ = false;
}

}  // namespace rt
