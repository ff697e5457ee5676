// The check that runs after every test (tests/common/x87_listener.cpp) must
// see what a kernel without EMMS, or one that changes the precision, leaves.
#include "tests/common/x87mode.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
namespace {

TEST(X87State, MmxWithoutEmmsIsCaughtAndCleared) {
    const uint16_t cw = kvtest::X87ControlWord();
    ASSERT_EQ(kvtest::X87TagWord(), 0xFFFF);
    // No clobber: this file is built without -mmmx, so nothing here lives in mm0.
    __asm__ volatile("pxor %mm0, %mm0");
    // MMX puts every register in use: none may keep the empty tag (3).
    const unsigned tags = kvtest::X87TagWord();
    for (int r = 0; r < 8; ++r) EXPECT_NE((tags >> (2 * r)) & 3u, 3u) << "register " << r;
    EXPECT_NONFATAL_FAILURE(kvtest::CheckX87Restored(cw), "MMX without EMMS");
    EXPECT_EQ(kvtest::X87TagWord(), 0xFFFF);
}

TEST(X87State, ChangedControlWordIsCaughtAndRestored) {
    const uint16_t cw = kvtest::X87ControlWord();
    kvtest::SetX87ControlWord(uint16_t(cw ^ 0x0100));
    EXPECT_NONFATAL_FAILURE(kvtest::CheckX87Restored(cw), "x87 control word");
    EXPECT_EQ(kvtest::X87ControlWord(), cw);
}

}  // namespace
#endif
