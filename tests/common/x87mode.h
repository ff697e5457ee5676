// The x87 state of the test programs. Games leave the FPU as they like
// (Direct3D at 24-bit precision, Microsoft's runtime at 53 bits, Linux at
// 64), so a run can ask for any control word with UTILS_X87_CW=0x007F; and
// the unit tests check after every test that no kernel left MMX state on the
// x87 register stack (a missing EMMS).
#ifndef KORVANTE_X87MODE_H
#define KORVANTE_X87MODE_H

#include <stdint.h>

namespace kvtest {

// False where the tests cannot see or set the x87 unit (not x86, not GCC).
bool X87Available();
uint16_t X87ControlWord();
void SetX87ControlWord(uint16_t cw);
// The full tag word as fnstenv stores it: 2 bits a register, 0xFFFF = all empty.
uint16_t X87TagWord();
// "0x007F (24-bit precision, round to nearest)".
const char *DescribeX87ControlWord(uint16_t cw);

// Unit tests only: a GoogleTest failure unless every x87 register is empty
// and the control word is still controlWordBefore. Runs after every test.
void CheckX87Restored(uint16_t controlWordBefore);

}  // namespace kvtest

#endif
