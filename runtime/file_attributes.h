// What a file that replaces another takes over from it.
//
// The rule it keeps: a replacement never lets anyone read (or write) who
// could not before. What cannot be carried over is narrowed, never left
// wider: where the group cannot be kept, neither the new group nor the
// others get more than the old group and the others both had; where the
// access list cannot be set, neither gets more than any entry that may
// have stood for one of them gave; where it cannot be read, the file is
// its owner's alone. Until then the new file lets no one in but the
// program.
#pragma once

#include <sys/stat.h>

#include <string>

namespace rt {

// Gives the new file `fd`, made by the program with no access but its
// own, what the file `name` in `folder`, found as `old`, has:
// - its group, where the program may set it; where not, the new group and
//   the others get only what the old group and the others both had;
// - its access list, where it can be read and the file system takes it,
//   and otherwise none (not one the folder's default list gave the new
//   file): the group and the others then get no more than any entry that
//   may have stood for them gave, and the file is its owner's alone when
//   the old list could not be read;
// - its user.* attributes and its security label (security.selinux,
//   security.SMACK64, security.apparmor), where they can be read and set;
//   never the attributes that vouch for the old contents or grant them
//   more (security.ima, security.evm, security.capability, every trusted.*
//   such as trusted.overlay.*), nor any other kind;
// - its mode, but for the set-user-ID and set-group-ID bits;
// - last, its owner, where the program may set it.
// False with errno set when the mode could not be given, or a default
// access list the folder gave the new file could not be taken off.
bool takeOverAttributes(int fd, int folder, const std::string& name, const struct stat& old);

}  // namespace rt
