// A stopped run on a busy machine: sharing one CPU with its display server
// and with busy processes of higher priority, a run stopped while it makes
// its window waits seconds for a CPU, and so does the server it waits on.
// That waiting is not the run's: it still writes its outputs.
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "tests/runtime/run_harness.h"
#include "tools/virtual_display.h"

namespace {

using namespace run_harness;

// Busy processes on `cpu`, at this process's priority; ended with the
// object.
struct BusyLoops {
  BusyLoops(int count, int cpu) {
    for (int i = 0; i < count; ++i) {
      pid_t pid = fork();
      if (pid == 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        sched_setaffinity(0, sizeof one, &one);
        for (volatile unsigned n = 0;; ++n) {
        }
      }
      if (pid > 0) loops.push_back(pid);
    }
  }
  ~BusyLoops() {
    for (pid_t pid : loops) kill(pid, SIGKILL);
    for (pid_t pid : loops) waitpid(pid, nullptr, 0);
  }
  std::vector<pid_t> loops;
};

TEST(Endings, AStopOnABusyCpuKeepsTheOutputs) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
  if (access("/usr/bin/taskset", X_OK) != 0 || access("/usr/bin/nice", X_OK) != 0)
    GTEST_SKIP() << "no taskset or nice here";
  // One CPU of those this test may use.
  cpu_set_t mine;
  ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
  int cpu = 0;
  while (!CPU_ISSET(cpu, &mine)) ++cpu;
  VirtualDisplay display(1500, 800);
  ASSERT_TRUE(display.ok());
  // The server and the run below the busy loops' priority, all on that CPU.
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  ASSERT_EQ(sched_setaffinity(display.pid(), sizeof one, &one), 0);
  ASSERT_EQ(setpriority(PRIO_PROCESS, display.pid(), getpriority(PRIO_PROCESS, 0) + 8), 0);
  BusyLoops busy(12, cpu);
  Folder f("busy");
  fs::path trace = f.dir / "t.jsonl", png = f.dir / "p.png";
  pid_t pid = start({{"/usr/bin/nice", "-n", "8", "/usr/bin/taskset", "-c", std::to_string(cpu),
                      std::string(LESSON_BIN_DIR) + "/kelvaro", "--keys", "1 Enter", "--trace", trace.string(), "--png",
                      png.string()},
                     {"DISPLAY=" + display.name(), kNoLeaks},
                     f.dir / "err"});
  // Stopped as soon as it takes a stop: while it makes its window, which
  // takes seconds here.
  ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
  kill(pid, SIGTERM);
  EXPECT_EQ(ending(pid), -SIGTERM);
  EXPECT_EQ(linesOf(slurp(f.dir / "err")),
            std::vector<std::string>{"stopped by SIGTERM; the outputs hold the run as it stood"});
  expectWholeTrace(trace);
  expectWholePng(png);
  expectOnlyWholeOutputs(f);
}

}  // namespace
