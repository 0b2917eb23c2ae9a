// Search results in the order a file manager shows a directory: names without regard to case or
// accents, numbers by their value.
#include "search/FileSearch.h"
#include "search/NaturalOrder.h"
#include "search/trecherche.h"

#include "../list/QtPrinters.h"
#include "SearchTree.h"

#include <gtest/gtest.h>

namespace {

QStringList inNaturalOrder(const QStringList& names)
{
    QStringList out;
    for (int i : naturalOrder(names))
        out << names[i];
    return out;
}

TEST(NaturalOrder, NamesAsAFileManagerShowsThem)
{
    struct Case {
        QStringList given;
        QStringList expected;
    };
    const Case cases[] = {
        {{"planete_28.bmp", "planete_24.bmp", "planete_13.bmp", "planete_00.bmp", "planete_100.bmp", "planete_9.bmp"},
         {"planete_00.bmp", "planete_9.bmp", "planete_13.bmp", "planete_24.bmp", "planete_28.bmp", "planete_100.bmp"}},
        // Case aside; equal names but for case or leading zeros keep one fixed order.
        {{"b.bmp", "A.bmp", "a.bmp", "C.bmp"}, {"A.bmp", "a.bmp", "b.bmp", "C.bmp"}},
        {{"img1", "img01", "img001", "img0"}, {"img0", "img001", "img01", "img1"}},
        // Numbers longer than any integer are compared digit by digit.
        {{"f123456789012345678901", "f99999999999999999999", "f2"}, {"f2", "f99999999999999999999", "f123456789012345678901"}},
        {{"x10y2", "x10y10", "x9y50", "x"}, {"x", "x9y50", "x10y2", "x10y10"}},
        // Accents aside: "été" beside "ete", not after "z".
        {{"zebre", "été 2", "ete 10", "Ete 1"}, {"Ete 1", "été 2", "ete 10", "zebre"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(inNaturalOrder(c.given), c.expected) << c.given.join(' ').toStdString();
        // Whatever order the directory gave them in.
        QStringList reversed(c.given.rbegin(), c.given.rend());
        EXPECT_EQ(inNaturalOrder(reversed), c.expected) << c.given.join(' ').toStdString();
    }
}

TEST(FileSearchTest, EachDirectoryInNameOrderItsSubdirectoriesToo)
{
    QTemporaryDir tmp;
    const QString root = tmp.path() + '/';
    // Made in an order of their own, as a capture program would.
    for (const char* d : {"nuit10", "nuit9", "Nuit2"})
        ASSERT_TRUE(QDir(root).mkpath(d));
    for (const char* f : {"planete_28.bmp", "planete_24.bmp", "planete_13.bmp", "planete_00.bmp", "planete_100.bmp",
                          "Planete_3.BMP", "notes.txt", "nuit10/b10.bmp", "nuit10/b9.bmp", "nuit9/c.bmp", "Nuit2/d.bmp"})
        SearchTree::touch(root + f);

    trecherche finder;
    FileSearch walk(finder);
    QStringList lines;
    EXPECT_EQ(walk.run(root, "*.txt;*.bmp", 1, lines), 11);
    QStringList seen;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        seen << lines[i].mid(root.size()) + lines[i + 1];
    EXPECT_EQ(seen, (QStringList{"notes.txt", "planete_00.bmp", "Planete_3.BMP", "planete_13.bmp", "planete_24.bmp",
                                 "planete_28.bmp", "planete_100.bmp", "Nuit2/d.bmp", "nuit9/c.bmp", "nuit10/b9.bmp",
                                 "nuit10/b10.bmp"}));
}

}  // namespace
