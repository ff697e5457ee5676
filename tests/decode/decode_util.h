// Shared by the GIF and JPEG tests: fixture files, the GIF references that
// Pillow made, and a tiny GIF writer for streams the encoders never emit.
#ifndef KORVANTE_DECODE_UTIL_H
#define KORVANTE_DECODE_UTIL_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "surface/pixfmt.h"
#include "tests/common/testsurf.h"

namespace kvtest {

inline std::vector<uint8_t> ReadFile(const std::string &path) {
    std::vector<uint8_t> v;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return v;
    uint8_t buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) v.insert(v.end(), buf, buf + n);
    fclose(f);
    return v;
}

// The pixel a true-colour decoder should store for an 8-bit RGB triple, and
// the pixel it did store (without the fourth byte of 32-bit pixels).
inline uint32_t Expected(int kind, const uint8_t *rgb) {
    const kv::RGB8 c{rgb[0], rgb[1], rgb[2]};
    switch (kind) {
        case 16:
            return kv::Fmt565::Pack(c);
        case 17:
        case 18:
            return kv::Fmt555::Pack(c);
        case 19:
            return kv::Fmt4444::Pack(c);
        default:
            return kv::RGBColor(c);
    }
}

inline uint32_t Stored(int kind, const uint8_t *p) {
    switch (kind) {
        case 32:
            return kv::Load32(p) & 0xFFFFFF;
        case 24:
            return kv::Fmt24::Load(p);
        default:
            return kv::Load16(p);
    }
}

inline std::string DataPath(const std::string &rel) { return std::string(UTILS_TEST_DATA) + "/" + rel; }

// Pillow's decoding of a GIF fixture.
struct GifRef {
    int width = 0, height = 0;
    struct Frame {
        bool hasIndices;
        std::vector<uint8_t> indices;
        std::vector<uint8_t> rgb;
    };
    std::vector<Frame> frames;
};

inline bool LoadGifRef(const std::string &path, GifRef &ref) {
    const std::vector<uint8_t> d = ReadFile(path);
    if (d.size() < 18 || memcmp(d.data(), "KVREF1", 6) != 0) return false;
    auto u32 = [&](size_t o) {
        return uint32_t(d[o]) | uint32_t(d[o + 1]) << 8 | uint32_t(d[o + 2]) << 16 | uint32_t(d[o + 3]) << 24;
    };
    const uint32_t n = u32(6);
    ref.width = int(u32(10));
    ref.height = int(u32(14));
    const size_t px = size_t(ref.width) * ref.height;
    size_t p = 18;
    for (uint32_t i = 0; i < n; ++i) {
        GifRef::Frame f;
        if (p >= d.size()) return false;
        f.hasIndices = d[p++] != 0;
        if (f.hasIndices) {
            if (p + px > d.size()) return false;
            f.indices.assign(d.begin() + p, d.begin() + p + px);
            p += px;
        }
        if (p + 3 * px > d.size()) return false;
        f.rgb.assign(d.begin() + p, d.begin() + p + 3 * px);
        p += 3 * px;
        ref.frames.push_back(std::move(f));
    }
    return true;
}

// Packs LZW codes of explicit widths LSB first into data sub-blocks.
class CodeWriter {
  public:
    void Put(int code, int width) {
        acc_ |= uint64_t(code) << held_;
        held_ += width;
        while (held_ >= 8) {
            bytes_.push_back(uint8_t(acc_));
            acc_ >>= 8;
            held_ -= 8;
        }
    }
    std::vector<uint8_t> SubBlocks(size_t blockSize = 255) {
        if (held_ > 0) bytes_.push_back(uint8_t(acc_)), held_ = 0, acc_ = 0;
        std::vector<uint8_t> out;
        for (size_t i = 0; i < bytes_.size(); i += blockSize) {
            const size_t n = std::min(blockSize, bytes_.size() - i);
            out.push_back(uint8_t(n));
            out.insert(out.end(), bytes_.begin() + i, bytes_.begin() + i + n);
        }
        out.push_back(0);
        return out;
    }

  private:
    std::vector<uint8_t> bytes_;
    uint64_t acc_ = 0;
    int held_ = 0;
};

// A GIF stream built piece by piece.
class GifWriter {
  public:
    GifWriter(int w, int h, int globalEntries = 0) {
        Str("GIF89a");
        U16(w);
        U16(h);
        int flags = 0;
        if (globalEntries) flags = 0x80 | Log2Entries(globalEntries);
        bytes.push_back(uint8_t(flags));
        bytes.push_back(0);
        bytes.push_back(0);
        for (int i = 0; i < globalEntries; ++i) Colour(i);
    }
    // Entry i of every table written here: red i, green 255 - i, blue 3 i.
    void Colour(int i) {
        bytes.push_back(uint8_t(i));
        bytes.push_back(uint8_t(255 - i));
        bytes.push_back(uint8_t(3 * i));
    }
    void Extension(int label, const std::vector<uint8_t> &payload) {
        bytes.push_back('!');
        bytes.push_back(uint8_t(label));
        bytes.push_back(uint8_t(payload.size()));
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        bytes.push_back(0);
    }
    void Descriptor(int w, int h, bool interlaced = false, int localEntries = 0) {
        bytes.push_back(',');
        U16(0);
        U16(0);
        U16(w);
        U16(h);
        int flags = interlaced ? 0x40 : 0;
        if (localEntries) flags |= 0x80 | Log2Entries(localEntries);
        bytes.push_back(uint8_t(flags));
        for (int i = 0; i < localEntries; ++i) Colour(i);
    }
    void Raw(const std::vector<uint8_t> &b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    void Byte(int b) { bytes.push_back(uint8_t(b)); }
    // Indices as literal codes only, with a clear code before the table
    // would make codes grow: every code is minSize + 1 bits wide.
    void LiteralFrame(const std::vector<uint8_t> &indices, int minSize = 8) {
        Byte(minSize);
        const int clear = 1 << minSize, width = minSize + 1;
        const int room = (1 << width) - (clear + 2) - 1;
        CodeWriter cw;
        int since = 0;
        cw.Put(clear, width);
        for (uint8_t v : indices) {
            if (since == room) {
                cw.Put(clear, width);
                since = 0;
            }
            cw.Put(v & (clear - 1), width);
            ++since;
        }
        cw.Put(clear + 1, width);
        Raw(cw.SubBlocks());
    }
    void Trailer() { bytes.push_back(';'); }
    std::vector<uint8_t> bytes;

  private:
    static int Log2Entries(int n) {
        int f = 0;
        while ((2 << f) < n) ++f;
        return f;
    }
    // Byte by byte: GCC 12 misreads a range insert into an empty vector as
    // an overflow (-Wstringop-overflow).
    void Str(const char *s) {
        while (*s) bytes.push_back(uint8_t(*s++));
    }
    void U16(int v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    }
};

// Guards before and after a test surface's memory; the decoders may use all
// of height x scanWidth, row padding included.
inline bool OuterGuardsIntact(const TestSurface &s) {
    const std::vector<uint8_t> &m = s.Memory();
    for (int i = 0; i < TestSurface::kGuardBytes; ++i)
        if (m[i] != TestSurface::kGuard || m[m.size() - 1 - i] != TestSurface::kGuard) return false;
    return true;
}

}  // namespace kvtest

#endif
