// Public interface of the patch engine "PATCHW32.DLL".
//
// The engine is given a command line holding the patch file's path (quoted
// when it contains blanks) and a progress callback. It reports through the
// callback with these message numbers; whenever the callback returns null
// the engine stops at once, leaving every game file either old or new.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define RTP_CALL __stdcall
#else
#define RTP_CALL
#endif

enum RtpMessage : uint32_t {
    kRtpWarning = 2,    // param: text; null result stops
    kRtpErrorCode = 3,  // param: "\nerror eptNNNN: "; message 4 follows with the details
    kRtpErrorText = 4,  // param: text; the patch stops after it
    kRtpProgress = 5,   // param: uint32_t*, low 16 bits, 0x8000 = the whole file
    kRtpFileCount = 6,  // param: uint32_t*, files in the patch
    kRtpFileStart = 7,  // param: text, the file's relative path
    kRtpFileEnd = 8,    // param: unused
};

// Error codes carried by message 3, as "\nerror ept%04u: ".
enum RtpError : uint32_t {
    kEptCommandLine = 1,   // no patch file on the command line
    kEptPatchOpen = 2,     // patch file missing or unreadable
    kEptPatchDamaged = 3,  // bad magic, checksum or structure
    kEptPatchVersion = 4,  // a format version this engine does not know
    kEptFileMissing = 15,  // a file to patch is not there
    kEptFileDiffers = 16,  // a file to patch is neither the old nor the new version
    kEptFileRead = 17,     // a file to patch is there but cannot be read
    kEptWrite = 20,        // the new file could not be written beside the old one
    kEptReplace = 21,      // the new file could not be moved over the old one
    kEptVerify = 22,       // the written file does not read back as expected
    kEptMemory = 30,       // out of memory
    kEptUpToDate = 36,     // every file is already the new version: nothing to do
    kEptStopped = 99,      // the callback asked to stop (returned to the caller only)
};

typedef void *(RTP_CALL *RtpCallback)(uint32_t message, void *param);

#ifdef __cplusplus
extern "C" {
#endif

// Exported as "RTPatchApply32@12". Returns 0 when every file was brought up
// to date, else one of RtpError.
uint32_t RTP_CALL RTPatchApply32(const char *commandLine, RtpCallback callback, uint32_t reserved);

#ifdef __cplusplus
}
#endif
