#include "decode/gif_decoder.h"

#include <string.h>

#include <mutex>

#include "decode/reader.h"

namespace kv {

namespace {

// Where an open stream ends. The forms with a length give the end; the
// others trust the stream to be complete and leave the rest of the address
// space open.
struct Span {
    uintptr_t begin = 0;  // 0: none
    uintptr_t end = 0;
    bool bounded = false;
    bool Holds(uintptr_t a) const { return begin != 0 && a >= begin && a <= end; }
};

// The records keep no room for the end, so it is remembered here: per
// thread, the stream that thread opened last, which its frame calls read;
// and library-wide, the stream any thread opened last, for a stream opened
// on one thread and read on another (the caller's hand-over orders the
// calls). A bounded span that holds the position wins over an unbounded one.
thread_local Span t_opened;
std::mutex g_lastMutex;
Span g_last;

void Remember(const Span &s) {
    t_opened = s;
    std::lock_guard<std::mutex> lock(g_lastMutex);
    g_last = s;
}

Span SpanOf(uintptr_t a) {
    const Span own = t_opened;
    if (own.bounded && own.Holds(a)) return own;
    Span last;
    {
        std::lock_guard<std::mutex> lock(g_lastMutex);
        last = g_last;
    }
    if (last.bounded && last.Holds(a)) return last;
    if (own.Holds(a)) return own;
    if (last.Holds(a)) return last;
    return Span();
}

constexpr int kMaxCodes = 4096;

const uint32_t kMask[13] = {0x0, 0x1, 0x3, 0x7, 0xF, 0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};

// Bytes of the open stream from p to its end; 0 when p belongs to no stream
// this thread can see.
size_t StreamLeft(const uint8_t *p) {
    const uintptr_t a = reinterpret_cast<uintptr_t>(p);
    if (!p) return 0;
    const Span s = SpanOf(a);
    if (!s.Holds(a)) return 0;
    const uintptr_t left = s.end - a;
    // An unbounded stream still needs an end whose distance fits a ptrdiff_t.
    const uintptr_t most = static_cast<uintptr_t>(PTRDIFF_MAX);
    return static_cast<size_t>(left < most ? left : most);
}

Reader StreamAt(const uint8_t *p) { return Reader(p, StreamLeft(p)); }

void ReadColours(Reader &in, int entries, RAW &raw) {
    if (!raw.flag) {
        in.Skip(static_cast<size_t>(entries) * 3);
        return;
    }
    for (int i = 0; i < entries && !in.Failed(); ++i) {
        raw.palette[i][0] = in.U8();
        raw.palette[i][1] = in.U8();
        raw.palette[i][2] = in.U8();
        raw.palette[i][3] = 0;
    }
}

// Codes packed LSB first in data sub-blocks; a zero-length sub-block (or the
// stream's end) gives the end code.
struct BitReader {
    const uint8_t *stream;  // next sub-block's length byte
    const uint8_t *streamEnd;
    const uint8_t *block;
    int blockLeft;
    uint32_t acc = 0;
    int held = 0;
    bool terminated = false;  // the zero-length sub-block was read, or the stream ran out
    bool cut = false;         // the stream ran out before the zero-length sub-block
    int lastByte = 0;

    // True when a code was read, false at the end of the data.
    inline bool Code(int size, int &code) {
        if (held < size && !Refill(size)) return false;
        code = static_cast<int>(acc & kMask[size]);
        acc >>= size;
        held -= size;
        return true;
    }

    // Takes whole bytes while they fit the accumulator, opening the next
    // sub-block when the current one is used up.
    bool Refill(int size) {
        while (held < size) {
            if (blockLeft == 0) {
                if (terminated) return false;
                if (stream >= streamEnd) {
                    terminated = cut = true;
                    return false;
                }
                const int want = *stream++;
                const ptrdiff_t avail = streamEnd - stream;
                if (want == 0) {
                    terminated = true;
                    return false;
                }
                // The last sub-block may be cut short by the stream's end.
                const int n = want > avail ? static_cast<int>(avail) : want;
                if (n == 0) {
                    terminated = cut = true;
                    return false;
                }
                block = stream;
                stream += n;
                blockLeft = n;
            }
            while (blockLeft > 0 && held <= 24) {
                acc |= static_cast<uint32_t>(*block++) << held;
                held += 8;
                --blockLeft;
            }
            lastByte = block[-1];
        }
        return true;
    }

    // After the end code, or once the frame is full: step over what is left
    // of the frame's sub-blocks.
    void SkipRest() {
        while (!terminated) {
            if (stream >= streamEnd) {
                cut = true;
                break;
            }
            const int n = *stream++;
            if (n == 0) break;
            if (n > streamEnd - stream) {
                stream = streamEnd;
                cut = true;
                break;
            }
            stream += n;
        }
        blockLeft = 0;
        terminated = true;
    }
};

// Where decoded indices go: rows of the frame's width, packed, with the
// interlaced row order; nothing is written at or past the cap.
struct IndexSink {
    uint8_t *buf;
    size_t cap;
    int fw, fh;
    bool interlaced;
    int r = 0;         // rows completed
    int col = 0;
    int room = 0;      // columns of the current row that may be written
    uint8_t *row = nullptr;
    int p1, p2, p3;

    IndexSink(uint8_t *b, size_t c, int w, int h, bool il) : buf(b), cap(c), fw(w), fh(h), interlaced(il) {
        p1 = (h + 7) / 8;
        p2 = p1 + (h + 3) / 8;
        p3 = p2 + (h + 1) / 4;
        if (fw <= 0 || fh <= 0) fw = fh = 0;
        OpenRow(0);
    }

    void OpenRow(int y) {
        col = 0;
        room = 0;
        row = nullptr;
        if (r >= fh) return;
        const size_t off = static_cast<size_t>(y) * static_cast<size_t>(fw);
        if (off >= cap) return;
        row = buf + off;
        room = (cap - off < static_cast<size_t>(fw)) ? static_cast<int>(cap - off) : fw;
    }

    int NextRowNumber() const {
        if (!interlaced) return r;
        if (r < p1) return 8 * r;
        if (r < p2) return 8 * (r - p1) + 4;
        if (r < p3) return 4 * (r - p2) + 2;
        return 2 * (r - p3) + 1;
    }

    bool Full() const { return r >= fh; }

    // Nothing more can be written: the frame is complete, or the rows left
    // all lie past the cap (rows only move down, except from one interlace
    // pass to the next).
    bool Done() const { return r >= fh || (!row && (!interlaced || r >= p3)); }

    inline void Put(uint8_t v) {
        if (r >= fh) return;
        if (col < room) row[col] = v;
        if (++col == fw) {
            ++r;
            OpenRow(NextRowNumber());
        }
    }
};

#if defined(__GNUC__)
#define KV_NOINLINE __attribute__((noinline))
#else
#define KV_NOINLINE
#endif

// The code tables live on the stack of the call that decodes a frame (some
// 24 KB in either path), so frames on different threads never share them.
// Each path returns true when it read the end code.

// A frame that is not interlaced and fits the buffer as a whole: every
// string already lies in the output, so a code's string is copied from
// where it was written instead of walking its chain. The same table rules
// as the general loop; once the frame is full the rest is skipped.
KV_NOINLINE bool DecodeContiguous(BitReader &bits, uint8_t *buf, size_t total, int minSize, int &codeSize) {
    uint32_t where[kMaxCodes];   // where each code's string was last written
    uint16_t length[kMaxCodes];  // string length of each code
    const int clear = 1 << minSize, endCode = clear + 1, firstFree = clear + 2;
    int limit = 1 << codeSize;
    int next = firstFree;
    size_t at = 0;                  // next output position
    int prev = -1;
    size_t prevAt = 0, prevLen = 0; // where and how long the previous string is
    int code;
    bool more = bits.Code(codeSize, code);
    while (more && code != endCode && at < total) {
        if (code == clear || prev < 0) {
            if (code == clear) {
                next = firstFree;
                codeSize = minSize + 1;
                limit = 1 << codeSize;
                do {
                    more = bits.Code(codeSize, code);
                } while (more && code == clear);
                if (!more || code == endCode) break;
            }
            if (code >= firstFree) code = 0;
            prevAt = at;
            prevLen = 1;
            buf[at++] = static_cast<uint8_t>(code);
            prev = code;
            more = bits.Code(codeSize, code);
            continue;
        }
        size_t len;
        if (code < clear) {
            len = 1;
            buf[at] = static_cast<uint8_t>(code);
        } else {
            const uint8_t *src;
            if (code >= next) {
                // Not yet in the table (or damaged): the previous string and
                // its first index, which the forward copy repeats.
                code = next;
                src = buf + prevAt;
                len = prevLen + 1;
            } else {
                src = buf + where[code];
                len = length[code];
            }
            if (len > total - at) len = total - at;
            uint8_t *dst = buf + at;
            for (size_t i = 0; i < len; ++i) dst[i] = src[i];
        }
        if (next < limit) {
            where[next] = static_cast<uint32_t>(prevAt);
            length[next] = static_cast<uint16_t>(prevLen + 1);
            ++next;
        }
        if (next >= limit && codeSize < 12) {
            ++codeSize;
            limit <<= 1;
        }
        prevAt = at;
        prevLen = len;
        at += len;
        prev = code;
        more = bits.Code(codeSize, code);
    }
    const bool ended = more && code == endCode;
    if (more) bits.SkipRest();
    return ended;
}

// Every other frame: each code's string is walked down its prefix chain
// into the sink, which keeps to the cap and the interlaced row order.
KV_NOINLINE bool DecodeChains(BitReader &bits, uint8_t *buf, size_t cap, int fw, int fh, bool interlaced,
                              int minSize, int &codeSize) {
    uint16_t prefix[kMaxCodes];
    uint8_t suffix[kMaxCodes];
    uint16_t length[kMaxCodes];  // string length of each code
    uint8_t stack[kMaxCodes + 1];
    const int clear = 1 << minSize, endCode = clear + 1, firstFree = clear + 2;
    int limit = 1 << codeSize;
    int next = firstFree;
    for (int c = 0; c < clear; ++c) {
        length[c] = 1;
        prefix[c] = 0;
        suffix[c] = static_cast<uint8_t>(c);
    }
    IndexSink out(buf, cap, fw, fh, interlaced);

    int prev = -1;   // no previous string yet
    int first = 0;   // first index of the previous string
    int code;
    bool more = bits.Code(codeSize, code);
    while (more && code != endCode && !out.Done()) {
        if (code == clear) {
            next = firstFree;
            codeSize = minSize + 1;
            limit = 1 << codeSize;
            do {
                more = bits.Code(codeSize, code);
            } while (more && code == clear);
            if (!more || code == endCode) break;
            if (code >= firstFree) code = 0;
            out.Put(static_cast<uint8_t>(code));
            prev = first = code;
            more = bits.Code(codeSize, code);
            continue;
        }
        if (prev < 0) {
            // Data that does not start with a clear code: as if it did.
            if (code >= firstFree) code = 0;
            out.Put(static_cast<uint8_t>(code));
            prev = first = code;
            more = bits.Code(codeSize, code);
            continue;
        }
        // A code not yet in the table is the previous string plus its own
        // first index; a damaged one (past the next free code) is read the
        // same way, so every prefix stays below its own code.
        int cur = code;
        int extra = -1;
        if (code >= next) {
            extra = first;
            cur = prev;
            code = next;
        }
        const int len = length[cur] + (extra >= 0);
        int c = cur;
        if (!out.Full() && out.col + len <= out.room) {
            uint8_t *p = out.row + out.col + len - 1;
            if (extra >= 0) *p-- = static_cast<uint8_t>(extra);
            while (c >= firstFree) {
                *p-- = suffix[c];
                c = prefix[c];
            }
            *p = static_cast<uint8_t>(c);
            out.col += len;
            if (out.col == fw) {
                ++out.r;
                out.OpenRow(out.NextRowNumber());
            }
        } else {
            int sp = 0;
            if (extra >= 0) stack[sp++] = static_cast<uint8_t>(extra);
            while (c >= firstFree && sp < kMaxCodes) {
                stack[sp++] = suffix[c];
                c = prefix[c];
            }
            stack[sp++] = static_cast<uint8_t>(c);
            while (sp > 0) out.Put(stack[--sp]);
        }
        first = c;
        if (next < limit) {
            prefix[next] = static_cast<uint16_t>(prev);
            suffix[next] = static_cast<uint8_t>(first);
            length[next] = static_cast<uint16_t>(length[prev] + 1);
            ++next;
        }
        if (next >= limit && codeSize < 12) {
            ++codeSize;
            limit <<= 1;
        }
        prev = code;
        more = bits.Code(codeSize, code);
    }
    const bool ended = more && code == endCode;
    if (more) bits.SkipRest();
    return ended;
}

void Finish(CKVGIF &gif, const BitReader &bits, int codeSize, int endCode) {
    gif.stream = const_cast<unsigned char *>(bits.stream);
    gif.blockPos = const_cast<unsigned char *>(bits.block);
    gif.codeSize = codeSize;
    gif.endCode = endCode;
    gif.blockLeft = bits.blockLeft;
    gif.bitsHeld = bits.held & 7;
    gif.lastByte = bits.lastByte;
}

}  // namespace

int GifOpen(unsigned char *data, long length, bool unbounded, CKVGIF &gif, RAW &raw) {
    gif.stream = nullptr;
    gif.blockPos = nullptr;
    if (!data) return kGifMissing;
    Span s;
    s.begin = reinterpret_cast<uintptr_t>(data);
    s.bounded = !unbounded;
    if (unbounded) {
        s.end = UINTPTR_MAX;
    } else {
        const uintptr_t n = length > 0 ? static_cast<uintptr_t>(length) : 0;
        s.end = n < UINTPTR_MAX - s.begin ? s.begin + n : UINTPTR_MAX;
    }
    Remember(s);
    Reader in = StreamAt(data);
    const uint8_t g = in.U8(), i = in.U8(), f = in.U8();
    if (in.Failed() || g != 'G' || i != 'I' || f != 'F') return kGifNotGif;
    in.Skip(3);  // version, not checked
    const int w = in.U16(), h = in.U16();
    const int flags = in.U8();
    in.Skip(2);  // background, aspect
    if (in.Failed()) return kGifNotGif;
    raw.width = w;
    raw.height = h;
    if (flags & 0x80) ReadColours(in, 2 << (flags & 7), raw);
    if (in.Failed()) return kGifTruncated;
    gif.stream = const_cast<unsigned char *>(in.Cur());
    return kGifOk;
}

bool GifNext(CKVGIF &gif) {
    if (!gif.stream) return false;
    Reader in = StreamAt(gif.stream);
    for (;;) {
        const uint8_t *at = in.Cur();
        const uint8_t b = in.U8();
        if (in.Failed()) {
            // The stream ended without its trailer: nothing more is read.
            GifClose(gif);
            return false;
        }
        if (b == ';') {
            // Stay on the trailer: later calls keep answering false.
            gif.stream = const_cast<unsigned char *>(at);
            return false;
        }
        if (b == ',') {
            gif.stream = const_cast<unsigned char *>(in.Cur());
            return true;
        }
        if (b == '!') {
            in.U8();  // label
            for (;;) {
                const uint8_t n = in.U8();
                if (n == 0 || in.Failed()) break;
                in.Skip(n);
            }
        }
    }
}

void GifClose(CKVGIF &gif) {
    gif.stream = nullptr;
    gif.blockPos = nullptr;
}

int GifDecodeFrame(CKVGIF &gif, RAW &raw, uint8_t *buf, size_t cap) {
    if (!gif.stream) return kGifMissing;
    Reader in = StreamAt(gif.stream);
    in.Skip(4);  // left, top: every frame starts at the surface's corner
    const int fw = in.U16(), fh = in.U16();
    const int flags = in.U8();
    if (in.Failed()) {
        gif.stream = const_cast<unsigned char *>(in.Cur());
        return kGifTruncated;
    }
    raw.width = fw;
    raw.height = fh;
    if (flags & 0x80) ReadColours(in, 2 << (flags & 7), raw);
    const int minSize = in.U8();
    gif.stream = const_cast<unsigned char *>(in.Cur());
    if (in.Failed()) return kGifTruncated;
    if (minSize < 2 || minSize > 9) return kGifBadCodeSize;

    const int endCode = (1 << minSize) + 1;
    int codeSize = minSize + 1;
    BitReader bits;
    bits.stream = in.Cur();
    bits.streamEnd = in.Cur() + in.Left();
    bits.block = nullptr;
    bits.blockLeft = 0;
    const bool interlaced = (flags & 0x40) != 0;
    bool ended;
    if (!interlaced && fw > 0 && fh > 0 && static_cast<size_t>(fw) * static_cast<size_t>(fh) <= cap)
        ended = DecodeContiguous(bits, buf, static_cast<size_t>(fw) * static_cast<size_t>(fh), minSize, codeSize);
    else
        ended = DecodeChains(bits, buf, cap, fw, fh, interlaced, minSize, codeSize);
    Finish(gif, bits, codeSize, endCode);
    // The stream's end came before the end code and the zero-length
    // sub-block: the frame's data is cut off.
    return !ended && bits.cut ? kGifCut : kGifOk;
}

size_t SurfaceBytes(const TSurfDesc &s, int bytesPerPixel) {
    if (!s.bits || s.width <= 0 || s.height <= 0) return 0;
    if (static_cast<long long>(s.scanWidth) < static_cast<long long>(s.width) * bytesPerPixel) return 0;
    return static_cast<size_t>(s.height) * static_cast<size_t>(s.scanWidth);
}

void SpreadRows(uint8_t *bits, int width, int height, int pitch) {
    if (pitch == width) return;
    for (int y = height - 1; y > 0; --y)
        memmove(bits + static_cast<size_t>(y) * pitch, bits + static_cast<size_t>(y) * width, width);
}

}  // namespace kv
