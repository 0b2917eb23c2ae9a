#include "batch/FileJournal.h"

#include "platform/SafeWrite.h"
#include "platform/ScopeExit.h"
#include "platform/SystemCalls.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kSep = '\t';

QByteArray num(int64_t v) { return QByteArray::number(qlonglong(v)); }
QByteArray unum(uint64_t v) { return QByteArray::number(qulonglong(v)); }

QByteArray identityFields(const FileIdentity& id)
{
    if (!id.known())
        return "-\t-\t-\t-";
    return unum(id.dev) + kSep + unum(id.ino) + kSep + num(id.size) + kSep + num(id.mtimeNs);
}

// A line longer than this is not one the program writes (two paths of the system's longest,
// percent-encoded, and a few numbers).
constexpr qsizetype kMaxLineBytes = qsizetype(64) << 10;
constexpr qsizetype kReadChunk = qsizetype(1) << 20;
constexpr int kMaxFields = 9;

// The fields of one line, split at tabs; false when there are more than kMaxFields.
struct Fields {
    QByteArrayView f[kMaxFields];
    int count = 0;
    bool split(QByteArrayView line)
    {
        qsizetype from = 0;
        for (;;) {
            if (count == kMaxFields)
                return false;
            const qsizetype tab = line.indexOf(kSep, from);
            if (tab < 0) {
                f[count++] = line.sliced(from);
                return true;
            }
            f[count++] = line.sliced(from, tab - from);
            from = tab + 1;
        }
    }
};

bool unsignedField(QByteArrayView f, uint64_t max, uint64_t& v)
{
    if (f.isEmpty() || f.size() > 20)
        return false;
    v = 0;
    for (const char c : f) {
        if (c < '0' || c > '9')
            return false;
        const uint64_t d = uint64_t(c - '0');
        if (v > (max - d) / 10)
            return false;
        v = v * 10 + d;
    }
    return true;
}

bool signedField(QByteArrayView f, int64_t& v)
{
    const bool negative = f.startsWith('-');
    uint64_t u = 0;
    if (!unsignedField(negative ? f.sliced(1) : f, uint64_t(INT64_MAX), u))
        return false;
    v = negative ? -int64_t(u) : int64_t(u);
    return true;
}

bool intField(QByteArrayView f, int& v)
{
    uint64_t u = 0;
    if (!unsignedField(f, uint64_t(INT_MAX), u))
        return false;
    v = int(u);
    return true;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// A path as encodeJournalPath writes it: "-" for none, otherwise only the bytes it leaves as they
// are and "%" with two hex digits.
bool pathField(QByteArrayView f, QString& path)
{
    if (f.isEmpty())
        return false;
    if (f == "-") {
        path.clear();
        return true;
    }
    for (qsizetype i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '%') {
            if (i + 2 >= f.size() || !isHex(f[i + 1]) || !isHex(f[i + 2]))
                return false;
            i += 2;
        } else if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
                     || c == '_' || c == '~' || c == '/' || c == ' ' || c == '(' || c == ')')) {
            return false;
        }
    }
    path = decodeJournalPath(f.toByteArray());
    return true;
}

// Four fields: dev ino size mtime, or four "-".
bool identityField(const QByteArrayView* f, FileIdentity& id)
{
    id = FileIdentity();
    if (f[0] == "-")
        return f[1] == "-" && f[2] == "-" && f[3] == "-";
    int64_t size = 0;
    return unsignedField(f[0], UINT64_MAX, id.dev) && unsignedField(f[1], UINT64_MAX, id.ino) && signedField(f[2], size)
        && size >= 0 && signedField(f[3], id.mtimeNs) && (id.size = size, true);
}

// Turns the lines of a journal into its records, checking every field.
class JournalParser {
public:
    explicit JournalParser(PassJournal& j) : j_(j) {}

    // Bytes of the journal, in order.
    void feed(const char* p, qsizetype n)
    {
        while (n > 0) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(n)));
            const qsizetype take = nl ? nl - p : n;
            if (!tooLong_) {
                if (line_.size() + take > kMaxLineBytes) {
                    tooLong_ = true;
                    line_.clear();
                } else {
                    line_.append(p, take);
                }
            }
            if (!nl)
                return;
            wholeLine();
            p += take + 1;
            n -= take + 1;
        }
    }
    // The end of the bytes: text after the last line end is a line cut short.
    void finish()
    {
        if (!line_.isEmpty() || tooLong_) {
            ++number_;
            bad();
        }
        line_.clear();
        tooLong_ = false;
    }

private:
    void bad()
    {
        if (j_.unreadable++ == 0)
            j_.firstUnreadable = number_;
    }
    void wholeLine()
    {
        ++number_;
        if (tooLong_)
            bad();
        else if (!line_.isEmpty() && !parse(line_))
            bad();
        line_.clear();
        tooLong_ = false;
    }
    JournalRecord* recordOf(QByteArrayView field)
    {
        int i = 0;
        if (!intField(field, i))
            return nullptr;
        const auto it = at_.constFind(i);
        return it == at_.constEnd() ? nullptr : &j_.records[size_t(*it)];
    }
    bool parse(QByteArrayView line)
    {
        Fields fs;
        if (!fs.split(line))
            return false;
        const QByteArrayView* f = fs.f;
        const QByteArrayView tag = f[0];
        const int n = fs.count;
        if (tag == "H" && n == 3) {
            if (headerSeen_ || f[1] != "1" || f[2].isEmpty())
                return false;
            for (const char c : f[2])
                if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
                    return false;
            headerSeen_ = true;
            j_.pass = QString::fromLatin1(f[2]);
            return true;
        }
        if (tag == "R" && n == 9) {
            JournalRecord r;
            if (!intField(f[1], r.index) || at_.contains(r.index) || f[2].size() != 1)
                return false;
            const char kind = f[2][0];
            if (kind != char(JournalKind::Trash) && kind != char(JournalKind::Move) && kind != char(JournalKind::Rename))
                return false;
            r.kind = JournalKind(kind);
            if (!pathField(f[3], r.source) || r.source.isEmpty() || !pathField(f[4], r.requested)
                || !identityField(f + 5, r.identity))
                return false;
            at_.insert(r.index, qsizetype(j_.records.size()));
            j_.records.push_back(std::move(r));
            return true;
        }
        if ((tag == "D" && n == 6) || (tag == "F" && n == 3) || (tag == "S" && n == 2)) {
            JournalRecord* r = recordOf(f[1]);
            if (!r || r->state != JournalState::Pending || r->unrestored)
                return false;
            if (tag == "S") {
                r->state = JournalState::Skipped;
                return true;
            }
            if (tag == "F") {
                if (!intField(f[2], r->error))
                    return false;
                r->state = JournalState::Failed;
                return true;
            }
            FileIdentity id;
            QString used, info;
            if (!pathField(f[2], used) || used.isEmpty() || !unsignedField(f[3], UINT64_MAX, id.dev)
                || !unsignedField(f[4], UINT64_MAX, id.ino) || !pathField(f[5], info))
                return false;
            id.size = 0;  // the line keeps the inode only
            r->state = JournalState::Done;
            r->used = used;
            r->usedIdentity = id;
            r->trashInfo = info;
            return true;
        }
        if ((tag == "U" && n == 3) || (tag == "X" && n == 4)) {
            JournalRecord* r = recordOf(f[1]);
            // Put back: only what was done. Not put back: also a file the undo looked for in vain.
            if (!r || r->undone || r->unrestored || r->state == JournalState::Failed || r->state == JournalState::Skipped)
                return false;
            QString path;
            if (tag == "U") {
                if (r->state != JournalState::Done || !pathField(f[2], path) || path.isEmpty())
                    return false;
                r->undone = true;
                r->restored = path;
                return true;
            }
            if (!intField(f[2], r->error) || !pathField(f[3], path))
                return false;
            r->unrestored = true;
            return true;
        }
        if (tag == "C" && n == 2) {
            QString dir;
            if (!pathField(f[1], dir) || dir.isEmpty())
                return false;
            j_.createdDirectories << dir;
            return true;
        }
        if (tag == "E" && n == 1) {
            j_.ended = true;
            return true;
        }
        if (tag == "Z" && n == 1) {
            j_.undone = true;
            return true;
        }
        return false;
    }

    PassJournal& j_;
    QByteArray line_;
    bool tooLong_ = false;
    bool headerSeen_ = false;
    qint64 number_ = 0;
    QHash<int, qsizetype> at_;  // record index -> position in j_.records
};

// Opens a journal for reading or appending: a plain file, never a device or a pipe (O_NONBLOCK:
// opening a pipe must not wait for a writer). -1 with errno.
int openJournal(const QString& path, int flags, struct stat& st)
{
    const int fd = sys::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISREG(st.st_mode) ? errno : EINVAL;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

}  // namespace

FileIdentity identityOf(const QString& path)
{
    FileIdentity id;
    struct stat st {};
    const QByteArray p = QFile::encodeName(path);
    if (p.isEmpty() || ::lstat(p.constData(), &st) != 0)
        return id;
    id.dev = uint64_t(st.st_dev);
    id.ino = uint64_t(st.st_ino);
    id.size = int64_t(st.st_size);
    id.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

QByteArray encodeJournalPath(const QString& path)
{
    const QByteArray raw = QFile::encodeName(path);
    if (raw.isEmpty())
        return QByteArrayLiteral("-");
    // "-" alone stands for no path: a path of that name is escaped.
    return raw == "-" ? QByteArrayLiteral("%2D") : raw.toPercentEncoding("/ ()");
}

QString decodeJournalPath(const QByteArray& field)
{
    if (field == "-")
        return {};
    return QFile::decodeName(QByteArray::fromPercentEncoding(field));
}

int PassJournal::toUndo() const
{
    int n = 0;
    for (const JournalRecord& r : records)
        n += (r.state == JournalState::Done || (ended && r.state == JournalState::Pending)) && !r.undone && !r.unrestored;
    return n;
}

QString journalDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velmoran/journal");
}

QStringList journalFiles()
{
    const QDir dir(journalDirectory());
    QStringList out;
    // The names start with the date and time: by name is oldest first.
    for (const QString& name : dir.entryList({QStringLiteral("*.journal")}, QDir::Files | QDir::System, QDir::Name)) {
        struct stat st {};
        const QString path = dir.filePath(name);
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode))
            out << path;
    }
    return out;
}

void pruneJournals(int keep)
{
    const QStringList files = journalFiles();
    for (qsizetype i = 0; i + keep < files.size(); ++i)
        if (journalEnded(files[i]))
            QFile::remove(files[i]);
}

QString journalErrorText(int err)
{
    if (err == EFBIG)
        return QStringLiteral("Journal trop grand (plus de %1 Mo)").arg(kMaxJournalBytes >> 20);
    if (err == EINVAL)
        return QStringLiteral("Ce n'est pas un fichier");
    return fileReasonText(err);
}

PassJournal parseJournal(const QByteArray& bytes)
{
    PassJournal j;
    if (bytes.size() > kMaxJournalBytes) {
        j.readError = EFBIG;
        return j;
    }
    JournalParser parser(j);
    parser.feed(bytes.constData(), bytes.size());
    parser.finish();
    return j;
}

PassJournal readJournal(const QString& path)
{
    PassJournal j;
    j.path = path;
    struct stat st {};
    const int fd = openJournal(path, O_RDONLY, st);
    if (fd < 0) {
        j.readError = errno;
        return j;
    }
    ScopeExit closeFile([fd] { ::close(fd); });
    if (st.st_size > kMaxJournalBytes) {
        j.readError = EFBIG;
        return j;
    }
    JournalParser parser(j);
    QByteArray buffer(kReadChunk, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = sys::read(fd, buffer.data(), size_t(buffer.size()));
        if (n < 0 || (total += n) > kMaxJournalBytes) {
            const int err = n < 0 ? errno : EFBIG;
            j = PassJournal();
            j.path = path;
            j.readError = err;
            return j;
        }
        if (n == 0)
            break;
        parser.feed(buffer.constData(), qsizetype(n));
    }
    parser.finish();
    return j;
}

bool journalEnded(const QString& path)
{
    struct stat st {};
    const int fd = openJournal(path, O_RDONLY, st);
    if (fd < 0)
        return false;
    ScopeExit closeFile([fd] { ::close(fd); });
    // After the end line come only the undo's lines; a last line of these says the pass ended.
    constexpr qsizetype kTail = 4096;
    const qsizetype want = qsizetype(std::min<qint64>(st.st_size, kTail));
    QByteArray tail(want, Qt::Uninitialized);
    if (want >= 2 && ::pread(fd, tail.data(), size_t(want), st.st_size - want) == ssize_t(want) && tail.endsWith('\n')) {
        const qsizetype before = tail.lastIndexOf('\n', want - 2);
        if (before >= 0 || want == st.st_size) {  // the whole last line is in the tail
            const QByteArrayView last = QByteArrayView(tail).sliced(before + 1, want - 2 - before);
            if (last == "E" || last == "Z" || last.startsWith("U\t") || last.startsWith("X\t"))
                return true;
        }
    }
    return readJournal(path).ended;
}

// ---------------------------------------------------------------------------------------------

JournalWriter JournalWriter::append(const QString& path)
{
    JournalWriter w(QString{});
    w.path_ = path;
    struct stat st {};
    w.fd_ = openJournal(path, O_RDWR | O_APPEND, st);
    if (w.fd_ < 0) {
        w.error_ = errno;
        return w;
    }
    // A last line cut short (a crash, a full disk) is ended first, marked so that it never reads
    // as a record: the next line would be glued to it and lost otherwise.
    char last = '\n';
    if (st.st_size > 0 && ::pread(w.fd_, &last, 1, st.st_size - 1) != 1)
        last = 0;
    if (last != '\n' && sys::writeAll(w.fd_, "!\n", 2) != 0) {
        w.error_ = errno;
        ::close(w.fd_);
        w.fd_ = -1;
    }
    return w;
}

JournalWriter::JournalWriter(JournalWriter&& o) noexcept
    : pass_(std::move(o.pass_)), path_(std::move(o.path_)), fd_(o.fd_), error_(o.error_)
{
    o.fd_ = -1;
}

JournalWriter::~JournalWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool JournalWriter::open()
{
    if (fd_ >= 0)
        return true;
    if (error_ != 0 || pass_.isEmpty())
        return false;
    const QString dir = journalDirectory();
    if (!QDir().mkpath(dir)) {
        error_ = EACCES;
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (int n = 1; n < 1000 && fd_ < 0; ++n) {
        // Two passes in one millisecond still sort by name in the order they ran.
        path_ = dir + QLatin1Char('/') + stamp + QStringLiteral("-%1-").arg(n, 3, 10, QLatin1Char('0')) + pass_
            + QStringLiteral(".journal");
        fd_ = sys::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        error_ = errno != 0 ? errno : EEXIST;
        return false;
    }
    // The journal must be found after a crash: its name is on the disk before any operation.
    const QByteArray header = "H\t1\t" + pass_.toUtf8() + '\n';
    if (sys::writeAll(fd_, header.constData(), size_t(header.size())) != 0
        || sys::syncDirectory(QFile::encodeName(dir)) != 0) {
        error_ = errno;
        return false;
    }
    // Once the new journal is safely there, the oldest can go.
    pruneJournals();
    return true;
}

bool JournalWriter::line(const QByteArray& text)
{
    // After a failed write the journal may end in part of a line: nothing more is glued to it.
    if (error_ != 0 || !open())
        return false;
    const QByteArray l = text + '\n';
    if (sys::writeAll(fd_, l.constData(), size_t(l.size())) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

bool JournalWriter::record(const JournalRecord& r)
{
    return line("R\t" + num(r.index) + kSep + char(r.kind) + kSep + encodeJournalPath(r.source) + kSep
                + encodeJournalPath(r.requested) + kSep + identityFields(r.identity));
}

bool JournalWriter::done(int index, const QString& used, const FileIdentity& id, const QString& trashInfo)
{
    return line("D\t" + num(index) + kSep + encodeJournalPath(used) + kSep + unum(id.dev) + kSep + unum(id.ino) + kSep
                + encodeJournalPath(trashInfo));
}

bool JournalWriter::failed(int index, int err) { return line("F\t" + num(index) + kSep + num(err)); }
bool JournalWriter::skipped(int index) { return line("S\t" + num(index)); }
bool JournalWriter::created(const QString& dir) { return line("C\t" + encodeJournalPath(dir)); }
bool JournalWriter::ended() { return line("E") && sync(); }

bool JournalWriter::restoredTo(int index, const QString& path)
{
    return line("U\t" + num(index) + kSep + encodeJournalPath(path));
}

bool JournalWriter::notRestored(int index, int err, const QString& path)
{
    return line("X\t" + num(index) + kSep + num(err) + kSep + encodeJournalPath(path));
}

bool JournalWriter::undone() { return line("Z") && sync(); }

bool JournalWriter::sync()
{
    if (fd_ < 0)
        return error_ == 0;
    if (sys::fsync(fd_) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}
