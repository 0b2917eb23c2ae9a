#pragma once
// Windows metafiles. WMF content is drawn by libwmf at 96 pixels an inch; EMF has no maintained
// decoder on this platform and is refused.
#include <QByteArray>
#include <QImage>
#include <QString>

struct MetafileResult {
    QImage image;       // ARGB32; null on failure
    QString errorText;  // French reason on failure
};

MetafileResult decodeMetafile(const QByteArray& bytes);
