// The files a run writes: the trace, the shots and the page.
//
// A path is resolved once, when the output is opened, component by
// component and with every link followed by the program itself. A link in
// a shared folder (sticky and writable by all, such as /tmp) is followed
// only when it belongs to the user running the program or to the folder's
// owner, whatever the machine's own setting. The folder the file ends up in
// is held open from then on, so what the path means cannot change under
// the run.
//
// A new file, or one that replaces a regular file, is written as an
// unnamed file in that folder and given its name only once complete, so
// nothing of ours is ever visible half-written. A run that is killed leaves
// nothing behind but for what no program can prevent: a SIGKILL in the
// moment between giving a whole file that replaces another its temporary
// name ".out-PID-N.part" and renaming it over that file leaves the
// temporary name (and where the file system makes no unnamed files, every
// output not in place yet has such a name, complete or not). A run clears
// the leftovers of the same user's dead runs, once a minute old, from the
// folders it writes into. A device, a FIFO or a stream of the program's
// own (/dev/stdout) is written in place; a FIFO that another user put in a
// shared folder is refused, as a link there is.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace rt {

// A folder held open for outputs: the --shots folder.
class OutputFolder {
 public:
  OutputFolder() = default;
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  // Opens the folder at `path`, making the folders missing on the way;
  // false with error() set.
  bool open(const std::string& path);
  const std::string& error() const { return error_; }
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
};

// One output file. Its life:
//   checked   before the run, outputTarget() says whether it can be written
//             (the command line is refused when not);
//   opened    at the start of the run, in one of the states below;
//   written   through a buffer; a failed write gives the output up;
//   in place  at commit(): a file gets its name only now, whole and on
//             the disk, and in the same step the signal handlers stop
//             naming it among the outputs left as they were;
//   given up  on a failure, or when it is dropped before commit(): a file
//             never named leaves its target as it was; one given up for a
//             failure stays named to the handlers among the outputs left
//             as they were.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the output at `path`, a relative path taken from `in` when one
  // is given; `option` (--png) names it in messages and to the signal
  // handlers until it is in place. A FIFO waits for its reader, saying so,
  // until a stop. False with error() set.
  bool open(const std::string& path, const std::string& option = "", const OutputFolder* in = nullptr);
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

  enum class State {
    kClosed,     // not open, committed or given up
    kInPlace,    // a device, a FIFO or a stream of the program's own,
                 // written where it is
    kNew,        // a new file, written unnamed, linked to its name once whole
    kReplacing,  // replaces a regular file: written unnamed, linked to a
                 // temporary name once whole, then renamed over the file
    kTemporary,  // has a temporary name (where the file system makes no
                 // unnamed files, or on the way to replacing), renamed to
                 // its name once whole
  };

 private:
  bool flush();
  bool fail();
  bool openInPlace(int folder, const std::string& name, const struct stat& found, const std::string& path,
                   const std::string& option);
  bool openBeside(State state, uid_t uid, gid_t gid, mode_t mode);
  template <typename Make>
  bool nameTemporarily(Make make);
  bool link(const std::string& name);
  bool publish();
  void discard();

  State state_ = State::kClosed;
  int fd_ = -1;
  size_t piece_ = 0;      // kInPlace: the most written at once
  int folder_ = -1;       // a file: the folder it ends up in
  std::string name_;      // its name there
  std::string temp_;      // kTemporary: the name it has until it is in place
  int slot_ = -1;         // what the signal handlers know of it
  bool named_ = false;    // the handlers name it by its option
  std::string buffer_;
  std::string error_;
};

// What a path given for an output means, with its links followed; the
// checks made before the run, so that a refused start creates nothing.
struct OutputTarget {
  std::string file;      // the path of the file that ends up holding the output
  std::string folder;    // the path of the folder it is in
  // Equal for every path that ends up at one file; "" for a device that
  // throws away what is written (/dev/null), which any number may share.
  std::string identity;
  std::string problem;   // why it cannot be written, or ""
  // With the problem that a folder is missing: the path of that folder,
  // when it is the only part of the path missing besides the file's name.
  std::string missingFolder;
  bool inPlace = false;  // written where it is: a device, a FIFO, a stream
};
OutputTarget outputTarget(const std::string& path);
// What a path given for the --shots folder means: `file` is the folder's
// path, `identity` and `problem` as above (folders it lacks are made).
OutputTarget folderTarget(const std::string& path);

}  // namespace rt
