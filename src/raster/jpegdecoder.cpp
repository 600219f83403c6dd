// JPEG pictures through libjpeg, as 24-bit DIBs. libjpeg reports errors by longjmp back to
// the function that called setjmp, so those functions hold plain C data only; everything
// with a destructor lives in DecodeJpeg, which no jump crosses.

#include "raster/decoders.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

namespace {

constexpr long MaxMemory = 512L << 20;
constexpr int MaxScans = 100;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int code;
    bool tooManyScans;
    bool damaged; // a warning that means lost picture data
};

struct ProgressManager {
    jpeg_progress_mgr pub;
};

struct JpegState {
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    ProgressManager progress;
    bool created;
};

void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = err->pub.msg_code;
    err->pub.format_message(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {} // warnings never reach the terminal

// Warnings about entropy data that is missing where the picture needs it, or broken, stop
// the decoding: the picture would have grey or garbled parts. The end of the data alone
// (JWRN_JPEG_EOF) is harmless: libjpeg reads ahead, so a file without its end marker
// reports it too. Stray bytes between markers are harmless as well.
void emitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level != -1)
        return;
    const int code = err->pub.msg_code;
    const bool lost = code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE;
    if (!lost)
        return;
    err->damaged = true;
    err->pub.format_message(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void progressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        err->tooManyScans = true;
        std::longjmp(err->jump, 1);
    }
}

bool readHeader(JpegState* s, const uint8_t* data, size_t size) {
    s->cinfo.err = jpeg_std_error(&s->error.pub);
    s->error.pub.error_exit = errorExit;
    s->error.pub.output_message = outputMessage;
    s->error.pub.emit_message = emitMessage;
    if (setjmp(s->error.jump))
        return false;
    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    s->cinfo.mem->max_memory_to_use = MaxMemory;
    s->progress.pub.progress_monitor = progressMonitor;
    s->cinfo.progress = &s->progress.pub;
    jpeg_mem_src(&s->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s->cinfo, TRUE);
    return true;
}

// Reads the rows straight into the bottom-up DIB rows; CMYK goes through a row buffer.
bool readPixels(JpegState* s, uint8_t* bits, int stride, uint8_t* cmykRow) {
    if (setjmp(s->error.jump))
        return false;
    jpeg_decompress_struct* cinfo = &s->cinfo;
    jpeg_start_decompress(cinfo);
    const int height = int(cinfo->output_height);
    const int width = int(cinfo->output_width);
    if (cinfo->output_width != cinfo->image_width || cinfo->output_height != cinfo->image_height ||
        cinfo->output_components != (cmykRow ? 4 : 3)) {
        std::snprintf(s->error.message, sizeof s->error.message, "unexpected output format");
        return false;
    }
    // Adobe writes CMYK inverted (0 = full ink).
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* row = bits + (height - 1 - int(cinfo->output_scanline)) * stride;
        JSAMPROW target = cmykRow ? cmykRow : row;
        if (jpeg_read_scanlines(cinfo, &target, 1) != 1)
            break;
        if (!cmykRow)
            continue;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = cmykRow + 4 * x;
            unsigned c = p[0], m = p[1], y = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            row[3 * x] = uint8_t((y * k + 127) / 255);
            row[3 * x + 1] = uint8_t((m * k + 127) / 255);
            row[3 * x + 2] = uint8_t((c * k + 127) / 255);
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

struct StateDeleter {
    void operator()(JpegState* s) const {
        if (s->created)
            jpeg_destroy_decompress(&s->cinfo);
        delete s;
    }
};

} // namespace

HDIB DecodeJpeg(const uint8_t* data, size_t size, const QString& fileName) {
    if (size > size_t(RasterLimits::MaxFileBytes))
        throw TRasterError(fileName, QStringLiteral("Die Datei ist zu groß."));
    std::unique_ptr<JpegState, StateDeleter> state(new JpegState{});
    JpegState* s = state.get();
    auto failure = [&]() {
        if (s->error.damaged)
            return TRasterError(
                fileName, QStringLiteral("Die JPEG-Datei ist unvollständig oder beschädigt (%1).")
                              .arg(QString::fromLocal8Bit(s->error.message)));
        if (s->error.tooManyScans)
            return TRasterError(fileName, QStringLiteral("Die JPEG-Datei hat mehr als %1 "
                                                         "Durchgänge.")
                                              .arg(MaxScans));
        if (s->error.code == JERR_BAD_PRECISION)
            return TRasterError(fileName, QStringLiteral("JPEG-Bilder mit mehr als 8 Bit je "
                                                         "Farbwert werden nicht unterstützt."));
        if (s->error.code == JERR_NO_SOI)
            return TRasterError(fileName, QStringLiteral("Die Datei ist kein JPEG-Bild."));
        return TRasterError(fileName, QStringLiteral("Die JPEG-Datei ist beschädigt (%1).")
                                          .arg(QString::fromLocal8Bit(s->error.message)));
    };
    if (!readHeader(s, data, size))
        throw failure();
    jpeg_decompress_struct& cinfo = s->cinfo;
    if (cinfo.data_precision != 8)
        throw TRasterError(fileName, QStringLiteral("JPEG-Bilder mit mehr als 8 Bit je "
                                                    "Farbwert werden nicht unterstützt."));
    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        throw TRasterError(
            fileName, QStringLiteral("Der Farbraum dieser JPEG-Datei wird nicht unterstützt."));
    }
    if (RasterLimits::TooManyPixels(cinfo.image_width, cinfo.image_height))
        throw TRasterError(fileName,
                           RasterLimits::TooLargeText(cinfo.image_width, cinfo.image_height));
    // Huffman-coded data spends at least one bit on every block of every component; even
    // the most subsampled component (1 of 4 x 4) has 1/16 of the picture's 8 x 8 blocks.
    // A file shorter than that cannot hold the picture its header claims.
    const uint64_t blocks =
        (uint64_t(cinfo.image_width) + 7) / 8 * ((uint64_t(cinfo.image_height) + 7) / 8);
    if (!cinfo.arith_code && size < blocks / 128)
        throw TRasterError(fileName, QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt."));
    HDIB dib = TDib::Create(int(cinfo.image_width), int(cinfo.image_height), 24, fileName);
    std::vector<uint8_t> cmykRow(cmyk ? size_t(cinfo.image_width) * 4 : 0);
    if (!readPixels(s, dib->Bits(), dib->Stride(), cmyk ? cmykRow.data() : nullptr))
        throw failure();
    return dib;
}
