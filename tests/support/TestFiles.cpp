#include "TestFiles.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include <algorithm>
#include <random>

bool writeTestImage(const QString& path, int width, int height, QColor tint)
{
    QImage img(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < width; ++x) {
            line[3 * x] = uchar((x * 255) / std::max(1, width - 1));
            line[3 * x + 1] = uchar((y * 255) / std::max(1, height - 1));
            line[3 * x + 2] = uchar(tint.blue());
        }
    }
    QPainter p(&img);
    p.setBrush(tint);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(width / 2, height / 2), width / 4, height / 4);
    p.end();
    const QString lower = path.toLower();
    const char* fmt = (lower.endsWith(".jpg") || lower.endsWith(".jpeg")) ? "JPG" : "BMP";
    return img.save(path, fmt, 90);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QImage noisyFrame(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-40, 40);
    QImage img(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int base = (x * 160) / width + (y * 60) / height;
            for (int c = 0; c < 3; ++c)
                line[3 * x + c] = uchar(std::clamp(base + c * 20 + noise(rng), 0, 255));
        }
    }
    return img;
}

QList<QStringList> pdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(20000))
        return {};
    QList<QStringList> pages;
    for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split('\f')) {
        QStringList lines;
        for (const QString& l : page.split('\n'))
            if (!l.trimmed().isEmpty())
                lines << l.trimmed();
        if (!lines.isEmpty())
            pages << lines;
    }
    return pages;
}
