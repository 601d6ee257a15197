#pragma once
// The process-wide pseudo-random generator. Every use of randomness (cut
// jitter, scattering, placements, tips) draws from this one sequence, whose
// results run from 0 to kRandMax and whose order is part of the game's
// behaviour: a cut is reproduced from the same seed.

namespace platform {

inline constexpr int kRandMax = 32767;

// Restarts the sequence from the given seed.
void SeedRand(unsigned int seed);

// The next number of the sequence, 0 to kRandMax.
int Rand();

}  // namespace platform
