// What a run killed outright leaves in a folder, and how the next run into
// the folder clears it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// Last: it ends with the X headers, whose macros (None, Bool) clash with the others.
#include "tests/runtime/run_harness.h"

namespace {

using namespace run_harness;

// A dead run's leftover: a file under a temporary name that a SIGKILL kept
// from being put in place. The next run that writes into the folder clears
// it once it is a minute old and its run is gone, also when its mode lets
// nobody read it; what may still be a live run's (its number is a live
// process, or any lock is held on it), another user's, not a regular file,
// or not exactly of that name stays.
TEST(Endings, ADeadRunsLeftoversAreClearedByTheNextRunIntoTheFolder) {
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  waitpid(dead, nullptr, 0);
  bool root = geteuid() == 0;
  Folder f("leftovers");
  fs::create_directories(f.dir / "shots");
  // The folder of a run of nobody's, which clears nobody's leftovers.
  fs::create_directories(f.dir / "theirs");
  ASSERT_EQ(chmod(f.dir.c_str(), 0755), 0);
  if (root) {
    ASSERT_EQ(chown((f.dir / "theirs").c_str(), kNobody, kNogroup), 0);
  }
  enum Kind { kFile, kFifo, kFolder, kLink };
  enum Lock {
    kNoLock,
    kRecord,       // a write lock of its open file, as a live run in another process namespace holds
    kShared,       // flock(LOCK_SH), from this process
    kOtherReader,  // a POSIX read lock, from another process
  };
  struct Case {
    const char* name;
    std::string file;  // in the folder
    bool nobodys;      // nobody owns it; in theirs/, nobody's run is the one to clear it
    int minutesOld;
    bool cleared;
    Lock lock = kNoLock;
    mode_t mode = 0644;
    Kind kind = kFile;
  };
  // The run's number, then 16 lowercase hexadecimal digits, here told
  // apart by the last two.
  auto part = [](pid_t pid, int n) {
    char tail[17];
    std::snprintf(tail, sizeof tail, "0123456789abcd%02x", n);
    return ".out-" + std::to_string(pid) + "-" + tail + ".part";
  };
  std::string d = std::to_string(dead), hex = "0123456789abcdef";
  long pidMax = std::stol(slurp("/proc/sys/kernel/pid_max"));
  const std::string other = ".out-" + d + "-x.part";
  const Case cases[] = {
      {"a dead run's, beside an output", part(dead, 1), false, 2, true},
      {"a dead run's, among the shots", "shots/" + part(dead, 2), false, 2, true},
      {"a live run's", part(getpid(), 3), false, 2, false},
      {"a dead run's, touched within the minute", part(dead, 4), false, 0, false},
      {"another user's", part(dead, 5), true, 2, !root},
      {"not a temporary name", other, false, 2, false},
      {"a live run's in another process namespace", part(dead, 6), false, 2, false, kRecord},
      // Names the program never makes.
      {"a number with a leading zero", ".out-0" + d + "-" + hex + ".part", false, 2, false},
      {"a number above the system's largest", ".out-" + std::to_string(pidMax + 1) + "-" + hex + ".part", false, 2,
       false},
      {"the number 0", ".out-0-" + hex + ".part", false, 2, false},
      {"15 digits", ".out-" + d + "-" + hex.substr(1) + ".part", false, 2, false},
      {"17 digits", ".out-" + d + "-" + hex + "0.part", false, 2, false},
      {"upper-case digits", ".out-" + d + "-0123456789ABCDEF.part", false, 2, false},
      // A lock of any kind is a live run's.
      {"held by a shared flock", part(dead, 7), false, 2, false, kShared},
      {"held by another process's read lock", part(dead, 8), false, 2, false, kOtherReader},
      // Not a file the program makes.
      {"a FIFO", part(dead, 9), false, 2, false, kNoLock, 0644, kFifo},
      {"a folder", part(dead, 10), false, 2, false, kNoLock, 0755, kFolder},
      {"a link to an old file of the user's", part(dead, 11), false, 2, false, kNoLock, 0777, kLink},
      // A leftover keeps the mode of the file it was to replace: one its
      // owner may not read is cleared too.
      {"a dead run's of mode 0200", part(dead, 12), false, 2, true, kNoLock, 0200},
      {"a dead run's of mode 0000", part(dead, 13), false, 2, true, kNoLock, 0000},
      {"nobody's of mode 0200, in nobody's folder", "theirs/" + part(dead, 14), true, 2, root, kNoLock, 0200},
      {"nobody's of mode 0000, in nobody's folder", "theirs/" + part(dead, 15), true, 2, root, kNoLock, 0000},
  };
  std::vector<int> held;
  std::vector<pid_t> lockers;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path p = f.dir / c.file;
    if (c.kind == kFile) put(p, "a whole file");
    if (c.kind == kFifo) {
      ASSERT_EQ(mkfifo(p.c_str(), c.mode), 0);
    }
    if (c.kind == kFolder) fs::create_directory(p);
    if (c.kind == kLink) fs::create_symlink(other, p);
    if (c.lock == kRecord) {
      held.push_back(open(p.c_str(), O_WRONLY | O_CLOEXEC));
      struct flock l {};
      l.l_type = F_WRLCK;
      l.l_whence = SEEK_SET;
      ASSERT_EQ(fcntl(held.back(), F_OFD_SETLK, &l), 0);
    } else if (c.lock == kShared) {
      held.push_back(open(p.c_str(), O_RDONLY | O_CLOEXEC));
      ASSERT_EQ(flock(held.back(), LOCK_SH), 0);
    } else if (c.lock == kOtherReader) {
      int ready[2];
      ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
      pid_t locker = fork();
      if (locker == 0) {
        int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
        struct flock l {};
        l.l_type = F_RDLCK;
        l.l_whence = SEEK_SET;
        if (fd >= 0 && fcntl(fd, F_SETLK, &l) == 0 && write(ready[1], "x", 1) == 1)
          for (;;) pause();
        _exit(1);
      }
      ASSERT_GT(locker, 0);
      lockers.push_back(locker);
      close(ready[1]);
      char x;
      ASSERT_EQ(read(ready[0], &x, 1), 1) << "the lock was not taken";
      close(ready[0]);
    }
    if (c.nobodys && root) {
      ASSERT_EQ(lchown(p.c_str(), kNobody, kNogroup), 0);
    }
    if (c.kind != kLink) {
      ASSERT_EQ(chmod(p.c_str(), c.mode), 0);
    }
    timespec old[2] = {{time(nullptr) - 60 * c.minutesOld, 0}, {time(nullptr) - 60 * c.minutesOld, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), old, AT_SYMLINK_NOFOLLOW), 0);
  }
  // The user's run writes into the folder and its shots' folder; nobody's
  // into theirs/.
  fs::path err = f.dir.parent_path() / ("leftovers_err_" + std::to_string(getpid()));
  Outcome o = run({{"kelvaro", "--headless", "--keys", "1", "--png", (f.dir / "p.png").string(), "--shots",
                    (f.dir / "shots").string()},
                   {kNoLeaks},
                   err});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  if (root) {
    Spawn theirs({"kelvaro", "--headless", "--keys", "1", "--png", (f.dir / "theirs" / "p.png").string()}, {kNoLeaks},
                 err);
    theirs.asNobody = true;
    o = run(theirs);
    EXPECT_EQ(o.ending, 0);
    EXPECT_EQ(o.says, std::vector<std::string>{});
  }
  fs::remove(err);
  for (const Case& c : cases)
    EXPECT_EQ(fs::symlink_status(f.dir / c.file).type() == fs::file_type::not_found, c.cleared) << c.name;
  for (int fd : held) close(fd);
  for (pid_t locker : lockers) {
    kill(locker, SIGKILL);
    waitpid(locker, nullptr, 0);
  }

  // A live run's temporary, untouched for more than a minute, seen by a
  // run in a process namespace of its own, where the live run's number is
  // no live process: its lock keeps it.
  if (std::system("unshare -rpf true >/dev/null 2>&1") != 0) {
    std::printf("[ skipped  ] a live run's temporary seen from another process namespace: no user namespaces here\n");
    return;
  }
  Folder g("leftovers_live");
  pid_t live = start({{"kelvaro", "--headless", "--keys", longScript(), "--png", (g.dir / "live.png").string()},
                      {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_UNNAMED_FILES)},
                      g.dir / "live.err"});
  auto hidden = [&] {
    for (const std::string& e : g.entries())
      if (e[0] == '.') return e;
    return std::string();
  };
  ASSERT_TRUE(until([&] { return !hidden().empty(); }, live)) << "no temporary name";
  std::string temp = hidden();
  // The run takes the lock that marks the file as a live run's just after
  // it made the file: the case begins once the lock is there.
  auto locked = [&] {
    int fd = open((g.dir / temp).c_str(), O_RDONLY | O_CLOEXEC);
    struct flock l {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    bool held = fd >= 0 && fcntl(fd, F_OFD_GETLK, &l) == 0 && l.l_type != F_UNLCK;
    if (fd >= 0) close(fd);
    return held;
  };
  ASSERT_TRUE(until(locked, live)) << "no lock on " << temp;
  // Held where it stands: a stopped process is a live one, and keeps its
  // locks.
  stopNow(live);
  timespec old[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
  EXPECT_EQ(utimensat(AT_FDCWD, (g.dir / temp).c_str(), old, 0), 0);
  o = run({{"/usr/bin/unshare", "-rpf", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless", "--keys", "1", "--png",
            (g.dir / "p.png").string()},
           {kNoLeaks},
           err});
  fs::remove(err);
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  EXPECT_TRUE(fs::exists(g.dir / temp)) << temp;
  kill(live, SIGTERM);
  kill(live, SIGCONT);
  EXPECT_EQ(ending(live), -SIGTERM);
  expectWholePng(g.dir / "live.png");
  expectOnlyWholeOutputs(g);
}

}  // namespace
