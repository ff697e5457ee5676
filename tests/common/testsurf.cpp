#include "tests/common/testsurf.h"

#include <string.h>

#include <stdexcept>

#include "surface/surface.h"

namespace kvtest {

namespace {
// Constant-initialised: benchmarks name themselves from it before main.
constexpr KindInfo Kind(const char *name, int kind) {
    TSurfDesc d{};
    kv::DescribeKind(d, kind);
    return {name, kind, d.bpp, d.rMask, d.gMask, d.bMask, d.aMask};
}
}  // namespace

const KindInfo kKinds[7] = {Kind("8", 8),     Kind("565", 16), Kind("555", 17), Kind("1555", 18),
                            Kind("4444", 19), Kind("24", 24),  Kind("32", 32)};

const KindInfo &KindByNumber(int kind) {
    for (const KindInfo &k : kKinds)
        if (k.kind == kind) return k;
    throw std::invalid_argument("no such pixel kind");
}

std::string KindName(int kind) { return std::string("k") + KindByNumber(kind).name; }

uint64_t Rng::Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Rng::Range(int lo, int hi) {
    const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
    return static_cast<int>(lo + static_cast<int64_t>(Next() % span));
}

TestSurface::TestSurface(int kind, int width, int height, int pad) : pad_(pad) {
    const KindInfo &k = KindByNumber(kind);
    memset(&desc, 0, sizeof desc);
    desc.width = width;
    desc.height = height;
    kv::DescribeKind(desc, kind);
    desc.transColor = 0xFFFFFFFFu;
    desc.scanWidth = RowBytes() + pad;
    mem_.assign(static_cast<size_t>(desc.scanWidth) * (height > 0 ? height : 0) + 2 * kGuardBytes, kGuard);
    desc.bits = mem_.data() + kGuardBytes;
    for (int i = 0; i < 256; ++i) palette[i] = TRGBA{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    desc.palette = k.bpp == 8 ? palette : nullptr;
}

int TestSurface::RowBytes() const { return desc.width * static_cast<int>(desc.bpp / 8); }

void TestSurface::Fill(uint8_t byte) {
    for (int y = 0; y < desc.height; ++y) memset(Row(y), byte, RowBytes());
}

void TestSurface::Randomize(Rng &rng) {
    for (int y = 0; y < desc.height; ++y) {
        uint8_t *p = Row(y);
        for (int i = 0; i < RowBytes(); ++i) p[i] = static_cast<uint8_t>(rng.U32());
    }
}

std::vector<uint8_t> TestSurface::Pixels() const {
    std::vector<uint8_t> out;
    for (int y = 0; y < desc.height; ++y) {
        const uint8_t *p = desc.bits + static_cast<ptrdiff_t>(y) * desc.scanWidth;
        out.insert(out.end(), p, p + RowBytes());
    }
    return out;
}

void TestSurface::SetPixels(const std::vector<uint8_t> &bytes) {
    if (bytes.size() != static_cast<size_t>(RowBytes()) * desc.height)
        throw std::invalid_argument("pixel byte count does not match the surface");
    for (int y = 0; y < desc.height; ++y)
        memcpy(Row(y), bytes.data() + static_cast<size_t>(y) * RowBytes(), RowBytes());
}

bool TestSurface::GuardsIntact() const {
    for (int i = 0; i < kGuardBytes; ++i)
        if (mem_[i] != kGuard || mem_[mem_.size() - 1 - i] != kGuard) return false;
    for (int y = 0; y < desc.height; ++y) {
        const uint8_t *p = desc.bits + static_cast<ptrdiff_t>(y) * desc.scanWidth + RowBytes();
        for (int i = 0; i < pad_; ++i)
            if (p[i] != kGuard) return false;
    }
    return true;
}

TestSurface *RandomSurface(Rng &rng, int kind, int maxW, int maxH) {
    const int w = rng.Range(1, maxW);
    const int h = rng.Range(1, maxH);
    const int pad = rng.Chance(60) ? rng.Range(1, 13) : 0;
    TestSurface *s = new TestSurface(kind, w, h, pad);
    s->Randomize(rng);
    for (TRGBA &e : s->palette) {
        const uint32_t v = rng.U32();
        e = TRGBA{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    }
    return s;
}

CRectangulo RandomRect(Rng &rng, int w, int h) {
    const int l = rng.Range(-w / 2 - 2, w + 2);
    const int t = rng.Range(-h / 2 - 2, h + 2);
    return CRectangulo(l, t, l + rng.Range(-1, w + 4), t + rng.Range(-1, h + 4));
}

}  // namespace kvtest
