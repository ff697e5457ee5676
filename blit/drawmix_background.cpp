// The background forms of DrawMix: the background is laid down with its key
// colour honoured, then the source is mixed over the result.
#include "utils.h"

bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src, const CPunto &srcPt,
             TSurfDesc &background, const CPunto &backgroundPt, unsigned char (*const mixTable)[65536]) {
    if (!DrawBitmap(dst, rect, background, backgroundPt)) return false;
    return DrawMix(dst, rect, level, src, srcPt, mixTable);
}

bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
             const CPunto &srcPt, TSurfDesc &background, const CPunto &backgroundPt,
             unsigned char (*const mixTable)[65536]) {
    if (!DrawBitmap(dst, rect, background, backgroundPt)) return false;
    return DrawMix(dst, rect, alpha, alphaPt, src, srcPt, mixTable);
}
