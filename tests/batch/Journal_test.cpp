// The journal reader: every field checked, a line that is not a record counted and never acted on,
// only plain files read, and memory that follows the records, not the file's size nor its numbers.
#include "BatchFixture.h"
#include "batch/FileJournal.h"
#include "batch/JournalRecovery.h"
#include "batch/UndoPass.h"

#include <QFile>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How much the process's peak memory grew while f ran, in MiB; -1 where the kernel cannot reset
// the peak.
long peakGrowthMiB(const std::function<void()>& f)
{
    auto status = [](const char* key) -> long {
        QFile s(QStringLiteral("/proc/self/status"));
        if (!s.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : s.readAll().split('\n'))
            if (line.startsWith(key))
                return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toLong();
        return -1;
    };
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const long before = status("VmRSS:");
    f();
    const long peak = status("VmHWM:");
    return before < 0 || peak < 0 ? -1 : (peak - before) / 1024;
}

const QByteArray kJournal = "H\t1\tTriZones\n"
                            "R\t0\tM\t/a/x.bmp\t/a/Zone1/x%09.bmp\t1\t2\t3\t4\n"
                            "R\t1\tT\t/a/y.bmp\t-\t-\t-\t-\t-\n"
                            "D\t0\t/a/Zone1/x%09.bmp\t1\t2\t-\n";

TEST(JournalReader, EveryFieldIsCheckedAndALineThatIsNotARecordIsCounted)
{
    struct Case {
        const char* what;
        QByteArray line;  // put as the fifth line, before the end line
        int unreadable;
        int first = 5;
    };
    const Case cases[] = {
        {"nothing", "", 0},
        {"an empty line", "\n", 0},
        {"a record", "S\t1\n", 0},
        {"a kind of operation it does not know", "R\t2\tQ\t/a/z\t/b/z\t-\t-\t-\t-\n", 1},
        {"an index given twice", "R\t0\tM\t/a/w\t/b/w\t-\t-\t-\t-\n", 1},
        {"a negative index", "R\t-1\tM\t/a/w\t/b/w\t-\t-\t-\t-\n", 1},
        {"an index past the integers", "R\t99999999999\tM\t/a/w\t/b/w\t-\t-\t-\t-\n", 1},
        {"a field short", "R\t3\tM\t/a/w\t/b/w\t1\t2\t3\n", 1},
        {"a field more", "R\t3\tM\t/a/w\t/b/w\t1\t2\t3\t4\t5\n", 1},
        {"a number that is not one", "R\t3\tM\t/a/w\t/b/w\tx\t2\t3\t4\n", 1},
        {"a size below zero", "R\t3\tM\t/a/w\t/b/w\t1\t2\t-3\t4\n", 1},
        {"a byte a path is never written with", "R\t3\tM\t/a/w\"\t/b/w\t-\t-\t-\t-\n", 1},
        {"a broken escape", "R\t3\tM\t/a/%zz\t/b/w\t-\t-\t-\t-\n", 1},
        {"a line ended after a cut", "R\t3\tM\t/a/w\t/b/w\t1\t2\t3\t4!\n", 1},
        {"a second outcome", "D\t0\t/a/Zone1/x.bmp\t1\t2\t-\n", 1},
        {"an outcome of an operation it does not hold", "D\t7\t/a/q\t1\t2\t-\n", 1},
        {"put back although not done", "U\t1\t/a/y.bmp\n", 1},
        {"an outcome after the undo looked in vain", "X\t1\t2\t/a/y.bmp\nS\t1\n", 1, 6},
        {"a space after the number", "S\t1 \n", 1},
        {"a second header", "H\t1\tTriZones\n", 1},
        {"an end line with a field", "E\tx\n", 1},
        {"a carriage return", "\r\n", 1},
        {"bytes of nothing", QByteArray(40, '\0') + "\n", 1},
        {"a line of 100 KB", "C\t/" + QByteArray(100000, 'a') + "\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PassJournal j = parseJournal(kJournal + c.line + "E\n");
        EXPECT_EQ(j.readError, 0);
        EXPECT_EQ(j.pass, "TriZones");
        EXPECT_TRUE(j.ended);
        EXPECT_EQ(j.unreadable, c.unreadable);
        EXPECT_EQ(j.firstUnreadable, c.unreadable ? c.first : 0);
        ASSERT_EQ(j.records.size(), 2u);
        EXPECT_EQ(j.records[0].state, JournalState::Done);
        EXPECT_EQ(j.records[0].source, "/a/x.bmp");
        EXPECT_EQ(j.records[0].used, "/a/Zone1/x\t.bmp");
        EXPECT_EQ(j.records[0].identity.mtimeNs, 4);
        EXPECT_EQ(j.records[1].kind, JournalKind::Trash);
        EXPECT_EQ(j.records[1].state, c.line.startsWith("S\t1\n") ? JournalState::Skipped : JournalState::Pending);
    }
    // A last line without its end is cut: counted, and the pass is not ended by it.
    const PassJournal cut = parseJournal(kJournal + "E");
    EXPECT_FALSE(cut.ended);
    EXPECT_EQ(cut.unreadable, 1);
    EXPECT_EQ(cut.firstUnreadable, 5);
}

class JournalFiles : public BatchTest {
protected:
    void SetUp() override
    {
        BatchTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(journalDirectory()));
    }
    QString journal(const char* name) const { return journalDirectory() + "/" + name + ".journal"; }
};

// Start-up settles every journal in its folder: something named like one that is a device, a pipe
// or a huge file must neither hang it nor fill the memory, nor stop the undo without a word.
TEST_F(JournalFiles, OnlyPlainFilesAreReadAndMemoryFollowsTheRecords)
{
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(journal("20260101-000000-000-001-TriZones")).constData()), 0);
    ASSERT_EQ(::symlink("/dev/urandom", QFile::encodeName(journal("20260101-000000-000-002-TriZones")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(journal("20260101-000000-000-003-TriZones")).constData(), 0600), 0);
    EXPECT_TRUE(journalFiles().isEmpty());
    EXPECT_EQ(recoverJournals(), 0);
    sp.answerConfirm(true);
    EXPECT_EQ(undoLastPass(review, ops, sp), 0);
    EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Aucun Traitement à Annuler")});

    // An index of a hundred million in a journal of a hundred bytes, and 20 MB of empty lines:
    // nothing in memory is sized by them.
    const QString bigIndex = journal("20260101-000000-000-004-TriZones");
    ASSERT_TRUE(writeAll(bigIndex, "H\t1\tTriZones\nR\t100000000\tM\t/nowhere/x\t/nowhere/Zone1/x\t1\t2\t3\t4\n"));
    const QString emptyLines = journal("20260101-000000-000-005-TriZones");
    ASSERT_TRUE(writeAll(emptyLines, "H\t1\tTriZones\n" + QByteArray(20 << 20, '\n')));
    PassJournal big, empty;
    const long grown = peakGrowthMiB([&] {
        big = readJournal(bigIndex);
        empty = readJournal(emptyLines);
        EXPECT_EQ(recoverJournals(), 2);
    });
    ASSERT_EQ(big.records.size(), 1u);
    EXPECT_EQ(big.records[0].index, 100000000);
    EXPECT_TRUE(empty.records.empty());
    EXPECT_EQ(empty.unreadable, 0);
    if (grown >= 0) {  // the kernel may not let the peak be reset
        EXPECT_LT(grown, 32);
    }

    // Past the size limit: not read, and the undo says why instead of passing over it.
    const QString huge = journal("20260101-000000-000-006-TriZones");
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(kMaxJournalBytes + 1));
    f.close();
    EXPECT_EQ(readJournal(huge).readError, EFBIG);
    EXPECT_EQ(recoverJournals(), 0);
    sp.clear();
    EXPECT_EQ(undoLastPass(review, ops, sp), 0);
    EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Impossible de lire le journal d'annulation \"%1\" : "
                                                           "Journal trop grand (plus de 256 Mo)").arg(huge)});
}

}  // namespace
