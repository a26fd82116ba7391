#include "app/pointeurs.h"

#include <gtest/gtest.h>

TEST(Pointeurs, OnePixelEveryEightCountsUpToTheGaugesEnd) {
    struct Case {
        int count, zero, left;
    } cases[] = {
        {0, 113, 113},    {7, 113, 113},     {8, 113, 114},  {1023, 113, 240},
        {1024, 113, 240}, {65535, 113, 240}, {-5, 113, 113},  // stops at both ends
        {400, 120, 170},                                      // from its own zero
    };
    for (const auto& c : cases)
        EXPECT_EQ(PositionPointeur(c.count, c.zero), c.left) << c.count << " from " << c.zero;
}
