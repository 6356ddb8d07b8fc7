// The files a run writes: the trace, the shots and the page.
//
// An output is written by the plan the check before the run decided (see
// targets.h), which holds to the end; what changes at the file's name
// after the check, the plan says what to do about:
//   in place   a device, a FIFO or a stream of the caller's (/dev/stdout)
//              is written where it is, through a StreamWriter. A FIFO is
//              opened once a reader has it open, waiting in short steps
//              until one does or a stop comes; what is opened is the FIFO
//              that was checked, or nothing.
//   new        a new file is written unnamed in its folder and linked to
//              its name once whole and on the disk. A name another file
//              has taken by then is taken back: the output replaces that
//              file, named as a replacement is, and keeps nothing of it.
//   replacing  a file that replaces a regular file takes the old file's
//              mode (but for the set-user-ID and set-group-ID bits), its
//              access list and extended attributes, and its owner where
//              the program may set it; once whole it is linked to a
//              temporary name and renamed over the old file. The old file
//              is the one at the name when the output is opened: where
//              none is there by then (or no regular file), there is
//              nothing to take after, and the output is made and named as
//              a new file is.
// Where the file system makes no unnamed files, or an unnamed file could
// not be named later (no /proc), the file is written under a temporary
// name from the start (see leftovers.h). So nothing of ours is ever
// visible half-written, and a run that is killed leaves nothing behind
// but what no program can prevent: SIGKILL in the moment a whole file has
// its temporary name, or any time for a file written under one.
//
// Until it is in place, the signal handlers know an output through its
// PendingOutput: an ending at once names it among the outputs left as
// they were, and removes its temporary file. A failed write gives the
// output up: a file never named leaves its target as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/pending.h"
#include "runtime/streams.h"
#include "runtime/targets.h"

namespace rt {

// A folder held open for outputs: the --shots folder.
class OutputFolder {
 public:
  OutputFolder() = default;
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  // Opens the folder the check found, making the folders missing on the
  // way; false with error() set.
  bool open(const OutputTarget& target);
  const std::string& error() const { return error_; }
  // Whether it failed for want of a descriptor.
  bool noDescriptor() const { return noDescriptor_; }
  // The run did not begin: removes the folders open() made, as long as
  // nothing was put in them since. The path of the outermost one left, or
  // "".
  std::string unmake();

 private:
  friend class OutputFile;
  int fd_ = -1;
  std::vector<std::string> parts_;  // its path from the root
  // The folders made, outermost first: the folder each was made in, held
  // open, its name there, and its path.
  struct Made {
    int in;
    std::string name, path;
  };
  std::vector<Made> made_;
  std::string error_;
  bool noDescriptor_ = false;
};

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the output the check found; `option` (--png) names it in the
  // line that says the run waits for a FIFO's reader, and `pending` to the
  // signal handlers until it is in place. False with error() set.
  bool open(const OutputTarget& target, const std::string& option, PendingHandle pending);
  // Opens `path`, checked now.
  bool open(const std::string& path);
  // Opens the file `name` in `folder` (a shot).
  bool open(const OutputFolder& folder, const std::string& name);
  // Buffers; after the first failure, writes do nothing and return false.
  bool write(const char* data, size_t size);
  // Flushes, puts the file in place and closes it; false with error()
  // set. Closed afterwards either way.
  bool commit();
  bool failed() const { return !error_.empty(); }
  // Marks the output failed for `why` (unless it failed already); false.
  bool fail(const std::string& why);
  // Why the output could not be written ("No space left on device").
  const std::string& error() const { return error_; }
  // Whether it failed for want of a descriptor.
  bool noDescriptor() const { return noDescriptor_; }

 private:
  friend void flushOutputsInPlace(const StreamWriter& to);
  bool openInPlace(const OutputTarget& t, const std::string& option);
  bool openFile(const OutputTarget& t);
  template <typename Make>
  bool nameTemporarily(Make make);
  bool flush();
  bool failWithErrno();
  bool publish();
  void discard();

  Plan plan_ = Plan::kNew;  // the check's, never changed
  // What a replacement replaces: the regular file at its name when it was
  // opened, as it was then; none for a new file, or where none was there.
  std::optional<struct stat> old_;
  bool open_ = false;
  StreamWriter stream_;             // in place: what it is written through
  Fd file_;                         // a file: unnamed, or under temp_
  std::shared_ptr<const Fd> folder_;  // a file: the folder it ends up in
  std::string name_;                // its name there
  std::string temp_;                // the temporary name it has, or ""
  PendingOutput pending_;
  std::string buffer_;
  std::string error_;
  bool noDescriptor_ = false;
};

// Writes what the outputs written in place to where `to` writes hold, so
// that a line written there next comes after theirs.
void flushOutputsInPlace(const StreamWriter& to);

}  // namespace rt
