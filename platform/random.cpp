#include "platform/random.h"

namespace platform {
namespace {

// A linear congruential generator whose 15-bit results are the upper bits of
// the state: small, fast, and the same sequence on every machine.
unsigned int s_state = 1;

}  // namespace

void SeedRand(unsigned int seed) { s_state = seed; }

int Rand() {
  s_state = s_state * 214013u + 2531011u;
  return static_cast<int>((s_state >> 16) & 0x7FFFu);
}

}  // namespace platform
