// Loaded ahead of the C library by the tests, this reports the file
// attribute LESSON_FILE_FLAG names ("append-only" or "immutable") for the
// file or folder at the path LESSON_FLAGGED_PATH, as FS_IOC_GETFLAGS would
// after chattr +a or +i, which needs a privilege the tests may not have.
// Every other call, and every other file, is the kernel's.
#include <dlfcn.h>
#include <linux/fs.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The flag to report for `fd`, or 0.
int reported(int fd) {
  const char* path = std::getenv("LESSON_FLAGGED_PATH");
  const char* flag = std::getenv("LESSON_FILE_FLAG");
  if (!path || !flag) return 0;
  char at[4096];
  ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), at, sizeof at - 1);
  if (n < 0 || std::string(at, static_cast<size_t>(n)) != path) return 0;
  if (std::strcmp(flag, "append-only") == 0) return FS_APPEND_FL;
  if (std::strcmp(flag, "immutable") == 0) return FS_IMMUTABLE_FL;
  return 0;
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  using Real = int (*)(int, unsigned long, ...);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "ioctl"));
  int r = real(fd, request, arg);
  if (request == FS_IOC_GETFLAGS && r == 0)
    if (int flag = reported(fd)) *static_cast<int*>(arg) |= flag;
  return r;
}
