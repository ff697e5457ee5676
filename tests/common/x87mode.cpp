#include "tests/common/x87mode.h"

#include <stdio.h>
#include <stdlib.h>

namespace kvtest {

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
bool X87Available() { return true; }

uint16_t X87ControlWord() {
    uint16_t cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

void SetX87ControlWord(uint16_t cw) { __asm__ volatile("fldcw %0" : : "m"(cw) : "memory"); }

uint16_t X87TagWord() {
    // The 32-bit environment layout on both targets; fnstenv masks every
    // exception afterwards, so the environment goes straight back.
    uint16_t env[14];
    __asm__ volatile("fnstenv %0\n\tfldenv %0" : "=m"(env) : : "memory");
    return env[4];
}
#else
bool X87Available() { return false; }
uint16_t X87ControlWord() { return 0; }
void SetX87ControlWord(uint16_t) {}
uint16_t X87TagWord() { return 0xFFFF; }
#endif

const char *DescribeX87ControlWord(uint16_t cw) {
    static char text[80];
    static const char *const precision[4] = {"24-bit", "reserved", "53-bit", "64-bit"};
    static const char *const rounding[4] = {"to nearest", "down", "up", "toward zero"};
    snprintf(text, sizeof text, "0x%04X (%s precision, round %s)", cw, precision[(cw >> 8) & 3],
             rounding[(cw >> 10) & 3]);
    return text;
}

namespace {

// Before every other initializer of the program, so that nothing computed
// at start-up sees another mode. The line goes to stderr: the differential
// programs' stdout is what gets compared.
#if defined(__GNUC__)
__attribute__((constructor(101)))
#endif
void ApplyRequestedControlWord() {
    const char *want = getenv("UTILS_X87_CW");
    if (!want || !*want) return;
    char *end = nullptr;
    const unsigned long cw = strtoul(want, &end, 16);
    if (*end || cw > 0xFFFF || !X87Available()) {
        fprintf(stderr, "UTILS_X87_CW=%s: cannot set that control word here\n", want);
        exit(2);
    }
    SetX87ControlWord(static_cast<uint16_t>(cw));
    const uint16_t now = X87ControlWord();
    fprintf(stderr, "x87 control word %s\n", DescribeX87ControlWord(now));
    if (now != cw) {
        fprintf(stderr, "x87 control word did not take: asked for 0x%04lX\n", cw);
        exit(2);
    }
}

#if !defined(__GNUC__)
const int kApplied = (ApplyRequestedControlWord(), 0);
#endif

}  // namespace
}  // namespace kvtest
