#pragma once
// The journal of the batch passes' file operations, one text file per pass under
// $XDG_DATA_HOME/velmoran/journal/, so that a pass can be undone, also after a crash or a power cut
// in its middle.
//
// Each line is one tab-separated record; paths are percent-encoded bytes, so that any file name
// (tabs and line breaks included) reads back unchanged:
//   H  1  pass                                       header
//   R  i  kind  source  requested  dev ino size mtime  operation i, flushed to disk before it starts
//   D  i  used  dev ino  trashInfo                   operation i done: where the file is now
//   F  i  errno                                      operation i failed (nothing changed)
//   S  i                                             operation i was never started
//   C  dir                                           the pass created this folder
//   E                                                the pass ended: every operation is settled
//   U  i  restored                                   the undo put the file of i back here
//   X  i  errno  path                                the undo could not put the file of i back
//   Z                                                the pass is undone
// A line cut short by a crash or a full disk is ended with "!" (a byte no field holds) before
// anything is appended, so that it never reads as a record nor swallows the next one. Every field
// is checked; a line that is not a whole record of this journal is counted, never acted on, and
// the undo says so. Empty lines are nothing.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Which file a path named when it was recorded: enough to find it again after a crash without
// mistaking another file for it.
struct FileIdentity {
    uint64_t dev = 0;
    uint64_t ino = 0;
    int64_t size = -1;
    int64_t mtimeNs = 0;
    bool known() const { return size >= 0; }
    // The same file (same inode); a copy across file systems has the same size and time.
    bool sameFile(const FileIdentity& o) const { return known() && o.known() && dev == o.dev && ino == o.ino; }
    bool sameCopy(const FileIdentity& o) const
    {
        return known() && o.known() && size == o.size && mtimeNs == o.mtimeNs && !sameFile(o);
    }
};
// The identity of the file at path (not following a final symbolic link); unknown when there is none.
FileIdentity identityOf(const QString& path);

enum class JournalKind : char { Trash = 'T', Move = 'M', Rename = 'N' };
enum class JournalState { Pending, Done, Failed, Skipped };

struct JournalRecord {
    int index = 0;
    JournalKind kind = JournalKind::Move;
    QString source;
    QString requested;
    FileIdentity identity;  // of the source when recorded
    JournalState state = JournalState::Pending;
    QString used;
    FileIdentity usedIdentity;
    QString trashInfo;
    int error = 0;
    bool undone = false;      // a U line
    bool unrestored = false;  // an X line
    QString restored;
};

struct PassJournal {
    QString path;
    QString pass;
    std::vector<JournalRecord> records;  // in the order they were recorded
    QStringList createdDirectories;
    bool ended = false;
    bool undone = false;
    // Lines that are not a record (cut, damaged, or naming an operation the journal does not
    // hold), and the number of the first one (counting from 1).
    int unreadable = 0;
    qint64 firstUnreadable = 0;
    // errno when the journal could not be read at all (EFBIG past kMaxJournalBytes, EINVAL for
    // something that is not a plain file); it then holds nothing.
    int readError = 0;
    // How many operations may have changed a file and are not undone (or given up) yet: those
    // marked done, and in an ended journal those whose outcome line was lost.
    int toUndo() const;
};

// The folder of the journals; made on demand.
QString journalDirectory();
// The journals in that folder, oldest first: plain files only (a link to a device or a pipe named
// like a journal is none of ours).
QStringList journalFiles();
// The largest journal read: a pass over 100,000 files with long names writes about 50 MB.
constexpr qint64 kMaxJournalBytes = qint64(256) << 20;
// Reads a journal, line by line: memory follows the records it holds, not the file's size or what
// its numbers say.
PassJournal readJournal(const QString& path);
PassJournal parseJournal(const QByteArray& bytes);
// Whether the journal's pass is ended, read from its last line when that says so (start-up stays
// quick however many journals there are), from the whole journal otherwise.
bool journalEnded(const QString& path);
// Why a journal could not be read, in French.
QString journalErrorText(int err);
// How many journals are kept: older ones go when a new pass starts, so that the folder does not
// grow with every pass for ever (a 10,000-file sort writes about 2 MB).
constexpr int kKeptJournals = 50;
// Removes the journals older than the newest keep, except those a crash left open: start-up
// recovery settles those first.
void pruneJournals(int keep = kKeptJournals);

// Appends lines to one journal. The file is made with its header on the first line written.
class JournalWriter {
public:
    explicit JournalWriter(const QString& pass) : pass_(pass) {}
    // Appends to an existing journal (a plain file); a last line cut short is ended first.
    static JournalWriter append(const QString& path);
    ~JournalWriter();
    JournalWriter(JournalWriter&& o) noexcept;
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Each call writes its lines at once (a process that is killed keeps them); sync() puts
    // everything written so far on the disk. False, with error(), when the journal cannot be written.
    bool record(const JournalRecord& r);
    bool done(int index, const QString& used, const FileIdentity& usedIdentity, const QString& trashInfo);
    bool failed(int index, int err);
    bool skipped(int index);
    bool created(const QString& dir);
    bool ended();
    bool restoredTo(int index, const QString& path);
    bool notRestored(int index, int err, const QString& path);
    bool undone();
    bool sync();

    bool opened() const { return fd_ >= 0; }
    const QString& path() const { return path_; }
    int error() const { return error_; }

private:
    bool line(const QByteArray& text);
    bool open();

    QString pass_;
    QString path_;
    int fd_ = -1;
    int error_ = 0;
};

// Percent-encoded bytes of a path, and back.
QByteArray encodeJournalPath(const QString& path);
QString decodeJournalPath(const QByteArray& field);
