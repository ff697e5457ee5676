// patchmake OLD_FOLDER NEW_FOLDER PATCH_FILE
// Writes a patch that turns the files of OLD_FOLDER into those of
// NEW_FOLDER: changed files as deltas, added files whole. Files that are the
// same, and files found only in OLD_FOLDER, are left out.
#include "platform/patchw32/patchfmt.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool ReadFile(const fs::path &p, rtp::Bytes &out) {
    std::ifstream f(p, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: patchmake OLD_FOLDER NEW_FOLDER PATCH_FILE\n");
        return 2;
    }
    const fs::path oldRoot = argv[1], newRoot = argv[2], out = argv[3];
    std::error_code ec;
    if (!fs::is_directory(oldRoot, ec) || !fs::is_directory(newRoot, ec)) {
        fprintf(stderr, "patchmake: both folders must exist\n");
        return 2;
    }
    std::vector<std::string> names;
    for (fs::recursive_directory_iterator it(newRoot, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) names.push_back(fs::relative(it->path(), newRoot).generic_string());
    if (ec) {
        fprintf(stderr, "patchmake: cannot list %s: %s\n", newRoot.string().c_str(), ec.message().c_str());
        return 1;
    }
    std::sort(names.begin(), names.end());

    rtp::Patch patch;
    unsigned changed = 0, added = 0;
    for (const std::string &name : names) {
        if (!rtp::IsSafeRelativePath(name)) {
            fprintf(stderr, "patchmake: unusable file name '%s'\n", name.c_str());
            return 1;
        }
        rtp::Bytes newData, oldData;
        if (!ReadFile(newRoot / name, newData)) {
            fprintf(stderr, "patchmake: cannot read %s\n", (newRoot / name).string().c_str());
            return 1;
        }
        const fs::path oldPath = oldRoot / name;
        const bool hasOld = fs::is_regular_file(oldPath, ec);
        if (hasOld && !ReadFile(oldPath, oldData)) {
            fprintf(stderr, "patchmake: cannot read %s\n", oldPath.string().c_str());
            return 1;
        }
        if (newData.size() > 0xFFFFFFFFu || oldData.size() > 0xFFFFFFFFu) {
            fprintf(stderr, "patchmake: '%s' is 4 GiB or more\n", name.c_str());
            return 1;
        }
        if (hasOld && oldData == newData) continue;
        patch.files.push_back(rtp::MakeEntry(name, hasOld ? &oldData : nullptr, newData));
        ++(hasOld ? changed : added);
    }
    if (patch.files.empty()) {
        fprintf(stderr, "patchmake: the folders hold the same files; no patch written\n");
        return 1;
    }
    const rtp::Bytes bytes = rtp::Serialize(patch);
    const fs::path tmp = out.string() + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        f.close();
        if (!f) {
            fprintf(stderr, "patchmake: cannot write %s\n", tmp.string().c_str());
            fs::remove(tmp, ec);
            return 1;
        }
    }
    fs::rename(tmp, out, ec);
    if (ec) {
        fprintf(stderr, "patchmake: cannot write %s: %s\n", out.string().c_str(), ec.message().c_str());
        fs::remove(tmp, ec);
        return 1;
    }
    printf("%s: %u changed, %u new, %zu bytes\n", out.string().c_str(), changed, added, bytes.size());
    return 0;
}
