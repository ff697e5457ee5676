// Applying a patch file to a folder, reporting through the engine's callback.
#pragma once

#include "platform/patchw32/patchfmt.h"
#include "platform/patchw32/rtpatch.h"

#include <memory>
#include <string>

namespace rtp {

// The file system as the engine sees it; tests put faults in it.
class FileOps {
  public:
    class Writer {
      public:
        virtual ~Writer() = default;
        virtual bool Write(const uint8_t *data, size_t size) = 0;
        // Flushes to disk and closes; the file is complete only when this succeeds.
        virtual bool Commit() = 0;
    };

    virtual ~FileOps() = default;
    // False with exists = false when there is no such file.
    virtual bool ReadAll(const std::string &path, Bytes &out, bool &exists);
    virtual std::unique_ptr<Writer> Create(const std::string &path);
    // Moves from over to, replacing it in one step.
    virtual bool Replace(const std::string &from, const std::string &to);
    virtual void Remove(const std::string &path);
    virtual bool MakeFolder(const std::string &path);
};

// Splits the engine's command line: the first argument, quoted or bare, is
// the patch file; anything after it is refused.
bool ParseCommandLine(const char *commandLine, std::string &patchPath);

// Name of the file written beside a game file before it replaces it.
std::string TempNameFor(const std::string &path);

// Applies the patch file to the files below root ("" for the current
// folder). Returns 0 or an RtpError.
uint32_t ApplyPatchFile(const std::string &patchPath, const std::string &root, RtpCallback callback, FileOps &ops);

}  // namespace rtp
