// Loaded ahead of the C library by the tests, this refuses to link a file
// by its descriptor alone (linkat with AT_EMPTY_PATH) as a kernel does that
// asks a privilege for it, so that a test can see the outputs named where
// /proc is not there to link them through either.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>

extern "C" int linkat(int from, const char* fromPath, int to, const char* toPath, int flags) {
  if (flags & AT_EMPTY_PATH) {
    errno = ENOENT;
    return -1;
  }
  using Real = int (*)(int, const char*, int, const char*, int);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "linkat"));
  return real(from, fromPath, to, toPath, flags);
}
