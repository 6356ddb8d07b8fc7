#include "runtime/run_end.h"

#include <cstdlib>

#include "runtime/basic.h"
#include "runtime/endings.h"
#include "runtime/exit_status.h"
#include "runtime/messages.h"
#include "runtime/pending.h"

namespace rt {

namespace {

struct Handled {
  int began = -1;  // the outputs the run began with; -1: not begun
  int asked = -1;  // -1: not handled
  int failed = 0;
  std::string folderLeft;
};
Handled handled;

}  // namespace

void runBegan(int outputs) { handled.began = outputs; }

void outputsHandled(int asked, int failed) {
  handled.asked = asked;
  handled.failed = failed;
}

void folderLeft(const std::string& path) { handled.folderLeft = path; }

std::string outputsClause() {
  if (handled.asked <= 0) return "";
  if (handled.failed == 0) return "; the outputs hold the run as it stood";
  if (handled.failed < handled.asked) return "; the other outputs hold the run as it stood";
  return "; no output could be written";
}

int endRun(int status) {
  if (int sig = finalStop()) endByStop(sig);
  return status;
}

void endByStop(int sig) {
  std::string line = "stopped by " + signalName(sig);
  if (handled.asked >= 0) {
    line += outputsClause();
  } else if (handled.began >= 0) {
    if (handled.began > 0) line += "; the run ended before its outputs were written";
  } else {
    line += " before the run began; nothing was written";
    if (!handled.folderLeft.empty()) line += ", but the folder " + shown(handled.folderLeft) + " was made";
  }
  say(line);
  dieBy(sig);
}

void endAsLost(const std::string& what) {
  if (int sig = stopAsked()) endByStop(sig);
  // Said with the stops still taken, so that a stop ends a wait on a
  // stalled reader; one that came meanwhile ends the run by its signal.
  say(what + outputsClause());
  if (int sig = finalStop()) endByStop(sig);
  removeTemporaries();
  std::_Exit(handled.failed > 0 ? kOutputFailed : kDisplayLost);
}

void cannotStartNow(const std::string& line) {
  say(line);
  removeTemporaries();
  std::_Exit(kCannotStart);
}

void refuse(const std::string& line) {
  say(line + " (see --help)");
  throw ProgramEnd{kRefused};
}

void refuseOutput(const std::string& line, bool noDescriptor) {
  if (!noDescriptor) refuse(line);
  say("cannot start: " + line);
  throw ProgramEnd{kCannotStart};
}

}  // namespace rt
