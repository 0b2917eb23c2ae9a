#pragma once
// The batch passes on real files: a review without windows, scripted prompts, a folder of files
// that each hold bytes of their own, and file operations that can fail one chosen call or press a
// stop key after a chosen operation.
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "controller/KeyMap.h"
#include "controller/ReviewController.h"
#include "list/ListModel.h"
#include "platform/ShellFileOp.h"
#include "settings/Options.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// The bytes a test file of that name holds: distinct per name, so a file that moved can be told.
inline QByteArray bytesOf(const QString& name) { return "BM frame " + name.toUtf8() + QByteArray(200, char(name.size())); }

// The system's operations with two test hooks: chosen calls fail with an errno before they
// touch anything, and a function runs after each operation (to press a key mid-pass).
class HookedOps : public ShellFileOp {
public:
    SystemFileOp system;
    int failCall = 0;  // the nth operation (counting from 1) fails; 0: none
    int failErr = EACCES;
    std::function<int(int)> failWith;  // the errno the nth operation fails with; 0: it runs
    std::function<void(int)> after;  // called with the number of the operation just made
    int calls = 0;

    FileOpResult SendToRecycleBin(const QString& path) override
    {
        return run(path, {}, [&] { return system.SendToRecycleBin(path); });
    }
    FileOpResult ShellMoveFile(const QString& s, const QString& t) override
    {
        return run(s, t, [&] { return system.ShellMoveFile(s, t); });
    }
    FileOpResult ShellRenameFile(const QString& s, const QString& t) override
    {
        return run(s, t, [&] { return system.ShellRenameFile(s, t); });
    }

private:
    FileOpResult run(const QString& s, const QString& t, const std::function<FileOpResult()>& op)
    {
        FileOpResult r;
        ++calls;
        const int err = calls == failCall ? failErr : failWith ? failWith(calls) : 0;
        if (err != 0) {
            r.source = s;
            r.requested = t;
            r.error = err;
        } else {
            r = op();
        }
        if (after)
            after(calls);
        return r;
    }
};

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A trash of this test's own, so that what a test finds in it is what it put there.
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        resetLiveOptions();
        setDefaults(programOptions());
        setPrompts(&sp);
    }
    void TearDown() override
    {
        review.Timer()->stop();
        setPrompts(nullptr);
        qputenv("XDG_DATA_HOME", savedData);
    }

    QString path(const QString& rel) const { return dir.filePath(rel); }
    // Makes the file (and its folder) holding bytesOf(its name).
    QString make(const QString& rel)
    {
        const QString p = path(rel);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(p).absolutePath()));
        EXPECT_TRUE(writeAll(p, bytesOf(QFileInfo(p).fileName())));
        return p;
    }
    struct Entry {
        QString path;
        QString quality = QStringLiteral("1");
        QString zone = QStringLiteral(" ");
    };
    // Replaces the list by these entries (the files are not made here).
    void list(const std::vector<Entry>& entries)
    {
        review.document().clear();
        QStringList paths;
        for (const Entry& e : entries)
            paths << e.path;
        review.document().appendFiles(paths);
        for (size_t i = 0; i < entries.size(); ++i) {
            review.model().setCell(ListModel::ColQuality, int(i) + 1, entries[i].quality);
            review.model().setCell(ListModel::ColZone, int(i) + 1, entries[i].zone);
        }
        review.Recount();
    }
    QString entryPath(int row) const { return review.EntryPath(row); }
    QStringList entryPaths() const
    {
        QStringList out;
        for (int row = 1; row <= review.document().entryCount(); ++row)
            out << review.EntryPath(row);
        return out;
    }
    // Space pressed while the pass runs, after its nth file operation: the key arrives among the
    // events the pass lets through next.
    void spaceAfter(HookedOps& ops, int nth)
    {
        ops.after = [this, nth](int call) {
            if (call != nth)
                return;
            QTimer::singleShot(0, &review, [this] { review.HandleKey(KeyPress{vk::Space}); });
            QThread::msleep(20);  // events are let through at most every 15 ms
        };
    }

    QTemporaryDir dir;
    QTemporaryDir data;
    QByteArray savedData;
    ScriptedPrompts sp;
    ReviewController review;
    HookedOps ops;
};

// The home trash of this test run (XDG_DATA_HOME is a temporary folder).
inline QString trashDir() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash"; }

// The original paths trash-list (trash-cli, an independent client of the trash) reports.
inline QStringList trashListed()
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
    if (exe.isEmpty())
        return {QStringLiteral("<trash-list is not installed (Debian package trash-cli)>")};
    QProcess p;
    p.start(exe, {});
    if (!p.waitForFinished(30000))
        return {QStringLiteral("<trash-list did not finish>")};
    QStringList out;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        out << line.section(' ', 2);  // "date time path"
    out.sort();
    return out;
}
