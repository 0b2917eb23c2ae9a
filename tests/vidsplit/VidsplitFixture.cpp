#include "VidsplitFixture.h"

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>

namespace {

void le32(QByteArray& b, int offset, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[offset + i] = char(uint32_t(v) >> (8 * i));
}

void le64(QByteArray& out, int64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.append(char(uint64_t(v) >> (8 * i)));
}

}  // namespace

QByteArray serBytes(const SerVideo& s)
{
    QByteArray b(178, '\0');
    b.replace(0, 14, "LUCAM-RECORDER");
    le32(b, 18, s.colorId);
    le32(b, 22, s.littleEndianFlag);
    le32(b, 26, s.width);
    le32(b, 30, s.height);
    le32(b, 34, s.depth);
    le32(b, 38, s.headerCount >= 0 ? s.headerCount : s.frames);
    b.replace(42, 8, "Observer");
    const int planes = s.colorId >= 100 ? 3 : 1;
    const bool wide = s.depth > 8;
    for (int f = 0; f < s.frames; ++f)
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                for (int p = 0; p < planes; ++p) {
                    const unsigned v = s.sample(f, x, y, p);
                    if (!wide)
                        b.append(char(v));
                    else if (s.bigEndianData)
                        b.append(char(v >> 8)).append(char(v & 0xFF));
                    else
                        b.append(char(v & 0xFF)).append(char(v >> 8));
                }
    for (int64_t t : s.trailer)
        le64(b, t);
    return b;
}

int64_t serTicks(int64_t unixSeconds)
{
    return 621355968000000000LL + unixSeconds * 10000000LL;
}

RunResult runVidsplit(const QStringList& args, const QString& workingDir, bool unprivileged, qint64 addressSpace)
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    const bool dropRoot = unprivileged && ::geteuid() == 0;
    if (dropRoot || addressSpace > 0) {
        p.setChildProcessModifier([dropRoot, addressSpace] {
            constexpr uid_t kNobody = 65534;
            constexpr gid_t kNogroup = 65534;
            if (dropRoot && (::setgroups(0, nullptr) != 0 || ::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0))
                ::_exit(127);
            const struct rlimit limit = {rlim_t(addressSpace), rlim_t(addressSpace)};
            if (addressSpace > 0 && ::setrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(127);
        });
    }
    p.start(QStringLiteral(VIDSPLIT_EXE), args);
    RunResult r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QStringList filesIn(const QString& dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

QImage loadRgb(const QString& path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB888);
}
