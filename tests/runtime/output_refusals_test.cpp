// Outputs refused before the run: whatever would fail at the end is said
// before the run begins, and a run that cannot begin leaves the folders as
// they were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

// Last: it ends with the X headers, whose macros (None, Bool) clash with the others.
#include "tests/runtime/run_harness.h"

namespace {

using namespace run_harness;

// Whatever would fail at the end is refused before the run, and before its
// window would open: one line, status 2, and the folder as it was.
TEST(Endings, OutputsThatWouldFailAreRefusedBeforeTheRun) {
  Folder f("refused_early");
  std::string d = f.dir.string(), longName = d + "/" + std::string(252, 'n') + ".png";
  bool canUnshare = std::system("unshare -rm true >/dev/null 2>&1") == 0;
  // What the run does not write: a socket, also among the shots or behind
  // a link there, and a block device.
  auto bindSocket = [](const fs::path& path) {
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    std::strncpy(at.sun_path, path.c_str(), sizeof at.sun_path - 1);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at), 0) << path;
    close(s);
  };
  fs::create_directories(f.dir / "shots");
  fs::create_directories(f.dir / "linked");
  bindSocket(f.dir / "sock");
  bindSocket(f.dir / "shots" / "shot-0001.png");
  fs::create_symlink("../sock", f.dir / "linked" / "shot-0002.png");
  bool canMknod = mknod((f.dir / "block").c_str(), S_IFBLK | 0600, makedev(7, 200)) == 0;
  // Two paths to one folder, for a file not there yet.
  fs::create_directories(f.dir / "a");
  fs::create_directories(f.dir / "b");
  // Streams that take nothing: a socket that listens, one never connected.
  int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int unconnected = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un unnamed{};
  unnamed.sun_family = AF_UNIX;  // given a name of the kernel's choice
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&unnamed), sizeof unnamed.sun_family), 0);
  ASSERT_EQ(listen(listening, 1), 0);
  // A terminal, which takes a trace but not a PNG's binary data.
  int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  std::string terminalPath = ptsname(terminal);
  int terminalEnd = open(terminalPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(terminalEnd, 0);
  struct Case {
    const char* name;
    std::vector<std::string> args;  // the program's, or a command that runs it
    std::vector<std::string> env;
    std::string says;
    bool skip = false;
    int out = -1;  // the standard output, when not /dev/null
  };
  const std::string bin = std::string(LESSON_BIN_DIR) + "/kelvaro";
  // A headless run through a shell, its standard error a pipe that passes
  // its lines on, and then `redirections`.
  auto throughPipe = [&](const std::string& options, const std::string& redirections) {
    return std::vector<std::string>{"/bin/bash", "-c",
                                    "set -o pipefail; " + bin + " --headless " + options + " 2>&1 " + redirections +
                                        " | cat >&2"};
  };
  const Case cases[] = {
      {"a name longer than a folder takes",
       {"kelvaro", "--headless", "--png", longName},
       {},
       "--png: cannot write " + d.substr(0, 40)},
      {"in a window, before it opens",
       {"kelvaro", "--trace", longName},
       {"DISPLAY=", "WAYLAND_DISPLAY="},
       "--trace: cannot write "},
      {"a read-only file system",
       {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount -t tmpfs -o ro tmpfs " + d + "/ro && exec " + bin + " --headless --png " + d + "/ro/x.png"},
       {},
       "--png: cannot write " + d + "/ro/x.png: the folder " + d + "/ro is on a read-only file system",
       !canUnshare},
      // An empty name names nothing to write, and a name that ends in "/"
      // names a folder.
      {"an empty file name", {"kelvaro", "--headless", "--png", ""}, {}, "--png needs a file name, not an empty one"},
      {"an empty trace name", {"kelvaro", "--headless", "--trace", ""}, {}, "--trace needs a file name, not an empty one"},
      {"an empty folder name", {"kelvaro", "--headless", "--shots", ""}, {}, "--shots needs a folder name, not an empty one"},
      {"a new file's name that ends in /", {"kelvaro", "--headless", "--png", d + "/out.png/"}, {},
       "--png: cannot write " + d + "/out.png/: the name ends in \"/\", so it names a folder, not a file"},
      {"a file's name that ends in /", {"kelvaro", "--headless", "--trace", d + "/plain/"}, {},
       "--trace: cannot write " + d + "/plain/: the name ends in \"/\", so it names a folder, not a file"},
      {"the standard output's name that ends in /", {"kelvaro", "--headless", "--png", "/dev/stdout/"}, {},
       "--png: cannot write /dev/stdout/: the name ends in \"/\", so it names a folder, not a file"},
      // So does a name that ends in "." or "..", also in a folder that
      // does not exist.
      {"a name that ends in . in a new folder", {"kelvaro", "--headless", "--png", d + "/new/."}, {},
       "--png: cannot write " + d + "/new/.: the name ends in \".\", so it names a folder, not a file"},
      {"a name that ends in .. in a new folder", {"kelvaro", "--headless", "--trace", d + "/new/.."}, {},
       "--trace: cannot write " + d + "/new/..: the name ends in \"..\", so it names a folder, not a file"},
      // A descriptor the caller closed names nothing to write, whatever the
      // run opens of its own meanwhile (a writer for a standard error that
      // is a pipe, or a folder looked into, takes the lowest number free).
      {"a descriptor the caller closed", throughPipe("--png /dev/fd/3", "3>&-"), {},
       "--png: cannot write /dev/fd/3: descriptor 3 is closed"},
      {"a descriptor the caller closed, named in /proc", throughPipe("--png /proc/self/fd/3", "3>&-"), {},
       "--png: cannot write /proc/self/fd/3: descriptor 3 is closed"},
      {"the standard output closed, with the standard input", throughPipe("--png /dev/stdout", "0<&- 1>&-"), {},
       "--png: cannot write /dev/stdout: the standard output is closed"},
      // Also the number the run's own folders take as it follows the path.
      {"a descriptor the caller closed, which the run's folders take", throughPipe("--png /dev/fd/5", "5>&-"), {},
       "--png: cannot write /dev/fd/5: descriptor 5 is closed"},
      {"a descriptor the caller closed, without /proc",
       {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount -t tmpfs none /proc && exec " + bin + " --headless --png /dev/fd/5 5>&-"},
       {},
       "--png: cannot write /dev/fd/5: descriptor 5 is closed",
       !canUnshare || LESSON_SANITIZED},
      {"a socket", {"kelvaro", "--headless", "--png", d + "/sock"}, {},
       "--png: cannot write " + d + "/sock: it is a socket, which the run does not write"},
      {"a socket as the trace", {"kelvaro", "--headless", "--trace", d + "/sock"}, {},
       "--trace: cannot write " + d + "/sock: it is a socket, which the run does not write"},
      {"a socket under a shot's name", {"kelvaro", "--headless", "--keys", "1", "--shots", d + "/shots"}, {},
       "--shots: cannot write into " + d + "/shots: " + d +
           "/shots/shot-0001.png is a socket, which the run does not write"},
      {"a link to a socket under a shot's name", {"kelvaro", "--headless", "--keys", "1", "--shots", d + "/linked"}, {},
       "--shots: cannot write into " + d + "/linked: " + d +
           "/linked/shot-0002.png leads to a socket, which the run does not write"},
      {"a block device stays a block device", {"kelvaro", "--headless", "--png", d + "/block"}, {},
       "--png: cannot write " + d + "/block: it is a block device, which the run does not write", !canMknod},
      {"a listening socket as the standard output", {"kelvaro", "--headless", "--png", "/dev/stdout"}, {},
       "--png: cannot write /dev/stdout: the standard output is a listening socket, which takes no data", false,
       listening},
      {"a socket that is not connected as the standard output", {"kelvaro", "--headless", "--trace", "/dev/stdout"}, {},
       "--trace: cannot write /dev/stdout: the standard output is a socket that is not connected", false, unconnected},
      {"a terminal as the standard output, for a PNG", {"kelvaro", "--headless", "--png", "/dev/stdout"}, {},
       "--png: cannot write /dev/stdout: the standard output is a terminal, and a PNG is binary data", false,
       terminalEnd},
      {"a terminal by its name, for a PNG", {"kelvaro", "--headless", "--png", terminalPath}, {},
       "--png: cannot write " + terminalPath + ": it is a terminal, and a PNG is binary data"},
      {"two paths to one new file, through a bind mount",
       {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount --bind " + d + "/a " + d + "/b && exec " + bin + " --headless --png " + d + "/a/x.out --trace " + d +
            "/b/x.out"},
       {},
       "--png and --trace name the same file",
       !canUnshare},
      // Open for reading only, here on /dev/null, which would take the page
      // if it were opened anew for writing.
      {"the standard input, read-only", {"kelvaro", "--headless", "--png", "/dev/stdin"}, {},
       "--png: cannot write /dev/stdin: "},
  };
  fs::create_directories(f.dir / "ro");
  put(f.dir / "plain", "plain");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.skip) {
      std::printf("[ skipped  ] %s: not here (no user namespaces, no block devices, or a sanitizer build)\n", c.name);
      continue;
    }
    auto before = f.entries();
    std::vector<std::string> env = c.env;
    env.push_back(kNoLeaks);
    Spawn s(c.args, env, f.dir.parent_path() / ("err_" + std::to_string(getpid())));
    s.outPipe = c.out;
    Outcome o = run(s);
    EXPECT_EQ(o.ending, 2);
    EXPECT_EQ(f.entries(), before);
    EXPECT_EQ(o.says.size(), 1u);
    if (!o.says.empty()) {
      EXPECT_EQ(o.says[0].rfind(c.says, 0), 0u) << o.says[0];
    }
  }
  fs::remove(f.dir.parent_path() / ("err_" + std::to_string(getpid())));
  EXPECT_EQ(fs::status(f.dir / "sock").type(), fs::file_type::socket);
  EXPECT_EQ(fs::status(f.dir / "shots" / "shot-0001.png").type(), fs::file_type::socket);
  if (canMknod) {
    EXPECT_TRUE(fs::is_block_file(f.dir / "block"));
  }
  close(listening);
  close(unconnected);
  // A trace is text, which a terminal takes.
  fs::path err = f.dir.parent_path() / ("err_" + std::to_string(getpid()));
  Spawn traced({"kelvaro", "--headless", "--keys", "1", "--trace", "/dev/stdout"}, {kNoLeaks}, err);
  traced.outPipe = terminalEnd;
  pid_t pid = start(traced);
  close(terminalEnd);
  std::string shown;
  char buf[4096];
  // Read until the run is gone and the terminal holds nothing more of it.
  for (;;) {
    bool gone = !alive(pid);
    pollfd p{terminal, POLLIN, 0};
    if (poll(&p, 1, gone ? 0 : 50) == 1 && (p.revents & POLLIN)) {
      ssize_t n = read(terminal, buf, sizeof buf);
      if (n > 0) shown.append(buf, static_cast<size_t>(n));
      if (n > 0 || (n < 0 && errno == EINTR)) continue;
    }
    if (gone) break;
  }
  close(terminal);
  EXPECT_EQ(ending(pid), 0);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{});
  EXPECT_NE(shown.find("{\"op\":\"KEY\""), std::string::npos) << shown.substr(0, 200);
  fs::remove(err);
}

// A run that cannot begin after it made folders for --shots (here on a
// file system that runs out of inodes) takes them back: with status 2, the
// outputs are as they were before the run.
TEST(Endings, ARunThatCannotBeginTakesBackTheFoldersItMade) {
  if (std::system("unshare -rm true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no user namespaces here";
  struct Case {
    const char* name;
    int inodes;  // the file system's, its root folder's among them
    std::string says;
  };
  const Case cases[] = {
      {"the second folder cannot be made", 2,
       "--shots: cannot write into {d}/full/a/b: cannot make {d}/full/a/b: No space left on device (see --help)"},
      {"--png cannot be made once the folders are", 3,
       "--png: cannot write {d}/full/x.png: No space left on device (see --help)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("unmade");
    std::string d = f.dir.string();
    fs::create_directories(f.dir / "full");
    // The mount is the run's own: what it holds afterwards is listed from
    // inside, into a file outside it.
    std::string script = "mount -t tmpfs -o nr_inodes=" + std::to_string(c.inodes) + " tmpfs " + d + "/full && " +
                         std::string(LESSON_BIN_DIR) + "/kelvaro --headless --keys 1 --shots " + d +
                         "/full/a/b --png " + d + "/full/x.png; s=$?; ls -A " + d + "/full >" + d + "/left; exit $s";
    Outcome o = run({{"/usr/bin/unshare", "-rm", "/bin/sh", "-c", script}, {kNoLeaks}, f.dir / "err"});
    EXPECT_EQ(o.ending, 2);
    EXPECT_EQ(o.says, std::vector<std::string>{std::regex_replace(c.says, std::regex("\\{d\\}"), d)});
    EXPECT_EQ(slurp(f.dir / "left"), "");
  }
}

}  // namespace
