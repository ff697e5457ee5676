// patchapply [--stop-on-warning] PATCH_FILE FOLDER
// Applies a patch to the files below FOLDER with the engine's own code and
// prints what the engine reports. The exit code is the engine's result:
// 0 when every file is up to date, else its error number.
#include "platform/patchw32/patchapply.h"

#include <stdio.h>
#include <string.h>

namespace {

bool g_stopOnWarning = false;

void *RTP_CALL Report(uint32_t message, void *param) {
    static char go = 0;
    const char *text = static_cast<const char *>(param);
    switch (message) {
        case kRtpWarning:
            printf("warning: %s\n", text);
            return g_stopOnWarning ? nullptr : &go;
        case kRtpErrorCode:
            // "\nerror eptNNNN: ": the details follow as message 4.
            fputs(text + (text[0] == '\n'), stdout);
            return &go;
        case kRtpErrorText:
            printf("%s\n", text);
            return nullptr;
        case kRtpFileCount:
            printf("%u files\n", unsigned(*static_cast<uint32_t *>(param)));
            return &go;
        case kRtpFileStart:
            printf("  %s", text);
            fflush(stdout);
            return &go;
        case kRtpFileEnd:
            printf("\n");
            return &go;
        default:
            return &go;
    }
}

}  // namespace

int main(int argc, char **argv) {
    int i = 1;
    if (i < argc && strcmp(argv[i], "--stop-on-warning") == 0) {
        g_stopOnWarning = true;
        ++i;
    }
    if (argc - i != 2) {
        fprintf(stderr, "usage: patchapply [--stop-on-warning] PATCH_FILE FOLDER\n");
        return 2;
    }
    rtp::FileOps ops;
    uint32_t result = rtp::ApplyPatchFile(argv[i], argv[i + 1], &Report, ops);
    if (result == 0) printf("done\n");
    return int(result);
}
