// Moves, renames and the trash on real files: nothing overwritten, nothing lost, every result true.
#include "platform/ShellFileOp.h"

#include "FileOpsSupport.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

// A distinct, non-trivial content per name, several copy chunks long when asked.
QByteArray contentOf(const QString& name, int size = 3000)
{
    QByteArray b;
    b.reserve(size);
    const QByteArray seed = name.toUtf8();
    for (int i = 0; i < size; ++i)
        b.append(char(seed[i % seed.size()] ^ (i * 131 >> 3)));
    return b;
}

// The ways a move can go: one file system, the copy path forced, and a second file system when
// /dev/shm is one.
struct MoveMode {
    const char* what;
    bool forceCopy;
    bool otherFileSystem;
};

std::vector<MoveMode> moveModes(const QString& tmp)
{
    std::vector<MoveMode> modes = {{"rename", false, false}, {"forced copy", true, false}};
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable() && !sameFileSystem(tmp, QStringLiteral("/dev/shm")))
        modes.push_back({"second file system", false, true});
    return modes;
}

class FileOps : public ::testing::Test {
protected:
    QString path(const QString& rel) const { return tmp_.filePath(rel); }
    QTemporaryDir tmp_;
};

TEST(FileOpNames, NumberedNamesKeepTheLastExtension)
{
    struct Case { const char* name; int n; const char* expected; };
    const Case cases[] = {
        {"a.bmp", 2, "a (2).bmp"},
        {"x.1.bmp", 3, "x.1 (3).bmp"},
        {"Image", 2, "Image (2)"},
        {".cache", 2, ".cache (2)"},
        {"a.", 2, "a. (2)"},
        {"Luna été.JPG", 10, "Luna été (10).JPG"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberedName(QString::fromUtf8(c.name), c.n), QString::fromUtf8(c.expected)) << c.name;
}

TEST_F(FileOps, MovingIntoAFolderThatHoldsTheNameKeepsEveryFile)
{
    for (const MoveMode& mode : moveModes(tmp_.path())) {
        SCOPED_TRACE(mode.what);
        QTemporaryDir shm(QStringLiteral("/dev/shm/velmoran-test-XXXXXX"));
        const QString base = mode.otherFileSystem ? shm.path() : path(mode.what);
        const QString from = base + "/from/", into = path(QString(mode.what) + "-into/");
        ASSERT_TRUE(QDir().mkpath(from) && QDir().mkpath(into));
        ASSERT_TRUE(writeAll(from + "a.bmp", contentOf("moved a", 3 << 20)));  // several copy chunks
        ASSERT_TRUE(writeAll(from + "b.bmp", contentOf("moved b")));
        ASSERT_TRUE(writeAll(into + "a.bmp", contentOf("resident a")));
        ASSERT_EQ(::chmod(QFile::encodeName(from + "b.bmp").constData(), 0640), 0);

        SystemFileOp ops;
        ops.forceCopy = mode.forceCopy;
        const FileOpResult a = ops.ShellMoveFile(from + "a.bmp", into + "a.bmp");
        const FileOpResult b = ops.ShellMoveFile(from + "b.bmp", into + "b.bmp");

        EXPECT_TRUE(a.ok && b.ok) << a.error << " " << b.error;
        EXPECT_EQ(a.source, from + "a.bmp");
        EXPECT_EQ(a.requested, into + "a.bmp");
        EXPECT_EQ(a.used, into + "a (2).bmp");
        EXPECT_TRUE(a.renamed());
        EXPECT_EQ(b.used, into + "b.bmp");
        EXPECT_FALSE(b.renamed());
        EXPECT_EQ(allEntries(into), (QStringList{"a (2).bmp", "a.bmp", "b.bmp"}));
        EXPECT_EQ(allEntries(from), QStringList{});
        EXPECT_EQ(readAll(into + "a.bmp"), contentOf("resident a"));
        EXPECT_EQ(readAll(into + "a (2).bmp"), contentOf("moved a", 3 << 20));
        EXPECT_EQ(readAll(into + "b.bmp"), contentOf("moved b"));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(into + "b.bmp").constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
}

TEST_F(FileOps, RenamesNeverReplaceAndReportTheNameUsed)
{
    struct Case {
        const char* what;
        QStringList present;  // files before, each holding its own name's bytes
        const char* from;
        const char* to;
        const char* used;     // empty: the rename fails
        int error;
    };
    const QString longName = QString(300, 'n') + ".bmp";
    const Case cases[] = {
        {"free name", {"x.bmp"}, "x.bmp", "y.bmp", "y.bmp", 0},
        {"taken name", {"x.bmp", "y.bmp"}, "x.bmp", "y.bmp", "y (2).bmp", 0},
        {"taken twice", {"x.bmp", "y.bmp", "y (2).bmp"}, "x.bmp", "y.bmp", "y (3).bmp", 0},
        {"onto itself", {"x.bmp"}, "x.bmp", "x.bmp", "x.bmp", 0},
        {"missing source", {"y.bmp"}, "x.bmp", "y.bmp", "", ENOENT},
        {"missing folder", {"x.bmp"}, "x.bmp", "nulle/part/y.bmp", "", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        for (const QString& name : c.present)
            ASSERT_TRUE(writeAll(dir.filePath(name), name.toUtf8()));
        const FileOpResult r = SystemFileOp().ShellRenameFile(dir.filePath(c.from), dir.filePath(c.to));
        EXPECT_EQ(r.ok, c.error == 0);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.used, *c.used ? dir.filePath(c.used) : QString());
        // Every file that was there still holds its bytes, under its old name or the one used.
        for (const QString& name : c.present) {
            const QString now = r.ok && name == c.from ? r.used : dir.filePath(name);
            EXPECT_EQ(readAll(now), name.toUtf8()) << name.toStdString();
        }
        EXPECT_EQ(allEntries(dir.path()).size(), c.present.size());
    }

    // A name or a path beyond the system's limits fails cleanly; one beyond 511 characters works.
    QString deep = path("deep");
    while (deep.size() < 700)
        deep += "/dossier-assez-long";
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(writeAll(path("x.bmp"), "x"));
    const FileOpResult longPath = SystemFileOp().ShellMoveFile(path("x.bmp"), deep + "/x.bmp");
    EXPECT_TRUE(longPath.ok) << longPath.error;
    EXPECT_EQ(readAll(deep + "/x.bmp"), "x");
    const FileOpResult tooLongName = SystemFileOp().ShellRenameFile(deep + "/x.bmp", deep + "/" + longName);
    EXPECT_EQ(tooLongName.error, ENAMETOOLONG);
    const FileOpResult tooLongPath = SystemFileOp().ShellMoveFile(deep + "/x.bmp", QString(5000, 'p') + "/x.bmp");
    EXPECT_EQ(tooLongPath.error, ENAMETOOLONG);
    EXPECT_EQ(readAll(deep + "/x.bmp"), "x");
}

TEST_F(FileOps, SwappingNamesOfAListKeepsEveryFile)
{
    // Image0002.bmp then Image0001.bmp renamed in list order to Image0001.bmp and Image0002.bmp.
    ASSERT_TRUE(writeAll(path("Image0002.bmp"), "first entry"));
    ASSERT_TRUE(writeAll(path("Image0001.bmp"), "second entry"));
    SystemFileOp ops;
    const FileOpResult first = ops.ShellRenameFile(path("Image0002.bmp"), path("Image0001.bmp"));
    const FileOpResult second = ops.ShellRenameFile(path("Image0001.bmp"), path("Image0002.bmp"));
    ASSERT_TRUE(first.ok && second.ok);
    EXPECT_EQ(readAll(first.used), "first entry");
    EXPECT_EQ(readAll(second.used), "second entry");
    EXPECT_EQ(allEntries(tmp_.path()).size(), 2);
}

TEST_F(FileOps, AFailureAnywhereInTheCopyPathLeavesTheSourceAndNoTemporary)
{
    struct Case { const char* what; Fault fault; };
    const Case cases[] = {
        {"temporary not created", {SystemCall::Open, 2, EACCES}},
        {"read fails", {SystemCall::Read, 2, EIO}},
        {"disk full in the second chunk", {SystemCall::Write, 2, ENOSPC}},
        {"short write then full", {SystemCall::Write, 3, ENOSPC}},
        {"sync fails", {SystemCall::Fsync, 1, EIO}},
        {"close fails", {SystemCall::Close, 1, EIO}},
        {"placing refused", {SystemCall::Rename, 1, EPERM}},
        {"folder sync fails", {SystemCall::DirSync, 1, EIO}},
        {"source cannot be removed", {SystemCall::Unlink, 1, EACCES}},
    };
    const QByteArray bytes = contentOf("source", (2 << 20) + 77);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString from = dir.filePath("src/"), into = dir.filePath("into/");
        ASSERT_TRUE(QDir().mkpath(from) && QDir().mkpath(into));
        ASSERT_TRUE(writeAll(from + "a.bmp", bytes));
        ASSERT_TRUE(writeAll(into + "a.bmp", "resident"));
        SystemFileOp ops;
        ops.forceCopy = true;
        FileOpResult r;
        {
            std::vector<Fault> faults = {c.fault};
            if (c.fault.call == SystemCall::Write && c.fault.nth == 3)
                faults.push_back({SystemCall::Write, 1, kShortWrite});
            ScopedFaults injected(faults);
            r = ops.ShellMoveFile(from + "a.bmp", into + "a.bmp");
            EXPECT_TRUE(injected.fired());
        }
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.fault.err);
        EXPECT_TRUE(r.used.isEmpty());
        EXPECT_EQ(readAll(from + "a.bmp"), bytes);
        EXPECT_EQ(allEntries(from), QStringList{"a.bmp"});
        EXPECT_EQ(allEntries(into), QStringList{"a.bmp"});
        EXPECT_EQ(readAll(into + "a.bmp"), "resident");
    }
}

TEST_F(FileOps, WithoutNoReplaceRenameALinkStillNeverReplaces)
{
    // A file system that refuses renameat2's flag: the move falls back to link and unlink.
    ASSERT_TRUE(writeAll(path("a.bmp"), "moved"));
    ASSERT_TRUE(writeAll(path("b.bmp"), "resident"));
    FileOpResult r;
    {
        ScopedFaults noFlag({{SystemCall::Rename, 1, EINVAL}, {SystemCall::Rename, 2, EINVAL}});
        r = SystemFileOp().ShellRenameFile(path("a.bmp"), path("b.bmp"));
        EXPECT_TRUE(noFlag.fired());
    }
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.used, path("b (2).bmp"));
    EXPECT_EQ(readAll(path("b.bmp")), "resident");
    EXPECT_EQ(readAll(path("b (2).bmp")), "moved");
    EXPECT_EQ(allEntries(tmp_.path()), (QStringList{"b (2).bmp", "b.bmp"}));
}

TEST_F(FileOps, TrashedFilesAreSeenWithTheirPlaceByTrashList)
{
    // The data folder does not exist yet: the trash is still made there, not in the current folder.
    const QString data = path("data");
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    const QStringList files = {path("a.bmp"), path(QString::fromUtf8("été 1/b c.bmp")), path("c.bmp")};
    for (const QString& f : files) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(f).absolutePath()));
        ASSERT_TRUE(writeAll(f, f.toUtf8()));
    }
    SystemFileOp ops;
    std::vector<FileOpResult> results;
    for (const QString& f : files)
        results.push_back(ops.SendToRecycleBin(f));
    // The same name twice gets two records.
    ASSERT_TRUE(writeAll(path("a.bmp"), "second a"));
    results.push_back(ops.SendToRecycleBin(path("a.bmp")));
    const FileOpResult missing = ops.SendToRecycleBin(path("absent.bmp"));
    qputenv("XDG_DATA_HOME", savedData);

    for (size_t i = 0; i < results.size(); ++i) {
        const FileOpResult& r = results[i];
        ASSERT_TRUE(r.ok) << r.source.toStdString() << " " << r.error;
        EXPECT_FALSE(QFileInfo::exists(r.source));
        EXPECT_TRUE(r.used.startsWith(data + "/Trash/files/")) << r.used.toStdString();
        EXPECT_TRUE(r.trashInfo.startsWith(data + "/Trash/info/")) << r.trashInfo.toStdString();
        EXPECT_EQ(readAll(r.used), i < size_t(files.size()) ? files[int(i)].toUtf8() : QByteArray("second a"));
    }
    EXPECT_NE(results[0].used, results[3].used);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("files")) || QFileInfo::exists(QStringLiteral("info")));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, ENOENT);

    const QString trashList = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
    ASSERT_FALSE(trashList.isEmpty()) << "trash-list (Debian package trash-cli) is not installed";
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    p.setProcessEnvironment(env);
    p.start(trashList, {});
    ASSERT_TRUE(p.waitForFinished(30000));
    // Each line is "date time original-path".
    QStringList listed;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        listed << line.section(' ', 2);
    listed.sort();
    QStringList expected = files;
    expected << path("a.bmp");
    expected.sort();
    EXPECT_EQ(listed, expected);
}

TEST_F(FileOps, AFileTheUserMayNotMoveStaysWhereItIs)
{
    // A folder of someone else's: neither the trash nor a move may take the file out of it.
    const QString locked = path("locked"), open = path("open"), data = path("open/data");
    ASSERT_TRUE(QDir().mkpath(locked) && QDir().mkpath(data));
    for (const QString& d : {tmp_.path(), locked})
        ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0755), 0);
    for (const QString& d : {open, data})
        ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0777), 0);
    ASSERT_TRUE(writeAll(locked + "/a.bmp", "kept"));
    ASSERT_EQ(::chmod(QFile::encodeName(locked + "/a.bmp").constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0);  // owner too, when not root

    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    const int outcome = runUnprivileged([&] {
        SystemFileOp ops;
        const FileOpResult trashed = ops.SendToRecycleBin(locked + "/a.bmp");
        if (trashed.ok || trashed.error != EACCES)
            return 1;
        const FileOpResult moved = ops.ShellMoveFile(locked + "/a.bmp", open + "/a.bmp");
        if (moved.ok || moved.error != EACCES)
            return 2;
        ops.forceCopy = true;
        const FileOpResult copied = ops.ShellMoveFile(locked + "/a.bmp", open + "/a.bmp");
        return copied.ok || copied.error != EACCES ? 3 : 0;
    });
    qputenv("XDG_DATA_HOME", savedData);
    ::chmod(QFile::encodeName(locked).constData(), 0755);
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(readAll(locked + "/a.bmp"), "kept");
    EXPECT_EQ(allEntries(open), QStringList{"data"});  // no copy, no temporary
    EXPECT_EQ(allEntries(data + "/Trash/info"), QStringList{});  // no record of a file not trashed
}

}  // namespace
