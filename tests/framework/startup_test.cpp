// Start-up, the error screen and the headless driver end to end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

#include "framework/framework.h"
#include "tests/harness.h"

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

TEST(Headless, BadOptionsExitWithStatus2AndLeaveNothingBehind) {
  EXPECT_EQ(runBinary("kelvaro --headless --bogus"), 2);
  EXPECT_EQ(runBinary("kelvaro --headless --size 12"), 2);
  EXPECT_EQ(runBinary("kelvaro --headless --seed -4"), 2);
  EXPECT_EQ(runBinary("kelvaro --headless --keys \"Enter Foo\""), 2);
  EXPECT_EQ(runBinary("kelvaro --headless --png /nonexistent/dir/x.png"), 2);
  EXPECT_EQ(runBinary("kelvaro --headless --trace /nonexistent/dir/t.jsonl"), 2);
  EXPECT_FALSE(std::filesystem::exists("/nonexistent/dir"));
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

TEST(Window, WaitsQuietlyAndEndsWhenClosed) {
  // A real window on a virtual display: the program waits at its main menu
  // without a runtime error until the window is closed (SIGTERM reaches it
  // as the window's close request).
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xvfb-run";
  // The X libraries' own allocations at exit are not the program's leaks.
  int rc = std::system((std::string("ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s '-screen 0 1500x800x24' "
                                    "timeout --preserve-status -s TERM 3 ") +
                        LESSON_BIN_DIR + "/kelvaro 2>/dev/null")
                           .c_str());
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 0);
}

}  // namespace
