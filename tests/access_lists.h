// Access lists and extended attributes of files, as the tests set and
// read them.
#pragma once

#include <sys/xattr.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace access_lists {

constexpr const char* kAccess = "system.posix_acl_access";
constexpr const char* kDefault = "system.posix_acl_default";

enum Tag : uint16_t { kOwner = 0x01, kUser = 0x02, kGroup = 0x04, kNamedGroup = 0x08, kMask = 0x10, kOther = 0x20 };

struct Entry {
  uint16_t tag, perm;
  uint32_t id = 0xffffffff;  // none, but for a named user or group
};

// An access list as the kernel keeps it: a version, then each entry's
// tag, permissions and id, little-endian.
inline std::string accessList(std::initializer_list<Entry> entries) {
  std::string out;
  auto add = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
  };
  add(2, 4);
  for (const Entry& e : entries) add(e.tag, 2), add(e.perm, 2), add(e.id, 4);
  return out;
}

// An extended attribute of the file, or "" when it has none.
inline std::string attribute(const std::string& file, const char* name) {
  ssize_t size = ::getxattr(file.c_str(), name, nullptr, 0);
  if (size <= 0) return "";
  std::string value(static_cast<size_t>(size), '\0');
  size = ::getxattr(file.c_str(), name, value.data(), value.size());
  value.resize(size > 0 ? static_cast<size_t>(size) : 0);
  return value;
}

}  // namespace access_lists
