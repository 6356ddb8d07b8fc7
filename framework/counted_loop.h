// The counted loop of the library routines: the counter starts at its
// start value, the limit is read once, the body runs once before the limit
// is first tested, and the test (counter not above the limit) follows each
// pass. A counter that can no longer grow in single precision (beyond
// 2^24) ends the loop, so no start and limit make it run without end.
#pragma once

template <class Body>
void CountedLoop(float& counter, float start, float limit, Body body) {
  counter = start;
  for (;;) {
    body();
    float next = counter + 1;
    if (next == counter) return;
    counter = next;
    if (!(counter <= limit)) return;
  }
}
