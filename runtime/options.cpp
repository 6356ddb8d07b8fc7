#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "runtime/runtime.h"

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
    if (it == named.end()) throw std::invalid_argument("unknown key \"" + token + "\"");
    keys.push_back(it->second);
  }
  return keys;
}

namespace {

[[noreturn]] void usage(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  throw ProgramEnd{2};
}

// A file the run will write at its end: its folder must be writable now.
void checkWritable(const std::string& option, const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p(path);
  fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  std::error_code ec;
  if (!fs::is_directory(dir, ec) || access(dir.c_str(), W_OK) != 0 ||
      (fs::exists(p, ec) && (fs::is_directory(p, ec) || access(p.c_str(), W_OK) != 0)))
    usage(option + ": cannot write " + path);
}

}  // namespace

Options parseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--headless") {
      o.headless = true;
    } else if (arg == "--keys") {
      std::string script = value();
      try {
        o.keys = parseKeys(script);
      } catch (const std::invalid_argument& e) {
        usage(std::string("--keys: ") + e.what());
      }
    } else if (arg == "--png") {
      o.png = value();
      checkWritable(arg, o.png);
    } else if (arg == "--trace") {
      o.trace = value();
      checkWritable(arg, o.trace);
    } else if (arg == "--shots") {
      o.shots = value();
      std::error_code ec;
      std::filesystem::create_directories(o.shots, ec);
      if (!std::filesystem::is_directory(o.shots, ec) || access(o.shots.c_str(), W_OK) != 0)
        usage("--shots: cannot write into " + o.shots);
    } else if (arg == "--size") {
      std::string v = value();
      int w = 0, h = 0;
      char x = 0, rest = 0;
      if (std::sscanf(v.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || x != 'x' || w < 1 ||
          h < 1 || w > 16384 || h > 16384)
        usage("--size: expected WIDTHxHEIGHT, such as 1920x1080, not \"" + v + "\"");
      o.width = w;
      o.height = h;
      o.sizeGiven = true;
    } else if (arg == "--seed") {
      std::string v = value();
      char* end = nullptr;
      unsigned long long s = std::strtoull(v.c_str(), &end, 10);
      if (v.empty() || *end || v[0] == '-' || s > 0xffffffffULL)
        usage("--seed: expected a whole number from 0 to 4294967295, not \"" + v + "\"");
      o.seed = static_cast<uint32_t>(s);
    } else {
      usage("unknown option \"" + arg +
            "\" (options: --headless --keys --png --shots --trace --size --seed)");
    }
  }
  return o;
}

}  // namespace rt
