#include "review/ThumbnailPicture.h"

#include "platform/JpegCodec.h"
#include "platform/Picture.h"
#include "platform/PictureAhead.h"
#include "review/ThumbnailGeometry.h"

#include <atomic>

namespace {
std::atomic<bool> g_dctScaling{true};

ThumbnailPicture failure(const PictureResult& r)
{
    ThumbnailPicture t;
    t.errorText = r.errorText;
    return t;
}

QImage scaledTo(const QImage& image, QSize size)
{
    if (size.isEmpty())
        return QImage();  // a side of 0 pixels: nothing to draw
    if (image.size() == size)
        return image;
    // Smooth scaling works on 32-bit pixels; from 24-bit it is several times slower than a
    // conversion followed by the scaling.
    if (image.format() == QImage::Format_RGB888)
        return image.convertToFormat(QImage::Format_RGB32)
            .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
}  // namespace

void setThumbnailDctScaling(bool on) { g_dctScaling = on; }
bool thumbnailDctScaling() { return g_dctScaling; }

ThumbnailPicture makeThumbnail(const QString& path, QSize cell)
{
    const PictureKind kind = pictureKind(path);
    ThumbnailPicture t;

    if (kind == PictureKind::Jpeg && g_dctScaling) {
        const JpegHeader header = readJpegHeaderFromFile(path);
        if (header.ok()) {
            const QSize size = thumbnailSize(header.size, cell);
            const int denom = jpegScaleForReduction(reductionFactor(header.size, cell));
            const PictureResult r = loadPicture(path, denom);
            if (!r.ok())
                return failure(r);
            t.ok = true;
            t.image = scaledTo(r.image, size);
            return t;
        }
        // No readable header: the full decode below gives the failure its proper reason.
    }

    const PictureResult r = loadPicture(path);
    if (!r.ok())
        return failure(r);
    const QSize size = thumbnailSize(r.image.size(), cell);
    t.ok = true;
    if (r.linear) {
        // A large linear frame: reduced by boxes first, far quicker than scaling it whole.
        t.image = size.isEmpty() ? QImage() : prepareForDisplay(r.image, size, true);
    } else if (kind == PictureKind::Bitmap || kind == PictureKind::Jpeg || kind == PictureKind::Tiff ||
               kind == PictureKind::Png) {
        t.image = scaledTo(r.image, size);
    } else if (!size.isEmpty()) {
        t.image = QImage(size, QImage::Format_RGB32);
        t.image.fill(Qt::white);
    }
    return t;
}
