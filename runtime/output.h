// The files a run writes: the trace, the shots and the page. None of them
// ever replaces what it must not: a path that does not exist yet or names a
// regular file (also through a link, also one to nothing yet) is written
// beside the file it ends up as and renamed over it once complete, so no
// reader sees half a file; a device, a FIFO or another special file (also
// through a link) is written in place. What a path means is decided once,
// when the output is opened, and written through what was opened then.
#pragma once

#include <cstddef>
#include <string>

namespace rt {

class OutputFile {
 public:
  OutputFile() = default;
  // An output never committed leaves its target as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the output at `path`; false with error() set.
  bool open(const std::string& path);
  // Buffers; after the first failure, writes do nothing and return false.
  bool write(const char* data, size_t size);
  // Flushes, closes and puts the file in place; false with error() set.
  // Closed afterwards either way.
  bool commit();
  bool failed() const { return !error_.empty(); }
  // Marks the output failed for `why` (unless it failed already); false.
  bool fail(const std::string& why);
  // Why the output could not be written ("No space left on device").
  const std::string& error() const { return error_; }

 private:
  bool flush();
  bool fail();
  void discard();

  int fd_ = -1;
  std::string target_;  // the path the file ends up at
  std::string temp_;    // the file written beside it; "" when written in place
  std::string buffer_;
  std::string error_;
};

// A text from the command line as messages echo it: control characters,
// backslashes and broken UTF-8 escaped, and cut in the middle to 60
// characters with a note of its length, so that a message stays one line.
std::string shown(const std::string& text);

// What a path given for an output means, with its links followed.
struct OutputTarget {
  std::string file;      // the file that ends up holding the output
  std::string identity;  // equal for every path that ends up at one file
  std::string problem;   // why it cannot be written, or ""
};
// Checks before the run, so that a refused start creates nothing.
OutputTarget outputTarget(const std::string& path);
// Why the folder `dir` (created when missing) could not take outputs, or "".
std::string folderProblem(const std::string& dir);
// One text for every path naming the same file or folder, also one that
// does not exist yet.
std::string pathIdentity(const std::string& path);

}  // namespace rt
