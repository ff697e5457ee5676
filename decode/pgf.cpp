// PGF is reserved in the interface but not implemented: both entry points
// fail without reading the buffer or touching the surface.
#include "surface/surface.h"

using namespace kv;

namespace {

bool LoadPGF_32(TSurfDesc &, unsigned char *) { return false; }
bool LoadPGF_24(TSurfDesc &, unsigned char *) { return false; }
bool LoadPGF_8Bits(TSurfDesc &, unsigned char *) { return false; }
bool LoadPGF_565(TSurfDesc &, unsigned char *) { return false; }
bool LoadPGF_555(TSurfDesc &, unsigned char *) { return false; }
bool LoadPGF_4444(TSurfDesc &, unsigned char *) { return false; }

}  // namespace

bool LoadInfoPGF(TSurfDesc &, unsigned char *) { return false; }

bool LoadPGF(TSurfDesc &s, unsigned char *data) {
    if (s.bpp == 32) return LoadPGF_32(s, data);
    if (s.bpp == 24) return LoadPGF_24(s, data);
    const int kind = PixelKind(s);
    if (kind == kKind8) return LoadPGF_8Bits(s, data);
    if (kind == kKind565) return LoadPGF_565(s, data);
    if (kind == kKind555 || kind == kKind1555) return LoadPGF_555(s, data);
    if (kind == kKind4444) return LoadPGF_4444(s, data);
    return false;
}
