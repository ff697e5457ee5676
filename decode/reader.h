// The one bounded byte reader behind every decoder: every byte read goes
// through it, a read past the end sets a sticky error and yields zeros, and
// the decoder checks Failed() before it reports success.
#ifndef KORVANTE_READER_H
#define KORVANTE_READER_H

#include <stddef.h>
#include <stdint.h>

namespace kv {

class Reader {
  public:
    Reader(const uint8_t *data, size_t size) : begin_(data), cur_(data), end_(data + size) {}

    // The forms without a length trust the buffer to be whole: the end is as
    // far as the address space allows (a distance that still fits a
    // ptrdiff_t), and Bounded() tells the decoder to skip the checks that
    // need the real end.
    static Reader Unbounded(const uint8_t *data) {
        const uintptr_t room = UINTPTR_MAX - reinterpret_cast<uintptr_t>(data);
        Reader r(data, room < uintptr_t(PTRDIFF_MAX) ? size_t(room) : size_t(PTRDIFF_MAX));
        r.bounded_ = false;
        return r;
    }

    size_t Left() const { return static_cast<size_t>(end_ - cur_); }
    size_t Offset() const { return static_cast<size_t>(cur_ - begin_); }
    size_t Size() const { return static_cast<size_t>(end_ - begin_); }
    // False for a reader whose end is not the buffer's real end.
    bool Bounded() const { return bounded_; }
    bool Failed() const { return failed_; }
    bool AtEnd() const { return cur_ >= end_; }
    void Fail() { failed_ = true; }

    uint8_t U8() {
        if (cur_ >= end_) {
            failed_ = true;
            return 0;
        }
        return *cur_++;
    }
    uint16_t U16() {  // little-endian
        const uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    uint32_t U32() {
        const uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    // Copies n bytes, or fails without copying when fewer are left.
    bool Bytes(void *out, size_t n);
    bool Skip(size_t n) {
        if (n > Left()) {
            failed_ = true;
            cur_ = end_;
            return false;
        }
        cur_ += n;
        return true;
    }
    // n readable bytes at the position, which moves past them; null (and
    // failed, at the end) when fewer are left. For whole rows and blocks.
    const uint8_t *Span(size_t n) {
        if (n > Left()) {
            failed_ = true;
            cur_ = end_;
            return nullptr;
        }
        const uint8_t *p = cur_;
        cur_ += n;
        return p;
    }
    // Moves to a position given by its address; outside the buffer fails.
    bool SeekTo(const uint8_t *p) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(p), begin = reinterpret_cast<uintptr_t>(begin_);
        if (at < begin) {
            failed_ = true;
            return false;
        }
        return Seek(static_cast<size_t>(at - begin));
    }
    // Moves to an absolute offset; past the end fails.
    bool Seek(size_t offset) {
        if (offset > static_cast<size_t>(end_ - begin_)) {
            failed_ = true;
            return false;
        }
        cur_ = begin_ + offset;
        return true;
    }
    const uint8_t *Cur() const { return cur_; }

  private:
    const uint8_t *begin_;
    const uint8_t *cur_;
    const uint8_t *end_;
    bool failed_ = false;
    bool bounded_ = true;
};

inline bool Reader::Bytes(void *out, size_t n) {
    if (n > Left()) {
        failed_ = true;
        cur_ = end_;
        return false;
    }
    for (size_t i = 0; i < n; ++i) static_cast<uint8_t *>(out)[i] = cur_[i];
    cur_ += n;
    return true;
}

}  // namespace kv

#endif
