#include <cstdio>
#include <memory>

#include "framework/framework.h"
#include "runtime/display.h"
#include "runtime/endings.h"
#include "runtime/fonts.h"
#include "runtime/messages.h"
#include "runtime/run_end.h"
#include "runtime/streams.h"

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
      rt::say("runtime error " + std::to_string(e.err()) + " (" + e.what() + ") at " + e.file() + ":" +
              std::to_string(e.erl()));
      ErrorHandler();
    }
  } catch (const rt::ProgramEnd& end) {
    return rt.finish() ? end.status : rt::kOutputFailed;
  }
  return rt.finish() ? rt::kEnded : rt::kOutputFailed;
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

int RunProgram(int argc, char** argv,
               const std::function<std::unique_ptr<Framework>(rt::Runtime&)>& make) {
  rt::takeStandardStreams();
  if (std::string why = rt::catchEndings(); !why.empty()) {
    rt::say("cannot start: " + why);
    return rt::endRun(rt::kCannotStart);
  }
  int status = rt::kEnded;
  try {
    rt::Options options = rt::parseOptions(argc, argv);
    std::unique_ptr<rt::Runtime> runtime;
    std::string cannotStart;
    try {
      runtime = std::make_unique<rt::Runtime>(options);
    } catch (const rt::CannotStart& e) {
      cannotStart = std::string("cannot start: ") + e.what();
    }
    // The display is open: the watchdog may come in.
    rt::watchFromNowOn();
    if (!runtime) {
      rt::showStartupError(cannotStart, options.headless);
      status = rt::kCannotStart;
    }
    if (runtime) {
      std::unique_ptr<Framework> program = make(*runtime);
      runtime->setTitle(program->programTitle);
      status = program->Run();
    }
  } catch (const rt::ProgramEnd& end) {
    status = end.status;
  } catch (const std::exception& e) {
    rt::say(std::string("fatal: ") + e.what());
    status = rt::kInternalFailure;
  }
  return rt::endRun(status);
}
