// Loaded ahead of the C library by the tests, this makes a file's
// extended attributes fail as LESSON_ATTRIBUTE_FAULT names:
//   list-refused  no file takes an access list (setting
//                 system.posix_acl_access fails), as a file system that
//                 keeps none, or has no room for one, refuses it;
//   unreadable    no file's attributes can be listed, as where the file
//                 may not be opened and /proc is not there to reach it.
#include <dlfcn.h>
#include <sys/types.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool fault(const char* name) {
  const char* f = std::getenv("LESSON_ATTRIBUTE_FAULT");
  return f && std::strcmp(f, name) == 0;
}

template <typename Real>
Real real(const char* name) {
  return reinterpret_cast<Real>(dlsym(RTLD_NEXT, name));
}

bool refused(const char* key) {
  if (!fault("list-refused") || std::strcmp(key, "system.posix_acl_access") != 0) return false;
  errno = EOPNOTSUPP;
  return true;
}

bool unreadable() {
  if (!fault("unreadable")) return false;
  errno = EACCES;
  return true;
}

}  // namespace

extern "C" int fsetxattr(int fd, const char* key, const void* value, size_t size, int flags) {
  static auto next = real<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr");
  return refused(key) ? -1 : next(fd, key, value, size, flags);
}

extern "C" ssize_t flistxattr(int fd, char* list, size_t size) {
  static auto next = real<ssize_t (*)(int, char*, size_t)>("flistxattr");
  return unreadable() ? -1 : next(fd, list, size);
}

extern "C" ssize_t llistxattr(const char* path, char* list, size_t size) {
  static auto next = real<ssize_t (*)(const char*, char*, size_t)>("llistxattr");
  return unreadable() ? -1 : next(path, list, size);
}
