#include "platform/cpuid/hasmmx.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

extern "C" CPUID_API int HasMMX(void) {
#if defined(CPUID_FIXED_ANSWER)
    // Test builds only: stands in for a processor with or without MMX.
    return CPUID_FIXED_ANSWER;
#elif defined(__i386__) || defined(__x86_64__)
    // __get_cpuid first checks that the ID flag of EFLAGS can be toggled,
    // so a processor without the instruction answers 0 instead of faulting.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
    return (edx & bit_MMX) ? 1 : 0;
#else
    return 0;
#endif
}
