#include <cstdio>
#include <memory>

#include "framework/framework.h"
#include "runtime/display.h"
#include "runtime/endings.h"
#include "runtime/fonts.h"

Framework::Framework(rt::Runtime& runtime, std::string title)
    : rt(runtime), programTitle(std::move(title)) {}

int Framework::Run() {
  return RunGuarded([this] { StartUp(); });
}

int Framework::RunGuarded(const std::function<void()>& body) {
  try {
    try {
      body();
    } catch (const rt::RuntimeError& e) {
      rt.abortMeasure();
      ERR = static_cast<float>(e.err());
      ERL = static_cast<float>(e.erl());
      std::fprintf(stderr, "runtime error %d (%s) at %s:%d\n", e.err(), e.what(), e.file().c_str(),
                   e.erl());
      ErrorHandler();
    }
  } catch (const rt::ProgramEnd& end) {
    return rt.finish() ? end.status : rt::kOutputFailed;
  }
  return rt.finish() ? 0 : rt::kOutputFailed;
}

void Framework::StartUp() {
  rt.SETMAPMODE(1);
  rt.MAXIMIZEWINDOW();
  SETFONTNAME("ｺﾞｼｯｸ");
  SETFONTSIZE(16);
  SETDRAWWIDTH(3);
  // The seed is the sum of the clock's hours, minutes and seconds, unless
  // the run was given a fixed one.
  std::string now = rt.TIME();
  A = VAL(LEFT(now, 2)) + VAL(MID(now, 4, 2)) + VAL(RIGHT(now, 2));
  if (rt.fixedSeed()) A = static_cast<float>(*rt.fixedSeed());
  rt.RANDOMIZE(A);
  CCC1 = 4;
  KAIX = 1056;
  KAIY = 648;
  TITLE_S = programTitle;
  X_A.dim(40);
  Y_A.dim(40);
  G_A.dim(10, 2);
  X_SA.dim(20);
  T_A.dim(80);
  F_A.dim(40);
  T_SA.dim(80);
  F_SA.dim(40);
  R_A.dim(10);
  U_A.dim(40);
  V_A.dim(40);
  MainMenu();
}

void Framework::ErrorHandler() {
  CLS();
  A = ERL;
  A_S = STR(A);
  B = ERR;
  B_S = STR(B);
  SYMBOL(288, 432, A_S + "," + B_S + "エラーが発生しました。マウスで×をクリックして下さい。", 1, 1, 13);
  rt.holdUntilClosed();
}

namespace {

// What a stop leaves, said once the outputs have been handled: `outputs`
// asked for, `failed` of them not written (each said in a line before), or
// -1 when the run did not get to begin.
std::string stopLine(int sig, int outputs, int failed) {
  std::string line = "stopped by " + rt::signalName(sig);
  if (outputs < 0) return line + " before the run began; nothing was written";
  if (outputs == 0) return line;
  if (failed == 0) return line + "; the outputs hold the run as it stood";
  if (failed < outputs) return line + "; the other outputs hold the run as it stood";
  return line + "; no output could be written";
}

}  // namespace

int RunProgram(int argc, char** argv,
               const std::function<std::unique_ptr<Framework>(rt::Runtime&)>& make) {
  rt::catchEndings();
  int status = 0, outputs = -1, failed = 0;
  try {
    rt::Options options = rt::parseOptions(argc, argv);
    std::unique_ptr<rt::Runtime> runtime;
    try {
      runtime = std::make_unique<rt::Runtime>(options);
    } catch (const rt::CannotStart& e) {
      rt::showStartupError(std::string("cannot start: ") + e.what(), options.headless);
      status = 1;
    }
    if (runtime) {
      std::unique_ptr<Framework> program = make(*runtime);
      runtime->setTitle(program->programTitle);
      status = program->Run();
      outputs = runtime->outputs();
      failed = runtime->failedOutputs();
    }
  } catch (const rt::ProgramEnd& end) {
    status = end.status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fatal: %s\n", e.what());
    status = 4;
  }
  // The window is closed and the outputs handled: a stop asked for at any
  // time before now ends the process by its signal, so that the caller
  // (a shell loop, make) stops too.
  if (int sig = rt::finalStop()) {
    std::fprintf(stderr, "%s\n", stopLine(sig, outputs, failed).c_str());
    rt::dieBy(sig);
  }
  return status;
}
