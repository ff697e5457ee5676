#include "decode/jpeg_codec.h"

#include <stdio.h>  // jpeglib.h needs FILE

#include <new>
#include <vector>

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

struct Decoder {
    jpeg_decompress_struct cinfo;
    jpeg_source_mgr source;
};

void Run(Decoder &d, RAW &rec, const JpegTarget &target, JpegRowSink &sink) {
    jpeg_decompress_struct &ci = d.cinfo;
    jpeg_read_header(&ci, TRUE);
    // Blue, green, red: the order of the converter and of the colour map.
    // Grey files are expanded to the same triples.
    // 32-bit surfaces take four-byte rows, which the sink merges word by
    // word with the bytes it keeps.
    ci.out_color_space = (rec.flag2 && target.kind == 32) ? JCS_EXT_BGRX : JCS_EXT_BGR;
    if (!rec.flag2) {
        ci.quantize_colors = TRUE;
        ci.desired_number_of_colors = 256;
        if (rec.flag) {
            JSAMPARRAY map = (*ci.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&ci), JPOOL_IMAGE, 256, 3);
            for (int i = 0; i < 256; ++i) {
                map[0][i] = rec.palette[i][0];
                map[1][i] = rec.palette[i][1];
                map[2][i] = rec.palette[i][2];
            }
            ci.colormap = map;
            ci.actual_number_of_colors = 256;
        }
    }

    jpeg_start_decompress(&ci);
    const int comps = ci.output_components;
    sink.Start(target, static_cast<int>(ci.output_width), static_cast<int>(ci.output_height), comps);
    const int rows = ci.rec_outbuf_height > 0 ? ci.rec_outbuf_height : 1;
    const size_t stride = static_cast<size_t>(ci.output_width) * comps;
    // libjpeg-turbo's SIMD colour converters write rows that start on a
    // 32-byte boundary with non-temporal stores, which send them to memory
    // just before the sink reads them back (a 1920x1080 image then takes
    // 1.5x as long). Scratch rows start 4 bytes past a cache line instead.
    const size_t lines = (stride + 63) & ~size_t(63);
    std::vector<JSAMPLE> buf(lines * rows + 128);
    JSAMPLE *const scratch = buf.data() + (64 - (reinterpret_cast<uintptr_t>(buf.data()) & 63)) + 4;
    std::vector<JSAMPROW> ptrs(rows);
    for (int i = 0; i < rows; ++i) ptrs[i] = scratch + lines * i;
    while (ci.output_scanline < ci.output_height) {
        const JDIMENSION n = jpeg_read_scanlines(&ci, ptrs.data(), rows);
        if (n == 0) break;
        for (JDIMENSION i = 0; i < n; ++i) sink.Row(ptrs[i]);
    }
    sink.Finish();
    rec.width = static_cast<int>((stride + 3) & ~size_t(3));
    rec.height = static_cast<int>(ci.output_height);
    if (!rec.flag && !rec.flag2 && ci.colormap) {
        for (int i = 0; i < ci.actual_number_of_colors && i < 256; ++i) {
            for (int k = 0; k < 3; ++k) rec.palette[i][k] = ci.colormap[k][i];
            rec.palette[i][3] = 0;
        }
    }
    jpeg_finish_decompress(&ci);
}

}  // namespace

int JpegDecode(const unsigned char *data, long length, RAW &rec, const JpegTarget &target, JpegRowSink &sink) {
    Decoder *d = new (std::nothrow) Decoder;
    ErrorManager *err = new (std::nothrow) ErrorManager;
    if (!d || !err) {
        delete d;
        delete err;
        return 5;
    }
    jpeg_std_error(&err->mgr);
    err->mgr.error_exit = ErrorExit;
    err->mgr.emit_message = EmitMessage;
    err->mgr.output_message = OutputMessage;
    err->mgr.format_message = FormatMessage;
    err->mgr.reset_error_mgr = ResetErrorManager;
    d->cinfo.err = &err->mgr;
    bool created = false;
    try {
        jpeg_create_decompress(&d->cinfo);
        created = true;
        jpeg_set_marker_processor(&d->cinfo, JPEG_COM, SkipComment);
        d->source.next_input_byte = data;
        d->source.bytes_in_buffer = (data && length > 0) ? static_cast<size_t>(length) : 0;
        d->source.init_source = InitSource;
        d->source.fill_input_buffer = FillInput;
        d->source.skip_input_data = SkipInput;
        d->source.resync_to_restart = jpeg_resync_to_restart;
        d->source.term_source = TermSource;
        d->cinfo.src = &d->source;
        Run(*d, rec, target, sink);
    } catch (int) {
        err->failed = true;
    }
    const bool bad = err->failed || err->mgr.num_warnings > 0;
    if (created) jpeg_destroy_decompress(&d->cinfo);
    delete err;
    delete d;
    return bad ? 5 : 0;
}

}  // namespace kv
