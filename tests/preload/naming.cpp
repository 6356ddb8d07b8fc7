// Loaded ahead of the C library by the tests, this watches a run give its
// files their names:
//   LESSON_NAMING_LOG  a file that gets a line for each call that puts a
//                      file's data on the disk ("sync DEV:INO") and for
//                      each link or rename that names a file ("name NAME
//                      DEV:INO"), in the order they are made;
//   LESSON_NAME_TAKEN  a file name: just before a file is first linked or
//                      renamed to it, while it is not there, another file
//                      ("theirs") takes it, as another program may between
//                      the run's check and its naming ("taken NAME
//                      DEV:INO" in the log).
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// One line appended to the log, in a single write.
void note(const char* what, const char* name, const struct stat& st) {
  const char* log = std::getenv("LESSON_NAMING_LOG");
  if (!log) return;
  int saved = errno;
  char line[512];
  int n = std::snprintf(line, sizeof line, "%s%s%s %llu:%llu\n", what, name ? " " : "", name ? name : "",
                        static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
  int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd >= 0) {
    if (write(fd, line, static_cast<size_t>(n)) != n) {
    }
    close(fd);
  }
  errno = saved;
}

const char* base(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

std::atomic<bool> taken{false};

// Another file takes `name` in `folder`, once.
void takeName(int folder, const char* name) {
  const char* wanted = std::getenv("LESSON_NAME_TAKEN");
  if (!wanted || std::strcmp(base(name), wanted) != 0 || taken) return;
  int saved = errno;
  int fd = openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  struct stat st;
  if (fd >= 0) {
    taken = true;
    if (write(fd, "theirs", 6) != 6) {
    }
    if (fstat(fd, &st) == 0) note("taken", base(name), st);
    close(fd);
  }
  errno = saved;
}

void synced(int result, int fd) {
  struct stat st;
  if (result == 0 && fstat(fd, &st) == 0) note("sync", nullptr, st);
}

}  // namespace

extern "C" int fdatasync(int fd) {
  static auto real = next<int (*)(int)>("fdatasync");
  int r = real(fd);
  synced(r, fd);
  return r;
}

extern "C" int fsync(int fd) {
  static auto real = next<int (*)(int)>("fsync");
  int r = real(fd);
  synced(r, fd);
  return r;
}

extern "C" int linkat(int from, const char* fromPath, int to, const char* toPath, int flags) {
  static auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
  struct stat st;
  bool known = (flags & AT_EMPTY_PATH) && !*fromPath
                   ? fstat(from, &st) == 0
                   : fstatat(from, fromPath, &st, flags & AT_SYMLINK_FOLLOW ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
  takeName(to, toPath);
  int r = real(from, fromPath, to, toPath, flags);
  if (r == 0 && known) note("name", base(toPath), st);
  return r;
}

extern "C" int renameat(int from, const char* fromPath, int to, const char* toPath) {
  static auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
  struct stat st;
  bool known = fstatat(from, fromPath, &st, AT_SYMLINK_NOFOLLOW) == 0;
  takeName(to, toPath);
  int r = real(from, fromPath, to, toPath);
  if (r == 0 && known) note("name", base(toPath), st);
  return r;
}
