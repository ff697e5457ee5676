// The FPU-independent arithmetic behind stretching and the blur passes.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "surface/exactmath.h"
#include "tests/common/testsurf.h"

namespace {

using kv::SingleParts;

float AsFloat(SingleParts p) { return ldexpf(float(p.mant), p.exp); }

// What the hardware gives for float(a) / float(b). x87 in any precision
// rounds this quotient of two floats to the same single as SSE.
float HardwareQuotient(uint32_t a, uint32_t b) {
    volatile float fa = float(a), fb = float(b);
    volatile float q = fa / fb;
    return q;
}

TEST(SingleQuotient, MatchesFloatDivision) {
    for (uint32_t a = 1; a <= 80; ++a)
        for (uint32_t b = 1; b <= 80; ++b)
            ASSERT_EQ(AsFloat(kv::SingleQuotient(a, b)), HardwareQuotient(a, b)) << a << "/" << b;
    kvtest::Rng rng(11);
    for (int i = 0; i < 200000; ++i) {
        // Sizes of every magnitude, beyond 2^24 too where int -> float rounds.
        const uint32_t a = rng.U32() >> rng.Range(1, 31), b = (rng.U32() >> rng.Range(1, 31)) | 1;
        ASSERT_EQ(AsFloat(kv::SingleQuotient(a, b)), HardwareQuotient(a, b)) << a << "/" << b;
    }
    EXPECT_EQ(kv::SingleQuotient(0, 7).mant, 0u);
}

TEST(SingleQuotient, ProductsTruncateExactly) {
    // float(2/50) is just below 0.04: 25 steps stay below column 1.
    const SingleParts q = kv::SingleQuotient(2, 50);
    EXPECT_EQ(kv::FloorTimes(25, q), 0u);
    EXPECT_EQ(kv::FloorTimes(26, q), 1u);
    EXPECT_EQ(kv::FloorTimes(7, kv::SingleQuotient(3, 1)), 21u);  // steps above 1
    EXPECT_EQ(kv::FloorTimes(0x7FFFFFFE, kv::SingleQuotient(0x7FFFFFFF, 0x7FFFFFFF)), 0x7FFFFFFEu);
}

struct Expected {
    float angle;
    uint64_t c, s;  // bits of the doubles: x87 loads under 24-bit precision
                    // in the emulator would round double constants
};

// Correctly rounded values (300-bit arithmetic): multiples of pi/8 as floats,
// random angles, a huge one and two tiny ones.
const Expected kTable[] = {
    {-0x1.921fb60000000p+2f, 0x3FEFFFFFFFFFFF76ull, 0xBE8777A5CF72CEADull},
    {-0x1.78fdba0000000p+2f, 0x3FED906BD2428C1Cull, 0x3FD87DE297E5325Cull},
    {-0x1.5fdbbe0000000p+2f, 0x3FE6A09E2F704EEDull, 0x3FE6A09E9D8E2826ull},
    {-0x1.46b9c40000000p+2f, 0x3FD87DE3512C4F20ull, 0x3FED906BABE33D77ull},
    {-0x1.2d97c80000000p+2f, 0x3E499BC5B961B1ADull, 0x3FEFFFFFFFFFFFFFull},
    {-0x1.1475cc0000000p+2f, 0xBFD87DE3398390CAull, 0x3FED906BB0C9A221ull},
    {-0x1.f6a7a20000000p+1f, 0xBFE6A09E80E4F7F3ull, 0x3FE6A09E4C197F88ull},
    {-0x1.c463ac0000000p+1f, 0xBFED906BCD5C2792ull, 0x3FD87DE2AF8DF0CDull},
    {-0x1.921fb60000000p+1f, 0xBFEFFFFFFFFFFFDEull, 0x3E7777A5CF72CEC6ull},
    {-0x1.5fdbbe0000000p+1f, 0xBFED906BC04C7E14ull, 0xBFD87DE2EE9E9143ull},
    {-0x1.2d97c80000000p+1f, 0xBFE6A09E68C2AFFEull, 0xBFE6A09E643BC79Bull},
    {-0x1.f6a7a20000000p+0f, 0xBFD87DE28431414Cull, 0xBFED906BD6572E87ull},
    {-0x1.921fb60000000p+0f, 0xBE6777A5CF72CECCull, 0xBFEFFFFFFFFFFFF7ull},
    {-0x1.2d97c80000000p+0f, 0x3FD87DE2A3B99195ull, 0xBFED906BCFCF59D7ull},
    {-0x1.921fb60000000p-1f, 0x3FE6A09E5E333598ull, 0xBFE6A09E6ECB41FEull},
    {-0x1.921fb60000000p-2f, 0x3FED906BCCF3CB87ull, 0xBFD87DE2B185D541ull},
    {0x0.0p+0f, 0x3FF0000000000000ull, 0x0000000000000000ull},
    {0x1.921fb60000000p-2f, 0x3FED906BCCF3CB87ull, 0x3FD87DE2B185D541ull},
    {0x1.921fb60000000p-1f, 0x3FE6A09E5E333598ull, 0x3FE6A09E6ECB41FEull},
    {0x1.2d97c80000000p+0f, 0x3FD87DE2A3B99195ull, 0x3FED906BCFCF59D7ull},
    {0x1.921fb60000000p+0f, 0xBE6777A5CF72CECCull, 0x3FEFFFFFFFFFFFF7ull},
    {0x1.f6a7a20000000p+0f, 0xBFD87DE28431414Cull, 0x3FED906BD6572E87ull},
    {0x1.2d97c80000000p+1f, 0xBFE6A09E68C2AFFEull, 0x3FE6A09E643BC79Bull},
    {0x1.5fdbbe0000000p+1f, 0xBFED906BC04C7E14ull, 0x3FD87DE2EE9E9143ull},
    {0x1.921fb60000000p+1f, 0xBFEFFFFFFFFFFFDEull, 0xBE7777A5CF72CEC6ull},
    {0x1.c463ac0000000p+1f, 0xBFED906BCD5C2792ull, 0xBFD87DE2AF8DF0CDull},
    {0x1.f6a7a20000000p+1f, 0xBFE6A09E80E4F7F3ull, 0xBFE6A09E4C197F88ull},
    {0x1.1475cc0000000p+2f, 0xBFD87DE3398390CAull, 0xBFED906BB0C9A221ull},
    {0x1.2d97c80000000p+2f, 0x3E499BC5B961B1ADull, 0xBFEFFFFFFFFFFFFFull},
    {0x1.46b9c40000000p+2f, 0x3FD87DE3512C4F20ull, 0xBFED906BABE33D77ull},
    {0x1.5fdbbe0000000p+2f, 0x3FE6A09E2F704EEDull, 0xBFE6A09E9D8E2826ull},
    {0x1.78fdba0000000p+2f, 0x3FED906BD2428C1Cull, 0xBFD87DE297E5325Cull},
    {0x1.921fb60000000p+2f, 0x3FEFFFFFFFFFFF76ull, 0x3E8777A5CF72CEADull},
    {0x1.8949120000000p+3f, 0x3FEEC98297470682ull, 0xBFD173F540C0C0F1ull},
    {0x1.82dbf40000000p+4f, 0x3FE2822D4A8F4B8Bull, 0xBFEA1AB46DF922FBull},
    {0x1.d84f480000000p+4f, 0xBFD47B93E3FF65FAull, 0xBFEE51206DA1BD0Full},
    {0x1.61f5d20000000p+5f, 0x3FEEE6E20757DF58ull, 0x3FD09F40DE3112DEull},
    {0x1.7fd6740000000p+4f, 0x3FDA8EE5EB28D521ull, 0xBFED1D5CC1F5192Aull},
    {0x1.51dc280000000p+5f, 0xBFC6CA48FEC45C02ull, 0xBFEF7D1B328722EEull},
    {-0x1.78cbba0000000p+5f, 0xBFEFFD8F09828E81ull, 0xBF98FF553E81B988ull},
    {-0x1.b807b00000000p+1f, 0xBFEE9B65F11A0756ull, 0x3FD2AD614D7DA2DDull},
    {0x1.62af740000000p+5f, 0x3FEE05D25FE6973Cull, 0x3FD625EC5F14D62Bull},
    {0x1.dcb7f40000000p+3f, 0xBFE60D5B21321FF0ull, 0x3FE7303ABC4B0F8Cull},
    {0x1.40b86c0000000p+5f, 0xBFE7665679F527C8ull, 0x3FE5D3E879FC0F39ull},
    {-0x1.356f6c0000000p+5f, 0x3FE1D121F1462738ull, 0xBFEA94C5D9624FB6ull},
    {-0x1.8bea8c0000000p+1f, 0xBFEFF65E3D68723Full, 0xBFA8D2273DD01744ull},
    {-0x1.957bc40000000p+4f, 0x3FEF4C126C323A4Dull, 0xBFCAAE032DE1DFCDull},
    {0x1.1811ca0000000p+2f, 0xBFD51EB6EC24D2E1ull, 0xBFEE3517BE6A5ED5ull},
    {0x1.d9393e0000000p+2f, 0x3FDC67A1D7D747FCull, 0x3FECACF5F6306C86ull},
    {0x1.7f7ec60000000p+21f, 0x3FEFD9F51BD00420ull, 0x3FB8A48E472C103Bull},
    {0x1.c363cc0000000p+127f, 0xBFDEFEAF8C3BE59Cull, 0x3FEBFF388901E1A9ull},
    {-0x1.4484c00000000p-100f, 0x3FF0000000000000ull, 0xB9B4484C00000000ull},
    {0x1.0000000000000p-149f, 0x3FF0000000000000ull, 0x36A0000000000000ull},
};

TEST(DirectionOf, CorrectlyRounded) {
    for (const Expected &e : kTable) {
        const kv::Direction d = kv::DirectionOf(e.angle);
        EXPECT_EQ(d.cosBits, e.c) << e.angle;
        EXPECT_EQ(d.sinBits, e.s) << e.angle;
    }
}

TEST(DirectionOf, NonFiniteAnglesGiveNoDirection) {
    for (float a : {INFINITY, -INFINITY, NAN}) {
        const kv::Direction d = kv::DirectionOf(a);
        EXPECT_EQ(d.cosBits, 0u);
        EXPECT_EQ(d.sinBits, 0u);
    }
}

TEST(TruncMulAdd, DoubleRoundingWhateverTheFpuMode) {
    const kv::Direction q = kv::DirectionOf(0x1.921fb6p+0f);  // cos just below 0, sin just below 1
    EXPECT_EQ(kv::TruncMulAdd(5, 1, q.cosBits), 4);
    EXPECT_EQ(kv::TruncMulAdd(5, -1, q.cosBits), 5);
    EXPECT_EQ(kv::TruncMulAdd(5, 1, q.sinBits), 5);  // 5.999999999999999 in double
    EXPECT_EQ(kv::TruncMulAdd(5, 2, q.sinBits), 6);
    EXPECT_EQ(kv::TruncMulAdd(-5, 1, q.cosBits), -5);  // towards zero
    const uint64_t one = 0x3FF0000000000000ull, minusOne = 0xBFF0000000000000ull;
    EXPECT_EQ(kv::TruncMulAdd(0x7FFFFFFF, 0x7FFFFFFF, one), 0x7FFFFFFF);
    EXPECT_EQ(kv::TruncMulAdd(-0x7FFFFFFF - 1, 0x7FFFFFFF, minusOne), -0x7FFFFFFF - 1);
    // -2 + 31 x 0.99999999999... is just below 29.
    EXPECT_EQ(kv::TruncMulAdd(-2, 31, 0x3FEFFFFFFFFE5534ull), 28);
}

}  // namespace
