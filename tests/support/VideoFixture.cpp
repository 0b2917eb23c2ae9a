#include "VideoFixture.h"

#include "platform/Picture.h"

#include <QProcess>
#include <QStandardPaths>

#include <cstring>

namespace {

void put(QByteArray& b, int at, int64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char(uint64_t(v) >> (8 * i));
}

}  // namespace

int64_t serTicksOf(int64_t unixSeconds)
{
    return 621355968000000000LL + unixSeconds * 10000000LL;
}

QByteArray serBytes(const SerLayout& s)
{
    QByteArray b(178, '\0');
    b.replace(0, 14, "LUCAM-RECORDER");
    put(b, 18, s.colorId, 4);
    put(b, 26, s.width, 4);
    put(b, 30, s.height, 4);
    put(b, 34, s.depth, 4);
    put(b, 38, s.frames, 4);
    const int planes = s.colorId >= 100 ? 3 : 1;
    for (int f = 0; f < s.frames; ++f)
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                for (int p = 0; p < planes; ++p) {
                    const unsigned v = s.sample(f, x, y, p);
                    if (s.depth <= 8)
                        b.append(char(v));
                    else if (s.bigEndian)
                        b.append(char(v >> 8)).append(char(v));
                    else
                        b.append(char(v)).append(char(v >> 8));
                }
    for (int f = 0; s.trailer && f < s.frames; ++f) {
        b.append(8, '\0');
        put(b, int(b.size()) - 8, serTicksOf(kBaseTime + f), 8);
    }
    return b;
}

QByteArray serFrame(const QByteArray& ser, const SerLayout& s, int number)
{
    const int bytes = s.width * s.height * (s.colorId >= 100 ? 3 : 1) * (s.depth > 8 ? 2 : 1);
    return ser.mid(178 + (number - 1) * bytes, bytes);
}

std::optional<QByteArray> ffmpeg(const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (exe.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(exe, QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

bool loadTestPicture(const QString& path, Frame8& out, QString& error)
{
    const PictureResult r = loadPicture(path);
    if (!r.ok()) {
        error = r.errorText;
        return false;
    }
    const QImage img = r.image.convertToFormat(QImage::Format_BGR888);
    out.reset(img.width(), img.height(), 3);
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(out.row(y), img.constScanLine(y), size_t(img.width()) * 3);
    return true;
}
