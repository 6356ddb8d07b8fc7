#include "runtime/file_attributes.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/targets.h"

namespace rt {

namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

// The attributes a replacement takes over: the notes users keep, the
// access list, and the label a security module keeps on the file. Left
// out are the ones that vouch for the old contents or grant them more
// (security.ima, security.evm, security.capability, and the labels a
// program run from the file takes, security.SMACK64EXEC and MMAP), every
// trusted.* (trusted.overlay.* among them: only root sees them, and what
// they mean only the program that set them knows), and any kind not
// named here.
bool carriedOver(const char* key) {
  static const char* const kLabels[] = {kAccessList, "security.selinux", "security.SMACK64", "security.apparmor"};
  if (std::strncmp(key, "user.", 5) == 0) return true;
  for (const char* label : kLabels)
    if (std::strcmp(key, label) == 0) return true;
  return false;
}

// An access list as the file system keeps it: a version (4 bytes), then
// entries of a tag (2 bytes), permissions (2) and an id (4).
enum Tag : uint16_t { kOwner = 0x01, kUser = 0x02, kGroup = 0x04, kNamedGroup = 0x08, kMask = 0x10, kOther = 0x20 };

// Calls `each(tag, permissions)` on every entry of `list`, which it may
// change.
template <typename Each>
void forEachEntry(std::string& list, Each each) {
  for (size_t at = 4; at + 8 <= list.size(); at += 8) {
    uint16_t tag, perm;
    std::memcpy(&tag, list.data() + at, 2);
    std::memcpy(&perm, list.data() + at + 2, 2);
    each(tag, perm);
    std::memcpy(list.data() + at + 2, &perm, 2);
  }
}

// What the old file let each kind of user do, as three bits each: its
// owner, its group, the others, and the least that any user or group the
// access list names got (7 when it names none), the list's mask applied.
struct Access {
  unsigned owner, group, other, namedUsers = 7, namedGroups = 7;
};

Access fromMode(mode_t mode) { return {(mode >> 6) & 7u, (mode >> 3) & 7u, mode & 7u}; }

Access fromList(std::string list, mode_t mode) {
  Access a = fromMode(mode);
  unsigned mask = 7;
  forEachEntry(list, [&](uint16_t tag, uint16_t perm) {
    unsigned p = perm & 7u;
    switch (tag) {
      case kOwner: a.owner = p; break;
      case kUser: a.namedUsers &= p; break;
      case kGroup: a.group = p; break;
      case kNamedGroup: a.namedGroups &= p; break;
      case kMask: mask = p; break;
      case kOther: a.other = p; break;
    }
  });
  a.group &= mask, a.namedUsers &= mask, a.namedGroups &= mask;
  return a;
}

// The mode a file with the access list `list` has.
mode_t modeOf(std::string list) {
  unsigned owner = 0, group = 0, mask = 8, other = 0;
  forEachEntry(list, [&](uint16_t tag, uint16_t perm) {
    if (tag == kOwner) owner = perm & 7u;
    if (tag == kGroup) group = perm & 7u;
    if (tag == kMask) mask = perm & 7u;
    if (tag == kOther) other = perm & 7u;
  });
  return static_cast<mode_t>(owner << 6 | (mask < 8 ? mask : group) << 3 | other);
}

// The mode of a file without an access list that lets no one do more than
// `was` did. Anyone the old list named apart, or its group's entry, may
// have been shut out of what the mode's group and other bits show, so the
// new group and the others get no more than those entries gave. Where the
// group is another one (`groupKept` false), a user of either group may
// now be among the others or the new group's members: both get only what
// the old group and the others both had.
mode_t withoutList(const Access& was, bool groupKept) {
  unsigned group = was.group & was.namedUsers, other = was.other & was.namedUsers & was.namedGroups;
  if (!groupKept) group = other = group & other;
  return static_cast<mode_t>(was.owner << 6 | group << 3 | other);
}

// Reads what `read` gives (a call that says how much it has when given
// no room) into `out`; false with errno set when it failed.
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
  // The group first, while the new file lets no one in but the program:
  // an owner may give its file a group it is in, root any group.
  struct stat made;
  bool groupKept = (fstat(fd, &made) == 0 && made.st_gid == old.st_gid) ||
                   fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;

  // Read through the old file itself, or, when the user may not open it,
  // by its path through /proc.
  Fd source(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
  int from = source.get();
  std::string keys;
  bool listed = readWhole(keys, [&](char* to, size_t size) {
    return from >= 0 ? flistxattr(from, to, size) : llistxattr(path.c_str(), to, size);
  });
  // Where the file system keeps no attributes, there is no access list.
  bool known = listed || errno == ENOTSUP;
  if (!listed) keys.clear();
  bool hasList = false;
  std::string list;
  for (size_t at = 0; at < keys.size(); at += std::strlen(keys.c_str() + at) + 1) {
    const char* key = keys.c_str() + at;
    if (!carriedOver(key)) continue;
    bool isList = std::strcmp(key, kAccessList) == 0;
    std::string value;
    if (!readWhole(value, [&](char* to, size_t size) {
          return from >= 0 ? fgetxattr(from, key, to, size) : lgetxattr(path.c_str(), key, to, size);
        })) {
      if (isList && errno != ENODATA) known = false;
      continue;
    }
    if (isList) {
      hasList = true;
      list = std::move(value);
    } else {
      (void)fsetxattr(fd, key, value.data(), value.size(), 0);
    }
  }

  // An access list that could not be read may have shut out the group,
  // or any user or group it names, whatever the mode's group and other
  // bits show: the new file is then the owner's alone.
  Access was = hasList ? fromList(list, old.st_mode) : fromMode(old.st_mode);
  if (!known) was.group = was.other = was.namedUsers = was.namedGroups = 0;
  mode_t mode = withoutList(was, groupKept);
  bool listGiven = false;
  if (hasList) {
    // With another group, the new group's entry gives no more than any
    // group's entry and the others did, and the others get no more than
    // the old group did: a user of either group may now be in the other.
    if (!groupKept)
      forEachEntry(list, [&](uint16_t tag, uint16_t& perm) {
        if (tag == kGroup) perm &= static_cast<uint16_t>(was.namedGroups & was.other);
        if (tag == kOther) perm &= static_cast<uint16_t>(was.group);
      });
    listGiven = fsetxattr(fd, kAccessList, list.data(), list.size(), 0) == 0;
    if (listGiven) mode = modeOf(list);
  }
  // Without the old list, none: not one the folder's default list gave
  // the new file.
  if (!listGiven && fremovexattr(fd, kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP) return false;
  if (fchmod(fd, mode) != 0) return false;
  // The owner last: once it is another's, the program may not change the
  // mode.
  if (old.st_uid != geteuid()) (void)fchown(fd, old.st_uid, static_cast<gid_t>(-1));
  return true;
}

}  // namespace rt
