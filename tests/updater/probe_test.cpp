#include "platform/cpuid/hasmmx.h"

#include <gtest/gtest.h>

// Every x86-64 processor has MMX; the probe must say so here.
TEST(Probe, AnswersYesOnThisProcessor) {
#if defined(__x86_64__)
    EXPECT_NE(HasMMX(), 0);
#else
    GTEST_SKIP() << "not an x86-64 host";
#endif
}
