// Loaded ahead of the compression library by the tests, this makes every
// compressor set-up fail as it does when memory runs out, so that a test
// can see what a run says when its PNG cannot be made.
extern "C" int deflateInit2_(void*, int, int, int, int, int, const char*, int) {
  return -4;  // Z_MEM_ERROR
}
