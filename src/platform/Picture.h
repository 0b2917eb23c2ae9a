#pragma once
// Picture decoding, chosen by the file's extension (case-insensitive): bmp and ico through QImage,
// jpg and jpeg through our libjpeg wrapper (24-bit RGB), wmf through libwmf; emf is not decoded.
// Astronomy frames (fit, fits, fts, fz through CFITSIO; tif, tiff through libtiff; png through Qt)
// keep their linear data when it is deeper than 8 bits, and show through the display stretch.
#include "platform/LinearImage.h"
#include "platform/PictureLimits.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

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
    // A linear frame's data (FITS, 16-bit or float PNG/TIFF); image is then its stretched picture.
    std::shared_ptr<const LinearImage> linear;
    bool ok() const { return status == PictureStatus::Ok; }
};

// Sets Qt's limit on the memory of one decoded picture to the program's own (kMaxPictureBytes),
// so that every decode through Qt (BMP, ICO, the PNG inside an icon, a drawn metafile) meets the
// same bound. Called once at start-up, before any picture is read.
void setPictureMemoryLimit();

// Picture kinds told by extension. Metafile covers wmf and emf; only wmf content is decoded.
// VideoFrame: a frame entry of a video, "dir/jupiter.ser#00042", read from the video in place.
enum class PictureKind { Bitmap, Jpeg, Icon, Metafile, Fits, Tiff, Png, VideoFrame, Unknown };
PictureKind pictureKind(const QString& path);

// Decodes the whole picture. For JPEG, scaleDenom 2, 4 or 8 asks libjpeg for a DCT-scaled decode
// (fast thumbnails); other formats ignore it. An unknown extension is Undecodable without touching
// the file.
PictureResult loadPicture(const QString& path, int scaleDenom = 1);

// The same decoders on bytes already in memory (Unreadable never comes back from here).
PictureResult loadPictureFromBytes(const QByteArray& bytes, PictureKind kind, int scaleDenom = 1);

// A picture file at 8 bits, as the SER writers take it: grey when it is, else B, G, R. False with
// the reason when it cannot be decoded.
struct Frame8;
bool loadPictureFrame8(const QString& path, Frame8& out, QString& error);

// For measures: as loadPicture, but a linear frame comes back with its data only (no screen
// picture is made); other pictures as loadPicture gives them.
PictureResult loadPictureData(const QString& path);
