#include "engine/random.h"

namespace {
uint32_t g_randomState = 1;
}

void RandomSeed(uint32_t seed)
{
    g_randomState = seed;
}

int RandomNext()
{
    // Unsigned arithmetic wraps modulo 2^32 by definition.
    g_randomState = g_randomState * 214013u + 2531011u;
    return static_cast<int>((g_randomState >> 16) & 0x7FFFu);
}
