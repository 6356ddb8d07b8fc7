#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>

#include "runtime/endings.h"
#include "runtime/messages.h"
#include "runtime/run_end.h"
#include "runtime/runtime.h"
#include "runtime/streams.h"
#include "runtime/targets.h"

namespace rt {

std::vector<int> parseKeys(const std::string& script) {
  static const std::map<std::string, int> named = {
      {"Enter", kEnter}, {"Backspace", kBackspace}, {"Clear", kClear}, {"Right", kRight},
      {"Left", kLeft},   {"Up", kUp},               {"Down", kDown},   {"Space", ' '},
      {"Esc", kEsc},
  };
  std::vector<int> keys;
  size_t i = 0;
  while (i < script.size()) {
    if (script[i] == ' ' || script[i] == '\t' || script[i] == '\n') { ++i; continue; }
    size_t j = i;
    while (j < script.size() && script[j] != ' ' && script[j] != '\t' && script[j] != '\n') ++j;
    std::string token = script.substr(i, j - i);
    i = j;
    if (token.size() == 1 && static_cast<unsigned char>(token[0]) > 0x20 &&
        static_cast<unsigned char>(token[0]) < 0x7f) {
      keys.push_back(token[0]);
      continue;
    }
    auto it = named.find(token);
    if (it == named.end()) throw std::invalid_argument("unknown key \"" + shown(token) + "\"");
    keys.push_back(it->second);
  }
  return keys;
}

namespace {

const char* const kKeyNames = "Enter, Backspace, Clear, Right, Left, Up, Down, Space, Esc";

// Prints the usage on the standard output; false, said, when it could not
// be written whole.
bool printHelp(const std::string& program) {
  char text[12288];
  std::snprintf(
      text, sizeof text,
      "usage: %s [options]\n"
      "Starts the lessons in a maximised window, or without one (--headless).\n"
      "\n"
      "  --headless      run without a window on the keys of --keys\n"
      "  --keys KEYS     keys taken before any typed ones, separated by blanks:\n"
      "                  one printable ASCII character, or one of Enter,\n"
      "                  Backspace, Clear, Right, Left, Up, Down, Space, Esc\n"
      "  --png FILE      the page as a PNG image when the run ends\n"
      "  --shots DIR     DIR/shot-0001.png, ...: the page as it was when each key\n"
      "                  was taken (DIR is made when missing); past 9999 they are\n"
      "                  shot-10000.png ..., which ls -v or sort -V puts in order\n"
      "  --trace FILE    every drawing operation and key taken, one JSON object a line\n"
      "  --size WxH      the page's size, width and height each from 1 to %d\n"
      "                  (headless: 1920x1080, and any size is taken, a small one\n"
      "                  cutting the figures; in a window: the window's size, but\n"
      "                  never less than %dx%d, which the lessons' layout needs:\n"
      "                  the page is never scaled)\n"
      "  --seed N        seeds the random numbers with N, from 0 to 4294967295,\n"
      "                  instead of the clock\n"
      "  -h, --help      prints this and ends\n"
      "\n"
      "An output that is a character device or a FIFO is written in place (a FIFO\n"
      "once a reader has opened it: the run says that it waits, and waits before\n"
      "its window opens), a link is written through, and a new or regular file\n"
      "gets its name only once it is complete. A socket, a block device or any\n"
      "other special file is refused, and so is a stream named as an output\n"
      "(/dev/stdout) that is a listening or unconnected socket, a file marked\n"
      "append-only or immutable (or in a folder marked append-only) that would be\n"
      "replaced, and for --png a terminal (a PNG is binary data). In a\n"
      "folder that is sticky and writable by all, such as /tmp, a link, a FIFO or\n"
      "a file is used only when it is the user's own or the folder owner's, for\n"
      "root too; in another sticky folder, another user's file is refused unless\n"
      "the folder is the user's own or the user may override owners (CAP_FOWNER,\n"
      "as root has). Two outputs may not share a file, but for /dev/null: --png\n"
      "and --trace on one pipe count as one file. A name the shots take\n"
      "(shot-0001.png ...) in the --shots folder is refused for --png and --trace,\n"
      "and the folder is refused when such a name there is a folder, a FIFO or\n"
      "another file the shots could not write.\n"
      "\n"
      "A file that an output replaces keeps its mode but for the set-ID bits, its\n"
      "owner and group where the user may set them (else its group gets no more\n"
      "than the others), its access list, user.* attributes and security label.\n"
      "What cannot be read or set is lost, never widening who may read or write\n"
      "the file; other attributes, such as trusted.* and security.ima, are not kept.\n"
      "\n"
      "Exit status: 0 the run ended (the window closed, the main menu's last item was\n"
      "chosen, or the keys of a headless run were spent: the trace's KEY lines show\n"
      "how many keys were taken); 1 it could not start (no display, a font missing,\n"
      "no memory for the page, no file descriptor left) or the usage of --help\n"
      "could not be written; 2 the command line was refused (one line, which ends\n"
      "with \"(see --help)\"); 3 a runtime error\n"
      "(the error screen was shown); 4 an internal failure; %d an output could not be\n"
      "written; %d the display was lost during the run. After 0, 3, %d and %d the\n"
      "outputs hold the run as it stood (but for those that could not be written);\n"
      "after 1, 2 and 4 they are as they were before the run.\n"
      "\n"
      "SIGTERM, SIGINT or SIGHUP stops the run: it writes its outputs, says so, and\n"
      "dies by that signal, which a shell reports as %d+N (129 SIGHUP, 130 SIGINT,\n"
      "143 SIGTERM). A shell loop around runs stops too when the signal reaches its\n"
      "whole process group, as Ctrl-C does. One act often comes as several stops\n"
      "(Ctrl-C from the terminal and again from timeout, which relays it; a closed\n"
      "terminal's hang-up from the system and from the shell): every stop within\n"
      "%d ms of the first, from whoever sends it, is that one stop. A signal\n"
      "ignored when the run starts stays ignored (a script's background job starts\n"
      "with SIGINT ignored, so stop it with SIGTERM); one held when it starts is\n"
      "taken all the same.\n"
      "Once stopped, the run counts the time it spends blocked, neither working on\n"
      "a CPU nor waiting for one: its own work (drawing, making the PNG), a busy\n"
      "machine's delays and a local display server's waits for a CPU do not count.\n"
      "It gives readers that take nothing (a FIFO, a pipe, a stalled standard\n"
      "error) %d ms of it in all and drops what they did not take; blocked %d ms\n"
      "in all on anything else (the display server, a message box, a file system),\n"
      "or %d ms on its own files (a slow disk), it ends at once, as at a second\n"
      "stop, whatever it waits in and whatever signal mask and limits it started\n"
      "with (a run that can have neither a thread nor a timer to keep this count\n"
      "does not start). Without /proc, the time it waits for a CPU counts too. A\n"
      "very large page (16384x16384) takes seconds to make: a stop that comes then\n"
      "is a second stop. A second stop, any other signal that ends a process, a\n"
      "crash or SIGKILL ends the run at once: a file of --png or --trace is then as\n"
      "it was before the run unless it was already written (the trace is put in\n"
      "place first), a device, FIFO or stream holds what was written to it so far,\n"
      "and the shots taken so far stay. A process the run starts (a message box)\n"
      "ends with it; what that process starts is left alone. SIGKILL, or an ending\n"
      "at once that stays blocked %d ms (on a file system that hangs), may leave a\n"
      "hidden file .out-PID-XXXXXXXXXXXXXXXX.part (16 random hexadecimal digits)\n"
      "beside an output that replaces a file (beside any file output where the file\n"
      "system makes no unnamed files or /proc is missing); a later run of the same\n"
      "user that writes into that folder removes it once its last change is a\n"
      "minute old, its run is gone and no process holds a lock on it.\n"
      "--shots into a folder with an earlier run's shots replaces those this run\n"
      "takes and leaves the others: a run never removes a file it did not write.\n",
      program.c_str(), kMaxPageSide, kLayoutWidth, kLayoutHeight, kOutputFailed, kDisplayLost, kOutputFailed,
      kDisplayLost, kSignalled, kSameActMs, kReadersShareMs, kStopBoundMs, kOwnFilesBudgetMs, kEndingMs);
  // Usage that is not all written is a failure, as of any program that
  // prints: a full disk, a closed standard output (held open on /dev/null
  // since the start, and so known as closed by what was noted then). A
  // stop while a reader takes nothing ends the run by its signal anyway.
  std::string why = "it is closed";
  if (!closedAtStart(1)) {
    StreamWriter::Put put = StreamWriter(1).put(text, std::strlen(text));
    if (put != StreamWriter::Put::kFailed) return put == StreamWriter::Put::kDone;
    why = std::strerror(errno);
  }
  say("--help: cannot write the usage to the standard output: " + why);
  return false;
}

// Whether the shots will take `name` (shot-0001.png ... shot-9999.png,
// shot-10000.png ...).
bool shotName(const std::string& name) {
  static const std::regex shot(R"(shot-(0(?!000)[0-9]{3}|[1-9][0-9]{3,})\.png)");
  return std::regex_match(name, shot);
}

// The outputs must be writable now, so that a run is refused before it
// starts (and before its window opens) rather than losing an output at
// the end; two outputs on one file would overwrite each other. Links are
// followed to the file each ends up at. What is found is kept: the run
// opens its outputs from it.
void checkOutputs(Options& o) {
  auto targets = std::make_shared<OutputTargets>(outputTargets(o.png, o.trace, o.shots));
  OutputTarget& shots = targets->shots;
  if (!o.shots.empty()) checkShotNames(shots, shotName);
  if (!o.shots.empty() && !shots.problem.empty())
    refuseOutput("--shots: cannot write into " + shown(o.shots) + ": " + shots.problem, shots.noDescriptor);
  struct File {
    std::string option, path;
    const OutputTarget& target;
  };
  std::vector<File> files;
  if (!o.png.empty()) files.push_back({"--png", o.png, targets->png});
  if (!o.trace.empty()) files.push_back({"--trace", o.trace, targets->trace});
  for (const File& f : files) {
    // The shots' folder is made before the other outputs are opened.
    bool madeByShots = !o.shots.empty() && !f.target.missingFolder.empty() &&
                       f.target.missingFolder == shots.file;
    if (!f.target.problem.empty() && !madeByShots)
      refuseOutput(f.option + ": cannot write " + shown(f.path) + ": " + f.target.problem, f.target.noDescriptor);
    if (!o.shots.empty() && f.target.folder == shots.file &&
        shotName(std::filesystem::path(f.target.file).filename().string()))
      refuse(f.option + " " + shown(f.path) + " is one of the shots of --shots " + shown(o.shots));
  }
  if (!o.shots.empty()) files.push_back({"--shots", o.shots, shots});
  for (size_t i = 0; i < files.size(); ++i)
    for (size_t j = i + 1; j < files.size(); ++j)
      if (!files[i].target.identity.empty() && files[i].target.identity == files[j].target.identity)
        refuse(files[i].option + " and " + files[j].option + " name the same file");
  o.targets = std::move(targets);
}

// A whole number from `low` to `high`, or nothing; leading zeros count
// for nothing.
std::optional<unsigned long long> number(const std::string& text, unsigned long long low,
                                          unsigned long long high) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  size_t first = std::min(text.find_first_not_of('0'), text.size() - 1);
  std::string digits = text.substr(first);
  if (digits.size() > 12) return std::nullopt;
  unsigned long long v = std::stoull(digits);
  if (v < low || v > high) return std::nullopt;
  return v;
}

}  // namespace

Options parseOptions(int argc, char** argv) {
  Options o;
  std::string program = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "lessons";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* what) -> std::string {
      if (i + 1 >= argc) refuse(arg + " needs a value: " + what);
      return argv[++i];
    };
    // An output's name: an empty one names nothing to write.
    auto name = [&](const char* what) -> std::string {
      std::string v = value(what);
      if (v.empty()) refuse(arg + " needs " + what + ", not an empty one");
      return v;
    };
    if (arg == "--help" || arg == "-h") {
      throw ProgramEnd{printHelp(program) ? kEnded : kCannotStart};
    } else if (arg == "--headless") {
      o.headless = true;
    } else if (arg == "--keys") {
      std::string script = value("keys separated by blanks");
      try {
        o.keys = parseKeys(script);
      } catch (const std::invalid_argument& e) {
        refuse(std::string("--keys: ") + e.what() +
               "; a key is one printable ASCII character or one of " + kKeyNames);
      }
    } else if (arg == "--png") {
      o.png = name("a file name");
    } else if (arg == "--trace") {
      o.trace = name("a file name");
    } else if (arg == "--shots") {
      o.shots = name("a folder name");
    } else if (arg == "--size") {
      std::string v = value("WIDTHxHEIGHT");
      size_t x = v.find('x');
      std::string w = v.substr(0, x), h = x == std::string::npos ? "" : v.substr(x + 1);
      auto digits = [](const std::string& t) {
        return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos;
      };
      if (!digits(w) || !digits(h))
        refuse("--size: expected WIDTHxHEIGHT, such as 1920x1080, not \"" + shown(v) + "\"");
      auto width = number(w, 1, kMaxPageSide), height = number(h, 1, kMaxPageSide);
      if (!width || !height)
        refuse("--size: width and height are each from 1 to " + std::to_string(kMaxPageSide) +
               ", not \"" + shown(v) + "\"");
      o.width = static_cast<int>(*width);
      o.height = static_cast<int>(*height);
      o.sizeGiven = true;
    } else if (arg == "--seed") {
      std::string v = value("a whole number");
      auto seed = number(v, 0, 0xffffffffULL);
      if (!seed) refuse("--seed: expected a whole number from 0 to 4294967295, not \"" + shown(v) + "\"");
      o.seed = static_cast<uint32_t>(*seed);
    } else {
      refuse("unknown option \"" + shown(arg) +
             "\"; the options are --headless --keys --png --shots --trace --size --seed --help");
    }
  }
  checkOutputs(o);
  return o;
}

}  // namespace rt
