#include "platform/patchw32/patchapply.h"

#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rtp {

namespace {

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif

constexpr size_t kChunk = 64 * 1024;

std::string Join(const std::string &root, const std::string &rel) {
    std::string p = rel;
    for (char &c : p)
        if (c == '/') c = kSep;
    if (root.empty()) return p;
    if (root.back() == '/' || root.back() == '\\') return root + p;
    return root + kSep + p;
}

class Run {
  public:
    Run(RtpCallback cb, FileOps &ops) : cb_(cb), ops_(ops) {}

    bool Say(uint32_t message, const void *param) {
        return cb_ == nullptr || cb_(message, const_cast<void *>(param)) != nullptr;
    }

    bool Progress(uint32_t value) {
        uint32_t v = value;
        return Say(kRtpProgress, &v);
    }

    uint32_t Fail(uint32_t code, const std::string &detail) {
        char head[32];
        snprintf(head, sizeof head, "\nerror ept%04u: ", unsigned(code));
        if (Say(kRtpErrorCode, head)) Say(kRtpErrorText, detail.c_str());
        return code;
    }

    uint32_t Apply(const std::string &patchPath, const std::string &root);

  private:
    enum class State { Patch, UpToDate };

    uint32_t ApplyOne(const FileEntry &f, const std::string &root);

    RtpCallback cb_;
    FileOps &ops_;
};

uint32_t Run::Apply(const std::string &patchPath, const std::string &root) {
    Bytes raw;
    bool exists = false;
    if (!ops_.ReadAll(patchPath, raw, exists))
        return Fail(kEptPatchOpen, "Impossibile leggere il file di patch '" + patchPath + "'.");
    Patch patch;
    if (uint32_t err = Parse(raw.data(), raw.size(), patch)) {
        if (err == kEptPatchVersion)
            return Fail(err, "Il file di patch '" + patchPath + "' ha una versione sconosciuta.");
        return Fail(err, "Il file di patch '" + patchPath + "' e' danneggiato.");
    }
    raw = Bytes();

    uint32_t count = uint32_t(patch.files.size());
    if (!Say(kRtpFileCount, &count)) return kEptStopped;

    // Every file is checked before any is touched, so that a missing or
    // foreign file stops the patch with the installation as it was.
    std::vector<State> states;
    for (const FileEntry &f : patch.files) {
        Bytes cur;
        bool there = false;
        bool read = ops_.ReadAll(Join(root, f.path), cur, there);
        bool isNewVersion = read && cur.size() == f.newSize && Crc32(cur) == f.newCrc;
        bool isOldVersion = read && !f.isNew && cur.size() == f.oldSize && Crc32(cur) == f.oldCrc;
        if (isNewVersion) {
            states.push_back(State::UpToDate);
            continue;
        }
        if (f.isNew && (read || !there)) {
            states.push_back(State::Patch);
            continue;
        }
        if (isOldVersion) {
            states.push_back(State::Patch);
            continue;
        }
        if (!Say(kRtpFileStart, f.path.c_str())) return kEptStopped;
        if (!there) return Fail(kEptFileMissing, "Manca il file '" + f.path + "'.");
        if (!read) return Fail(kEptFileRead, "Impossibile leggere il file '" + f.path + "'.");
        return Fail(kEptFileDiffers, "Il file '" + f.path + "' non corrisponde alla versione attesa.");
    }
    bool anything = false;
    for (State s : states) anything = anything || s == State::Patch;
    if (!anything) return Fail(kEptUpToDate, "Tutti i file sono gia' aggiornati.");

    for (size_t i = 0; i < patch.files.size(); ++i) {
        const FileEntry &f = patch.files[i];
        if (!Say(kRtpFileStart, f.path.c_str()) || !Progress(0)) return kEptStopped;
        if (states[i] == State::UpToDate) {
            std::string text = "Il file '" + f.path + "' e' gia' aggiornato e non viene modificato.";
            if (!Say(kRtpWarning, text.c_str())) return kEptStopped;
        } else if (uint32_t err = ApplyOne(f, root)) {
            return err;
        }
        if (!Say(kRtpFileEnd, nullptr)) return kEptStopped;
    }
    return 0;
}

uint32_t Run::ApplyOne(const FileEntry &f, const std::string &root) {
    const std::string path = Join(root, f.path);
    Bytes old, out;
    if (!f.isNew) {
        bool there = false;
        if (!ops_.ReadAll(path, old, there)) return Fail(kEptFileMissing, "Manca il file '" + f.path + "'.");
        // Read again: the file may have changed since it was checked.
        if (old.size() != f.oldSize || Crc32(old) != f.oldCrc)
            return Fail(kEptFileDiffers, "Il file '" + f.path + "' non corrisponde alla versione attesa.");
    }
    if (!ApplyDelta(old, f.delta, f.newSize, out) || Crc32(out) != f.newCrc)
        return Fail(kEptPatchDamaged, "I dati del file '" + f.path + "' nel file di patch sono danneggiati.");
    old = Bytes();

    if (f.isNew) {
        for (size_t p = f.path.find('/'); p != std::string::npos; p = f.path.find('/', p + 1))
            if (!ops_.MakeFolder(Join(root, f.path.substr(0, p))))
                return Fail(kEptWrite, "Impossibile creare la cartella del file '" + f.path + "'.");
    }

    const std::string tmp = TempNameFor(path);
    std::unique_ptr<FileOps::Writer> w = ops_.Create(tmp);
    if (!w) return Fail(kEptWrite, "Impossibile scrivere il file '" + f.path + "'.");
    size_t done = 0;
    bool ok = true;
    while (ok && done < out.size()) {
        size_t n = out.size() - done < kChunk ? out.size() - done : kChunk;
        ok = w->Write(out.data() + done, n);
        done += n;
        // 0x8000 is kept for the moment the new file is in place.
        uint32_t v = uint32_t(uint64_t(done) * 0x8000 / out.size());
        if (ok && !Progress(v >= 0x8000 ? 0x7FFF : v)) {
            w.reset();
            ops_.Remove(tmp);
            return kEptStopped;
        }
    }
    ok = ok && w->Commit();
    w.reset();
    if (!ok) {
        ops_.Remove(tmp);
        return Fail(kEptWrite, "Impossibile scrivere il file '" + f.path + "'.");
    }
    Bytes back;
    bool there = false;
    if (!ops_.ReadAll(tmp, back, there) || back != out) {
        ops_.Remove(tmp);
        return Fail(kEptVerify, "Il file '" + f.path + "' scritto non corrisponde ai dati attesi.");
    }
    if (!ops_.Replace(tmp, path)) {
        ops_.Remove(tmp);
        return Fail(kEptReplace, "Impossibile sostituire il file '" + f.path + "'.");
    }
    if (!Progress(0x8000)) return kEptStopped;
    return 0;
}

#ifdef _WIN32
class Win32Writer : public FileOps::Writer {
  public:
    explicit Win32Writer(HANDLE h) : h_(h) {}
    ~Win32Writer() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    bool Write(const uint8_t *data, size_t size) override {
        DWORD n = 0;
        return WriteFile(h_, data, DWORD(size), &n, nullptr) && n == size;
    }
    bool Commit() override {
        bool ok = FlushFileBuffers(h_) != 0;
        ok = CloseHandle(h_) != 0 && ok;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE h_;
};
#else
class PosixWriter : public FileOps::Writer {
  public:
    explicit PosixWriter(int fd) : fd_(fd) {}
    ~PosixWriter() override {
        if (fd_ >= 0) close(fd_);
    }
    bool Write(const uint8_t *data, size_t size) override {
        while (size > 0) {
            ssize_t n = write(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            size -= size_t(n);
        }
        return true;
    }
    bool Commit() override {
        bool ok = fsync(fd_) == 0;
        ok = close(fd_) == 0 && ok;
        fd_ = -1;
        return ok;
    }

  private:
    int fd_;
};
#endif

}  // namespace

bool FileOps::ReadAll(const std::string &path, Bytes &out, bool &exists) {
    out.clear();
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
#ifdef _WIN32
        DWORD attr = GetFileAttributesA(path.c_str());
        exists = attr != INVALID_FILE_ATTRIBUTES;
#else
        exists = errno != ENOENT && errno != ENOTDIR;
#endif
        return false;
    }
    exists = true;
    uint8_t buf[kChunk];
    size_t n;
    bool ok = true;
    try {
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
            if (out.size() + n > 0xFFFFFFFFu) {
                ok = false;
                break;
            }
            out.insert(out.end(), buf, buf + n);
        }
    } catch (...) {
        ok = false;
    }
    ok = ok && !ferror(f);
    fclose(f);
    return ok;
}

std::unique_ptr<FileOps::Writer> FileOps::Create(const std::string &path) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::unique_ptr<Writer>(new Win32Writer(h));
#else
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return nullptr;
    return std::unique_ptr<Writer>(new PosixWriter(fd));
#endif
}

bool FileOps::Replace(const std::string &from, const std::string &to) {
#ifdef _WIN32
    // A read-only game file would refuse the move; it is ours to update.
    DWORD attr = GetFileAttributesA(to.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(to.c_str(), attr & ~DWORD(FILE_ATTRIBUTE_READONLY));
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return rename(from.c_str(), to.c_str()) == 0;
#endif
}

void FileOps::Remove(const std::string &path) { remove(path.c_str()); }

bool FileOps::MakeFolder(const std::string &path) {
#ifdef _WIN32
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
#else
    if (mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool ParseCommandLine(const char *commandLine, std::string &patchPath) {
    patchPath.clear();
    if (!commandLine) return false;
    const char *p = commandLine;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '"') {
        const char *end = strchr(++p, '"');
        if (!end) return false;
        patchPath.assign(p, end);
        p = end + 1;
    } else {
        const char *start = p;
        while (*p && *p != ' ' && *p != '\t') ++p;
        patchPath.assign(start, p);
    }
    while (*p == ' ' || *p == '\t') ++p;
    return !patchPath.empty() && *p == '\0';
}

std::string TempNameFor(const std::string &path) { return path + ".kvp-new"; }

uint32_t ApplyPatchFile(const std::string &patchPath, const std::string &root, RtpCallback callback, FileOps &ops) {
    try {
        Run run(callback, ops);
        return run.Apply(patchPath, root);
    } catch (const std::bad_alloc &) {
        Run run(callback, ops);
        return run.Fail(kEptMemory, "Memoria insufficiente per applicare il file di patch.");
    }
}

}  // namespace rtp
