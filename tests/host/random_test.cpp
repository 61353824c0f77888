#include <gtest/gtest.h>

#include "engine/random.h"

// The generator is part of the puzzle format: a seed must deal the same
// puzzle in every build, so its sequence is pinned here.
TEST(RandomSource, SeedOneStartsWithFortyOneAndTheKnownParities)
{
    RandomSeed(1);
    const bool odd[16] = {true,  true,  false, false, true, false, false, false,
                          false, false, true,  true,  true, true,  true,  true};
    for (int i = 0; i < 16; ++i) {
        const int draw = RandomNext();
        if (i == 0) {
            EXPECT_EQ(41, draw);
        }
        EXPECT_EQ(odd[i], draw % 2 == 1) << "draw " << i;
    }
}

TEST(RandomSource, DrawsStayInFifteenBitsAcrossTheWholeState)
{
    // Seeds near the top of the range exercise the wrap modulo 2^32.
    for (uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 1765432109u}) {
        RandomSeed(seed);
        for (int i = 0; i < 1000; ++i) {
            const int draw = RandomNext();
            ASSERT_GE(draw, 0);
            ASSERT_LE(draw, 32767);
        }
    }
}

TEST(RandomSource, ReseedingRepeatsTheSequence)
{
    RandomSeed(123456789u);
    int first[8];
    for (int& d : first) d = RandomNext();
    RandomSeed(123456789u);
    for (int d : first) EXPECT_EQ(d, RandomNext());
    // Known values of this generator from seed 0: 38, 7719, 21238.
    RandomSeed(0);
    EXPECT_EQ(38, RandomNext());
    EXPECT_EQ(7719, RandomNext());
    EXPECT_EQ(21238, RandomNext());
}
