// The temporary names of the files of a run's own that are not in place
// yet, and the clearing of what dead runs left under such names.
//
// A temporary name is ".out-PID-XXXXXXXXXXXXXXXX.part": the run's process
// number, then 16 hexadecimal digits drawn at random, so that no one can
// put a file of that name in the run's way ahead of it.
#pragma once

#include <string>

namespace rt {

// A new temporary name.
std::string temporaryName();

// Clears, from the folder `folder` (a descriptor), what dead runs of this
// user left there under temporary names: a file that a SIGKILL stopped
// short of putting in place. Only a regular file of the user's whose name
// is exactly one a run writes, untouched for a minute, whose run is not a
// live process and which no process holds a lock on (flock, a record lock
// or an open file description's lock) is removed. Each folder is cleared
// once in a run.
void clearLeftovers(int folder);

// For a file of the run's own under a temporary name: takes the lock that
// tells the cleaners of other runs, from any process namespace, that it is
// a live run's.
void markLive(int fd);

}  // namespace rt
