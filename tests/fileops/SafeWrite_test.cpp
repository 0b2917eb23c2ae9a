// Every writer of the program (list files, the settings file, JPEG output) made to fail at each step
// of a save: the old file stays byte-identical, no temporary file is left, the failure is reported.
#include "list/ListFile.h"
#include "platform/JpegCodec.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "platform/SafeWrite.h"
#include "settings/OptionsFile.h"

#include "FileOpsSupport.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace {

std::vector<ListEntry> entries(const QString& name, int count)
{
    std::vector<ListEntry> list;
    for (int i = 0; i < count; ++i)
        list.push_back({" ", ListModel::formatNumber(i), "/img/", name + QString::number(i) + ".bmp", "1", " ", " "});
    return list;
}

QImage filled(QColor colour)
{
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// One writer of the program: how it writes the old file, and a save of other bytes that gives
// nothing on success or the failure it reported (an empty text where it shows none).
struct Writer {
    const char* what;
    QString file;
    std::function<void()> writeOld;
    std::function<std::optional<QString>()> saveNew;
    std::function<bool()> newIsInPlace;
};

class SafeWrites : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("cfg")));
        resetLiveOptions();
    }
    void TearDown() override
    {
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        resetLiveOptions();
    }

    std::vector<Writer> writers() const
    {
        const QString list = dir_.filePath("nuit.lst"), jpeg = dir_.filePath("lune.jpg");
        auto listSave = [list]() -> std::optional<QString> {
            try {
                writeListFile(list, entries("nouveau", 3000));  // several writes' worth
            } catch (const ProgramError& e) {
                return e.text();
            }
            return std::nullopt;
        };
        auto settingsOld = [] {
            setDefaults(programOptions());  // a valid header
            programOptions().BatchName = "Ancien";
            ASSERT_TRUE(SaveDesktop(nullptr));
        };
        auto settingsSave = []() -> std::optional<QString> {
            programOptions().BatchName = "Nouveau";
            return saveProgramOptions(programOptions()) ? std::nullopt : std::optional<QString>(QString());
        };
        auto settingsNew = [] {
            resetLiveOptions();
            loadAllOptions();
            return programOptions().BatchName == "Nouveau";
        };
        return {
            {"list file", list, [list] { writeListFile(list, entries("ancien", 10)); }, listSave,
             [list] { return readListFile(list) == entries("nouveau", 3000); }},
            {"settings file", optionsFilePath(), settingsOld, settingsSave, settingsNew},
            // A settings file longer than its blocks: the tail is copied through in further writes.
            {"settings file with a tail", optionsFilePath(),
             [settingsOld] {
                 settingsOld();
                 ASSERT_TRUE(writeAll(optionsFilePath(), readAll(optionsFilePath()) + QByteArray(200000, 'T')));
             },
             settingsSave, settingsNew},
            {"JPEG", jpeg, [jpeg] { ASSERT_TRUE(encodeJpeg(filled(Qt::blue), 90, jpeg).ok); },
             [jpeg]() -> std::optional<QString> {
                 const JpegEncodeResult r = encodeJpeg(filled(Qt::red), 90, jpeg);
                 return r.ok ? std::nullopt : std::optional<QString>(r.errorText);
             },
             [jpeg] { return loadPicture(jpeg).image.pixelColor(5, 5).red() > 200; }},
        };
    }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
};

TEST_F(SafeWrites, AFailureAtAnyStepLeavesTheOldFileAndNoTemporary)
{
    struct Case {
        const char* what;
        std::vector<Fault> faults;
        int err;
    };
    const Case cases[] = {
        {"temporary refused", {{SystemCall::Open, 1, EACCES}}, EACCES},
        {"disk full", {{SystemCall::Write, 1, ENOSPC}}, ENOSPC},
        {"short write, then full", {{SystemCall::Write, 1, kShortWrite}, {SystemCall::Write, 2, ENOSPC}}, ENOSPC},
        {"sync fails", {{SystemCall::Fsync, 1, EIO}}, EIO},
        {"close fails", {{SystemCall::Close, 1, EDQUOT}}, EDQUOT},
        {"rename refused", {{SystemCall::Rename, 1, EPERM}}, EPERM},
        {"rename busy", {{SystemCall::Rename, 1, EBUSY}}, EBUSY},
    };
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.what);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            w.writeOld();
            const QByteArray old = readAll(w.file);
            ASSERT_FALSE(old.isEmpty());
            const QString dir = QFileInfo(w.file).absolutePath();
            const QStringList before = allEntries(dir);
            std::optional<QString> failure;
            {
                ScopedFaults injected(c.faults);
                failure = w.saveNew();
                EXPECT_TRUE(injected.fired());
            }
            ASSERT_TRUE(failure.has_value());
            if (!QString(w.what).startsWith("settings")) {  // settings failures are not shown
                EXPECT_EQ(*failure, fileErrorText(c.err));
            }
            EXPECT_TRUE(readAll(w.file) == old);
            EXPECT_EQ(allEntries(dir), before);
        }
        // Short writes alone are carried on to the end.
        w.writeOld();
        {
            ScopedFaults shortOnes({{SystemCall::Write, 1, kShortWrite}, {SystemCall::Write, 2, kShortWrite}});
            EXPECT_EQ(w.saveNew(), std::nullopt);
            EXPECT_TRUE(shortOnes.fired());
        }
        EXPECT_TRUE(w.newIsInPlace());
    }
}

TEST_F(SafeWrites, AFailedFolderSyncIsReportedWithTheNewFileInPlace)
{
    const QString path = dir_.filePath("nuit.lst");
    writeListFile(path, entries("ancien", 2));
    QString text;
    {
        ScopedFaults injected({{SystemCall::DirSync, 1, EIO}});
        try {
            writeListFile(path, entries("nouveau", 2));
        } catch (const ProgramError& e) {
            text = e.text();
        }
        EXPECT_TRUE(injected.fired());
    }
    EXPECT_EQ(text, "Erreur E/S 5");
    EXPECT_EQ(readListFile(path), entries("nouveau", 2));
    EXPECT_EQ(allEntries(dir_.path()), QStringList{"nuit.lst"});
}

TEST_F(SafeWrites, ASaveKeepsLinksAndPermissions)
{
    // A list file reached through a symbolic link: the link stays, the file it names is replaced.
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("vrai")));
    const QString real = dir_.filePath("vrai/liste.lst"), link = dir_.filePath("lien.lst");
    writeListFile(real, entries("ancien", 1));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link("vrai/liste.lst", link));
    writeListFile(link, entries("nouveau", 2));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readListFile(real), entries("nouveau", 2));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(allEntries(dir_.filePath("vrai")), QStringList{"liste.lst"});

    // A link to a file not yet there makes it; a new file gets the usual permissions less the umask.
    ASSERT_TRUE(QFile::link("vrai/neuve.lst", dir_.filePath("pendant.lst")));
    const mode_t mask = ::umask(022);
    writeListFile(dir_.filePath("pendant.lst"), entries("neuve", 1));
    ::umask(mask);
    ASSERT_EQ(::stat(QFile::encodeName(dir_.filePath("vrai/neuve.lst")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_TRUE(QFileInfo(dir_.filePath("pendant.lst")).isSymLink());

    // A loop of links is an error, not a hang.
    ASSERT_TRUE(QFile::link("boucle2.lst", dir_.filePath("boucle1.lst")));
    ASSERT_TRUE(QFile::link("boucle1.lst", dir_.filePath("boucle2.lst")));
    EXPECT_EQ(writeFileSafely(dir_.filePath("boucle1.lst"), "x"), ELOOP);
}

TEST_F(SafeWrites, PermissionDeniedReachesEveryWriterAsTheUser)
{
    // Run as an ordinary user (nobody, when the suite runs as root): a folder or a file the user may
    // not write is refused, and the old file stays.
    struct Case {
        const char* what;
        mode_t folderMode;
        mode_t fileMode;
    };
    const Case cases[] = {{"folder not writable", 0555, 0666}, {"file not writable", 0777, 0444}};
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.what);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            const QString dir = QFileInfo(w.file).absolutePath();
            w.writeOld();
            ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0755), 0);
            const QByteArray old = readAll(w.file);
            const QStringList before = allEntries(dir);
            ASSERT_EQ(::chmod(QFile::encodeName(w.file).constData(), c.fileMode), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), c.folderMode), 0);
            const bool settings = QString(w.what).startsWith("settings");
            const int outcome = runUnprivileged([&] {
                const std::optional<QString> failure = w.saveNew();
                if (!failure)
                    return 1;
                return settings || *failure == QString::fromUtf8("Accès au fichier refusé") ? 0 : 2;
            });
            ::chmod(QFile::encodeName(dir).constData(), 0755);
            ::chmod(QFile::encodeName(w.file).constData(), 0644);
            EXPECT_EQ(outcome, 0);
            EXPECT_TRUE(readAll(w.file) == old);
            EXPECT_EQ(allEntries(dir), before);
        }
    }
}

}  // namespace
