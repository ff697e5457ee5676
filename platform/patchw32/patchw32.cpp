// PATCHW32.DLL: the engine's entry point over the portable core.
#include "platform/patchw32/patchapply.h"

#include <windows.h>

extern "C" uint32_t RTP_CALL RTPatchApply32(const char *commandLine, RtpCallback callback, uint32_t reserved) {
    (void)reserved;
    std::string patchPath;
    if (!rtp::ParseCommandLine(commandLine, patchPath)) {
        static const char head[] = "\nerror ept0001: ";
        if (callback && callback(kRtpErrorCode, const_cast<char *>(head)))
            callback(kRtpErrorText, const_cast<char *>("Riga di comando non valida: serve il nome del file di patch."));
        return kEptCommandLine;
    }
    rtp::FileOps ops;
    return rtp::ApplyPatchFile(patchPath, "", callback, ops);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
