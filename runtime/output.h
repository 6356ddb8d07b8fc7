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
// nothing of ours is ever visible half-written, and a run that is killed
// leaves nothing behind. A device, a FIFO or a stream of the program's own
// (/dev/stdout) is written in place.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
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

 private:
  friend class OutputFile;
  int fd_ = -1;
  std::vector<std::string> parts_;  // its path from the root
  std::string error_;
};

class OutputFile {
 public:
  OutputFile() = default;
  // An output never committed leaves its target as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the output at `path`, a relative path taken from `in` when one
  // is given; `option` (--png) names it to the signal handlers until it is
  // in place. False with error() set.
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

 private:
  enum class How { kNone, kUnnamed, kNamed, kInPlace };
  bool flush();
  bool fail();
  bool openBeside(bool replace, uid_t uid, gid_t gid, mode_t mode);
  bool link(const std::string& name);
  bool publish();
  void discard();

  How how_ = How::kNone;
  int fd_ = -1;
  int folder_ = -1;    // kUnnamed, kNamed: the folder the file ends up in
  std::string name_;   // its name there
  std::string temp_;   // the name it has while not complete, or ""
  bool replace_ = false;
  int slot_ = -1;      // what the signal handlers know of it
  std::string buffer_;
  std::string error_;
};

// A text from the command line as messages echo it: control characters,
// backslashes and broken UTF-8 escaped, and cut in the middle to 60
// characters with a note of its length, so that a message stays one line.
std::string shown(const std::string& text);

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
};
OutputTarget outputTarget(const std::string& path);
// What a path given for the --shots folder means: `file` is the folder's
// path, `identity` and `problem` as above (folders it lacks are made).
OutputTarget folderTarget(const std::string& path);

}  // namespace rt
