#include "vidsplit/FramePreview.h"

#include "platform/ProgramError.h"

#include <cstring>

QImage frameImage(const Frame8& f)
{
    const QImage::Format format = f.channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_BGR888;
    QImage img(f.width, f.height, format);
    for (int y = 0; y < f.height; ++y)
        std::memcpy(img.scanLine(y), f.row(y), size_t(f.width) * size_t(f.channels));
    return img;
}

QImage readFrameImage(const QString& path, int64_t number, const SourceOptions& options, QString& error)
{
    try {
        const std::unique_ptr<FrameSource> source = openFrameSource(path, options);
        source->seek(number);
        Frame8 frame;
        QString reason;
        switch (source->read(frame, reason)) {
        case FrameRead::Frame:
            return frameImage(frame);
        case FrameRead::Broken:
            error = videoMessage(path, QStringLiteral("image %1 illisible (%2)").arg(number).arg(reason));
            return {};
        case FrameRead::End:
            error = videoMessage(path, QStringLiteral("l'image %1 n'existe pas").arg(number));
            return {};
        }
    } catch (const ProgramError& e) {
        error = e.text();
    }
    return {};
}
