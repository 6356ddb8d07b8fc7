#include "runtime/pending.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <utility>

#include "runtime/endings.h"

namespace rt {

namespace {

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<char>::is_always_lock_free,
              "the signal handlers read the slots without locks");

constexpr size_t kOptionBytes = 16;
constexpr size_t kNameBytes = 256;  // a file name and its end

// An output the handlers know of. Every field is atomic, so that a handler
// reads it by the language's rules; the main thread changes a slot only
// with the signals held, and a handler runs on the main thread, so it never
// sees a slot half changed.
struct Slot {
  std::atomic<int> taken{0};
  std::atomic<int> folder{-1};
  std::atomic<char> option[kOptionBytes] = {};
  std::atomic<char> temp[kNameBytes] = {};
};
Slot slots[16];

void store(std::atomic<char>* to, size_t size, const std::string& text) {
  size_t n = text.size() < size ? text.size() : 0;
  for (size_t i = 0; i < n; ++i) to[i].store(text[i], std::memory_order_relaxed);
  to[n].store('\0', std::memory_order_relaxed);
}

// A text out of a slot, for a handler too.
template <size_t N>
void load(const std::atomic<char> (&from)[N], char (&to)[N]) {
  for (size_t i = 0; i < N; ++i) to[i] = from[i].load(std::memory_order_relaxed);
  to[N - 1] = '\0';
}

}  // namespace

PendingHandle PendingHandle::reserve(const std::string& option) {
  SignalsHeld held;
  PendingHandle h;
  for (int i = 0; i < static_cast<int>(std::size(slots)); ++i) {
    Slot& s = slots[i];
    if (s.taken.load()) continue;
    store(s.option, kOptionBytes, option);
    store(s.temp, kNameBytes, "");
    s.folder = -1;
    s.taken = 1;
    h.slot_ = i;
    break;
  }
  return h;
}

PendingOutput::~PendingOutput() {
  if (slot_ < 0 || keep_) return;
  SignalsHeld held;
  slots[slot_].taken = 0;
}

PendingOutput::PendingOutput(PendingOutput&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)), keep_(other.keep_) {}

PendingOutput& PendingOutput::operator=(PendingOutput&& other) noexcept {
  if (this != &other) {
    PendingOutput gone(std::move(*this));
    slot_ = std::exchange(other.slot_, -1);
    keep_ = other.keep_;
  }
  return *this;
}

void PendingOutput::temporary(int folder, const std::string& name) {
  if (slot_ < 0) return;
  SignalsHeld held;
  store(slots[slot_].temp, kNameBytes, name);
  slots[slot_].folder = folder;
}

void PendingOutput::noTemporary() { temporary(-1, ""); }

void PendingOutput::named() {
  if (slot_ < 0) return;
  SignalsHeld held;
  store(slots[slot_].temp, kNameBytes, "");
  slots[slot_].folder = -1;
  store(slots[slot_].option, kOptionBytes, "");
}

void PendingOutput::failed() {
  if (slot_ >= 0 && slots[slot_].option[0].load()) keep_ = true;
}

void addPendingOptions(char* line, size_t& used, size_t size, const char* first) {
  const char* joint = first;
  for (Slot& s : slots) {
    if (!s.taken.load() || !s.option[0].load()) continue;
    char option[kOptionBytes];
    load(s.option, option);
    for (const char* p : {joint, static_cast<const char*>(option)})
      while (*p && used < size) line[used++] = *p++;
    joint = ", ";
  }
}

void removeTemporaries() {
  for (Slot& s : slots) {
    if (!s.taken.load() || s.folder.load() < 0) continue;
    char name[kNameBytes];
    load(s.temp, name);
    if (name[0]) unlinkat(s.folder.load(), name, 0);
    s.folder = -1;
  }
}

}  // namespace rt
