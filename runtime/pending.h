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

// An output's record, owned by the output: all that the handlers know of
// it, in one of these states, each changed to with the signals held:
//   as before      reserved: named among the outputs left as they were
//                  before the run (with "", a shot, named by no option);
//   temporary      its file is under a temporary name, which an ending at
//                  once removes; still named as left as before;
//   named          in place under its name, or written where it is: no
//                  longer named, nothing to remove;
//   given up       it failed: named as left as before, even once the
//                  record goes.
// When the record goes, the handlers no longer know the output, but one
// given up.
class PendingOutput {
 public:
  PendingOutput() = default;
  explicit PendingOutput(PendingHandle handle) : slot_(handle.slot_) {}
  ~PendingOutput();
  PendingOutput(PendingOutput&& other) noexcept;
  PendingOutput& operator=(PendingOutput&& other) noexcept;

  // The file of ours under the temporary name `name` in `folder`.
  void temporary(int folder, const std::string& name);
  // The temporary file was removed: as before again.
  void noTemporary();
  // In place, or written where it is.
  void named();
  // It failed.
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
