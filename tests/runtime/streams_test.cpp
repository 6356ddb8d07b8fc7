// Outputs written to streams: a trace and the messages that share one, a
// stream's reader at its far end, a reader that leaves early, and a page
// that cannot be made.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/exit_status.h"
// Last: it ends with the X headers, whose macros (None, Bool) clash with the others.
#include "tests/runtime/run_harness.h"

namespace {

using namespace run_harness;

// A trace on the standard error, a file, shares it with the messages: a
// message comes between two whole lines of the trace, whichever of the
// trace's writes it meets, never inside a line.
TEST(Endings, AMessageComesBetweenTheLinesOfATraceOnTheSameStream) {
  Folder f("shared_stream");
  std::string keys;
  for (int i = 0; i < 30; ++i) keys += " 1 Enter Space Space Esc";
  const std::string message = "--png: cannot write /dev/full: No space left on device";
  Outcome o =
      run({{"kelvaro", "--headless", "--keys", keys, "--trace", "/dev/stderr", "--png", "/dev/full"}, {kNoLeaks},
           f.dir / "err"});
  EXPECT_EQ(o.ending, rt::kOutputFailed);
  std::string text = slurp(f.dir / "err");
  ASSERT_GT(text.size(), 4u << 16) << "the trace passes 64 KiB several times";
  EXPECT_EQ(text.back(), '\n');
  int messages = 0;
  for (const std::string& line : o.says) {
    if (line == message) ++messages;
    else ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << line;
  }
  EXPECT_EQ(messages, 1);
  expectOnlyWholeOutputs(f);
}

// What the run writes to a stream reaches the stream's reader: on the
// master side of a pseudo-terminal (which, opened anew, would be a new
// terminal), the trace and the messages; on a pipe that two runs share,
// every line whole, never cut by the other run's.
TEST(Endings, AStreamIsWrittenWhereItLeads) {
  const std::string message = "unknown option \"--bogus\"";
  for (bool onError : {false, true}) {
    SCOPED_TRACE(onError ? "messages on a terminal's master side" : "a trace on a terminal's master side");
    Folder f("master_side");
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    termios raw{};
    ASSERT_EQ(tcgetattr(slave, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);
    Spawn s({"kelvaro", "--headless", "--keys", "1 Enter Space Esc"}, {kNoLeaks}, f.dir / "err");
    if (onError) {
      s.args.push_back("--bogus");
      s.errPipe = master;
    } else {
      s.args.insert(s.args.end(), {"--trace", "/dev/stdout"});
      s.outPipe = master;
    }
    pid_t pid = start(s);
    // What reaches the slave side, read until the run has ended and
    // nothing more comes. The test's master stays open meanwhile, so that
    // the terminal does not hang up, dropping what was not read yet, as
    // the run ends.
    std::string got;
    char buf[4096];
    auto giveUp = Clock::now() + 60s;
    for (bool ended = false; Clock::now() < giveUp;) {
      pollfd p{slave, POLLIN, 0};
      if (poll(&p, 1, ended ? 200 : 20) == 1) {
        ssize_t n = read(slave, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
      } else if (ended) {
        break;
      } else {
        ended = !alive(pid);
      }
    }
    close(slave);
    close(master);
    EXPECT_EQ(ending(pid), onError ? 2 : 0);
    ASSERT_FALSE(got.empty()) << "nothing reached the terminal";
    if (onError) {
      EXPECT_EQ(got.rfind(message, 0), 0u) << got;
    } else {
      EXPECT_EQ(got.back(), '\n');
      for (const std::string& line : linesOf(got))
        ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << line;
    }
  }
  // Two runs write their traces into one pipe.
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  Folder f("shared_pipe");
  std::vector<pid_t> runs;
  for (const char* program : {"kelvaro", "sindrel"}) {
    Spawn s({program, "--headless", "--keys", longScript(), "--trace", "/dev/stdout"}, {kNoLeaks},
            f.dir / (std::string(program) + ".err"));
    s.outPipe = ends[1];
    runs.push_back(start(s));
  }
  close(ends[1]);
  std::string got;
  char buf[65536];
  for (ssize_t n; (n = read(ends[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  close(ends[0]);
  for (pid_t pid : runs) EXPECT_EQ(ending(pid), 0);
  std::vector<std::string> lines = linesOf(got);
  ASSERT_GT(lines.size(), 10000u);
  for (const std::string& line : lines)
    ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}' && line.find("{\"op\":\"", 1) == std::string::npos)
        << line;
}

// The compressor fails as it does when memory runs out: the run says so in
// plain words, and its other outputs are written. Where the file system
// makes no unnamed files, the page's temporary name goes with it.
TEST(Endings, APngThatCannotBeMadeSaysWhy) {
  for (bool unnamedRefused : {false, true}) {
    SCOPED_TRACE(unnamedRefused ? "under temporary names" : "unnamed");
    Folder f("no_png");
    fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
    std::string preload = FAILING_COMPRESSOR;
    if (unnamedRefused) preload += std::string(":") + NO_UNNAMED_FILES;
    Outcome o = run({{"kelvaro", "--headless", "--keys", "1", "--png", png.string(), "--trace", trace.string()},
                     {"LD_PRELOAD=" + preload, "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"},
                     f.dir / "err"});
    EXPECT_EQ(o.ending, rt::kOutputFailed);
    EXPECT_EQ(o.says, std::vector<std::string>{"--png: cannot write " + png.string() +
                                               ": there was not enough memory to make the PNG"});
    EXPECT_FALSE(fs::exists(png));
    expectWholeTrace(trace);
    expectOnlyWholeOutputs(f);
  }
}

// A shell pipeline or a FIFO whose reader leaves before the run writes.
TEST(Endings, AReaderThatLeavesIsAFailedOutputAndTheOthersAreWritten) {
  Folder f("pipes");
  std::string d = f.dir.string(), bin = std::string(LESSON_BIN_DIR) + "/kelvaro --headless ";
  std::string many = "1 Enter";
  for (int i = 0; i < 300; ++i) many += " Space 1 Enter";
  ASSERT_EQ(mkfifo((f.dir / "fifo").c_str(), 0600), 0);
  fs::path err = f.dir / "err";
  struct Case {
    std::string before, args, after, says, written;
  };
  const Case cases[] = {
      {"", "--keys \"" + many + "\" --trace /dev/stdout --png " + d + "/a.png", "| head -c 10 >/dev/null",
       "--trace: cannot write /dev/stdout: Broken pipe", "a.png"},
      {"", "--keys \"1 Enter\" --png /dev/stdout --trace " + d + "/b.jsonl", "| true",
       "--png: cannot write /dev/stdout: Broken pipe", "b.jsonl"},
  };
  for (const Case& c : cases) {
    std::string script = c.before + bin + c.args + " 2>" + err.string() + " " + c.after +
                         "; s=${PIPESTATUS[0]}; wait; exit $s";
    int rc = std::system((kNoLeaks + " bash -c '" + script + "'").c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, rt::kOutputFailed) << script;
    std::vector<std::string> said = linesOf(slurp(err));
    ASSERT_EQ(said.size(), 1u) << script;
    EXPECT_EQ(said[0].rfind(c.says, 0), 0u) << said[0];
    if (c.written.find(".png") != std::string::npos) expectWholePng(f.dir / c.written);
    else expectWholeTrace(f.dir / c.written);
  }
  // The FIFO's reader is there when the run opens it, and leaves before
  // the run writes.
  fs::path fifo = f.dir / "fifo";
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  // A script that fills the FIFO many times over and ends by itself.
  pid_t pid = start({{"kelvaro", "--headless", "--keys", longScript(1000), "--trace", fifo.string(), "--png", d + "/c.png"},
                     {kNoLeaks},
                     err});
  // The run has filled the FIFO and has more to write.
  ASSERT_TRUE(until([&] { return pipeFull(reader); }, pid));
  close(reader);
  EXPECT_EQ(ending(pid), rt::kOutputFailed);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{"--trace: cannot write " + fifo.string() + ": Broken pipe"});
  expectWholePng(f.dir / "c.png");
  expectOnlyWholeOutputs(f);
}

}  // namespace
