#pragma once
// Windows metafiles. WMF content is drawn by libwmf at 96 pixels an inch; EMF has no maintained
// decoder on this platform and is refused.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The largest side a metafile is drawn at, in pixels.
constexpr int kMaxMetafileSide = 4096;

struct MetafileResult {
    QImage image;       // ARGB32; null on failure
    QString errorText;  // French reason on failure
};

// Decodes WMF content at 96 pixels an inch, scaled down to kMaxMetafileSide when larger.
MetafileResult decodeMetafile(const QByteArray& bytes);
// The size a metafile of width × height pixels is drawn at: itself when no side passes
// kMaxMetafileSide, else scaled so that the longer side is kMaxMetafileSide, proportions kept
// (no side below 1).
QSize metafileDrawnSize(qint64 width, qint64 height);
