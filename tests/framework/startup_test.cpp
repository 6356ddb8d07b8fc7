// Start-up, the error screen and the headless driver end to end.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <regex>
#include <vector>

#include "framework/framework.h"
#include "tests/harness.h"
#include "tools/virtual_display.h"

namespace {

struct Probe : Framework {
  using Framework::CHECK;
  using Framework::Framework;
};

// Start-up stopped where the main menu would begin drawing.
struct StartOnly : Probe {
  using Probe::Probe;
  void MainMenu() override {}
};

TEST(StartUp, SetsTheStartValuesAndSeedsFromTheFixedSeed) {
  rt::Runtime r(1920, 1080);
  StartOnly p(r, "Kelvaro");
  EXPECT_EQ(p.RunGuarded([&] {
    p.StartUp();
  }), 0);
  EXPECT_EQ(p.CCC1, 4);
  EXPECT_EQ(p.KAIX, 1056);
  EXPECT_EQ(p.KAIY, 648);
  EXPECT_EQ(p.TITLE_S, "Kelvaro");
  EXPECT_EQ(p.PI, 0) << "PI is set by the figure routines, never at start-up";
  EXPECT_EQ(r.GETDRAWWIDTH(), 3);
  EXPECT_EQ(r.fontName(), "ｺﾞｼｯｸ");
  EXPECT_EQ(p.X_A.bound(), 40);
  EXPECT_EQ(p.G_A.bound2(), 2);
}

TEST(StartUp, SameSeedSameSequence) {
  rt::Runtime a(10, 10), b(10, 10);
  a.RANDOMIZE(10 + 20 + 30);
  b.RANDOMIZE(20 + 10 + 30);
  for (int i = 0; i < 20; ++i) {
    float v = a.RND();
    EXPECT_EQ(v, b.RND());
    EXPECT_GE(v, 0.0f);
    EXPECT_LT(v, 1.0f);
  }
}

TEST(ErrorScreen, ShowsLineAndErrorAndEndsWithStatus3) {
  rt::Runtime r(1920, 1080);
  r.recordTrace(true);
  Probe p(r, "Kelvaro");
  int line = 0;
  int status = p.RunGuarded([&] {
    p.SETFONTNAME("ゴシック");
    p.SETFONTBOLD(-1);
    volatile float zero = 0;
    p.A = 6 / zero;
    line = __LINE__ + 1;
    p.CHECK();
  });
  EXPECT_EQ(status, 3);
  ASSERT_EQ(r.trace().size(), 2u);
  EXPECT_EQ(r.trace()[0], R"({"op":"CLS"})");
  EXPECT_EQ(r.trace()[1],
            R"({"op":"SYMBOL","x":288,"y":432,"text":" )" + std::to_string(line) +
                R"(, 11エラーが発生しました。マウスで×をクリックして下さい。","mh":1,"mv":1,"colour":13,"font":"ゴシック","size":16,"bold":true,"italic":false})");
}

TEST(ErrorScreen, ErrorWhileMeasuringStillShows) {
  rt::Runtime r(200, 200);
  r.recordTrace(true);
  Probe p(r, "Kelvaro");
  int status = p.RunGuarded([&] {
    r.beginMeasure();
    rt::raise(rt::kSubscriptOutOfRange, "subscript out of range");
  });
  EXPECT_EQ(status, 3);
  EXPECT_EQ(r.trace().size(), 2u);
}

// The programs themselves, started as a teacher or a script would.
int runBinary(const std::string& args) {
  int rc = std::system((std::string(LESSON_BIN_DIR) + "/" + args + " 2>/dev/null").c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(Headless, WritesPngAndValidTraceAndExitsCleanly) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("headless_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  for (const char* program : {"kelvaro", "sindrel", "orbanet", "dravolin"}) {
    fs::path png = dir / (std::string(program) + ".png"), trace = dir / "t.jsonl";
    EXPECT_EQ(runBinary(std::string(program) + " --headless --keys \"1 Enter\" --png " +
                        png.string() + " --trace " + trace.string() + " --shots " +
                        (dir / "shots").string()),
              0)
        << program;
    EXPECT_GT(fs::file_size(png), 100u) << program;
    EXPECT_TRUE(fs::exists(dir / "shots" / "shot-0001.png")) << program;
    std::ifstream in(trace);
    std::string line;
    std::regex shape(R"re(^\{"op":"(LINE|CIRCLE|CONNECT|SYMBOL|CLS|KEY)"(,"[a-z0-9]+":.*)?\}$)re");
    int n = 0;
    while (std::getline(in, line)) {
      ++n;
      EXPECT_TRUE(std::regex_match(line, shape)) << line;
    }
    EXPECT_GT(n, 0) << program;
  }
  fs::remove_all(dir);
}

// An empty folder of this test process, with an empty "shots" folder in it.
std::filesystem::path freshFolder(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "shots");
  return dir;
}

// A program run through the shell: its exit status and what it said on stderr.
struct Outcome {
  int status;
  std::string err;
};

Outcome runProgram(const std::string& args, const std::string& shellFirst = "") {
  namespace fs = std::filesystem;
  fs::path err = fs::temp_directory_path() / ("stderr_" + std::to_string(::getpid()));
  int rc = std::system((shellFirst + LESSON_BIN_DIR + "/" + args + " 2>" + err.string()).c_str());
  std::ifstream in(err);
  Outcome o{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1,
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
  fs::remove(err);
  return o;
}

TEST(Headless, HelpListsOptionsKeysAndStatuses) {
  namespace fs = std::filesystem;
  fs::path out = fs::temp_directory_path() / ("help_" + std::to_string(::getpid()));
  EXPECT_EQ(runBinary("kelvaro --help >" + out.string()), 0);
  std::ifstream in(out);
  std::string help((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word :
       {"--headless", "--keys", "--png", "--shots", "--trace", "--size", "--seed", "--help",
        "Backspace", "Esc", "16384", "4294967295", "Exit status", "5 an output", "6 the display was lost",
        "143 SIGTERM", "printable ASCII", "A socket, a block device", "listening", "for --png a terminal",
        "on one pipe count as one file", "in the --shots folder is refused"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
  fs::remove(out);
}

TEST(Headless, RefusalsNameTheirLimitAndLeaveNothingBehind) {
  namespace fs = std::filesystem;
  fs::path dir = freshFolder("refused");
  std::string d = dir.string();
  // Links are checked as the paths they lead to.
  fs::create_symlink("a", dir / "b");
  fs::create_symlink("missing/x.png", dir / "to-missing");
  struct Case {
    std::string args, says;
  };
  const Case cases[] = {
      {"--bogus", "--seed --help"},
      {"--size 12", "WIDTHxHEIGHT"},
      {"--size 16385x10", "from 1 to 16384"},
      {"--size 0x10", "from 1 to 16384"},
      {"--seed -4", "from 0 to 4294967295"},
      {"--keys \"Enter Foo\"", "Backspace"},
      {"--png", "needs a value"},
      {"--png /nonexistent/dir/x.png", "/nonexistent/dir does not exist"},
      {"--trace /nonexistent/dir/t.jsonl", "/nonexistent/dir does not exist"},
      {"--png " + d, "is a folder"},
      {"--shots " + d + "/new --bogus", "unknown option"},
      {"--trace " + d + "/new/t.jsonl --shots " + d + "/other", "the folder " + d + "/new does not exist"},
      {"--png " + d + "/x --trace " + d + "/x", "--png and --trace name the same file"},
      {"--png " + d + "/x --trace " + d + "/../" + dir.filename().string() + "/x", "same file"},
      {"--png /dev/full --trace /dev/full", "same file"},
      {"--shots " + d + "/shots --png " + d + "/shots/shot-0002.png", "one of the shots"},
      {"--png " + d + "/a --trace " + d + "/b", "--png and --trace name the same file"},
      {"--png " + d + "/to-missing", "the folder " + d + "/missing does not exist"},
      {"--trace " + d + "/t.jsonl --png /dev/stdout >&-", "the standard output is closed"},
      {"--keys \"$(printf 'a b\\033[2J')\"", "unknown key \"b\\x1b[2J\""},
      {"--keys é", "a key is one printable ASCII character"},
      {"\"$(printf -- '--bo\\ngus')\"", "unknown option \"--bo\\ngus\""},
      {"--keys " + std::string(100000, 'k'), "[cut from 100000 bytes]"},
  };
  for (const Case& c : cases) {
    Outcome o = runProgram("kelvaro --headless --keys 1 " + c.args);
    std::string args = c.args.substr(0, 80);
    EXPECT_EQ(o.status, 2) << args;
    EXPECT_NE(o.err.find(c.says), std::string::npos) << args << ": " << o.err;
    // One short line, with nothing in it a terminal would obey.
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_LT(o.err.size(), 300u) << args;
    EXPECT_TRUE(std::none_of(o.err.begin(), o.err.end() - 1, [](char ch) { return ch >= 0 && ch < 0x20; }))
        << o.err;
  }
  // Nothing was made: no folder, no file, no half-written one.
  std::vector<std::string> left;
  for (const auto& e : fs::recursive_directory_iterator(dir)) left.push_back(e.path().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{(dir / "b").string(), (dir / "shots").string(),
                                            (dir / "to-missing").string()}));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  fs::remove_all(dir);
}

TEST(Headless, NumbersAndShotNamesAreTakenForWhatTheyMean) {
  namespace fs = std::filesystem;
  fs::path dir = freshFolder("taken");
  std::string d = dir.string();
  struct Case {
    std::string args, written;
  };
  const Case cases[] = {
      {"--seed 0000000000001 --png " + d + "/seed.png", "seed.png"},
      {"--size 01342x0720 --png " + d + "/size.png", "size.png"},
      // Names the shots never take.
      {"--shots " + d + "/shots --png " + d + "/shots/shot-00001.png", "shots/shot-00001.png"},
      {"--shots " + d + "/shots --png " + d + "/shots/shot-0000.png", "shots/shot-0000.png"},
      // Into the folder the shots make.
      {"--trace " + d + "/new/deeper/t.jsonl --shots " + d + "/new/deeper", "new/deeper/t.jsonl"},
  };
  for (const Case& c : cases) {
    Outcome o = runProgram("kelvaro --headless --keys 1 " + c.args);
    EXPECT_EQ(o.status, 0) << c.args << ": " << o.err;
    EXPECT_GT(fs::file_size(dir / c.written), 100u) << c.args;
  }
  fs::remove_all(dir);
}

TEST(Headless, APageWithoutMemoryIsRefusedAtStart) {
  // The sanitizers reserve more address space than the limit allows.
  if (LESSON_SANITIZED) GTEST_SKIP() << "an address-space limit in a sanitizer build";
  namespace fs = std::filesystem;
  fs::path dir = freshFolder("no_memory");
  // The limit holds for the shell that starts the program, and so for it.
  Outcome o = runProgram("kelvaro --headless --size 16384x16384 --keys 1 --png " + (dir / "p.png").string() +
                             " --trace " + (dir / "t.jsonl").string(),
                         "ulimit -v 600000; ");
  EXPECT_EQ(o.status, 1) << o.err;
  EXPECT_NE(o.err.find("16384x16384 needs 1024 MiB"), std::string::npos) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  std::vector<std::string> left;
  for (const auto& e : fs::recursive_directory_iterator(dir)) left.push_back(e.path().string());
  EXPECT_EQ(left, std::vector<std::string>{(dir / "shots").string()});
  fs::remove_all(dir);
}

TEST(Headless, AFailedOutputIsReportedAndTheOthersAreStillWritten) {
  namespace fs = std::filesystem;
  fs::path dir = freshFolder("outputs_run");
  fs::create_symlink("/dev/full", dir / "shots" / "shot-0002.png");
  std::string d = dir.string();
  struct Case {
    std::string args, says;
    std::vector<std::string> written;
  };
  const Case cases[] = {
      {"--trace /dev/full --png " + d + "/a.png", "--trace: cannot write /dev/full: No space",
       {"a.png"}},
      {"--png /dev/full --trace " + d + "/a.jsonl", "--png: cannot write /dev/full: No space",
       {"a.jsonl"}},
      {"--shots " + d + "/shots --png " + d + "/b.png", "--shots: cannot write 1 of 2 shots",
       {"b.png"}},
  };
  for (const Case& c : cases) {
    Outcome o = runProgram("kelvaro --headless --keys \"1 Enter\" " + c.args);
    EXPECT_EQ(o.status, rt::kOutputFailed) << c.args;
    EXPECT_EQ(o.err.rfind(c.says, 0), 0u) << c.args << ": " << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    for (const std::string& name : c.written) EXPECT_GT(fs::file_size(dir / name), 100u) << c.args;
  }
  EXPECT_GT(fs::file_size(dir / "shots" / "shot-0001.png"), 100u);
  EXPECT_TRUE(fs::is_symlink(dir / "shots" / "shot-0002.png"));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  // The devices a user points outputs at stay devices; the standard output
  // is written in place, also where it was sent to a file.
  fs::path log = dir / "log";
  std::ofstream(log) << "earlier\n";
  EXPECT_EQ(runBinary("kelvaro --headless --keys 1 --png /dev/null --trace /dev/stdout >>" +
                      log.string()),
            0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  std::ifstream in(log);
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(first, "earlier");
  EXPECT_EQ(second.rfind("{\"op\":", 0), 0u) << second;
  fs::remove_all(dir);
}

TEST(Headless, MissingFontIsAClearMessageNamingThePackage) {
  namespace fs = std::filesystem;
  fs::path conf = fs::temp_directory_path() / ("nofonts_" + std::to_string(::getpid()) + ".conf");
  std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig><dir>/nonexistent</dir></fontconfig>\n";
  fs::path err = conf.string() + ".err";
  int rc = std::system(("FONTCONFIG_FILE=" + conf.string() + " " + LESSON_BIN_DIR +
                        "/kelvaro --headless 2>" + err.string())
                           .c_str());
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 1);
  std::ifstream in(err);
  std::string message((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(message.find("fonts-morisawa-bizud-gothic"), std::string::npos) << message;
  fs::remove(conf);
  fs::remove(err);
}

TEST(Window, WaitsQuietlyAndEndsWhenStopped) {
  // A real window on a virtual display: the program waits at its main menu
  // without a runtime error until SIGTERM stops it, as a close would.
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
  VirtualDisplay display(1500, 800);
  ASSERT_TRUE(display.ok());
  // The X libraries' own allocations at exit are not the program's leaks.
  int rc = std::system(("DISPLAY=" + display.name() +
                        " ASAN_OPTIONS=detect_leaks=0 timeout --preserve-status -s TERM 3 " + LESSON_BIN_DIR +
                        "/kelvaro 2>/dev/null")
                           .c_str());
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 128 + SIGTERM);
}

}  // namespace
