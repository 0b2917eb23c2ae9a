#pragma once
// Picture decoding, chosen by the file's extension (case-insensitive): bmp and ico through QImage,
// jpg and jpeg through our libjpeg wrapper (24-bit RGB), wmf through libwmf; emf is not decoded.
#include "platform/PictureLimits.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

enum class PictureStatus {
    Ok,
    Undecodable,  // format unknown or content not decodable as a picture
    Unreadable,   // the file cannot be read at all (missing, no access, a directory)
};

struct PictureResult {
    PictureStatus status = PictureStatus::Undecodable;
    QImage image;          // valid when status is Ok
    QString errorText;     // the system's or decoder's reason, for error boxes
    int jpegErrorCode = 0; // libjpeg's message number when a JPEG failed, else 0
    bool ok() const { return status == PictureStatus::Ok; }
};

// Sets Qt's limit on the memory of one decoded picture to the program's own (kMaxPictureBytes),
// so that every decode through Qt (BMP, ICO, the PNG inside an icon, a drawn metafile) meets the
// same bound. Called once at start-up, before any picture is read.
void setPictureMemoryLimit();

// Picture kinds told by extension. Metafile covers wmf and emf; only wmf content is decoded.
enum class PictureKind { Bitmap, Jpeg, Icon, Metafile, Unknown };
PictureKind pictureKind(const QString& path);

// Decodes the whole picture. For JPEG, scaleDenom 2, 4 or 8 asks libjpeg for a DCT-scaled decode
// (fast thumbnails); other formats ignore it. An unknown extension is Undecodable without touching
// the file.
PictureResult loadPicture(const QString& path, int scaleDenom = 1);

// The same decoders on bytes already in memory (Unreadable never comes back from here).
PictureResult loadPictureFromBytes(const QByteArray& bytes, PictureKind kind, int scaleDenom = 1);
