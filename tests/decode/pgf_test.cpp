#include <gtest/gtest.h>

#include "tests/common/testsurf.h"

using namespace kvtest;

namespace {

TEST(Pgf, BothEntryPointsFailAndTouchNothing) {
    TSurfDesc info{};
    info.width = 7;
    EXPECT_FALSE(LoadInfoPGF(info, nullptr));
    EXPECT_EQ(info.width, 7);
    unsigned char junk[4] = {'P', 'G', 'F', 0};
    for (int kind : AllKinds()) {
        TestSurface s(kind, 5, 3, 2);
        s.Fill(0x3C);
        const std::vector<uint8_t> before = s.Memory();
        EXPECT_FALSE(LoadPGF(s.desc, junk)) << KindName(kind);
        EXPECT_EQ(s.Memory(), before);
    }
    TestSurface odd(24, 2, 2);
    odd.desc.bpp = 15;
    EXPECT_FALSE(LoadPGF(odd.desc, nullptr));
}

}  // namespace
