#include "platform/Metafile.h"

#include "platform/PictureLimits.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <mutex>

#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace {

constexpr double kDotsPerInch = 96.0;

bool isPlaceableWmf(const QByteArray& b)
{
    return b.size() >= 22 && qFromLittleEndian<quint32>(b.constData()) == 0x9AC6CDD7u;
}

// Bare WMF header: type 1 (memory) or 2 (disk), header size 9 words, version 1.0 or 3.0.
bool isStandardWmf(const QByteArray& b)
{
    if (b.size() < 18)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(b.constData());
    const quint16 type = qFromLittleEndian<quint16>(p);
    const quint16 words = qFromLittleEndian<quint16>(p + 2);
    const quint16 version = qFromLittleEndian<quint16>(p + 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

// Walks the records and checks that each lies inside the file, that none is larger than the
// header's largest-record field, that that field is no larger than the file, and that the end record
// is there. libwmf trusts those sizes and allocates by them.
bool wmfRecordsSound(const QByteArray& b)
{
    const auto* p = reinterpret_cast<const uchar*>(b.constData());
    const qint64 size = b.size();
    qint64 pos = isPlaceableWmf(b) ? 22 : 0;
    if (pos + 18 > size)
        return false;
    const qint64 maxRecordBytes = qint64(qFromLittleEndian<quint32>(p + pos + 12)) * 2;
    if (maxRecordBytes > size - pos - 18)
        return false;
    pos += 18;
    while (pos + 6 <= size) {
        const qint64 recordBytes = qint64(qFromLittleEndian<quint32>(p + pos)) * 2;
        const quint16 function = qFromLittleEndian<quint16>(p + pos + 4);
        if (function == 0)
            return true;
        if (recordBytes < 6 || recordBytes > maxRecordBytes || pos + recordBytes > size)
            return false;
        pos += recordBytes;
    }
    return false;
}

bool isEmf(const QByteArray& b)
{
    return b.size() >= 44 && qFromLittleEndian<quint32>(b.constData()) == 1 && b.mid(40, 4) == " EMF";
}

int appendToByteArray(void* context, char* buffer, int length)
{
    static_cast<QByteArray*>(context)->append(buffer, length);
    return length;
}

struct WmfSession {
    wmfAPI* api = nullptr;
    ~WmfSession()
    {
        if (api)
            wmf_api_destroy(api);
    }
};

// libwmf and its bundled gd keep some state of their own (font caches); one metafile at a time.
std::mutex& wmfMutex()
{
    static std::mutex m;
    return m;
}

}  // namespace

QSize metafileDrawnSize(qint64 width, qint64 height)
{
    const qint64 side = std::max(width, height);
    if (width <= 0 || height <= 0 || side <= kMaxMetafileSide)
        return QSize(int(std::clamp<qint64>(width, 0, kMaxMetafileSide)), int(std::clamp<qint64>(height, 0, kMaxMetafileSide)));
    const double scale = double(kMaxMetafileSide) / double(side);
    auto fit = [scale](qint64 v) { return int(std::clamp<qint64>(qint64(std::lround(double(v) * scale)), 1, kMaxMetafileSide)); };
    return QSize(fit(width), fit(height));
}

MetafileResult decodeMetafile(const QByteArray& bytes)
{
    MetafileResult result;
    const QString bad = QStringLiteral("Métafichier incorrect");
    if (isEmf(bytes)) {
        result.errorText = QStringLiteral("Métafichier amélioré (EMF) non pris en charge");
        return result;
    }
    if (!(isPlaceableWmf(bytes) ? isStandardWmf(bytes.mid(22)) : isStandardWmf(bytes)) || !wmfRecordsSound(bytes)) {
        result.errorText = bad;
        return result;
    }

    // Declared before the session: libwmf reads the data and writes the PNG until it is destroyed.
    // It reads but takes a non-const pointer, so it gets a copy of its own.
    QByteArray data(bytes.constData(), bytes.size());
    QByteArray png;
    std::lock_guard lock(wmfMutex());
    WmfSession session;
    wmfAPI_Options options {};
    options.function = wmf_gd_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&session.api, flags, &options) != wmf_E_None) {
        result.errorText = bad;
        return result;
    }
    wmfD_Rect bbox {};
    unsigned int width = 0, height = 0;
    if (wmf_mem_open(session.api, reinterpret_cast<unsigned char*>(data.data()), long(data.size())) != wmf_E_None
        || wmf_scan(session.api, 0, &bbox) != wmf_E_None
        || wmf_display_size(session.api, &width, &height, kDotsPerInch, kDotsPerInch) != wmf_E_None) {
        result.errorText = bad;
        return result;
    }
    if (width == 0 || height == 0) {
        result.errorText = bad;
        return result;
    }

    // libwmf's device units are points counted from the picture's top left corner. Left alone,
    // it would stretch the drawn shapes' own bounds over the picture; a placeable file's frame is
    // the whole picture instead, as wide as its header says.
    if (isPlaceableWmf(bytes)) {
        bbox.TL = {0.0f, 0.0f};
        bbox.BR = {float(width * 72.0 / kDotsPerInch), float(height * 72.0 / kDotsPerInch)};
    }
    // A metafile is a drawing: a header of a few bytes can claim any size. It is drawn at no more
    // than kMaxMetafileSide pixels a side, scaled with its proportions kept, so that it cannot
    // cost seconds and gigabytes.
    const QSize drawn = metafileDrawnSize(width, height);
    width = unsigned(drawn.width());
    height = unsigned(drawn.height());
    if (!pictureSizeAllowed(width, height, 4)) {
        result.errorText = QStringLiteral("Image trop grande (%1 x %2 pixels)").arg(width).arg(height);
        return result;
    }
    // Drawn as PNG into memory: in that mode libwmf frees its gd picture itself, which it does not
    // when the picture is handed out raw.
    wmf_gd_t* device = WMF_GD_GetData(session.api);
    if (!(device->flags & WMF_GD_SUPPORTS_PNG)) {
        result.errorText = bad;
        return result;
    }
    device->type = wmf_gd_png;
    device->width = width;
    device->height = height;
    device->bbox = bbox;
    device->sink.context = &png;
    device->sink.function = appendToByteArray;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;  // to our sink
    if (wmf_play(session.api, 0, &bbox) != wmf_E_None) {
        result.errorText = bad;
        return result;
    }
    QImage image;
    if (!image.loadFromData(png, "PNG") || image.size() != QSize(int(width), int(height))) {
        result.errorText = bad;
        return result;
    }
    result.image = std::move(image).convertToFormat(QImage::Format_ARGB32);
    return result;
}
