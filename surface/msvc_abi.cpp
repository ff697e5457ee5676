// Entry points for callers built with Visual C++ where its calling convention
// differs from GCC's. The .def made by cmake/msvc_exports.py exports each one
// under the Microsoft name of its declaration; the GCC-named function stays.
#ifdef _WIN32

#include <new>

#include "utils.h"

// CSize has constructors, so Visual C++ returns it through a pointer the
// caller passes first (and gets back in EAX/RAX); GCC returns its eight bytes
// in registers.
extern "C" CSize *utils_msvc_Size(CSize *ret, TSurfDesc &s) { return new (ret) CSize(Size(s)); }

#endif
