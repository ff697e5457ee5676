#include "decode/gif_decoder.h"

#include <string.h>

#include <mutex>
#include <vector>

#include "decode/reader.h"

namespace kv {

namespace {

// Each open record's stream: the records have no room for its end, so it
// is kept here by the record's address, for whichever thread calls next.
// Few records are open at once; the list keeps its room between streams.
struct OpenStream {
    const CKVGIF *record;
    Reader stream;
};

struct OpenStreams {
    std::mutex lock;
    std::vector<OpenStream> list;
    OpenStream *Find(const CKVGIF &gif) {
        for (OpenStream &o : list)
            if (o.record == &gif) return &o;
        return nullptr;
    }
};

OpenStreams &Streams() {
    static OpenStreams streams;
    return streams;
}

void Remember(const CKVGIF &gif, const Reader &stream) {
    OpenStreams &o = Streams();
    std::lock_guard<std::mutex> hold(o.lock);
    if (OpenStream *e = o.Find(gif))
        e->stream = stream;
    else
        o.list.push_back(OpenStream{&gif, stream});
}

// A record copied while its stream was open is found by its position, which
// lies in the stream it was copied from.
OpenStream *FindCopied(OpenStreams &o, const uint8_t *at) {
    if (!at) return nullptr;
    for (OpenStream &e : o.list) {
        Reader in = e.stream;
        if (in.SeekTo(at)) return &e;
    }
    return nullptr;
}

void Forget(const CKVGIF &gif) {
    OpenStreams &o = Streams();
    std::lock_guard<std::mutex> hold(o.lock);
    OpenStream *e = o.Find(gif);
    if (!e) e = FindCopied(o, gif.stream);
    if (e) {
        *e = o.list.back();
        o.list.pop_back();
    }
}

// The record's stream from its position on; nothing to read when the record
// has no open stream or its position lies outside it.
Reader StreamAt(const CKVGIF &gif) {
    const uint8_t *at = gif.stream;
    if (at) {
        OpenStreams &o = Streams();
        std::lock_guard<std::mutex> hold(o.lock);
        if (const OpenStream *e = o.Find(gif)) {
            Reader in = e->stream;
            if (in.SeekTo(at)) return in;
        }
        if (const OpenStream *e = FindCopied(o, at)) {
            Reader in = e->stream;
            in.SeekTo(at);
            return in;
        }
    }
    return Reader(at, 0);
}

constexpr int kMaxCodes = 4096;

const uint32_t kMask[13] = {0x0, 0x1, 0x3, 0x7, 0xF, 0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};

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

// Codes packed LSB first in data sub-blocks read from the stream; a
// zero-length sub-block (or the stream's end) gives the end code.
struct BitReader {
    explicit BitReader(Reader &stream) : in(stream) {}

    Reader &in;  // at the next sub-block's length byte
    const uint8_t *block = nullptr;
    int blockLeft = 0;
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
                if (in.AtEnd()) {
                    terminated = cut = true;
                    return false;
                }
                const size_t want = in.U8();
                if (want == 0) {
                    terminated = true;
                    return false;
                }
                // The last sub-block may be cut short by the stream's end.
                const size_t n = want < in.Left() ? want : in.Left();
                if (n == 0) {
                    terminated = cut = true;
                    return false;
                }
                block = in.Span(n);
                blockLeft = static_cast<int>(n);
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
            if (in.AtEnd()) {
                cut = true;
                break;
            }
            const size_t n = in.U8();
            if (n == 0) break;
            if (!in.Skip(n)) {
                cut = true;
                break;
            }
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
    int r = 0;  // rows completed
    int col = 0;
    int room = 0;  // columns of the current row that may be written
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

// A frame that is not interlaced and fits the buffer as a whole: every
// string already lies in the output, so a code's string is copied from
// where it was written instead of walking its chain; the frame ends when
// the output is full.
class ContiguousOut {
  public:
    ContiguousOut(int minSize, uint8_t *buf, size_t total) : clear_(1 << minSize), buf_(buf), total_(total) {}

    bool Done() const { return at_ >= total_; }

    void First(int code) {
        prevAt_ = at_;
        prevLen_ = 1;
        buf_[at_++] = static_cast<uint8_t>(code);
    }

    void String(int code, int next, bool add) {
        size_t len;
        if (code < clear_) {
            len = 1;
            buf_[at_] = static_cast<uint8_t>(code);
        } else {
            // The previous string and its first index, which the forward
            // copy repeats.
            const uint8_t *src = buf_ + prevAt_;
            len = prevLen_ + 1;
            if (code < next) {
                src = buf_ + where_[code];
                len = length_[code];
            }
            if (len > total_ - at_) len = total_ - at_;
            uint8_t *dst = buf_ + at_;
            for (size_t i = 0; i < len; ++i) dst[i] = src[i];
        }
        if (add) {
            where_[next] = static_cast<uint32_t>(prevAt_);
            length_[next] = static_cast<uint16_t>(prevLen_ + 1);
        }
        prevAt_ = at_;
        prevLen_ = len;
        at_ += len;
    }

  private:
    const int clear_;
    uint8_t *const buf_;
    const size_t total_;
    size_t at_ = 0;                    // next output position
    size_t prevAt_ = 0, prevLen_ = 0;  // where and how long the previous string is
    uint32_t where_[kMaxCodes];        // where each code's string was last written
    uint16_t length_[kMaxCodes];       // string length of each code
};

// Every other frame: each code's string is walked down its prefix chain
// into the index sink, which keeps to the cap and the interlaced row order.
class ChainOut {
  public:
    ChainOut(int minSize, uint8_t *buf, size_t cap, int fw, int fh, bool interlaced)
        : firstFree_((1 << minSize) + 2), out_(buf, cap, fw, fh, interlaced) {
        for (int c = 0; c < (1 << minSize); ++c) {
            length_[c] = 1;
            prefix_[c] = 0;
            suffix_[c] = static_cast<uint8_t>(c);
        }
    }

    bool Done() const { return out_.Done(); }

    void First(int code) {
        out_.Put(static_cast<uint8_t>(code));
        prev_ = first_ = code;
    }

    void String(int code, int next, bool add) {
        int cur = code;
        int extra = -1;
        if (code >= next) {
            // The previous string plus its own first index.
            extra = first_;
            cur = prev_;
            code = next;
        }
        const int len = length_[cur] + (extra >= 0);
        int c = cur;
        if (!out_.Full() && out_.col + len <= out_.room) {
            uint8_t *p = out_.row + out_.col + len - 1;
            if (extra >= 0) *p-- = static_cast<uint8_t>(extra);
            while (c >= firstFree_) {
                *p-- = suffix_[c];
                c = prefix_[c];
            }
            *p = static_cast<uint8_t>(c);
            out_.col += len;
            if (out_.col == out_.fw) {
                ++out_.r;
                out_.OpenRow(out_.NextRowNumber());
            }
        } else {
            int sp = 0;
            if (extra >= 0) stack_[sp++] = static_cast<uint8_t>(extra);
            while (c >= firstFree_ && sp < kMaxCodes) {
                stack_[sp++] = suffix_[c];
                c = prefix_[c];
            }
            stack_[sp++] = static_cast<uint8_t>(c);
            while (sp > 0) out_.Put(stack_[--sp]);
        }
        first_ = c;
        if (add) {
            prefix_[next] = static_cast<uint16_t>(prev_);
            suffix_[next] = static_cast<uint8_t>(first_);
            length_[next] = static_cast<uint16_t>(length_[prev_] + 1);
        }
        prev_ = code;
    }

  private:
    const int firstFree_;
    IndexSink out_;
    int prev_ = 0;   // the previous string's code
    int first_ = 0;  // its first index
    uint16_t prefix_[kMaxCodes];
    uint8_t suffix_[kMaxCodes];
    uint16_t length_[kMaxCodes];  // string length of each code
    uint8_t stack_[kMaxCodes + 1];
};

// The one LZW loop. The output (Out, built here from `args`) decides how a
// code's string is written and keeps the tables that needs; they live on
// this call's stack (some 24 KB), so frames on different threads never
// share them. True when the end code was read.
template <class Out, class... Args>
KV_NOINLINE bool DecodeLzw(BitReader &bits, int minSize, int &codeSize, Args... args) {
    Out out(minSize, args...);
    const int clear = 1 << minSize, endCode = clear + 1, firstFree = clear + 2;
    int limit = 1 << codeSize;
    int next = firstFree;
    bool started = false;  // a previous string exists
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
            started = false;
        }
        if (!started) {
            // Data that does not start with a clear code: as if it did.
            if (code >= firstFree) code = 0;
            out.First(code);
            started = true;
        } else {
            // A code not yet in the table is the previous string plus its
            // own first index; a damaged one (past the next free code) is
            // read the same way, so every prefix stays below its own code.
            const bool add = next < limit;
            out.String(code, next, add);
            if (add) ++next;
            if (next >= limit && codeSize < 12) {
                ++codeSize;
                limit <<= 1;
            }
        }
        more = bits.Code(codeSize, code);
    }
    const bool ended = more && code == endCode;
    if (more) bits.SkipRest();
    return ended;
}

void Finish(CKVGIF &gif, const BitReader &bits, int codeSize, int endCode) {
    gif.stream = const_cast<unsigned char *>(bits.in.Cur());
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
    Reader in = unbounded ? Reader::Unbounded(data) : Reader(data, length > 0 ? static_cast<size_t>(length) : 0);
    Remember(gif, in);
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
    Reader in = StreamAt(gif);
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
    Forget(gif);
}

int GifDecodeFrame(CKVGIF &gif, RAW &raw, uint8_t *buf, size_t cap) {
    if (!gif.stream) return kGifMissing;
    Reader in = StreamAt(gif);
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
    BitReader bits(in);
    const bool interlaced = (flags & 0x40) != 0;
    const size_t whole = static_cast<size_t>(fw) * static_cast<size_t>(fh);
    const bool ended = !interlaced && fw > 0 && fh > 0 && whole <= cap
                           ? DecodeLzw<ContiguousOut>(bits, minSize, codeSize, buf, whole)
                           : DecodeLzw<ChainOut>(bits, minSize, codeSize, buf, cap, fw, fh, interlaced);
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
