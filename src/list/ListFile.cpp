#include "list/ListFile.h"

#include "platform/ProgramError.h"
#include "platform/ScopeExit.h"
#include "platform/TextCodec.h"
#include "settings/Options.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kHeaderLines = 6;
constexpr int kValuesPerEntry = 5;  // directory, name, quality, zone, extra
// An integer message quotes the offending line; a line of megabytes would make a useless box.
constexpr qsizetype kMaxQuotedLine = 255;
// A file is read in pieces of this size; only a longer line makes the buffer grow.
constexpr qsizetype kReadChunk = qsizetype(1) << 20;

ProgramError fileError(int errnum) { return ProgramError(fileErrorText(errnum)); }

struct Line {
    const char* data = nullptr;
    qsizetype size = 0;
};

// Hands out the lines of a text one by one, from bytes in memory or read from a file as it goes.
// CR LF, LF and a lone CR each end a line; text after the last line end is a last line. Past the
// end every line reads empty. A line stays valid until the next call.
class LineReader {
public:
    explicit LineReader(const QByteArray& bytes)
        : data_(bytes.constData()), end_(bytes.size()), eof_(true) {}
    explicit LineReader(int fd) : fd_(fd), eof_(false) {}

    bool atEnd() { return pos_ >= end_ && !fill(); }

    Line next()
    {
        qsizetype scan = pos_;
        for (;;) {
            const char* stop = data_ + end_;
            const char* p = data_ + scan;
            while (p < stop && *p != '\n' && *p != '\r')
                ++p;
            // A CR that ends the bytes so far may be the first half of a CR LF: read on first.
            if (p < stop && !(*p == '\r' && p + 1 == stop && !eof_)) {
                const Line line{data_ + pos_, p - (data_ + pos_)};
                pos_ = (p - data_) + ((*p == '\r' && p + 1 < stop && p[1] == '\n') ? 2 : 1);
                return line;
            }
            if (p == stop && eof_) {
                const Line line{data_ + pos_, end_ - pos_};
                pos_ = end_;
                return line;
            }
            const qsizetype seen = (p - data_) - pos_;  // of this line, already scanned
            fill();
            scan = pos_ + seen;
        }
    }

    void skip(qint64 count)
    {
        while (count-- > 0 && !atEnd())
            next();
    }

private:
    // Moves the unread bytes to the front and reads more after them. False at the end of the file
    // (or for bytes in memory). Offsets into the buffer shift by the old pos_.
    bool fill()
    {
        if (eof_)
            return false;
        if (pos_ > 0) {
            std::memmove(buf_.data(), buf_.data() + pos_, size_t(end_ - pos_));
            end_ -= pos_;
            pos_ = 0;
        }
        if (buf_.size() - end_ < kReadChunk / 2)
            buf_.resize(std::max(kReadChunk, buf_.size() * 2));
        data_ = buf_.constData();
        for (;;) {
            const ssize_t n = ::read(fd_, buf_.data() + end_, size_t(buf_.size() - end_));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw fileError(errno);
            }
            if (n == 0) {
                eof_ = true;
                return false;
            }
            end_ += n;
            data_ = buf_.constData();
            return true;
        }
    }

    int fd_ = -1;
    QByteArray buf_;
    const char* data_ = nullptr;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    bool eof_;
};

// Pools the values read, so that an entry costs its name and a few indices: one-byte values
// (" ", "0", "3") come from a table, and a value equal to the one before in its column (the
// directory, mostly) is the same pooled text without decoding or hashing.
class ValuePooler {
public:
    explicit ValuePooler(ListStore& store) : store_(store) { single_.fill(kNone); }

    quint32 value(Line line, int column)
    {
        if (line.size == 0)
            return 0;
        if (line.size == 1) {
            qint64& s = single_[static_cast<unsigned char>(*line.data)];
            if (s == kNone)
                s = store_.intern(decodeFileText(line.data, 1));
            return quint32(s);
        }
        Last& last = last_[size_t(column)];
        if (last.index != kNone && last.bytes.size() == size_t(line.size)
            && std::memcmp(last.bytes.data(), line.data, size_t(line.size)) == 0)
            return quint32(last.index);
        const quint32 index = store_.intern(decodeFileText(line.data, line.size));
        last.bytes.assign(line.data, size_t(line.size));
        last.index = index;
        return index;
    }

private:
    static constexpr qint64 kNone = -1;
    struct Last {
        std::string bytes;
        qint64 index = kNone;
    };
    ListStore& store_;
    std::array<qint64, 256> single_;
    std::array<Last, kValuesPerEntry> last_;
};

int headerInteger(Line line)
{
    const QString text = decodeFileText(line.data, line.size);
    int v = 0;
    if (parseInteger(text, v))
        return v;
    if (text.size() > kMaxQuotedLine)
        throw notAnInteger(text.left(kMaxQuotedLine) + QStringLiteral("..."));
    throw notAnInteger(text);
}

// Reads the whole text into store (already empty). sizeBound is the text's length in bytes: no
// file holds more entries than it has lines.
void parseLines(LineReader& in, ListStore& store, qint64 sizeBound)
{
    qint64 fields = 6;
    qint64 announced = 0;
    bool firstNumberRead = false;
    const int first = headerInteger(in.next());
    if (first != 0) {
        announced = first;
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
    // The count of a header the program wrote is exact; one that cannot be true is ignored.
    if (announced > 0 && announced <= sizeBound / fields + 1) {
        try {
            store.reserve(size_t(announced));
        } catch (const std::bad_alloc&) {
            // Only a head start: the entries themselves say whether memory is enough.
        }
    }

    ValuePooler pool(store);
    while (firstNumberRead || !in.atEnd()) {
        // The number line: entries are renumbered by their position.
        bool empty = firstNumberRead ? false : in.next().size == 0;
        firstNumberRead = false;
        std::array<quint32, kValuesPerEntry> v{};
        QString name;
        for (int k = 0; k < kValuesPerEntry && k < values; ++k) {
            const Line line = in.next();
            empty = empty && line.size == 0;
            if (k == ListModel::ColName - ListModel::ColDirectory)
                name = line.size > 0 ? decodeFileText(line.data, line.size) : QString();
            else
                v[size_t(k)] = pool.value(line, k);
        }
        if (values > kValuesPerEntry)
            in.skip(values - kValuesPerEntry);
        if (empty)
            continue;
        store.appendPooled(v[0], std::move(name), v[2], v[3], v[4]);
    }
    store.releaseSpare();
}

void appendLine(QByteArray& out, const QByteArray& bytes)
{
    out.append(bytes);
    out.append("\r\n", 2);
}

// Writes the header and then each entry's texts, encoding a directory once per run of entries
// that share it.
class ListFileWriter {
public:
    explicit ListFileWriter(size_t count)
    {
        out_.reserve(qsizetype(64 + count * 64));
        appendLine(out_, QByteArray::number(qulonglong(count)));
        appendLine(out_, encodeFileText(QString::fromUtf8(kProductName)));
        appendLine(out_, encodeFileText(QString::fromUtf8(kVersionText)));
        appendLine(out_, "6");
        appendLine(out_, "6");
        appendLine(out_, QByteArray());
    }
    void add(const QString& number, const QString& directory, const QString& name, const QString& quality,
             const QString& zone, const QString& extra)
    {
        appendLine(out_, encodeFileText(number));
        if (lastDir_.isNull() || directory.constData() != lastDir_.constData() || directory != lastDir_) {
            lastDir_ = directory;
            lastDirBytes_ = encodeFileText(directory);
        }
        appendLine(out_, lastDirBytes_);
        appendLine(out_, encodeFileText(name));
        appendLine(out_, encodeFileText(quality));
        appendLine(out_, encodeFileText(zone));
        appendLine(out_, encodeFileText(extra));
    }
    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
    QString lastDir_;
    QByteArray lastDirBytes_;
};

}  // namespace

void parseListFile(const QByteArray& bytes, ListStore& store)
{
    store.clear();
    LineReader in(bytes);
    parseLines(in, store, bytes.size());
}

std::vector<ListEntry> parseListFile(const QByteArray& bytes)
{
    ListStore store;
    parseListFile(bytes, store);
    return store.entries();
}

void readListFile(const QString& path, ListStore& store)
{
    store.clear();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw fileError(errno);
    ScopeExit closeFile([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw fileError(errno);
    if (S_ISDIR(st.st_mode))
        throw fileError(EISDIR);
    LineReader in(fd);
    try {
        parseLines(in, store, S_ISREG(st.st_mode) ? qint64(st.st_size) : INT64_MAX);
    } catch (...) {
        store.clear();
        throw;
    }
}

std::vector<ListEntry> readListFile(const QString& path)
{
    ListStore store;
    readListFile(path, store);
    return store.entries();
}

QByteArray formatListFile(const std::vector<ListEntry>& entries)
{
    ListFileWriter w(entries.size());
    for (const ListEntry& e : entries)
        w.add(e.number, e.directory, e.name, e.quality, e.zone, e.extra);
    return w.take();
}

QByteArray formatListStore(const ListStore& entries)
{
    ListFileWriter w(size_t(entries.size()));
    for (int i = 0; i < entries.size(); ++i)
        w.add(entries.text(ListModel::ColNumber, i), entries.sharedText(ListModel::ColDirectory, i),
              entries.sharedText(ListModel::ColName, i), entries.sharedText(ListModel::ColQuality, i),
              entries.sharedText(ListModel::ColZone, i), entries.sharedText(ListModel::ColExtra, i));
    return w.take();
}

void writeListFile(const QString& path, const std::vector<ListEntry>& entries)
{
    saveFileSafely(path, formatListFile(entries));
}

void writeListStore(const QString& path, const ListStore& entries)
{
    saveFileSafely(path, formatListStore(entries));
}

QString listFileName(const QString& name)
{
    return name.contains('.') ? name : name + QStringLiteral(".LST");
}
