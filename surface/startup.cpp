// The library's load-time hook: the only platform-specific code in utils.
#include "surface/surface.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#define NOGDI
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        InitializeDLL();
    }
    return TRUE;
}

#else

namespace {
// Runs when the shared object is mapped, before any caller can reach it.
__attribute__((constructor)) void LoadUtils() { InitializeDLL(); }
}  // namespace

#endif
