#ifndef TESSALY_ENGINE_RANDOM_H
#define TESSALY_ENGINE_RANDOM_H

#include <cstdint>

// The program's one random source, a linear congruential generator with a
// process-wide state that starts at 1. A puzzle is reproducible from its seed
// only because every build draws exactly this sequence, whatever the C
// library's own rand() does.
void RandomSeed(uint32_t seed);
int RandomNext();  // 0 .. 32767

#endif
