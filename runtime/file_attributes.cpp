#include "runtime/file_attributes.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/targets.h"

namespace rt {

namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

// The group's permissions in an access list as the file system keeps it
// (a version, then entries of a tag, permissions and an id), as mode
// bits; all of them when it names none.
mode_t groupEntry(const std::string& list) {
  constexpr uint16_t kGroupObject = 0x04;
  for (size_t at = 4; at + 8 <= list.size(); at += 8) {
    uint16_t tag, perm;
    std::memcpy(&tag, list.data() + at, 2);
    std::memcpy(&perm, list.data() + at + 2, 2);
    if (tag == kGroupObject) return static_cast<mode_t>((perm & 7) << 3);
  }
  return S_IRWXG;
}

// Reads what `read` gives (a call that says how much it has when given
// no room) into `out`; false when it failed.
template <typename Read>
bool readWhole(std::string& out, Read read) {
  for (;;) {
    ssize_t n = read(nullptr, 0);
    if (n < 0) return false;
    out.resize(static_cast<size_t>(n));
    n = read(out.data(), out.size());
    if (n >= 0) {
      out.resize(static_cast<size_t>(n));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

}  // namespace

bool takeOverAttributes(int fd, int folder, const std::string& name, const struct stat& old) {
  // Read through the old file itself, or, when the user may not open it,
  // by its path through /proc.
  Fd source(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
  int from = source.get();
  std::string keys;
  if (!readWhole(keys, [&](char* to, size_t size) {
        return from >= 0 ? flistxattr(from, to, size) : llistxattr(path.c_str(), to, size);
      }))
    keys.clear();
  mode_t mode = old.st_mode & 0777;
  bool hadList = false;
  for (size_t at = 0; at < keys.size(); at += std::strlen(keys.c_str() + at) + 1) {
    const char* key = keys.c_str() + at;
    std::string value;
    if (!readWhole(value, [&](char* to, size_t size) {
          return from >= 0 ? fgetxattr(from, key, to, size) : lgetxattr(path.c_str(), key, to, size);
        }))
      continue;
    bool list = std::strcmp(key, kAccessList) == 0;
    hadList |= list;
    // A list the new file cannot take: its group gets no more than the
    // list gave the old file's group.
    if (fsetxattr(fd, key, value.data(), value.size(), 0) != 0 && list)
      mode = (mode & ~S_IRWXG) | (mode & groupEntry(value));
  }
  // Not one the folder's default list gave the new file.
  if (!hadList) fremovexattr(fd, kAccessList);
  if (fchmod(fd, mode) != 0) return false;
  // The mode first, while the file is still the program's own.
  if (old.st_uid != geteuid() || old.st_gid != getegid()) (void)fchown(fd, old.st_uid, old.st_gid);
  return true;
}

}  // namespace rt
