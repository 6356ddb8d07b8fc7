// The benchmark: each program of the tour against a floor program of its
// own (bench/floor: one window, one Cairo surface, one line of the same
// face, built from the same libraries), side by side and as ratios:
// start-up to the main menu's first frame in a window and headless, each
// key's CPU of drawing and of presenting over a tour of every screen, the
// CPU and the wake-ups of a window left waiting at each kind of key wait,
// and peak memory.
// The window parts run on a virtual display of the benchmark's own and are
// skipped, with a message, where none can be started; should that display
// go away, the benchmark ends with a line that says so (status 3).
//
//   build/bin/lesson_bench [--size WxH] [--starts N] [--idle-seconds S] [--no-window]
#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tour/tour.h"
#include "tools/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The targets.
constexpr double kStartupRatio = 1.2;      // windowed start-up CPU against the floor's
constexpr double kWaitingPercent = 0.2;    // CPU, % of a core, while a window waits for a key
constexpr double kWakeupsPerSecond = 2.1;  // the run's threads' wake-ups a second meanwhile
constexpr double kSentPerChanged = 2.0;    // pixels presented per pixel that changed
constexpr double kWindowMemoryMB = 40;

fs::path binDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

struct ChildRun {
  double wallMs = 0, cpuMs = 0, maxrssMB = 0;
  int status = -1;
  std::string out;
};

double cpuMsOf(const rusage& ru) {
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-3;
}

// The child is traced only to stop it at its exit: its peak memory is read
// there from its own VmHWM. The rusage peak of a spawned child would count
// this benchmark's own pages, which the child shares until it execs.
pid_t spawn(std::vector<std::string> args, const std::string& outFile, bool traced = true) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int null = open("/dev/null", O_WRONLY);
    if (out < 0 || null < 0 || dup2(out, 1) < 0 || dup2(null, 2) < 0) _exit(127);
    if (traced) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    execve(argv[0], argv.data(), environ);
    _exit(127);
  }
  // Stopped at its exec: from here on it stops only at its exit.
  int status = 0;
  if (traced && pid > 0 && waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
    ptrace(PTRACE_CONT, pid, nullptr, 0);
  }
  return pid;
}

// VmHWM of a process, in MB (0 when it cannot be read).
double peakMBOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

ChildRun finish(pid_t pid, Clock::time_point t0, const std::string& outFile) {
  ChildRun run;
  int status = 0;
  rusage ru{};
  while (pid > 0 && wait4(pid, &status, 0, &ru) == pid) {
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      run.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      run.cpuMs = cpuMsOf(ru);
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    int signal = 0;
    if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      run.maxrssMB = peakMBOf(pid);
    } else {
      signal = WSTOPSIG(status);
    }
    ptrace(PTRACE_CONT, pid, nullptr, signal);
  }
  std::ifstream in(outFile);
  std::getline(in, run.out);
  fs::remove(outFile);
  return run;
}

std::string outFile() { return (fs::temp_directory_path() / ("lesson_bench_" + std::to_string(getpid()))).string(); }

ChildRun runChild(const std::vector<std::string>& args) {
  Clock::time_point t0 = Clock::now();
  return finish(spawn(args, outFile()), t0, outFile());
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Medians of wall time, CPU and peak memory over `count` fresh processes.
struct Starts {
  double wallMs = 0, cpuMs = 0, maxrssMB = 0;
  std::string out;
  bool ok = true;
};

// The program and the floor started by turns, so that the load of the
// machine weighs on both alike.
std::pair<Starts, Starts> starts(const std::vector<std::string>& program,
                                 const std::vector<std::string>& floor, int count) {
  std::vector<double> wall[2], cpu[2], mem[2];
  Starts s[2];
  for (int i = 0; i < count; ++i)
    for (int k = 0; k < 2; ++k) {
      ChildRun r = runChild(k == 0 ? program : floor);
      if (r.status != 0) s[k].ok = false;
      wall[k].push_back(r.wallMs), cpu[k].push_back(r.cpuMs), mem[k].push_back(r.maxrssMB);
      s[k].out = r.out;
    }
  for (int k = 0; k < 2; ++k)
    s[k].wallMs = median(wall[k]), s[k].cpuMs = median(cpu[k]), s[k].maxrssMB = median(mem[k]);
  return {s[0], s[1]};
}

// What a process has used so far, read from outside while it runs: its
// CPU from the process's CPU clock (nanoseconds, with the threads that
// have ended), and the voluntary context switches of each of its threads,
// each one a time the thread went to sleep and so a wake-up after it.
struct Usage {
  bool ok = false;
  double cpuSeconds = 0;
  std::map<pid_t, long long> switches;  // by thread
};

Usage usageOf(pid_t pid) {
  Usage u;
  clockid_t clock;
  timespec ts{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &ts) != 0) return u;
  u.cpuSeconds = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
  std::error_code ec;
  for (const fs::directory_entry& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "status");
    for (std::string line; std::getline(in, line);)
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
        u.switches[std::atoi(task.path().filename().c_str())] = std::atoll(line.c_str() + 24);
  }
  u.ok = !ec && !u.switches.empty();
  return u;
}

// Why a child of this process has ended, without taking its status: ""
// while it runs.
std::string endedWhy(pid_t pid) {
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return "it is gone";
  if (info.si_pid == 0) return "";
  if (info.si_code == CLD_EXITED) return "it exited with status " + std::to_string(info.si_status);
  return "it ended by signal " + std::to_string(info.si_status) + ", " + strsignal(info.si_status);
}

// A process's CPU, as % of a core, and wake-ups a second between two
// samples. A thread that ended between them took its last switches with
// it (and one that began and ended between them is not seen at all): the
// wake-ups are then at least the figure.
struct Rates {
  double percent = 0, wakeups = 0;
  int threadsEnded = 0;
};

Rates ratesBetween(const Usage& a, const Usage& b, double seconds) {
  Rates r;
  r.percent = 100.0 * (b.cpuSeconds - a.cpuSeconds) / seconds;
  long long switches = 0;
  for (const auto& [tid, n] : b.switches) {
    auto before = a.switches.find(tid);
    switches += n - (before == a.switches.end() ? 0 : before->second);
  }
  for (const auto& [tid, n] : a.switches) r.threadsEnded += b.switches.count(tid) == 0;
  r.wakeups = static_cast<double>(switches) / seconds;
  return r;
}

struct Waiting {
  Rates program, server;
  double maxrssMB = 0;
  std::string failure;  // why nothing was measured; "" when it was
};

// A window started with `keys` and left waiting: its CPU and wake-ups and
// the display server's over `seconds`, after a moment to reach the wait.
// A run or a server that ends before the interval does is not waiting:
// the measurement fails.
Waiting waitingAt(const fs::path& exe, const std::string& keys, pid_t server, double seconds) {
  Waiting w;
  Clock::time_point t0 = Clock::now();
  std::string out = outFile();
  // Not traced: a traced child would sit in each signal stop while nobody
  // waits on it.
  pid_t pid = spawn({exe.string(), "--keys", keys}, out, false);
  if (pid <= 0) {
    w.failure = "the program could not be started";
    return w;
  }
  // Each sample is followed by the look at whether the run and the server
  // still run, so that no sample can be of a run that had ended.
  auto check = [&](const Usage& p, const Usage& s, const char* when) {
    std::string why;
    if (std::string ended = endedWhy(server); !ended.empty()) {
      why = "the display server ended " + std::string(when) + " (" + ended + ")";
    } else if (std::string ended = endedWhy(pid); !ended.empty()) {
      why = "the run ended " + std::string(when) + " (" + ended + ")";
    } else if (!p.ok || !s.ok) {
      why = "what the run or the server used could not be read from /proc";
    }
    return why;
  };
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  Usage a = usageOf(pid), sa = usageOf(server);
  Clock::time_point from = Clock::now();
  w.failure = check(a, sa, "before the interval");
  if (w.failure.empty()) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    Usage b = usageOf(pid), sb = usageOf(server);
    double measured = std::chrono::duration<double>(Clock::now() - from).count();
    w.maxrssMB = peakMBOf(pid);
    w.failure = check(b, sb, "during the interval");
    w.program = ratesBetween(a, b, measured);
    w.server = ratesBetween(sa, sb, measured);
  }
  kill(pid, SIGTERM);
  finish(pid, t0, out);
  return w;
}

// The benchmark cannot go on: its virtual display is gone.
struct BenchEnd {
  std::string why;
};

void requireDisplay(const VirtualDisplay& display) {
  if (std::string why = endedWhy(display.pid()); !why.empty())
    throw BenchEnd{"the virtual display " + display.name() + " is gone (" + why + ")"};
}

// The tour in a window. A run whose window cannot be opened (its display
// gone, most likely) ends before the run does, so outside it.
TourResult windowTour(const TourProgram& program, const rt::Options& options, const VirtualDisplay& display) {
  try {
    return tour(program, options);
  } catch (const rt::ProgramEnd& end) {
    requireDisplay(display);
    throw BenchEnd{"the window tour of " + program.name + " ended outside its run, with status " +
                   std::to_string(end.status)};
  } catch (const rt::CannotStart& e) {
    throw BenchEnd{"the window tour of " + program.name + " could not start: " + e.what()};
  }
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

struct Summary {
  double median = 0, worst = 0;
  std::string worstWhere = "-";
  size_t count = 0;
};

Summary summarise(const std::vector<TourStep>& steps, double TourStep::*field) {
  Summary s;
  std::vector<double> v;
  for (const TourStep& st : steps) {
    if (st.*field < 0) continue;
    v.push_back(st.*field);
    if (st.*field >= s.worst) s.worst = st.*field, s.worstWhere = st.where;
  }
  s.median = median(v);
  s.count = v.size();
  return s;
}

void printTour(const char* mode, const TourResult& t) {
  std::printf("  %s tour: %d screens entered, %d keys, %d run(s); start-up in process %.1f ms\n", mode,
              t.screensEntered, t.keys, t.runs, t.startupMs);
  Summary wall = summarise(t.steps, &TourStep::ms);
  Summary draw = summarise(t.steps, &TourStep::drawCpuMs);
  std::printf("    per key, drawing:    wall median %.3f ms, worst %.3f ms (%s); CPU median %.3f ms, worst %.3f ms (%s)\n",
              wall.median, wall.worst, wall.worstWhere.c_str(), draw.median, draw.worst, draw.worstWhere.c_str());
  for (const std::string& f : t.failures) std::printf("    not completed: %s\n", f.c_str());
}

}  // namespace

int bench(int argc, char** argv) {
  int width = 1920, height = 1080, count = 21;
  double idleSeconds = 10;
  bool window = true;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--size" && i + 1 < argc) {
      std::sscanf(argv[++i], "%dx%d", &width, &height);
    } else if (a == "--starts" && i + 1 < argc) {
      count = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--idle-seconds" && i + 1 < argc) {
      idleSeconds = std::max(1.0, std::atof(argv[++i]));
    } else if (a == "--no-window") {
      window = false;
    } else {
      std::fprintf(stderr, "usage: lesson_bench [--size WxH] [--starts N] [--idle-seconds S] [--no-window]\n");
      return 2;
    }
  }

  std::unique_ptr<VirtualDisplay> display;
  if (window) {
    display = std::make_unique<VirtualDisplay>(width, height);
    if (display->ok()) {
      setenv("DISPLAY", display->name().c_str(), 1);
      unsetenv("WAYLAND_DISPLAY");
      unsetenv("SDL_VIDEODRIVER");
    } else {
      std::printf("window part skipped: no virtual display could be started (is Xvfb installed?)\n");
      window = false;
    }
  }
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const fs::path floorExe = binDir() / "lesson_floor";
  std::printf("Against the floor (%s), at %s, medians of %d fresh processes%s\n", floorExe.filename().c_str(),
              size.c_str(), count, window ? (", window on virtual display " + display->name()).c_str() : "");

  if (!fs::exists(floorExe)) {
    std::fprintf(stderr, "%s is missing: build the lesson_floor target\n", floorExe.c_str());
    return 1;
  }

  bool allMet = true;
  double floorDraw = 0, floorShow = 0;  // the floor's drawing and its one present, CPU ms
  for (const TourProgram& program : tourPrograms()) {
    fs::path exe = binDir() / program.name;
    std::printf("\n%s                                   program      floor    ratio  target\n", program.name.c_str());
    auto row = [](const char* what, double p, double f, const char* unit, const std::string& target) {
      std::printf("  %-32s %8.1f %-3s %7.1f %-3s %6.2f  %s\n", what, p, unit, f, unit, f > 0 ? p / f : 0.0,
                  target.c_str());
    };
    auto [headless, floorHeadless] =
        starts({exe.string(), "--headless", "--keys", "", "--size", size}, {floorExe.string(), "--headless"}, count);
    row("start-up headless, wall", headless.wallMs, floorHeadless.wallMs, "ms", "");
    row("start-up headless, CPU", headless.cpuMs, floorHeadless.cpuMs, "ms", "");
    row("peak memory headless", headless.maxrssMB, floorHeadless.maxrssMB, "MB", "");
    if (window) {
      requireDisplay(*display);
      // The window ends through the main menu's end item once it has shown
      // its first frame.
      auto [shown, floorWindow] =
          starts({exe.string(), "--keys", std::to_string(program.endItem) + " Enter"}, {floorExe.string()}, count);
      std::sscanf(floorWindow.out.c_str(), "%lf %lf", &floorDraw, &floorShow);
      bool met = shown.ok && shown.cpuMs <= kStartupRatio * floorWindow.cpuMs;
      allMet &= met;
      row("start-up window, wall", shown.wallMs, floorWindow.wallMs, "ms", "");
      row("start-up window, CPU", shown.cpuMs, floorWindow.cpuMs, "ms",
          "<= " + std::to_string(kStartupRatio).substr(0, 3) + " x floor: " + verdict(met));
      met = shown.maxrssMB < kWindowMemoryMB;
      allMet &= met;
      row("peak memory window", shown.maxrssMB, floorWindow.maxrssMB, "MB",
          "< " + std::to_string(static_cast<int>(kWindowMemoryMB)) + " MB: " + verdict(met));
    }

    rt::Options options;
    options.width = width, options.height = height, options.seed = 5;
    options.headless = true;
    printTour("headless", tour(program, options));
    if (window) {
      options.headless = false;
      requireDisplay(*display);
      TourResult t = windowTour(program, options, *display);
      printTour("window", t);
      Summary show = summarise(t.steps, &TourStep::showCpuMs);
      std::printf("    per key, presenting: CPU median %.3f ms, worst %.3f ms (%s); the floor's one whole frame %.3f ms"
                  " (worst/floor %.2f)\n",
                  show.median, show.worst, show.worstWhere.c_str(), floorShow, floorShow > 0 ? show.worst / floorShow : 0);
      long long sent = 0, changed = 0;
      for (const TourStep& s : t.steps) sent += s.sent, changed += s.changed;
      double ratio = changed > 0 ? static_cast<double>(sent) / static_cast<double>(changed) : 0;
      bool met = ratio <= kSentPerChanged;
      allMet &= met;
      std::printf("    pixels presented %lld, changed %lld: %.2f per changed pixel (target <= %.0f: %s);"
                  " whole pages %.1f\n",
                  sent, changed, ratio, kSentPerChanged, verdict(met),
                  static_cast<double>(sent) / (static_cast<double>(width) * height));

      rusage self{};
      getrusage(RUSAGE_SELF, &self);
      std::printf("    peak memory of this benchmark after both tours: %.1f MB (a bound for a whole tour in a window)\n",
                  static_cast<double>(self.ru_maxrss) / 1024.0);
      std::printf("  waiting over %.0f s (program / display server): %% of a core, wake-ups a second"
                  " (one wake-up more: +%.2f)\n",
                  idleSeconds, 1 / idleSeconds);
      struct Wait {
        const char* name;
        std::string keys;
      };
      for (const Wait& w : {Wait{"number prompt", ""}, Wait{"any-key wait", program.anyKeyWait},
                            Wait{"motion pause", program.motionPause}}) {
        if (w.name != std::string("number prompt") && w.keys.empty()) continue;
        requireDisplay(*display);
        Waiting waiting = waitingAt(exe, w.keys, display->pid(), idleSeconds);
        if (!waiting.failure.empty()) {
          allMet = false;
          std::printf("    %-14s not measured: %s: MISSED\n", w.name, waiting.failure.c_str());
          continue;
        }
        const Rates& p = waiting.program;
        bool cpuMet = p.percent <= kWaitingPercent, wakeupsMet = p.wakeups <= kWakeupsPerSecond;
        allMet &= cpuMet && wakeupsMet;
        std::printf("    %-14s CPU %6.3f%% / %6.3f%%   wake-ups %5.2f%s / %5.2f%s   peak memory %.1f MB\n", w.name,
                    p.percent, waiting.server.percent, p.wakeups, p.threadsEnded > 0 ? "+" : "",
                    waiting.server.wakeups, waiting.server.threadsEnded > 0 ? "+" : "", waiting.maxrssMB);
        std::printf("    %-14s target CPU <= %.1f%%: %s; wake-ups <= %.1f a second: %s\n", "", kWaitingPercent,
                    verdict(cpuMet), kWakeupsPerSecond, verdict(wakeupsMet));
        if (p.threadsEnded + waiting.server.threadsEnded > 0)
          std::printf("    %-14s (+: threads ended meanwhile, %d of the run, %d of the server; their last wake-ups"
                      " are not counted)\n",
                      "", p.threadsEnded, waiting.server.threadsEnded);
      }
    }
  }
  std::printf("\n%s\n", window ? (allMet ? "all targets met" : "some targets MISSED")
                               : "window targets not measured");
  return allMet ? 0 : 1;
}

int main(int argc, char** argv) {
  // Each line goes out as it is printed: a display lost inside a window
  // tour ends this process at once, and what was measured by then stays.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  try {
    return bench(argc, argv);
  } catch (const BenchEnd& end) {
    std::printf("\nbenchmark ended: %s; the window parts cannot go on\n", end.why.c_str());
    return 3;
  }
}
