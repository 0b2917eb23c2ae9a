#pragma once
// The picture of one page cell: an image file reduced by an integer factor to fit the cell.
#include <QImage>
#include <QSize>
#include <QString>

struct ThumbnailPicture {
    bool ok = false;
    QImage image;       // exactly thumbnailSize(picture, cell); blank for icons and metafiles
    QString errorText;  // why the file could not be decoded, for the general error box
};

// Decodes the file (decoder chosen by extension) and draws it scaled, smoothly, into a picture of
// the thumbnail size. Bitmaps and JPEG images are drawn; icons and metafiles are only measured and
// give a white picture of their thumbnail size. A JPEG is decoded at the largest DCT scale that
// still leaves it at least as large as the thumbnail, its size read from the header first.
ThumbnailPicture makeThumbnail(const QString& path, QSize cell);

// Switches the DCT-scaled JPEG decode off (full-size decode, then scaling), for measurements.
void setThumbnailDctScaling(bool on);
bool thumbnailDctScaling();
