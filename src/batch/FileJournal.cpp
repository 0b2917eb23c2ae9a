#include "batch/FileJournal.h"

#include "platform/SystemCalls.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
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

FileIdentity readIdentity(const QList<QByteArray>& f, int at)
{
    FileIdentity id;
    if (f.size() < at + 4 || f[at] == "-")
        return id;
    id.dev = f[at].toULongLong();
    id.ino = f[at + 1].toULongLong();
    id.size = f[at + 2].toLongLong();
    id.mtimeNs = f[at + 3].toLongLong();
    return id;
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
    return raw.isEmpty() ? QByteArray("-") : raw.toPercentEncoding("/ ()");
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
        n += r.state == JournalState::Done && !r.undone && !r.unrestored;
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
    for (const QString& name : dir.entryList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

void pruneJournals(int keep)
{
    const QStringList files = journalFiles();
    for (qsizetype i = 0; i + keep < files.size(); ++i)
        if (readJournal(files[i]).ended)
            QFile::remove(files[i]);
}

PassJournal readJournal(const QString& path)
{
    PassJournal j;
    j.path = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return j;
    const QByteArray all = f.readAll();
    // Only whole lines count: the last one may have been cut by a crash.
    const qsizetype end = all.lastIndexOf('\n');
    if (end < 0)
        return j;
    std::vector<int> at;  // record index -> position in j.records
    auto recordOf = [&](const QByteArray& field) -> JournalRecord* {
        bool ok = false;
        const int i = field.toInt(&ok);
        if (!ok || i < 0 || size_t(i) >= at.size() || at[size_t(i)] < 0)
            return nullptr;
        return &j.records[size_t(at[size_t(i)])];
    };
    for (const QByteArray& line : QByteArrayView(all).first(end).toByteArray().split('\n')) {
        const QList<QByteArray> f = line.split(kSep);
        const QByteArray tag = f.value(0);
        if (tag == "H" && f.size() >= 3) {
            j.pass = QString::fromUtf8(f[2]);
        } else if (tag == "R" && f.size() >= 9 && f[2].size() == 1) {
            JournalRecord r;
            r.index = f[1].toInt();
            r.kind = JournalKind(f[2][0]);
            r.source = decodeJournalPath(f[3]);
            r.requested = decodeJournalPath(f[4]);
            r.identity = readIdentity(f, 5);
            if (r.index < 0 || r.index > 100000000)
                continue;
            if (size_t(r.index) >= at.size())
                at.resize(size_t(r.index) + 1, -1);
            at[size_t(r.index)] = int(j.records.size());
            j.records.push_back(r);
        } else if (tag == "D" && f.size() >= 6) {
            if (JournalRecord* r = recordOf(f[1])) {
                r->state = JournalState::Done;
                r->used = decodeJournalPath(f[2]);
                r->usedIdentity = readIdentity({f[3], f[4], "0", "0"}, 0);
                r->trashInfo = decodeJournalPath(f[5]);
            }
        } else if (tag == "F" && f.size() >= 3) {
            if (JournalRecord* r = recordOf(f[1])) {
                r->state = JournalState::Failed;
                r->error = f[2].toInt();
            }
        } else if (tag == "S" && f.size() >= 2) {
            if (JournalRecord* r = recordOf(f[1]))
                r->state = JournalState::Skipped;
        } else if (tag == "C" && f.size() >= 2) {
            j.createdDirectories << decodeJournalPath(f[1]);
        } else if (tag == "E") {
            j.ended = true;
        } else if (tag == "U" && f.size() >= 3) {
            if (JournalRecord* r = recordOf(f[1])) {
                r->undone = true;
                r->restored = decodeJournalPath(f[2]);
            }
        } else if (tag == "X" && f.size() >= 4) {
            if (JournalRecord* r = recordOf(f[1])) {
                r->unrestored = true;
                r->error = f[2].toInt();
            }
        } else if (tag == "Z") {
            j.undone = true;
        }
    }
    return j;
}

// ---------------------------------------------------------------------------------------------

JournalWriter JournalWriter::append(const QString& path)
{
    JournalWriter w(QString{});
    w.path_ = path;
    w.fd_ = sys::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (w.fd_ < 0)
        w.error_ = errno;
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
    if (!open())
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
