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
    return ByKind<LoadPGF_32, LoadPGF_24, LoadPGF_565, LoadPGF_555, LoadPGF_4444, LoadPGF_8Bits>(s, s, data);
}
