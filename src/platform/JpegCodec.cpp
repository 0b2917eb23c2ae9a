#include "platform/JpegCodec.h"

#include "platform/PictureLimits.h"
#include "platform/SafeWrite.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: we jump back to the
// setjmp of the call in progress. Functions holding a setjmp keep only trivial locals, and every
// object that must outlive the jump belongs to their caller.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;
    bool stopOnDamage = true;
};

// Warnings after which part of the picture is missing or made up. libjpeg carries on and fills the
// rest with grey or garbage; we count such a picture as undecodable. Harmless warnings (extraneous
// bytes before a marker, an unknown JFIF revision) are let through.
bool isDamageWarning(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void onErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

void onEmitMessage(j_common_ptr cinfo, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0) {
        cinfo->err->num_warnings++;
        if (err->stopOnDamage && isDamageWarning(cinfo->err->msg_code)) {
            err->code = cinfo->err->msg_code;
            std::longjmp(err->jump, 1);
        }
    }
}

void onOutputMessage(j_common_ptr) {}  // nothing goes to stderr

// A progressive file may carry thousands of tiny scans, each a pass over the whole picture; a few
// hundred is far beyond what any encoder writes.
constexpr int kMaxScans = 500;

struct Progress {
    jpeg_progress_mgr pub;
};

void onProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_PROGRESSION;
        cinfo->err->error_exit(cinfo);
    }
}

void initErrors(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onErrorExit;
    err.pub.emit_message = onEmitMessage;
    err.pub.output_message = onOutputMessage;
}

QString jpegErrorText(int code)
{
    return QStringLiteral("JPEG error #%1").arg(code);
}

// Workspace for one decode. It lives in the caller of the setjmp function so that nothing in it is
// left indeterminate by the jump.
struct DecodeJob {
    const uchar* data = nullptr;
    size_t size = 0;
    int scaleDenom = 1;
    bool headerOnly = false;
    // results
    QImage image;
    QSize fullSize;
    int components = 0;
    bool tooLarge = false;
    bool noMemory = false;
};

constexpr int kRowsPerRead = 8;

// Returns true on success; on failure err.code holds libjpeg's message number (or 0).
bool runDecode(jpeg_decompress_struct* cinfo, ErrorManager* err, Progress* progress, DecodeJob* job)
{
    if (setjmp(err->jump))
        return false;

    jpeg_create_decompress(cinfo);
    // libjpeg's own working memory (the coefficient buffer of a progressive picture) stays within
    // the same bound as the picture itself; beyond it libjpeg fails cleanly.
    cinfo->mem->max_memory_to_use = long(kMaxPictureBytes);
    cinfo->progress = &progress->pub;
    jpeg_mem_src(cinfo, job->data, static_cast<unsigned long>(job->size));
    jpeg_read_header(cinfo, TRUE);

    job->fullSize = QSize(int(cinfo->image_width), int(cinfo->image_height));
    job->components = cinfo->num_components;
    if (!pictureSizeAllowed(cinfo->image_width, cinfo->image_height, 3)) {
        job->tooLarge = true;
        return false;
    }
    if (job->headerOnly)
        return true;

    cinfo->out_color_space = JCS_RGB;
    cinfo->scale_num = 1;
    cinfo->scale_denom = unsigned(job->scaleDenom);
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != 3) {
        err->code = JERR_CONVERSION_NOTIMPL;
        return false;
    }

    job->image = QImage(int(cinfo->output_width), int(cinfo->output_height), QImage::Format_RGB888);
    if (job->image.isNull()) {
        job->noMemory = true;
        return false;
    }
    JSAMPROW rows[kRowsPerRead];
    while (cinfo->output_scanline < cinfo->output_height) {
        const unsigned first = cinfo->output_scanline;
        const unsigned count = std::min<unsigned>(kRowsPerRead, cinfo->output_height - first);
        for (unsigned i = 0; i < count; ++i)
            rows[i] = job->image.scanLine(int(first + i));
        jpeg_read_scanlines(cinfo, rows, count);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// Decodes (or reads the header of) job's data; fills the error fields of a result type.
template <typename Result>
bool decodeInto(DecodeJob& job, Result& result)
{
    jpeg_decompress_struct cinfo {};
    ErrorManager err;
    initErrors(err);
    cinfo.err = &err.pub;
    Progress progress {};
    progress.pub.progress_monitor = onProgress;

    bool ok = false;
    if (job.size == 0) {
        err.code = JERR_INPUT_EMPTY;
    } else {
        ok = runDecode(&cinfo, &err, &progress, &job);
    }
    jpeg_destroy_decompress(&cinfo);

    if (ok)
        return true;
    job.image = QImage();
    if (job.tooLarge) {
        result.errorText = QStringLiteral("Image trop grande (%1 x %2 pixels)")
                               .arg(job.fullSize.width())
                               .arg(job.fullSize.height());
    } else if (job.noMemory) {
        result.errorText = QStringLiteral("Mémoire insuffisante");
    } else {
        result.errorCode = err.code;
        result.errorText = jpegErrorText(err.code);
    }
    return false;
}

struct EncodeJob {
    const uchar* firstRow = nullptr;
    qsizetype stride = 0;
    int width = 0;
    int height = 0;
    J_COLOR_SPACE colorSpace = JCS_RGB;
    int components = 3;
    int quality = 75;
    unsigned char* buffer = nullptr;  // malloc'ed by libjpeg; freed by the caller
    unsigned long size = 0;
};

bool runEncode(jpeg_compress_struct* cinfo, ErrorManager* err, EncodeJob* job)
{
    if (setjmp(err->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &job->buffer, &job->size);
    cinfo->image_width = JDIMENSION(job->width);
    cinfo->image_height = JDIMENSION(job->height);
    cinfo->input_components = job->components;
    // The extended colour spaces of libjpeg-turbo only say where red, green and blue lie; they
    // are turned into the same YCbCr as plain RGB.
    cinfo->in_color_space = job->colorSpace;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, job->quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    constexpr unsigned kRowsPerWrite = 16;
    JSAMPROW rows[kRowsPerWrite];
    while (cinfo->next_scanline < cinfo->image_height) {
        const unsigned first = cinfo->next_scanline;
        const unsigned count = std::min(kRowsPerWrite, cinfo->image_height - first);
        // libjpeg takes non-const rows but only reads them.
        for (unsigned i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(job->firstRow + qsizetype(first + i) * job->stride);
        jpeg_write_scanlines(cinfo, rows, count);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

JpegEncodeResult encodeJob(EncodeJob& job, QByteArray& out)
{
    JpegEncodeResult result;
    jpeg_compress_struct cinfo {};
    ErrorManager err;
    initErrors(err);
    err.stopOnDamage = false;
    cinfo.err = &err.pub;
    job.quality = std::clamp(job.quality, 0, 100);
    const bool ok = runEncode(&cinfo, &err, &job);
    jpeg_destroy_compress(&cinfo);
    if (ok && job.buffer)
        out = QByteArray(reinterpret_cast<const char*>(job.buffer), qsizetype(job.size));
    std::free(job.buffer);
    if (!ok) {
        result.errorCode = err.code;
        result.errorText = jpegErrorText(err.code);
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace

int normalizedJpegScale(int scaleDenom)
{
    if (scaleDenom >= 8)
        return 8;
    if (scaleDenom >= 4)
        return 4;
    if (scaleDenom >= 2)
        return 2;
    return 1;
}

QSize jpegScaledSize(QSize fullSize, int scaleDenom)
{
    const int d = normalizedJpegScale(scaleDenom);
    return QSize((fullSize.width() + d - 1) / d, (fullSize.height() + d - 1) / d);
}

int jpegScaleForReduction(int reduction)
{
    return normalizedJpegScale(reduction);
}

JpegDecodeResult decodeJpeg(const uchar* data, size_t size, int scaleDenom)
{
    JpegDecodeResult result;
    DecodeJob job;
    job.data = data;
    job.size = size;
    job.scaleDenom = normalizedJpegScale(scaleDenom);
    if (decodeInto(job, result))
        result.image = std::move(job.image);
    return result;
}

JpegHeader readJpegHeader(const uchar* data, size_t size)
{
    JpegHeader header;
    DecodeJob job;
    job.data = data;
    job.size = size;
    job.headerOnly = true;
    if (decodeInto(job, header)) {
        header.size = job.fullSize;
        header.components = job.components;
    }
    return header;
}

JpegHeader readJpegHeaderFromFile(const QString& path)
{
    // Headers are short; large EXIF or ICC segments can push them past the first read, and then
    // the whole file is read.
    constexpr qint64 kFirstRead = 64 * 1024;
    JpegHeader header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        header.errorText = file.errorString();
        return header;
    }
    QByteArray bytes = file.read(kFirstRead);
    header = readJpegHeader(bytes);
    if (!header.ok() && header.errorCode == JWRN_JPEG_EOF && !file.atEnd()) {
        bytes += file.readAll();
        header = readJpegHeader(bytes);
    }
    return header;
}

JpegEncodeResult encodeJpegToBytes(const QImage& image, int quality, QByteArray& out)
{
    JpegEncodeResult result;
    out.clear();
    if (image.isNull()) {
        result.errorCode = JERR_EMPTY_IMAGE;
        result.errorText = jpegErrorText(result.errorCode);
        return result;
    }
    // 32-bit pictures are read as they lie in memory; others go through RGB888 (alpha dropped).
    const bool direct32 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                          && (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
    const QImage rgb = direct32 || image.format() == QImage::Format_RGB888 ? image
                                                                            : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) {
        result.errorText = QStringLiteral("Mémoire insuffisante");
        return result;
    }
    return encodeJpegRows(rgb.constBits(), rgb.bytesPerLine(), rgb.width(), rgb.height(),
                          direct32 ? JpegPixels::Bgrx : JpegPixels::Rgb, quality, out);
}

JpegEncodeResult encodeJpegRows(const uchar* firstRow, qsizetype stride, int width, int height, JpegPixels pixels,
                                int quality, QByteArray& out)
{
    out.clear();
    // A JPEG side is limited to 65500 pixels by the format itself; libjpeg refuses larger ones.
    EncodeJob job;
    job.firstRow = firstRow;
    job.stride = stride;
    job.width = width;
    job.height = height;
    job.quality = quality;
    switch (pixels) {
    case JpegPixels::Rgb: job.colorSpace = JCS_RGB; job.components = 3; break;
    case JpegPixels::Bgr: job.colorSpace = JCS_EXT_BGR; job.components = 3; break;
    case JpegPixels::Bgrx: job.colorSpace = JCS_EXT_BGRX; job.components = 4; break;
    }
    return encodeJob(job, out);
}

JpegEncodeResult encodeJpeg(const QImage& image, int quality, const QString& path)
{
    QByteArray bytes;
    JpegEncodeResult result = encodeJpegToBytes(image, quality, bytes);
    if (!result.ok)
        return result;
    // Written through a temporary file and a rename: a failed write (disk full) never leaves a
    // torn or empty file in place of the previous one.
    if (const int err = writeFileSafely(path, bytes)) {
        result.ok = false;
        result.systemError = err;
        result.errorText = fileErrorText(err);
    }
    return result;
}
