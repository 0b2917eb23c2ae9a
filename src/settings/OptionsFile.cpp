#include "settings/OptionsFile.h"

#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "platform/SafeWrite.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kHeaderSize = 512;
constexpr qint64 kCopyChunk = 64 * 1024;

// What the settings file holds, as far as the block operations care: its first bytes (the header
// and every block) and whether more bytes follow, which a patch leaves alone. Keeping only the head
// in memory means a settings file of any size costs a bounded amount of memory.
struct FileImage {
    bool exists = false;   // a regular file that could be read (or one an earlier write produced)
    QByteArray head;       // the file's first bytes, at most headLimit of them
    bool hasTail = false;  // the file goes on after head; those bytes are copied through unchanged
};

// A short string at offset equal, as bytes, to text.
bool shortStringIs(const QByteArray& head, qsizetype offset, const QByteArray& text)
{
    return static_cast<uint8_t>(head[offset]) == text.size()
        && std::memcmp(head.constData() + offset + 1, text.constData(), size_t(text.size())) == 0;
}

bool headerMatches(const FileImage& img)
{
    if (!img.exists || img.head.size() < kHeaderSize)
        return false;
    static const QByteArray name = encodeFileText(QString::fromUtf8(kProductName));
    static const QByteArray version = encodeFileText(QString::fromUtf8(kVersionText));
    return shortStringIs(img.head, 0, name) && shortStringIs(img.head, 256, version);
}

// Reads the first headLimit bytes of the file. Anything but a regular file (a directory, a pipe that
// would block, a device) counts as missing, as does a file that fails to open or read.
FileImage readImage(const QString& path, qint64 headLimit)
{
    FileImage img;
    const QFileInfo info(path);
    if (!info.isFile())
        return img;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return img;
    // One byte more than wanted tells whether a tail follows. The buffer grows with what is actually
    // read, so a large limit on a small file allocates little.
    const qint64 want = headLimit + 1;
    QByteArray buf;
    while (buf.size() < want) {
        const qint64 step = std::min(want - buf.size(), kCopyChunk);
        const qsizetype at = buf.size();
        buf.resize(at + step);
        const qint64 n = f.read(buf.data() + at, step);
        if (n < 0)
            return img;
        buf.resize(at + n);
        if (n == 0)
            break;
    }
    img.hasTail = buf.size() > headLimit;
    if (img.hasTail)
        buf.truncate(headLimit);
    img.head = std::move(buf);
    img.exists = true;
    return img;
}

// One block write, with the results of writing into the file in place: into a valid file the block
// overwrites its bytes (a short file grows, zero-filled up to the block); otherwise the file is made
// anew as offset zero bytes followed by the block.
void applyWrite(FileImage& img, const QByteArray& block, qint64 offset)
{
    if (headerMatches(img)) {
        const qint64 end = offset + block.size();
        if (img.head.size() < end)
            img.head.resize(end, '\0');
        std::memcpy(img.head.data() + offset, block.constData(), size_t(block.size()));
    } else {
        img.head = QByteArray(offset, '\0') + block;
        img.hasTail = false;
    }
    img.exists = true;
}

int g_lastWriteError = 0;

// Replaces the file by the image through a temporary file and a rename, so an interrupted or
// failed write (a full disk) never leaves a torn or empty settings file. Keeps the errno of a
// failure for the message that tells the user.
bool saveImage(const QString& path, const FileImage& img)
{
    g_lastWriteError = 0;
    QDir().mkpath(directoryPart(path));
    SafeFile out(path);
    auto failed = [&out](int err) {
        g_lastWriteError = out.error() != 0 ? out.error() : (err != 0 ? err : EIO);
        return false;
    };
    if (!out.open() || !out.write(img.head))
        return failed(0);
    if (img.hasTail) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly) || !in.seek(img.head.size()))
            return failed(errno);
        QByteArray chunk(kCopyChunk, Qt::Uninitialized);
        for (;;) {
            const qint64 n = in.read(chunk.data(), chunk.size());
            if (n < 0)
                return failed(errno);
            if (n > 0 && !out.write(chunk.constData(), n))
                return failed(0);
            if (n == 0)
                break;
        }
    }
    return out.commit() || failed(0);
}

bool blockFromImage(const FileImage& img, QByteArray& bytes, int size, int offset)
{
    bytes.clear();
    if (size < 0 || offset < 0 || !headerMatches(img))
        return false;
    bytes = img.head.mid(offset, size);
    return bytes.size() == size;
}

template <class Record>
void loadFromImage(const FileImage& img, Record& o, int size, int offset, void (*defaults)(Record&))
{
    QByteArray bytes;
    if (blockFromImage(img, bytes, size, offset))
        fromBytes(o, bytes);
    else
        defaults(o);
}

void programDefaults(ProgramOptions& o) { setDefaults(o); }
void extractorDefaults(ExtractorOptions& o) { setDefaults(o); }

}  // namespace

QString optionsFilePath()
{
    // A relative XDG_CONFIG_HOME is to be ignored, like an unset one.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return withTrailingSlash(base) + QStringLiteral("velmoran/Velmoran.INI");
}

bool FileIsValid()
{
    return headerMatches(readImage(optionsFilePath(), kHeaderSize));
}

bool ReadBlock(QByteArray& bytes, int size, int offset)
{
    const qint64 limit = std::max<qint64>(kHeaderSize, qint64(offset) + std::max(size, 0));
    return blockFromImage(readImage(optionsFilePath(), limit), bytes, size, offset);
}

bool WriteBlock(const QByteArray& bytes, int offset)
{
    if (offset < 0)
        return false;
    const QString path = optionsFilePath();
    FileImage img = readImage(path, std::max<qint64>(kOptionsFileSize, qint64(offset) + bytes.size()));
    applyWrite(img, bytes, offset);
    return saveImage(path, img);
}

void loadProgramOptions(ProgramOptions& o)
{
    loadFromImage(readImage(optionsFilePath(), kOptionsFileSize), o, kProgramOptionsSize, kProgramOptionsOffset,
                  &programDefaults);
}

void loadDesktopOptions(DesktopOptions& o)
{
    loadFromImage(readImage(optionsFilePath(), kOptionsFileSize), o, kDesktopOptionsSize, kDesktopOptionsOffset,
                  &setDesktopDefaults);
}

void loadExtractorOptions(ExtractorOptions& o)
{
    loadFromImage(readImage(optionsFilePath(), kOptionsFileSize), o, kExtractorOptionsSize,
                  kExtractorOptionsOffset, &extractorDefaults);
}

bool saveProgramOptions(const ProgramOptions& o) { return WriteBlock(toBytes(o), kProgramOptionsOffset); }
bool saveDesktopOptions(const DesktopOptions& o) { return WriteBlock(toBytes(o), kDesktopOptionsOffset); }
bool saveExtractorOptions(const ExtractorOptions& o) { return WriteBlock(toBytes(o), kExtractorOptionsOffset); }

void loadAllOptions()
{
    // One read of the file serves the three blocks; each still falls back to its defaults on its own.
    const FileImage img = readImage(optionsFilePath(), kOptionsFileSize);
    loadFromImage(img, programOptions(), kProgramOptionsSize, kProgramOptionsOffset, &programDefaults);
    loadFromImage(img, desktopOptions(), kDesktopOptionsSize, kDesktopOptionsOffset, &setDesktopDefaults);
    loadFromImage(img, extractorOptions(), kExtractorOptionsSize, kExtractorOptionsOffset, &extractorDefaults);
}

bool SaveDesktop(const std::function<void(DesktopOptions&)>& captureWindowPlaces)
{
    const QString path = optionsFilePath();
    FileImage img = readImage(path, kOptionsFileSize);
    applyWrite(img, toBytes(programOptions()), kProgramOptionsOffset);
    if (captureWindowPlaces)
        captureWindowPlaces(desktopOptions());
    applyWrite(img, toBytes(desktopOptions()), kDesktopOptionsOffset);
    applyWrite(img, toBytes(extractorOptions()), kExtractorOptionsOffset);
    return saveImage(path, img);
}

int lastOptionsWriteError() { return g_lastWriteError; }

QString optionsWriteFailureText(const QString& path, int errnum)
{
    return QString::fromUtf8("Impossible d'enregistrer les réglages dans le fichier %1 : %2").arg(path, fileReasonText(errnum));
}

bool reportOptionsWrite(bool ok)
{
    if (!ok)
        prompts().error(optionsWriteFailureText(optionsFilePath(), lastOptionsWriteError() != 0 ? lastOptionsWriteError() : EIO));
    return ok;
}
