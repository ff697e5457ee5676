// Fails any test after which the x87 unit is not as the test found it: MMX
// instructions mark every register in use, and without EMMS the game's next
// floating-point operation overflows the stack and yields NaN; a control
// word left changed would change the game's arithmetic.
#include "tests/common/x87mode.h"

#include <gtest/gtest.h>

namespace kvtest {

void CheckX87Restored(uint16_t controlWordBefore) {
    const uint16_t tags = X87TagWord();
    if (tags != 0xFFFF) {
        // Cleared first, so the report itself and the next test start clean.
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
        __asm__ volatile("emms");
#endif
        ADD_FAILURE() << "x87 tag word 0x" << std::hex << tags
                      << " after the test: registers left in use (MMX without EMMS?)";
    }
    const uint16_t cw = X87ControlWord();
    if (cw != controlWordBefore) {
        SetX87ControlWord(controlWordBefore);
        ADD_FAILURE() << "x87 control word " << DescribeX87ControlWord(cw) << " after the test, "
                      << DescribeX87ControlWord(controlWordBefore) << " before";
    }
}

namespace {

class X87Check : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo &) override { cw_ = X87ControlWord(); }
    // End events reach this listener before the result printer, so a
    // failure is reported and counted against the test that just ran.
    void OnTestEnd(const testing::TestInfo &) override { CheckX87Restored(cw_); }

    uint16_t cw_ = 0;
};

#if defined(__GNUC__)
__attribute__((constructor))
#endif
void InstallX87Check() {
    if (X87Available()) testing::UnitTest::GetInstance()->listeners().Append(new X87Check);
}

#if !defined(__GNUC__)
const int kInstalled = (InstallX87Check(), 0);
#endif

}  // namespace
}  // namespace kvtest
