// Loaded ahead of the compression library by the tests, this makes every
// compressor set-up fail as it does when memory runs out, so that a test
// can see what a run says when its PNG cannot be made. With
// LESSON_COMPRESSOR_WORKS=N, the first N set-ups work (the shots of a run
// that runs out of memory for its page).
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>

extern "C" int deflateInit2_(void* stream, int level, int method, int bits, int memory, int strategy,
                             const char* version, int size) {
  static std::atomic<int> made{0};
  const char* works = std::getenv("LESSON_COMPRESSOR_WORKS");
  if (works && made++ < std::atoi(works)) {
    using Real = int (*)(void*, int, int, int, int, int, const char*, int);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "deflateInit2_"));
    return real(stream, level, method, bits, memory, strategy, version, size);
  }
  return -4;  // Z_MEM_ERROR
}
