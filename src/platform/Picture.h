#pragma once
// Picture decoding, chosen by the file's extension (case-insensitive): bmp and ico through QImage,
// jpg and jpeg through our libjpeg wrapper (24-bit RGB), wmf/emf where a decoder exists.
#include <QImage>
#include <QString>

enum class PictureStatus {
    Ok,
    Undecodable,  // format unknown or content not decodable as a picture
    Unreadable,   // the file cannot be read at all (missing, no access)
};

struct PictureResult {
    PictureStatus status = PictureStatus::Undecodable;
    QImage image;          // valid when status is Ok
    QString errorText;     // the system's or decoder's reason, for error boxes
    int jpegErrorCode = 0; // libjpeg's message number when a JPEG failed, else 0
    bool ok() const { return status == PictureStatus::Ok; }
};

// Largest picture accepted: 32768 pixels a side and 1 GiB decoded; larger ones are undecodable.
constexpr int kMaxPictureSide = 32768;
constexpr qint64 kMaxPictureBytes = qint64(1) << 30;

// Decodes the whole picture. For JPEG, scaleDenom 2, 4 or 8 asks libjpeg for a DCT-scaled decode
// (fast thumbnails); other formats ignore it.
PictureResult loadPicture(const QString& path, int scaleDenom = 1);

// Picture kinds told by extension.
enum class PictureKind { Bitmap, Jpeg, Icon, Metafile, Unknown };
PictureKind pictureKind(const QString& path);
