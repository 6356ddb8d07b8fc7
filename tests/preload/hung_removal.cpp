// Loaded ahead of the C library by the tests, this makes the file system
// hang, as a network or user-space one may, when a file whose name starts
// with ".out-" (a run's temporary name) is removed: the call never
// returns.
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>

namespace {

bool temporary(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return std::strncmp(slash ? slash + 1 : path, ".out-", 5) == 0;
}

[[noreturn]] void hang() {
  for (;;) pause();
}

}  // namespace

extern "C" int unlinkat(int folder, const char* path, int flags) {
  if (temporary(path)) hang();
  using Real = int (*)(int, const char*, int);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "unlinkat"));
  return real(folder, path, flags);
}

extern "C" int unlink(const char* path) {
  if (temporary(path)) hang();
  using Real = int (*)(const char*);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "unlink"));
  return real(path);
}
