#include "platform/patchw32/patchfmt.h"
#include "platform/patchw32/rtpatch.h"

#include <string.h>

namespace rtp {

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool IsSafeRelativePath(const std::string &path) {
    if (path.empty() || path.size() > kMaxPathLength) return false;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('/', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") return false;
        for (unsigned char c : part)
            if (c < 0x20 || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
                c == '|')
                return false;
        // Windows drops trailing dots and blanks, which would alias another name.
        if (part.back() == '.' || part.back() == ' ') return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

namespace {

void Put16(Bytes &b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes &b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

class Reader {
  public:
    Reader(const uint8_t *d, size_t n) : d_(d), n_(n) {}
    bool Get8(uint8_t &v) {
        if (n_ - p_ < 1) return false;
        v = d_[p_++];
        return true;
    }
    bool Get16(uint16_t &v) {
        if (n_ - p_ < 2) return false;
        v = uint16_t(d_[p_] | d_[p_ + 1] << 8);
        p_ += 2;
        return true;
    }
    bool Get32(uint32_t &v) {
        if (n_ - p_ < 4) return false;
        v = uint32_t(d_[p_]) | uint32_t(d_[p_ + 1]) << 8 | uint32_t(d_[p_ + 2]) << 16 | uint32_t(d_[p_ + 3]) << 24;
        p_ += 4;
        return true;
    }
    bool GetBytes(size_t len, const uint8_t *&out) {
        if (n_ - p_ < len) return false;
        out = d_ + p_;
        p_ += len;
        return true;
    }
    size_t Left() const { return n_ - p_; }

  private:
    const uint8_t *d_;
    size_t n_, p_ = 0;
};

void EmitLiteral(Bytes &out, const uint8_t *p, size_t len) {
    while (len > 0) {
        uint32_t n = len > 0x7FFFFFFFu ? 0x7FFFFFFFu : uint32_t(len);
        out.push_back(0x02);
        Put32(out, n);
        out.insert(out.end(), p, p + n);
        p += n;
        len -= n;
    }
}

void EmitCopy(Bytes &out, uint32_t offset, uint32_t len) {
    out.push_back(0x01);
    Put32(out, offset);
    Put32(out, len);
}

constexpr size_t kMinMatch = 16;
constexpr int kMaxCandidates = 32;

uint32_t HashAt(const uint8_t *p) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < kMinMatch; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

}  // namespace

Bytes Serialize(const Patch &patch) {
    Bytes b;
    b.insert(b.end(), {'K', 'V', 'R', 'P'});
    Put16(b, kFormatVersion);
    Put16(b, 0);
    Put32(b, uint32_t(patch.files.size()));
    for (const FileEntry &f : patch.files) {
        Put16(b, uint16_t(f.path.size()));
        b.insert(b.end(), f.path.begin(), f.path.end());
        b.push_back(f.isNew ? 1 : 0);
        Put32(b, f.oldSize);
        Put32(b, f.oldCrc);
        Put32(b, f.newSize);
        Put32(b, f.newCrc);
        Put32(b, uint32_t(f.delta.size()));
        b.insert(b.end(), f.delta.begin(), f.delta.end());
    }
    Put32(b, Crc32(b));
    return b;
}

uint32_t Parse(const uint8_t *data, size_t size, Patch &patch) {
    patch.files.clear();
    if (size < 16 || memcmp(data, "KVRP", 4) != 0) return kEptPatchDamaged;
    uint32_t stored = uint32_t(data[size - 4]) | uint32_t(data[size - 3]) << 8 | uint32_t(data[size - 2]) << 16 |
                      uint32_t(data[size - 1]) << 24;
    if (Crc32(data, size - 4) != stored) return kEptPatchDamaged;
    Reader r(data + 4, size - 8);
    uint16_t version = 0, reserved = 0;
    uint32_t count = 0;
    r.Get16(version);
    r.Get16(reserved);
    r.Get32(count);
    if (version != kFormatVersion) return kEptPatchVersion;
    // Every entry takes at least 24 bytes; a count beyond that is damage, not a huge patch.
    if (count > r.Left() / 24) return kEptPatchDamaged;
    patch.files.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        FileEntry &f = patch.files[i];
        uint16_t pathLen = 0;
        uint8_t flags = 0;
        uint32_t deltaLen = 0;
        const uint8_t *path = nullptr;
        const uint8_t *delta = nullptr;
        if (!r.Get16(pathLen) || !r.GetBytes(pathLen, path) || !r.Get8(flags) || !r.Get32(f.oldSize) ||
            !r.Get32(f.oldCrc) || !r.Get32(f.newSize) || !r.Get32(f.newCrc) || !r.Get32(deltaLen) ||
            !r.GetBytes(deltaLen, delta))
            return kEptPatchDamaged;
        if (flags > 1) return kEptPatchDamaged;
        f.isNew = flags == 1;
        f.path.assign(reinterpret_cast<const char *>(path), pathLen);
        if (!IsSafeRelativePath(f.path)) return kEptPatchDamaged;
        for (uint32_t j = 0; j < i; ++j)
            if (patch.files[j].path == f.path) return kEptPatchDamaged;
        f.delta.assign(delta, delta + deltaLen);
    }
    if (r.Left() != 0) return kEptPatchDamaged;
    return 0;
}

Bytes MakeDelta(const Bytes &oldData, const Bytes &newData) {
    Bytes out;
    const size_t n = newData.size(), m = oldData.size();
    size_t lit = 0, i = 0;
    if (m >= kMinMatch && n >= kMinMatch) {
        size_t bits = 10;
        while ((size_t(1) << bits) < m && bits < 24) ++bits;
        const uint32_t mask = (uint32_t(1) << bits) - 1;
        std::vector<int64_t> head(size_t(1) << bits, -1), prev(m - kMinMatch + 1, -1);
        for (size_t p = 0; p + kMinMatch <= m; ++p) {
            uint32_t h = HashAt(&oldData[p]) & mask;
            prev[p] = head[h];
            head[h] = int64_t(p);
        }
        while (i + kMinMatch <= n) {
            size_t best = 0, bestPos = 0;
            int64_t cand = head[HashAt(&newData[i]) & mask];
            for (int k = 0; cand >= 0 && k < kMaxCandidates; ++k, cand = prev[size_t(cand)]) {
                size_t c = size_t(cand), len = 0;
                while (c + len < m && i + len < n && oldData[c + len] == newData[i + len]) ++len;
                if (len > best) {
                    best = len;
                    bestPos = c;
                }
            }
            if (best < kMinMatch) {
                ++i;
                continue;
            }
            while (i > lit && bestPos > 0 && oldData[bestPos - 1] == newData[i - 1]) {
                --i;
                --bestPos;
                ++best;
            }
            EmitLiteral(out, newData.data() + lit, i - lit);
            while (best > 0) {
                uint32_t len = best > 0x7FFFFFFFu ? 0x7FFFFFFFu : uint32_t(best);
                EmitCopy(out, uint32_t(bestPos), len);
                bestPos += len;
                i += len;
                best -= len;
            }
            lit = i;
        }
    }
    EmitLiteral(out, newData.data() + lit, n - lit);
    return out;
}

bool ApplyDelta(const Bytes &oldData, const Bytes &delta, uint32_t expectedSize, Bytes &out) {
    out.clear();
    out.reserve(expectedSize);
    Reader r(delta.data(), delta.size());
    while (r.Left() > 0) {
        uint8_t op = 0;
        uint32_t a = 0, len = 0;
        r.Get8(op);
        if (op == 0x01) {
            if (!r.Get32(a) || !r.Get32(len) || a > oldData.size() || len > oldData.size() - a ||
                len > expectedSize - out.size())
                return false;
            out.insert(out.end(), oldData.begin() + a, oldData.begin() + a + len);
        } else if (op == 0x02) {
            const uint8_t *p = nullptr;
            if (!r.Get32(len) || len > expectedSize - out.size() || !r.GetBytes(len, p)) return false;
            out.insert(out.end(), p, p + len);
        } else {
            return false;
        }
    }
    return out.size() == expectedSize;
}

FileEntry MakeEntry(const std::string &path, const Bytes *oldData, const Bytes &newData) {
    FileEntry f;
    f.path = path;
    f.isNew = oldData == nullptr;
    if (oldData) {
        f.oldSize = uint32_t(oldData->size());
        f.oldCrc = Crc32(*oldData);
    }
    f.newSize = uint32_t(newData.size());
    f.newCrc = Crc32(newData);
    static const Bytes empty;
    f.delta = MakeDelta(oldData ? *oldData : empty, newData);
    return f;
}

}  // namespace rtp
