#include "decode/jpeg_codec.h"

#include <stdio.h>  // jpeglib.h needs FILE

#include <new>
#include <vector>

#include "decode/reader.h"

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace kv {

namespace {

struct ErrorManager {
    jpeg_error_mgr mgr;
    bool failed = false;
};

// Fatal: leave the codec through an exception caught by the decode loop.
void ErrorExit(j_common_ptr c) {
    ErrorManager *e = reinterpret_cast<ErrorManager *>(c->err);
    e->failed = true;
    throw static_cast<int>(c->err->msg_code);
}

// Warnings count, traces do not; nothing is ever printed.
void EmitMessage(j_common_ptr c, int level) {
    if (level < 0) c->err->num_warnings++;
}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char *buffer) { buffer[0] = 0; }
void ResetErrorManager(j_common_ptr c) {
    c->err->num_warnings = 0;
    c->err->msg_code = 0;
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

const JOCTET kFakeEnd[2] = {0xFF, JPEG_EOI};

// Everything is in the buffer already: running out ends the image with a
// warning and a fake end-of-image marker.
boolean FillInput(j_decompress_ptr c) {
    WARNMS(c, JWRN_JPEG_EOF);
    c->src->next_input_byte = kFakeEnd;
    c->src->bytes_in_buffer = 2;
    return TRUE;
}

void SkipInput(j_decompress_ptr c, long n) {
    if (n <= 0) return;
    jpeg_source_mgr *src = c->src;
    while (static_cast<size_t>(n) > src->bytes_in_buffer) {
        n -= static_cast<long>(src->bytes_in_buffer);
        FillInput(c);
        // Past the end: the fake marker is all there is.
        if (src->next_input_byte == kFakeEnd) return;
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= static_cast<size_t>(n);
}

int NextByte(j_decompress_ptr c) {
    jpeg_source_mgr *src = c->src;
    if (src->bytes_in_buffer == 0) FillInput(c);
    src->bytes_in_buffer--;
    return *src->next_input_byte++;
}

boolean SkipComment(j_decompress_ptr c) {
    const int hi = NextByte(c);
    const long len = (static_cast<long>(hi) << 8) | NextByte(c);
    if (len > 2) c->src->skip_input_data(c, len - 2);
    return TRUE;
}

// Runs one call into the codec; a fatal error arrives as the exception
// ErrorExit throws.
template <class Call>
bool Guarded(ErrorManager &err, Call call) {
    if (err.failed) return false;
    try {
        call();
    } catch (int) {
        err.failed = true;
    }
    return !err.failed;
}

}  // namespace

struct JpegDecoder::State {
    jpeg_decompress_struct cinfo;
    jpeg_source_mgr source;
    ErrorManager err;
    bool created = false, started = false;
    bool fourBytes;
    const TRGBA *colourMap;
    std::vector<JSAMPLE> buf;
    std::vector<JSAMPROW> ptrs;
    JDIMENSION batch = 0, served = 0;  // rows read by the last call, rows handed out of them
};

JpegDecoder::JpegDecoder(const unsigned char *data, long length, bool fourBytes, const TRGBA *colourMap)
    : st_(new (std::nothrow) State) {
    if (!st_) return;
    State &st = *st_;
    st.fourBytes = fourBytes;
    st.colourMap = colourMap;
    jpeg_std_error(&st.err.mgr);
    st.err.mgr.error_exit = ErrorExit;
    st.err.mgr.emit_message = EmitMessage;
    st.err.mgr.output_message = OutputMessage;
    st.err.mgr.format_message = FormatMessage;
    st.err.mgr.reset_error_mgr = ResetErrorManager;
    st.cinfo.err = &st.err.mgr;
    jpeg_source_mgr &src = st.source;
    // The codec reads the buffer as one span of the bounded reader.
    Reader in(data, (data && length > 0) ? static_cast<size_t>(length) : 0);
    src.bytes_in_buffer = in.Left();
    src.next_input_byte = in.Span(in.Left());
    src.init_source = InitSource;
    src.fill_input_buffer = FillInput;
    src.skip_input_data = SkipInput;
    src.resync_to_restart = jpeg_resync_to_restart;
    src.term_source = TermSource;
    Guarded(st.err, [&] {
        jpeg_create_decompress(&st.cinfo);
        st.created = true;
        jpeg_set_marker_processor(&st.cinfo, JPEG_COM, SkipComment);
        st.cinfo.src = &st.source;
    });
}

JpegDecoder::~JpegDecoder() {
    if (st_ && st_->created) jpeg_destroy_decompress(&st_->cinfo);
    delete st_;
}

bool JpegDecoder::Start() {
    if (!st_) return false;
    State &st = *st_;
    jpeg_decompress_struct &ci = st.cinfo;
    st.started = Guarded(st.err, [&] {
        jpeg_read_header(&ci, TRUE);
        // Blue, green, red: the order of the converter and of the colour
        // map. 32-bit surfaces take four-byte rows, which their kernel
        // merges word by word with the bytes it keeps.
        ci.out_color_space = st.fourBytes && !st.colourMap ? JCS_EXT_BGRX : JCS_EXT_BGR;
        if (st.colourMap) {
            ci.quantize_colors = TRUE;
            ci.desired_number_of_colors = 256;
            JSAMPARRAY map = (*ci.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&ci), JPOOL_IMAGE, 256, 3);
            for (int i = 0; i < 256; ++i) {
                map[0][i] = st.colourMap[i].b;
                map[1][i] = st.colourMap[i].g;
                map[2][i] = st.colourMap[i].r;
            }
            ci.colormap = map;
            ci.actual_number_of_colors = 256;
        }
        jpeg_start_decompress(&ci);
    });
    if (!st.started) return false;
    const int rows = ci.rec_outbuf_height > 0 ? ci.rec_outbuf_height : 1;
    const size_t stride = static_cast<size_t>(ci.output_width) * ci.output_components;
    // libjpeg-turbo's SIMD colour converters write rows that start on a
    // 32-byte boundary with non-temporal stores, which send them to memory
    // just before the kernel reads them back (a 1920x1080 image then takes
    // 1.5x as long). Scratch rows start 4 bytes past a cache line instead.
    const size_t lines = (stride + 63) & ~size_t(63);
    st.buf.resize(lines * rows + 128);
    JSAMPLE *const scratch = st.buf.data() + (64 - (reinterpret_cast<uintptr_t>(st.buf.data()) & 63)) + 4;
    st.ptrs.resize(rows);
    for (int i = 0; i < rows; ++i) st.ptrs[i] = scratch + lines * i;
    return true;
}

int JpegDecoder::Width() const { return st_ && st_->started ? static_cast<int>(st_->cinfo.output_width) : 0; }

int JpegDecoder::Components() const { return st_ && st_->started ? st_->cinfo.output_components : 0; }

const uint8_t *JpegDecoder::NextRow() {
    if (!st_ || !st_->started) return nullptr;
    State &st = *st_;
    if (st.served == st.batch) {
        jpeg_decompress_struct &ci = st.cinfo;
        if (ci.output_scanline >= ci.output_height) return nullptr;
        st.served = st.batch = 0;
        Guarded(st.err,
                [&] { st.batch = jpeg_read_scanlines(&ci, st.ptrs.data(), static_cast<JDIMENSION>(st.ptrs.size())); });
        if (st.err.failed || st.batch == 0) return nullptr;
    }
    return st.ptrs[st.served++];
}

int JpegDecoder::Finish() {
    if (!st_) return 5;
    State &st = *st_;
    if (st.started) Guarded(st.err, [&] { jpeg_finish_decompress(&st.cinfo); });
    return st.err.failed || st.err.mgr.num_warnings > 0 ? 5 : 0;
}

}  // namespace kv
