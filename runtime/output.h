// The files a run writes: the trace, the shots and the page. None of them
// ever replaces what it must not: a path that does not exist yet or names a
// regular file (also through a link) is written beside it and renamed over
// it once complete, so no reader sees half a file; a device, a FIFO or
// another special file (also through a link) is written in place.
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

// Why an output could not be written at `path`, or "" when it can; checks
// before the run, so that a refused start creates nothing.
std::string outputProblem(const std::string& path);
// Why the folder `dir` (created when missing) could not take outputs, or "".
std::string folderProblem(const std::string& dir);
// One text for every path naming the same file, also one that does not
// exist yet: two outputs with equal identities would overwrite each other.
std::string outputIdentity(const std::string& path);

}  // namespace rt
