// What the signal handlers know of the outputs not in place yet: which
// options they stand for (--png, --trace), to name them in the line of an
// ending at once, and the temporary name of a file of ours that is not
// complete, to remove it then. The handlers read it without locks; it is
// changed only with the signals held.
#pragma once

#include <cstddef>
#include <string>

namespace rt {

// An output's place in the record, reserved when the run starts so that
// an ending at once before the output is opened names it too.
class PendingHandle {
 public:
  PendingHandle() = default;
  // The output of `option`, or, with "", a file named by no option (a
  // shot), whose temporary name alone is recorded.
  static PendingHandle reserve(const std::string& option);

 private:
  friend class PendingOutput;
  int slot_ = -1;
};

// An output's record, owned by the output. When it goes, the handlers no
// longer know the output, unless it was given up for a failure: then they
// go on naming it among those left as they were before the run.
class PendingOutput {
 public:
  PendingOutput() = default;
  explicit PendingOutput(PendingHandle handle) : slot_(handle.slot_) {}
  ~PendingOutput();
  PendingOutput(PendingOutput&& other) noexcept;
  PendingOutput& operator=(PendingOutput&& other) noexcept;

  // The file of ours under the temporary name `name` in `folder`.
  void temporary(int folder, const std::string& name);
  void noTemporary();
  // The output is in place (or written where it is): not as it was before
  // the run.
  void inPlace();
  // The output failed: named as left as it was even once this goes, when
  // an option names it.
  void failed();

 private:
  int slot_ = -1;
  bool keep_ = false;
};

// For a handler: adds the options of the outputs not in place yet to
// `line` (`used` of `size` bytes used), each after `first` or ", ".
void addPendingOptions(char* line, size_t& used, size_t size, const char* first);
// For a handler: removes every temporary file recorded.
void removeTemporaries();

}  // namespace rt
