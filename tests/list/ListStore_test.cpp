// The compact list store, the list file read as it streams in, and what the list window is shown.
#include "list/ListFile.h"
#include "list/ListModel.h"

#include "TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ListEntry entryOf(const char* mark, const char* number, const char* dir, const char* name, const char* q,
                  const char* z, const char* e)
{
    return {QString::fromUtf8(mark), QString::fromUtf8(number), QString::fromUtf8(dir), QString::fromUtf8(name),
            QString::fromUtf8(q), QString::fromUtf8(z), QString::fromUtf8(e)};
}

}  // namespace

TEST(ListStore, EveryValueComesBackAsItWentIn)
{
    // Numbers in the "%4.4d" form are kept as integers, any other text as it is; empty values
    // read as the blank.
    struct Case {
        ListEntry in;
        ListEntry out;
    };
    const Case cases[] = {
        {entryOf(" ", "0000", "/d/", "a.bmp", "0", " ", " "), entryOf(" ", "0000", "/d/", "a.bmp", "0", " ", " ")},
        {entryOf("*", "0042", "/d/", "b.bmp", "12", "3", "x"), entryOf("*", "0042", "/d/", "b.bmp", "12", "3", "x")},
        {entryOf(" ", "10000", "/e/", "c", "1", "2", "3"), entryOf(" ", "10000", "/e/", "c", "1", "2", "3")},
        {entryOf(" ", "2147483647", "/e/", "c", "1", "2", "3"), entryOf(" ", "2147483647", "/e/", "c", "1", "2", "3")},
        {entryOf(" ", "42", "/e/", "c", "1", "2", "3"), entryOf(" ", "42", "/e/", "c", "1", "2", "3")},
        {entryOf(" ", "00042", "/e/", "c", "1", "2", "3"), entryOf(" ", "00042", "/e/", "c", "1", "2", "3")},
        {entryOf(" ", "2147483648", "/e/", "c", "1", "2", "3"), entryOf(" ", "2147483648", "/e/", "c", "1", "2", "3")},
        {entryOf(" ", "-001", "/e/", "c", "1", "2", "3"), entryOf(" ", "-001", "/e/", "c", "1", "2", "3")},
        {entryOf(" ", "12a4", "/é/", "ü", "Ã©", "🌙", " "), entryOf(" ", "12a4", "/é/", "ü", "Ã©", "🌙", " ")},
        {entryOf("", "", "", "", "", "", ""), entryOf(" ", " ", " ", " ", " ", " ", " ")},
    };
    ListStore store;
    for (const Case& c : cases)
        store.append(c.in);
    ASSERT_EQ(store.size(), int(std::size(cases)));
    for (int i = 0; i < store.size(); ++i) {
        EXPECT_EQ(store.entry(i), cases[i].out) << "entry " << i;
        for (int col = 0; col < ListLayout::kColumnCount; ++col)
            EXPECT_EQ(store.text(col, i), cases[i].out.field(col)) << "entry " << i << " column " << col;
    }
    // Written over, each column keeps the new text.
    for (int col = 0; col < ListLayout::kColumnCount; ++col) {
        store.setText(col, 3, QStringLiteral("0777"));
        EXPECT_EQ(store.text(col, 3), "0777") << col;
        store.setText(col, 3, QString());
        EXPECT_EQ(store.text(col, 3), " ") << col;
    }
    EXPECT_EQ(store.entry(2), cases[2].out);
}

TEST(ListStore, EntriesOfOneDirectoryShareItsText)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("l.lst");
    std::vector<ListEntry> entries;
    for (int i = 0; i < 3000; ++i)
        entries.push_back({" ", ListModel::formatNumber(i), i < 2000 ? "/nuit/jupiter/" : "/nuit/saturne/",
                           QStringLiteral("f%1.bmp").arg(i), QString::number(i % 3), "4", " "});
    writeListFile(path, entries);

    ListStore read;
    readListFile(path, read);
    ASSERT_EQ(read.size(), 3000);
    auto dirData = [](const ListStore& s, int i) { return s.sharedText(ListLayout::ColDirectory, i).constData(); };
    EXPECT_EQ(dirData(read, 0), dirData(read, 1999));
    EXPECT_EQ(dirData(read, 2000), dirData(read, 2999));
    EXPECT_NE(dirData(read, 0), dirData(read, 2000));
    // Two runs of the same quality share it too, directories and tags apart.
    EXPECT_EQ(read.sharedText(ListLayout::ColQuality, 0).constData(), read.sharedText(ListLayout::ColQuality, 3).constData());
    EXPECT_LE(read.pooledTexts(), 8);

    ListModel model;
    QStringList paths;
    for (int i = 0; i < 1000; ++i)
        paths << QStringLiteral("/a/b/%1.bmp").arg(i) << QStringLiteral("/c/%1.bmp").arg(i);
    model.appendFiles(paths, "0");
    model.appendFiles({"/a/b/z.bmp", "sans-repertoire.bmp"}, "0");
    EXPECT_EQ(model.store().sharedText(ListLayout::ColDirectory, 0).constData(),
              model.store().sharedText(ListLayout::ColDirectory, 2000).constData());
    EXPECT_EQ(model.cell(ListModel::ColDirectory, 1), "/a/b/");
    EXPECT_EQ(model.cell(ListModel::ColDirectory, 2), "/c/");
    EXPECT_EQ(model.cell(ListModel::ColDirectory, 2001), "/a/b/");
    EXPECT_EQ(model.cell(ListModel::ColName, 2001), "z.bmp");
    EXPECT_EQ(model.cell(ListModel::ColDirectory, 2002), " ");
    EXPECT_EQ(model.cell(ListModel::ColName, 2002), "sans-repertoire.bmp");
    EXPECT_EQ(model.cell(ListModel::ColNumber, 2002), "2001");
}

TEST(ListStore, ReplacedTextsDoNotPileUp)
{
    ListModel model;
    model.appendFiles({"/d/a.bmp", "/d/b.bmp", "/d/c.bmp"}, "0");
    for (int i = 0; i < 50000; ++i) {
        model.setCell(ListModel::ColExtra, 1 + i % 3, QString::number(i));
        if (i % 1000 == 0)
            model.setAllDirectories(QStringLiteral("/r%1/").arg(i));
    }
    EXPECT_LT(model.store().pooledTexts(), 2 * (6 * 3 + 1024) + 2);
    EXPECT_EQ(model.cell(ListModel::ColExtra, 1), "49998");
    EXPECT_EQ(model.cell(ListModel::ColExtra, 2), "49999");
    EXPECT_EQ(model.cell(ListModel::ColExtra, 3), "49997");
    EXPECT_EQ(model.cell(ListModel::ColDirectory, 3), "/r49000/");
    EXPECT_EQ(model.cell(ListModel::ColQuality, 2), "0");
}

TEST(ListFileStream, ReadFromDiskEqualsReadFromMemory)
{
    // The file is read in pieces of 1 MiB: lines, CR LF pairs and a line longer than a piece fall
    // across the joins at every offset near them.
    constexpr int kPiece = 1 << 20;
    QTemporaryDir tmp;
    const QString path = tmp.filePath("l.lst");
    const QByteArray entry("0000\r\n/d/\r\nname\r\n1\r\n \r\n \r\n");
    for (int pad = kPiece - 7; pad < kPiece; ++pad) {
        for (const char* end : {"\r\n", "\r", "\n"}) {
            // A headerless entry whose directory line fills the file up to about the join.
            QByteArray bytes = "0\r\n" + QByteArray(pad, 'x') + end + "n\r\n1\r\n2\r\n3\r\n";
            bytes += entry.repeated(3);
            bytes += "0\r\n" + QByteArray(kPiece + kPiece / 2, 'y') + "\r\nlong\r\n";
            ASSERT_TRUE(writeAll(path, bytes));
            const std::vector<ListEntry> fromDisk = readListFile(path);
            const std::vector<ListEntry> fromMemory = parseListFile(bytes);
            ASSERT_EQ(fromDisk.size(), 5u) << pad;
            ASSERT_TRUE(fromDisk == fromMemory) << "pad " << pad << " end " << QByteArray(end).toHex().constData();
            EXPECT_EQ(fromDisk[0].directory.size(), pad);
            EXPECT_EQ(fromDisk[0].name, "n");
            EXPECT_EQ(fromDisk[4].name, "long");
        }
    }
}

TEST(ListWindowText, CellsShowAtMostAThousandCharacters)
{
    const QString moon = QString::fromUtf8("🌙");  // two UTF-16 units
    struct Case {
        QString value;
        qsizetype shownChars;  // before the "…"; -1: shown whole
    };
    const Case cases[] = {
        {QString(1000, 'a'), -1},
        {QString(1001, 'a'), 1000},
        {QString(50 * 1000 * 1000, 'n'), 1000},
        {QString(999, 'a') + moon + "b", 999},  // the character across the cut is left out whole
        {QString(998, 'a') + moon + "b", 1000},
    };
    ListModel model;
    model.appendFiles({"/d/a.bmp"}, "0");
    for (const Case& c : cases) {
        for (int col : {int(ListModel::ColDirectory), int(ListModel::ColName), int(ListModel::ColExtra)}) {
            model.setCell(col, 1, c.value);
            EXPECT_EQ(model.cell(col, 1), c.value);  // the model keeps it whole
            const QString shown = model.data(model.index(0, col)).toString();
            if (c.shownChars < 0) {
                EXPECT_EQ(shown, c.value);
            } else {
                EXPECT_EQ(shown, c.value.left(c.shownChars) + QChar(0x2026)) << c.value.size();
            }
        }
    }
    model.setCell(ListModel::ColMark, 1, QString(5000, '*'));
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString().size(), 1001);

    // The file keeps it whole too.
    QTemporaryDir tmp;
    model.setCell(ListModel::ColName, 1, QString(3 * 1000 * 1000, 'n'));
    writeListStore(tmp.filePath("l.lst"), model.store());
    EXPECT_EQ(readListFile(tmp.filePath("l.lst"))[0].name.size(), 3 * 1000 * 1000);
}
