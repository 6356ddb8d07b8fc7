// What a path given for an output means, found once, before the run: the
// checks that refuse a start which would fail, and what the output is
// then opened from.
//
// A path is followed component by component, with every link followed by
// the program itself. A link in a shared folder (sticky and writable by
// all, such as /tmp) is followed only when it belongs to the user running
// the program or to the folder's owner, whatever the machine's own
// setting; a FIFO there likewise is written, and a file replaced, only
// when it is theirs, for root too. The folder the file ends up in is held
// open from then on, and so is a FIFO or a character device written in
// place, so that what the path means cannot change under the run. What
// the run does not write is refused: a socket, a block device, any other
// special file; a listening or unconnected socket as a stream; a terminal
// for binary data; a file marked append-only or immutable, or one in a
// folder marked append-only, which could not be replaced.
#pragma once

#include <sys/stat.h>

#include <cerrno>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rt {

// A descriptor closed with the object.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) reset(std::exchange(o.fd_, -1));
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1);

 private:
  int fd_;
};

// How an output is written: decided by the check alone, and carried out
// as it is by OutputFile, which tells what each plan does when the file's
// name changes after the check (output.h).
enum class Plan {
  kInPlace,    // a character device, a FIFO or a stream of the caller's, where it is
  kNew,        // a new file, given its name once whole
  kReplacing,  // replaces a regular file once whole
};

struct OutputTarget {
  std::string file;      // the path of the file that ends up holding the output
  std::string folder;    // the path of the folder it is in
  // Equal for every path that ends up at one file; "" for a device that
  // throws away what is written (/dev/null), which any number may share.
  std::string identity;
  std::string problem;   // why it cannot be written, or ""
  // The problem is that no descriptor was to be had (the process's or the
  // system's table is full): no fault of the command line's.
  bool noDescriptor = false;
  // With the problem that a folder is missing: the path of that folder,
  // when it is the only part of the path missing besides the file's name.
  std::string missingFolder;
  bool inPlace() const { return problem.empty() && plan == Plan::kInPlace; }

  // What the output is opened from.
  Plan plan = Plan::kNew;
  std::shared_ptr<const Fd> at;     // the deepest folder found, held open
  std::vector<std::string> parts;   // its path from the root
  std::vector<std::string> missing; // what of the path is not there, below it
  std::string name;                 // the file's name in `at`
  struct stat found {};             // what the file was when checked
  std::shared_ptr<const Fd> held;   // a FIFO or a device, held from the check on
  int stream = -1;                  // the caller's descriptor, for a stream
  bool binary = false;              // binary data (a PNG): no terminal takes it
};

// `path` for a file output, a relative one from the folder `inFd` at
// `inParts` when one is given (else from the current folder).
OutputTarget outputTarget(const std::string& path, int inFd = -1, const std::vector<std::string>& inParts = {});
// `path` for the --shots folder: `file` is the folder's path (folders it
// lacks are made), `identity` and `problem` as above.
OutputTarget folderTarget(const std::string& path);

// The outputs of a run, as its command line gave them ("" for none).
struct OutputTargets {
  OutputTarget png, trace, shots;
};
OutputTargets outputTargets(const std::string& png, const std::string& trace, const std::string& shots);

// Why binary data is not written to `fd` when it is a terminal (`what`
// names it: "it", "the standard output"), or "".
std::string terminalRefuses(int fd, const std::string& what);
// Checks the folder of `shots`, when it is there already and has no
// problem yet: an entry under a name `taken` says a shot takes must be (or
// lead to) what a shot writes without failing or waiting: a regular file
// the run may replace, a new file, a character device or a stream; not a
// folder, nor a FIFO, which would hold the run until a reader came. Else
// sets the problem.
void checkShotNames(OutputTarget& shots, bool (*taken)(const std::string&));

// Whether `error` (an errno) says that no descriptor was to be had.
inline bool outOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

// The path of a folder from the root, by its components.
std::string pathOf(const std::vector<std::string>& parts);
// The name of the user `uid`, for messages.
std::string userName(uid_t uid);

}  // namespace rt
