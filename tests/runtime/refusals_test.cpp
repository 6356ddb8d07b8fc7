// What a run refuses before it starts, and with which status: a command
// line that cannot work is refused (status 2, one line that ends with
// " (see --help)"), a machine that cannot give the run what it needs is
// "cannot start" (status 1), and the usage that cannot be written fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kBin = std::string(LESSON_BIN_DIR) + "/kelvaro";
// Each run is bounded, generously: a run that waits for what never comes
// (a FIFO's reader) fails the test instead of holding it.
const std::string kBounded = "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 timeout -s KILL 120 ";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Ran {
  int status;  // the exit status, or minus the signal that ended the run
  std::vector<std::string> says;
};

// A folder of this test's own, with what a run of the program in it said.
struct Scratch {
  explicit Scratch(const std::string& name)
      : dir(fs::temp_directory_path() / (name + "_" + std::to_string(getpid()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Scratch() { fs::remove_all(dir); }
  // Runs the shell command `command` ({bin} the program) with its standard
  // error in a file outside the folder.
  Ran run(const std::string& command) const {
    fs::path err = dir.string() + ".err";
    std::string line = kBounded + std::regex_replace(command, std::regex("\\{bin\\}"), kBin) + " 2>" + err.string();
    int rc = std::system(line.c_str());
    Ran r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, {}};
    std::istringstream in(slurp(err));
    for (std::string l; std::getline(in, l);) r.says.push_back(l);
    fs::remove(err);
    return r;
  }
  // Every path in it, from it, and what kind each is.
  std::set<std::string> entries() const {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      out.insert(e.path().lexically_relative(dir).string() + ":" +
                 std::to_string(static_cast<int>(e.symlink_status().type())));
    return out;
  }
  std::string d() const { return dir.string(); }
  fs::path dir;
};

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

const std::string kSeeHelp = " (see --help)";

// A shot's name in the --shots folder that the shot could not be written
// to, or not without waiting for a reader in the middle of the run, is
// refused before the run, and the folder is left as it was. A file, a
// link to one, or to the null device, is what a shot replaces or writes.
TEST(Refusals, AShotsNameThatIsNotAFileTheShotsWriteIsRefused) {
  Scratch s("shot_names");
  std::string d = s.d();
  struct Case {
    const char* name;
    std::string make;  // shell commands that lay out {d}/shots
    std::string says;  // the line's start, or "" when the run takes it
  };
  const Case cases[] = {
      {"a folder", "mkdir -p {d}/shots/shot-0001.png",
       "--shots: cannot write into {d}/shots: {d}/shots/shot-0001.png is a folder, which the shots do not write"},
      {"a FIFO", "mkdir {d}/shots && mkfifo {d}/shots/shot-0002.png",
       "--shots: cannot write into {d}/shots: {d}/shots/shot-0002.png is a FIFO, which the shots do not write"},
      {"a link to a folder", "mkdir -p {d}/shots {d}/elsewhere && ln -s ../elsewhere {d}/shots/shot-0001.png",
       "--shots: cannot write into {d}/shots: {d}/shots/shot-0001.png leads to a folder, which the shots do not write"},
      {"a link to a FIFO", "mkdir {d}/shots && mkfifo {d}/fifo && ln -s ../fifo {d}/shots/shot-0001.png",
       "--shots: cannot write into {d}/shots: {d}/shots/shot-0001.png leads to a FIFO, which the shots do not write"},
      {"a file", "mkdir {d}/shots && echo old >{d}/shots/shot-0001.png", ""},
      {"a link to a file", "mkdir {d}/shots && echo old >{d}/old && ln -s ../old {d}/shots/shot-0001.png", ""},
      {"a link to the null device", "mkdir {d}/shots && ln -s /dev/null {d}/shots/shot-0002.png", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto inD = [&](const std::string& t) { return std::regex_replace(t, std::regex("\\{d\\}"), d); };
    fs::remove_all(s.dir);
    fs::create_directories(s.dir);
    ASSERT_EQ(std::system(inD(c.make).c_str()), 0);
    auto before = s.entries();
    Ran r = s.run("{bin} --headless --keys '1 Enter' --shots " + d + "/shots");
    if (c.says.empty()) {
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.says, std::vector<std::string>{});
      continue;
    }
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.says, std::vector<std::string>{inD(c.says) + kSeeHelp});
    EXPECT_EQ(s.entries(), before);
  }
}

// With no descriptor to be had (a limit on open files too low), the run
// cannot start, whatever its outputs: the command line is not at fault.
// The limits are tried from the lowest up: below what the program's
// libraries take to load (and what the test's own runner leaves open) it
// is not the run that fails; at the lowest the run itself gets, it cannot
// start; from there on the outputs, the fonts, or past those nothing.
TEST(Refusals, NoDescriptorLeftIsCannotStart) {
  // The sanitizers' own checks open files (to read the memory map) and,
  // finding no descriptor, report faults that are not there.
  if (LESSON_SANITIZED) GTEST_SKIP() << "a limit on open files in a sanitizer build";
  Scratch s("no_descriptor");
  std::string d = s.d();
  struct Case {
    std::string options, says;  // the line of the outputs that run out
  };
  const Case cases[] = {
      {"--png " + d + "/p.png", "cannot start: --png: cannot write " + d + "/p.png: Too many open files"},
      {"--trace /dev/stdout", "cannot start: --trace: cannot write /dev/stdout: Too many open files"},
      {"--png /dev/null", "cannot start: --png: cannot write /dev/null: Too many open files"},
      {"--shots " + d + "/shots", "cannot start: --shots: cannot write into " + d + "/shots: Too many open files"},
  };
  constexpr int kNotLoaded = 127;
  for (const Case& c : cases) {
    bool loaded = false, saidSo = false;
    for (int limit = 3; limit <= 32; ++limit) {
      SCOPED_TRACE(c.options + ", at most " + std::to_string(limit) + " open files");
      Ran r = s.run("prlimit --nofile=" + std::to_string(limit) + " {bin} --headless --keys 1 " + c.options +
                    " >/dev/null");
      fs::remove_all(s.dir / "shots");
      if (r.status == kNotLoaded && !loaded) continue;
      // A shot taken once the run began is an output that failed.
      EXPECT_TRUE(r.status == 0 || r.status == 1 || (r.status == 5 && c.options.rfind("--shots", 0) == 0))
          << r.status;
      for (const std::string& line : r.says) EXPECT_FALSE(endsWith(line, kSeeHelp)) << line;
      if (!loaded) {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.says.size(), 1u);
        if (!r.says.empty()) {
          EXPECT_EQ(r.says[0].rfind("cannot start: ", 0), 0u) << r.says[0];
        }
      }
      loaded = true;
      saidSo = saidSo || r.says == std::vector<std::string>{c.says};
      if (r.status == 0) break;
    }
    EXPECT_TRUE(loaded) << c.options;
    EXPECT_TRUE(saidSo) << c.options << ": no limit ran its outputs out of descriptors";
  }
}

// The usage that cannot be written whole fails, with a line that says so,
// as any program that prints does; one written whole ends the run.
TEST(Refusals, HelpThatCannotBeWrittenFails) {
  Scratch s("help");
  struct Case {
    const char* redirection;
    int status;
    std::vector<std::string> says;
  };
  const Case cases[] = {
      {">/dev/full", 1, {"--help: cannot write the usage to the standard output: No space left on device"}},
      {">&-", 1, {"--help: cannot write the usage to the standard output: it is closed"}},
      {"0<&- >&-", 1, {"--help: cannot write the usage to the standard output: it is closed"}},
      {">/dev/null", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.redirection);
    for (const char* option : {"--help", "-h"}) {
      Ran r = s.run(std::string("{bin} ") + option + " " + c.redirection);
      EXPECT_EQ(r.status, c.status);
      EXPECT_EQ(r.says, c.says);
    }
  }
}

// A file the run would replace that is marked append-only or immutable,
// or that is in a folder marked append-only, could not be renamed over
// after the whole run: it is refused before, and left as it was. Here the
// marks are reported by a preloaded library, as setting them takes a
// privilege; then set for real where this test may.
TEST(Refusals, AFileMarkedAppendOnlyOrImmutableIsRefused) {
  Scratch s("marked");
  fs::path dir = fs::canonical(s.dir);
  std::string d = dir.string();
  struct Case {
    const char* name;
    std::string flagged, flag, options, says;  // says "" when the run takes it
  };
  const std::string preload = "env LD_PRELOAD=" + std::string(FILE_FLAGS) + " ";
  const Case cases[] = {
      {"an append-only file", d + "/old.png", "append-only", "--png " + d + "/old.png",
       "--png: cannot write " + d + "/old.png: it is marked append-only, so the run could not replace it"},
      {"an immutable file", d + "/old.jsonl", "immutable", "--trace " + d + "/old.jsonl",
       "--trace: cannot write " + d + "/old.jsonl: it is marked immutable, so the run could not replace it"},
      {"a file in an append-only folder", d, "append-only", "--png " + d + "/old.png",
       "--png: cannot write " + d + "/old.png: the folder " + d +
           " is marked append-only, so the run could not replace a file in it"},
      {"an append-only shot", d + "/shots/shot-0001.png", "append-only", "--shots " + d + "/shots",
       "--shots: cannot write into " + d + "/shots: " + d +
           "/shots/shot-0001.png: it is marked append-only, so the run could not replace it"},
      // A new file in an append-only folder is only added to it.
      {"a new file in an append-only folder", d, "append-only", "--png " + d + "/new.png", ""},
  };
  auto layOut = [&] {
    fs::create_directories(dir / "shots");
    for (const char* name : {"old.png", "old.jsonl", "shots/shot-0001.png"}) std::ofstream(dir / name) << "old";
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    layOut();
    Ran r = s.run(preload + "LESSON_FLAGGED_PATH=" + c.flagged + " LESSON_FILE_FLAG=" + c.flag +
                  " {bin} --headless --keys 1 " + c.options);
    if (c.says.empty()) {
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.says, std::vector<std::string>{});
    } else {
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(r.says, std::vector<std::string>{c.says + kSeeHelp});
    }
    for (const char* name : {"old.png", "old.jsonl", "shots/shot-0001.png"}) EXPECT_EQ(slurp(dir / name), "old");
    fs::remove(dir / "new.png");
  }
  // The marks themselves, where they may be set here.
  layOut();
  if (std::system(("chattr +a '" + d + "/old.png' 2>/dev/null").c_str()) != 0) {
    std::printf("[ skipped  ] files marked with chattr: not here (no privilege or no support for it)\n");
    return;
  }
  std::system(("chattr -a '" + d + "/old.png'").c_str());
  for (const auto& [mark, marked] : {std::pair{"a", "append-only"}, std::pair{"i", "immutable"}}) {
    SCOPED_TRACE(marked);
    ASSERT_EQ(std::system(("chattr +" + std::string(mark) + " '" + d + "/old.png'").c_str()), 0);
    Ran r = s.run("{bin} --headless --keys 1 --png " + d + "/old.png");
    std::system(("chattr -" + std::string(mark) + " '" + d + "/old.png'").c_str());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.says, std::vector<std::string>{"--png: cannot write " + d + "/old.png: it is marked " + marked +
                                               ", so the run could not replace it" + kSeeHelp});
  }
  EXPECT_EQ(slurp(dir / "old.png"), "old");
}

// Every refusal, from the command line's words to the outputs found as the
// run starts (a terminal for a PNG is found only when opened), is one line
// that ends alike.
TEST(Refusals, EveryRefusalEndsWithTheSameHint) {
  Scratch s("refusal_endings");
  std::string d = s.d();
  fs::create_directories(s.dir / "shots");
  fs::create_directories(s.dir / "socket");
  std::ofstream(s.dir / "plain") << "plain";
  int sock = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un at{};
  at.sun_family = AF_UNIX;
  std::strncpy(at.sun_path, (s.dir / "socket" / "shot-0003.png").c_str(), sizeof at.sun_path - 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  close(sock);
  int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  std::string terminalPath = ptsname(terminal);
  bool canUnshare = std::system("unshare -rm true >/dev/null 2>&1") == 0;
  struct Case {
    const char* name;
    std::string command, starts;
    bool skip = false;
  };
  const Case cases[] = {
      {"an unknown option", "{bin} --bogus", "unknown option \"--bogus\""},
      {"a missing value", "{bin} --headless --png", "--png needs a value"},
      {"an empty name", "{bin} --headless --trace ''", "--trace needs a file name"},
      {"an unknown key", "{bin} --headless --keys Foo", "--keys: unknown key"},
      {"a size out of range", "{bin} --headless --size 0x10", "--size: width and height"},
      {"a size that is not one", "{bin} --headless --size big", "--size: expected WIDTHxHEIGHT"},
      {"a seed out of range", "{bin} --headless --seed -1", "--seed: expected a whole number"},
      {"a missing folder", "{bin} --headless --png " + d + "/none/p.png", "--png: cannot write " + d + "/none/p.png"},
      {"two outputs on one file", "{bin} --headless --png " + d + "/x --trace " + d + "/x",
       "--png and --trace name the same file"},
      {"an output among the shots", "{bin} --headless --shots " + d + "/shots --png " + d + "/shots/shot-0001.png",
       "--png " + d + "/shots/shot-0001.png is one of the shots"},
      {"shots into a file", "{bin} --headless --shots " + d + "/plain", "--shots: cannot write into " + d + "/plain"},
      {"a socket under a shot's name", "{bin} --headless --shots " + d + "/socket",
       "--shots: cannot write into " + d + "/socket: " + d + "/socket/shot-0003.png is a socket"},
      {"a terminal by its name, for a PNG", "{bin} --headless --png " + terminalPath,
       "--png: cannot write " + terminalPath + ": it is a terminal"},
      {"the shots' folder cannot be made",
       "unshare -rm /bin/sh -c 'mount -t tmpfs -o nr_inodes=1 tmpfs " + d + "/shots && exec " + kBin +
           " --headless --shots " + d + "/shots/a'",
       "--shots: cannot write into " + d + "/shots/a: cannot make", !canUnshare},
      {"an output cannot be made once the shots' folder is",
       "unshare -rm /bin/sh -c 'mount -t tmpfs -o nr_inodes=2 tmpfs " + d + "/shots && exec " + kBin +
           " --headless --shots " + d + "/shots/a --png " + d + "/shots/p.png'",
       "--png: cannot write " + d + "/shots/p.png", !canUnshare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.skip) {
      std::printf("[ skipped  ] %s: not here (no user namespaces)\n", c.name);
      continue;
    }
    Ran r = s.run(c.command + " </dev/null >/dev/null");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.says.size(), 1u);
    if (r.says.empty()) continue;
    EXPECT_EQ(r.says[0].rfind(c.starts, 0), 0u) << r.says[0];
    EXPECT_TRUE(endsWith(r.says[0], kSeeHelp)) << r.says[0];
    EXPECT_EQ(r.says[0].find(kSeeHelp), r.says[0].size() - kSeeHelp.size()) << r.says[0];
  }
  close(terminal);
}

}  // namespace
