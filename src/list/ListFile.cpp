#include "list/ListFile.h"

#include "platform/ProgramError.h"
#include "platform/TextCodec.h"
#include "settings/Options.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kHeaderLines = 6;
constexpr int kValuesPerEntry = 5;  // directory, name, quality, zone, extra
// An integer message quotes the offending line; a line of megabytes would make a useless box.
constexpr qsizetype kMaxQuotedLine = 255;

ProgramError fileError(int errnum) { return ProgramError(fileErrorText(errnum)); }

// Hands out the lines of a buffer one by one. CR LF, LF and a lone CR each end a line; text after
// the last line end is a last line. Past the end every line reads empty.
class LineCursor {
public:
    explicit LineCursor(const QByteArray& bytes)
        : p_(bytes.constData()), end_(bytes.constData() + bytes.size()) {}

    bool atEnd() const { return p_ >= end_; }

    // Next line without its line end (empty past the end).
    std::pair<const char*, qsizetype> next()
    {
        const char* start = p_;
        const char* q = p_;
        while (q < end_ && *q != '\n' && *q != '\r')
            ++q;
        const qsizetype len = q - start;
        if (q < end_) {
            if (*q == '\r' && q + 1 < end_ && q[1] == '\n')
                q += 2;
            else
                ++q;
        }
        p_ = q;
        return {start, len};
    }
    void skip(qint64 count)
    {
        while (count-- > 0 && !atEnd())
            next();
    }

private:
    const char* p_;
    const char* end_;
};

// Decodes values, sharing one string for repeated ones: one-byte values ("0", " ") come from a
// table, and a directory equal to the previous entry's is the previous string.
class ValueDecoder {
public:
    QString value(std::pair<const char*, qsizetype> line)
    {
        if (line.second == 0)
            return ListModel::blank();
        if (line.second == 1) {
            const auto c = static_cast<unsigned char>(*line.first);
            QString& s = single_[c];
            if (s.isNull())
                s = decodeFileText(line.first, 1);
            return s;
        }
        return decodeFileText(line.first, line.second);
    }
    QString directory(std::pair<const char*, qsizetype> line)
    {
        if (line.second > 1 && line.second == lastDirLen_ && std::memcmp(line.first, lastDir_, size_t(line.second)) == 0)
            return lastDirText_;
        lastDir_ = line.first;
        lastDirLen_ = line.second;
        lastDirText_ = value(line);
        return lastDirText_;
    }

private:
    std::array<QString, 256> single_;
    const char* lastDir_ = nullptr;
    qsizetype lastDirLen_ = -1;
    QString lastDirText_;
};

int headerInteger(std::pair<const char*, qsizetype> line)
{
    const QString text = decodeFileText(line.first, line.second);
    int v = 0;
    if (parseInteger(text, v))
        return v;
    if (text.size() > kMaxQuotedLine)
        throw notAnInteger(text.left(kMaxQuotedLine) + QStringLiteral("..."));
    throw notAnInteger(text);
}

void appendLine(QByteArray& out, const QByteArray& bytes)
{
    out.append(bytes);
    out.append("\r\n", 2);
}

}  // namespace

std::vector<ListEntry> parseListFile(const QByteArray& bytes)
{
    std::vector<ListEntry> entries;
    LineCursor in(bytes);
    ValueDecoder dec;

    qint64 fields = 6;
    bool firstNumberRead = false;
    if (headerInteger(in.next()) != 0) {
        in.skip(2);
        qint64 headerSize = headerInteger(in.next());
        fields = headerInteger(in.next());
        in.skip(1);
        if (headerSize > kHeaderLines)
            in.skip(headerSize - kHeaderLines);
    } else {
        // No header: line 1 was the first entry's number line.
        firstNumberRead = true;
    }
    // An entry is at least its number line, so every entry moves the reader on.
    if (fields < 1)
        fields = 1;
    const qint64 values = fields - 1;

    while (firstNumberRead || !in.atEnd()) {
        if (!firstNumberRead)
            in.next();  // the number line: entries are renumbered by their position
        firstNumberRead = false;
        ListEntry e;
        e.mark = ListModel::blank();
        e.number = ListModel::formatNumber(int(entries.size()));
        for (int k = 0; k < kValuesPerEntry; ++k) {
            QString v = k < values ? (k == 0 ? dec.directory(in.next()) : dec.value(in.next()))
                                   : ListModel::blank();
            e.field(ListModel::ColDirectory + k) = std::move(v);
        }
        if (values > kValuesPerEntry)
            in.skip(values - kValuesPerEntry);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<ListEntry> readListFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw fileError(errno);
    QByteArray bytes;
    int err = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (S_ISDIR(st.st_mode)) {
        err = EISDIR;
    } else {
        if (S_ISREG(st.st_mode) && st.st_size > 0)
            bytes.reserve(qsizetype(st.st_size));
        char buf[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                err = errno;
                break;
            }
            if (n == 0)
                break;
            bytes.append(buf, qsizetype(n));
        }
    }
    ::close(fd);
    if (err != 0)
        throw fileError(err);
    return parseListFile(bytes);
}

QByteArray formatListFile(const std::vector<ListEntry>& entries)
{
    QByteArray out;
    out.reserve(qsizetype(64 + entries.size() * 64));
    appendLine(out, QByteArray::number(qulonglong(entries.size())));
    appendLine(out, encodeFileText(QString::fromUtf8(kProductName)));
    appendLine(out, encodeFileText(QString::fromUtf8(kVersionText)));
    appendLine(out, "6");
    appendLine(out, "6");
    appendLine(out, QByteArray());
    // Entries share their directory string most of the time: encode it once per change.
    QString lastDir;
    QByteArray lastDirBytes;
    for (const ListEntry& e : entries) {
        appendLine(out, encodeFileText(e.number));
        if (e.directory != lastDir || lastDir.isNull()) {
            lastDir = e.directory;
            lastDirBytes = encodeFileText(lastDir);
        }
        appendLine(out, lastDirBytes);
        appendLine(out, encodeFileText(e.name));
        appendLine(out, encodeFileText(e.quality));
        appendLine(out, encodeFileText(e.zone));
        appendLine(out, encodeFileText(e.extra));
    }
    return out;
}

void writeListFile(const QString& path, const std::vector<ListEntry>& entries)
{
    saveFileSafely(path, formatListFile(entries));
}

QString listFileName(const QString& name)
{
    return name.contains('.') ? name : name + QStringLiteral(".LST");
}
