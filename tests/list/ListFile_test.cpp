// List files read and written as bytes on disk.
#include "list/ListFile.h"
#include "platform/ProgramError.h"

#include "QtPrinters.h"
#include "TestFiles.h"
#include "Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Values = std::vector<std::array<const char*, 5>>;  // directory, name, quality, zone, extra

ListEntry makeEntry(int n, const QString& dir, const QString& name, const QString& q, const QString& z,
                    const QString& e)
{
    return {" ", ListModel::formatNumber(n), dir, name, q, z, e};
}

// The values of parsed entries, checking on the way that each is unmarked and numbered by position.
Values valuesOf(const std::vector<ListEntry>& entries, std::vector<QByteArray>& keep)
{
    Values out;
    int n = 0;
    for (const ListEntry& e : entries) {
        EXPECT_EQ(e.mark, " ");
        EXPECT_EQ(e.number, ListModel::formatNumber(n++));
        std::array<const char*, 5> row{};
        for (int k = 0; k < 5; ++k) {
            keep.push_back(e.field(ListModel::ColDirectory + k).toUtf8());
            row[size_t(k)] = keep.back().constData();
        }
        out.push_back(row);
    }
    return out;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ProgramError& e) {
        return e.text();
    }
    return QStringLiteral("(no error)");
}

const QByteArray kHeader3("3\r\nVelmoran\r\npr\xE9Version : 0.56\r\n6\r\n6\r\n\r\n");

}  // namespace

TEST(ListFile, ThreeEntriesAreTwentyFourLinesAndReadBack)
{
    const std::vector<ListEntry> entries = {
        makeEntry(0, "/img/", "a.bmp", "0", " ", " "),
        makeEntry(1, "/img/", "b.bmp", "2", "3", " "),
        makeEntry(2, QString::fromUtf8("/img/été/"), "c.jpg", "1", " ", "10"),
    };
    const QByteArray expected = kHeader3 +
        "0000\r\n/img/\r\na.bmp\r\n0\r\n \r\n \r\n"
        "0001\r\n/img/\r\nb.bmp\r\n2\r\n3\r\n \r\n"
        "0002\r\n/img/\xE9t\xE9/\r\nc.jpg\r\n1\r\n \r\n10\r\n";

    QTemporaryDir tmp;
    const QString path = tmp.filePath("trois.lst");
    writeListFile(path, entries);
    const QByteArray bytes = readAll(path);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.count("\r\n"), 24);
    EXPECT_EQ(readListFile(path), entries);
}

TEST(ListFile, EveryValueReadsBackAsItWasWritten)
{
    // Values whose Latin-1 bytes would form UTF-8 ("Ã©" is C3 A9, read back as "é") among plain
    // Latin-1 and names outside Latin-1, in every column.
    const QString tricky[] = {
        QString::fromUtf8("Ã©.bmp"), QString::fromUtf8("é.bmp"), QString::fromLatin1("\xE2\x82\xAC"),
        QString::fromLatin1("\xC3\xA9\xFF"), QString::fromUtf8("/données/Луна/"), QString::fromUtf8("🌙"),
        QString::fromUtf8("/Ã©tÃ©/"), QStringLiteral("plain"),
    };
    std::vector<ListEntry> entries;
    int n = 0;
    for (const QString& a : tricky)
        for (const QString& b : tricky)
            entries.push_back(makeEntry(n++, a, b, b, a, b + a));
    QTemporaryDir tmp;
    const QString path = tmp.filePath("noms.lst");
    writeListFile(path, entries);
    EXPECT_EQ(readListFile(path), entries);
}

TEST(ListFile, EmptyListReadsBackAsOneHeaderlessEntry)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("vide.lst");
    writeListFile(path, {});
    EXPECT_EQ(readAll(path), QByteArray("0\r\nVelmoran\r\npr\xE9Version : 0.56\r\n6\r\n6\r\n\r\n"));
    const std::vector<ListEntry> back = readListFile(path);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], makeEntry(0, "Velmoran", QString::fromUtf8("préVersion : 0.56"), "6", "6", " "));
}

TEST(ListFile, ParsesHeaderVariantsLineEndsAndShortEntries)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        Values expected;
    };
    const Case cases[] = {
        {"header of 8 lines skips two more", "1\r\nV\r\nv\r\n8\r\n6\r\n\r\nx\r\ny\r\n0000\r\n/d/\r\nn\r\n1\r\n2\r\n3\r\n",
         {{"/d/", "n", "1", "2", "3"}}},
        {"7 lines per entry drop the seventh",
         "2\r\nV\r\nv\r\n6\r\n7\r\n\r\n0\r\n/d/\r\na\r\n1\r\n2\r\n3\r\nX\r\n1\r\n/e/\r\nb\r\n4\r\n5\r\n6\r\nY\r\n",
         {{"/d/", "a", "1", "2", "3"}, {"/e/", "b", "4", "5", "6"}}},
        {"twelve headerless lines", "0000\r\n/d/\r\na\r\n1\r\n \r\n \r\n0007\r\n/d/\r\nb\r\n2\r\n4\r\n5\r\n",
         {{"/d/", "a", "1", " ", " "}, {"/d/", "b", "2", "4", "5"}}},
        {"LF only", "0\n/d/\na\n1\n2\n3\n", {{"/d/", "a", "1", "2", "3"}}},
        {"lone CR", "0\r/d/\ra\r1\r2\r3\r", {{"/d/", "a", "1", "2", "3"}}},
        {"mixed line ends, no final one", "0\r\n/d/\na\r1\r\n2\n3", {{"/d/", "a", "1", "2", "3"}}},
        {"file ends inside an entry", kHeader3 + "0000\r\n/d/\r\na.bmp\r\n", {{"/d/", "a.bmp", " ", " ", " "}}},
        // Lines that hold nothing are no entry: the program never writes one.
        {"empty lines after the last entry", "0\r\n/d/\r\na\r\n1\r\n2\r\n3\r\n\r\n\r\n\r\n",
         {{"/d/", "a", "1", "2", "3"}}},
        {"an entry of empty lines between two", "0\r\n/d/\r\na\r\n1\r\n2\r\n3\r\n\r\n\r\n\r\n\r\n\r\n\r\n0002\r\n/e/\r\nb\r\n",
         {{"/d/", "a", "1", "2", "3"}, {"/e/", "b", " ", " ", " "}}},
        {"a number line alone is an entry", "0\r\n/d/\r\na\r\n1\r\n2\r\n3\r\n0001\r\n",
         {{"/d/", "a", "1", "2", "3"}, {" ", " ", " ", " ", " "}}},
        {"empty lines inside read as blanks", "0\r\n\r\na\r\n\r\n2\r\n\r\n", {{" ", "a", " ", "2", " "}}},
        {"3 lines per entry", "1\r\nV\r\nv\r\n6\r\n3\r\n\r\n0\r\n/d/\r\na\r\n1\r\n/e/\r\nb\r\n",
         {{"/d/", "a", " ", " ", " "}, {"/e/", "b", " ", " ", " "}}},
        // Fewer than one line per entry: each entry is still its number line.
        {"0 lines per entry", "1\r\nV\r\nv\r\n6\r\n0\r\n\r\na\r\nb\r\n",
         {{" ", " ", " ", " ", " "}, {" ", " ", " ", " ", " "}}},
        {"-5 lines per entry", "1\r\nV\r\nv\r\n6\r\n-5\r\n\r\na\r\n", {{" ", " ", " ", " ", " "}}},
        {"header only", kHeader3, {}},
        {"UTF-8 and Latin-1 lines", "0\r\n/home/\xD0\x9B\xD1\x83\xD0\xBD\xD0\xB0/\r\nZ\xF4ne.bmp\r\n1\r\n \r\n \r\n",
         {{"/home/Луна/", "Zône.bmp", "1", " ", " "}}},
        {"Windows paths stay as they are", "0\r\nC:\\old\\\r\na.bmp\r\n0\r\n \r\n \r\n",
         {{"C:\\old\\", "a.bmp", "0", " ", " "}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QByteArray> keep;
        const Values got = valuesOf(parseListFile(c.bytes), keep);
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            for (size_t k = 0; k < 5; ++k)
                EXPECT_EQ(QString::fromUtf8(got[i][k]), QString::fromUtf8(c.expected[i][k])) << "entry " << i << " value " << k;
    }
}

TEST(ListFile, HeaderLineThatIsNotAnIntegerStopsTheReading)
{
    struct Case {
        QByteArray bytes;
        const char* message;
    };
    const Case cases[] = {
        {"abc\r\n0000\r\n", "'abc' n'est pas une valeur entière correcte"},
        {"3\r\nV\r\nv\r\nsix\r\n6\r\n\r\n", "'six' n'est pas une valeur entière correcte"},
        {"3\r\nV\r\nv\r\n6\r\n6,5\r\n\r\n", "'6,5' n'est pas une valeur entière correcte"},
        {"3\r\nV\r\nv\r\n", "'' n'est pas une valeur entière correcte"},  // line 4 missing
        {"", "'' n'est pas une valeur entière correcte"},                  // 0-byte file
        {"\x01\x02\xFF\xFE\r\n", "'\x01\x02\xC3\xBF\xC3\xBE' n'est pas une valeur entière correcte"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { parseListFile(c.bytes); }), QString::fromUtf8(c.message)) << c.bytes.toHex().constData();
}

TEST(ListFile, NonsenseSizesAndGarbageReadWithoutHanging)
{
    // Header and field counts at the top of the integer range.
    const QByteArray entry("0\r\n/d/\r\na\r\n1\r\n2\r\n3\r\n");
    EXPECT_TRUE(parseListFile("2147483647\r\nV\r\nv\r\n2147483647\r\n6\r\n\r\n" + entry.repeated(3)).empty());
    EXPECT_EQ(parseListFile("2147483647\r\nV\r\nv\r\n6\r\n6\r\n\r\n" + entry.repeated(3)).size(), 3u);
    const auto huge = parseListFile("1\r\nV\r\nv\r\n6\r\n2147483647\r\n\r\n" + entry.repeated(3));
    ASSERT_EQ(huge.size(), 1u);
    EXPECT_EQ(huge[0].extra, "3");
    EXPECT_EQ(parseListFile("1\r\nV\r\nv\r\n-2147483648\r\n6\r\n\r\n" + entry).size(), 1u);

    // 10 MB on one line, as the header and as an entry's directory.
    const QByteArray longLine(10 * 1024 * 1024, 'x');
    const QString msg = errorOf([&] { parseListFile(longLine); });
    EXPECT_TRUE(msg.startsWith("'xxxx")) << msg.left(20).toStdString();
    EXPECT_LT(msg.size(), 400);
    const auto one = parseListFile("0\r\n" + longLine + "\r\n");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].directory.size(), longLine.size());

    // Ten million line ends, after a headerless start and after a header of one line per entry:
    // no entry but the first line's.
    const QByteArray feeds(10 * 1000 * 1000, '\n');
    EXPECT_EQ(parseListFile("0" + feeds).size(), 1u);
    EXPECT_EQ(parseListFile("9\r\nV\r\nv\r\n6\r\n1\r\n\r\n" + feeds).size(), 0u);

    // Binary garbage, raw and after a headerless first line.
    QRandomGenerator rng(42);
    for (int round = 0; round < 20; ++round) {
        QByteArray junk(64 * 1024, '\0');
        for (char& ch : junk)
            ch = char(rng.bounded(256));
        EXPECT_NO_FATAL_FAILURE(errorOf([&] { parseListFile(junk); }));
        const auto entries = parseListFile("0\n" + junk);
        EXPECT_GE(entries.size(), 1u);
    }
}

TEST(ListFile, ReadErrorsUseTheProgramsWords)
{
    QTemporaryDir tmp;
    EXPECT_EQ(errorOf([&] { readListFile(tmp.filePath("absent.lst")); }), "Fichier introuvable");
    EXPECT_EQ(errorOf([&] { readListFile(tmp.path()); }), "Erreur E/S 21");  // a directory
    {
        const QString locked = tmp.filePath("ferme.lst");
        ASSERT_TRUE(writeAll(locked, kHeader3));
        QFile::setPermissions(locked, {});
        QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                              | QFile::ExeOther);
        EXPECT_EQ(runUnprivileged([&] {
                      return errorOf([&] { readListFile(locked); }) == QString::fromUtf8("Accès au fichier refusé") ? 0 : 1;
                  }),
                  0);
    }
    EXPECT_EQ(fileErrorText(EPERM), QString::fromUtf8("Accès au fichier refusé"));
    EXPECT_EQ(fileErrorText(ENOSPC), "Erreur E/S 28");
}

TEST(ListFile, SaveNamesAndFailedSavesKeepTheOldFile)
{
    EXPECT_EQ(listFileName("/tmp/liste"), "/tmp/liste.LST");
    EXPECT_EQ(listFileName("/tmp/liste.txt"), "/tmp/liste.txt");
    EXPECT_EQ(listFileName("/home/a.b/liste"), "/home/a.b/liste");  // a "." anywhere counts

    QTemporaryDir tmp;
    const std::vector<ListEntry> list(2000, makeEntry(0, "/un/long/repertoire/", "image.bmp", "0", " ", " "));
    EXPECT_EQ(errorOf([&] { writeListFile(tmp.filePath("absent/l.lst"), list); }), "Fichier introuvable");
    EXPECT_EQ(errorOf([&] { writeListFile(tmp.path(), list); }), "Erreur E/S 21");

    const QString path = tmp.filePath("ancienne.lst");
    const QByteArray old = kHeader3 + "0000\r\n/d/\r\na\r\n1\r\n2\r\n3\r\n";
    ASSERT_TRUE(writeAll(path, old));
    {
        QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        EXPECT_EQ(runUnprivileged([&] {
                      return errorOf([&] { writeListFile(path, list); }) == QString::fromUtf8("Accès au fichier refusé") ? 0 : 1;
                  }),
                  0);
        QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(readAll(path), old);
    }

    // A write that fails half-way (file size limit) leaves the previous file whole.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString msg = errorOf([&] { writeListFile(path, list); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(msg, QStringLiteral("Erreur E/S %1").arg(EFBIG));
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ancienne.lst"});  // no temporary left

    writeListFile(path, list);
    EXPECT_EQ(readListFile(path).size(), list.size());
}
