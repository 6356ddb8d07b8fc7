// The processes a run starts: only the run's own child is made to go with
// the run, with every signal's default handling; what that child starts
// in turn (a library's helper, forked twice before it runs a program) is
// left alone.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/endings.h"

namespace {

bool atDefault(int sig) {
  struct sigaction now {};
  return sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_DFL;
}

// Runs `body` in a process of its own and returns its exit status, or
// minus the signal that ended it.
template <typename F>
int inProcess(F body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int rc = 0;
  waitpid(pid, &rc, 0);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -WTERMSIG(rc);
}

TEST(Forks, TheRunsChildTakesEveryDefaultAndItsOwnChildIsLeftAlone) {
  int status = inProcess([] {
    if (!rt::catchEndings().empty()) return 90;
    // The run's handling is there, SIGPIPE ignored.
    if (atDefault(SIGTERM) || atDefault(SIGPIPE)) return 91;
    return inProcess([] {
      // The run's child: the defaults, SIGPIPE's and SIGXFSZ's too, so that
      // a pipeline it runs ends as it would from a shell.
      for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGXFSZ, SIGSEGV, SIGQUIT, SIGUSR1})
        if (!atDefault(sig)) return 10 + sig;
      // Its child is a process like any other: it runs and ends as it
      // would.
      return inProcess([] { return 7; }) == 7 ? 0 : 80;
    });
  });
  EXPECT_EQ(status, 0);
}

// The run's child dies with the run; its own child does not.
TEST(Forks, TheRunsChildGoesWithTheRun) {
  int told[2], ready[2];
  ASSERT_EQ(pipe(told), 0);
  ASSERT_EQ(pipe(ready), 0);
  pid_t run = fork();
  if (run == 0) {
    close(told[0]);
    if (!rt::catchEndings().empty()) _exit(90);
    if (fork() == 0) {
      pid_t parent = getpid();
      if (fork() == 0) {
        close(ready[0]);
        (void)!write(ready[1], "r", 1);
        // Says it is there once its parent is gone, then ends.
        while (getppid() == parent) usleep(1000);
        (void)!write(told[1], "g", 1);
        _exit(0);
      }
      for (;;) pause();
    }
    // Gone once both are there, leaving its child behind it.
    close(ready[1]);
    char r;
    _exit(read(ready[0], &r, 1) == 1 ? 0 : 91);
  }
  close(told[1]);
  close(ready[1]);
  int rc = 0;
  waitpid(run, &rc, 0);
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << rc;
  // The child killed with the run, its own child tells so and ends;
  // should the child live on, nothing comes.
  pollfd p{told[0], POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 30000), 1) << "the run's child lived on";
  char got = 0;
  EXPECT_EQ(read(told[0], &got, 1), 1);
  EXPECT_EQ(got, 'g');
  close(told[0]);
  close(ready[0]);
}

}  // namespace
