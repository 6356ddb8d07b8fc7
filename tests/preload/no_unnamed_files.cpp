// Loaded ahead of the C library by the tests, this makes the file system
// refuse unnamed files, as some do, so that a test can see the outputs
// written under a temporary name instead.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

extern "C" int openat(int folder, const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  using Real = int (*)(int, const char*, int, ...);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "openat"));
  return real(folder, path, flags, mode);
}
