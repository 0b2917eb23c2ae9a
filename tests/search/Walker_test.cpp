// The directory walker on a real tree: the finder of one directory, and the recursive search.
#include "search/FileSearch.h"
#include "search/trecherche.h"

#include "../list/QtPrinters.h"
#include "SearchTree.h"

#include <gtest/gtest.h>

namespace {

TEST(WildcardMask, MatchesLikeFileNameWildcards)
{
    struct Case {
        const char* mask;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.*", "noext", true},      {"*.*", "a.b.c", true},        {"*", "", true},
        {"*.bmp", "A.BMP", true},    {"*.BMP", "x.bmp", true},      {"*.bmp", "a.bmpx", false},
        {"*.bmp", "bmp", false},     {"?.bmp", "a.bmp", true},      {"?.bmp", "ab.bmp", false},
        {"a*b*c", "aXbYc", true},    {"a*b*c", "aXbYcZ", false},    {"**a", "a", true},
        {"a?c*", "abc", true},       {" *.jpg", " x.jpg", true},    {" *.jpg", "x.jpg", false},
        {"noext.*", "noext", true},  {"noext.*", "noext.txt", true}, {"noext.*", "noextx", false},
        {"é*", "Été.bmp", true},     {"?té.bmp", "été.bmp", true},   {"*.bmp", "été.BMP", true},
        {"?.bmp", "\xF0\x9F\x98\x80.bmp", true},  // one character outside the BMP
        {"*[1].bmp", "a[1].bmp", true},          // brackets are plain characters
    };
    for (const Case& c : cases) {
        const WildcardMask m(QString::fromUtf8(c.mask));
        const QByteArray bytes(c.name);
        EXPECT_EQ(m.matches(bytes.constData(), size_t(bytes.size())), c.match) << c.mask << " / " << c.name;
        EXPECT_EQ(m.matches(QString::fromUtf8(c.name)), c.match) << c.mask << " / " << c.name;
    }
}

class FinderTest : public ::testing::Test {
protected:
    QStringList names(const QString& mask, uint16_t attributes)
    {
        f.Chemin = tree.root + mask;
        f.Attributs = attributes;
        found = f.Chercher();
        QStringList out;
        for (qsizetype i = 0; i + 1 < f.Resultats.size(); i += 2) {
            EXPECT_EQ(f.Resultats[i], tree.root);
            out << f.Resultats[i + 1];
        }
        out.sort();
        return out;
    }
    SearchTree tree;
    trecherche f;
    bool found = false;
};

TEST_F(FinderTest, AttributeFilterOnLinux)
{
    EXPECT_EQ(f.Chemin, "*.*");
    EXPECT_EQ(f.Attributs, 63);

    struct Case {
        uint16_t attributes;
        QStringList expected;
    };
    const QStringList files = {" s.jpg", ".hidden.bmp", "B.BMP", "a.bmp", "c.jpg", "noext", "été.BMP"};
    const Case cases[] = {
        // Files, hidden ones included; no directory, not even a link to one.
        {39, files},
        // Directories and plain files that are not hidden; "." and ".." are there.
        {16, {" s.jpg", ".", "..", "B.BMP", "a.bmp", "c.jpg", "link", "noext", "sub", "sub2", "été.BMP"}},
        {63, {" s.jpg", ".", "..", ".cache", ".hidden.bmp", "B.BMP", "a.bmp", "c.jpg", "link", "noext", "sub", "sub2",
              "été.BMP"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(names("*.*", c.attributes), c.expected) << c.attributes;
        EXPECT_TRUE(found);
        EXPECT_EQ(f.Repertoire, tree.root);
    }

    // Only real subdirectories may be entered: not ".", "..", a link or a file.
    names("*.*", 16);
    QStringList enterable;
    for (qsizetype i = 1; i < f.Resultats.size(); i += 2)
        if (f.Enterable(int(i / 2)))
            enterable << f.Resultats[i];
    enterable.sort();
    EXPECT_EQ(enterable, (QStringList{"sub", "sub2"}));
}

TEST_F(FinderTest, NothingFoundOrUnreadable)
{
    EXPECT_EQ(names("*.gif", 39), QStringList{});
    EXPECT_FALSE(found);
    EXPECT_EQ(names("absent/*.*", 63), QStringList{});
    EXPECT_FALSE(found);
    EXPECT_EQ(f.Repertoire, tree.root + "absent/");
    f.Chemin = tree.root + "a.bmp/*.*";  // a file taken for a directory
    EXPECT_FALSE(f.Chercher());
    EXPECT_TRUE(f.Resultats.isEmpty());
}

bool isPreOrder(const std::vector<DirRun>& runs)
{
    auto under = [](const QString& d, const QString& ancestor) { return d != ancestor && d.startsWith(ancestor); };
    for (size_t i = 0; i < runs.size(); ++i)
        for (size_t k = i + 1; k < runs.size(); ++k) {
            if (runs[i].dir == runs[k].dir || under(runs[i].dir, runs[k].dir))
                return false;  // a directory met twice, or after something below it
            if (under(runs[k].dir, runs[i].dir))
                for (size_t j = i + 1; j < k; ++j)
                    if (!under(runs[j].dir, runs[i].dir))
                        return false;  // left a subtree and came back to it
        }
    return true;
}

TEST(FileSearchTest, WalksTheTree)
{
    SearchTree tree;
    const QStringList rootBmps = {".hidden.bmp", "B.BMP", "a.bmp", "été.BMP"};
    struct Case {
        const char* filter;
        int depth;
        std::vector<DirRun> expected;  // sorted by directory
    };
    const Case cases[] = {
        {"*.bmp", 0, {{"", rootBmps}}},
        {"", 0, {{"", {" s.jpg", ".hidden.bmp", "B.BMP", "a.bmp", "c.jpg", "noext", "été.BMP"}}}},
        {"   ", 0, {{"", {" s.jpg", ".hidden.bmp", "B.BMP", "a.bmp", "c.jpg", "noext", "été.BMP"}}}},
        {";", 5, {}},
        {";;;", 5, {}},
        {";;*.bmp;;", 0, {{"", rootBmps}}},
        // The space after ";" belongs to the second mask: " s.jpg" matches, "c.jpg" does not.
        {"*.bmp; *.jpg", 0, {{"", {" s.jpg", ".hidden.bmp", "B.BMP", "a.bmp", "été.BMP"}}}},
        {"?.bmp", 0, {{"", {"B.BMP", "a.bmp"}}}},
        // Hidden directories, links and "."/".." are not entered.
        {"*.bmp", 1, {{"", rootBmps}, {"sub/", {"d.bmp"}}, {"sub2/", {"f.bmp"}}}},
        {"*.bmp", 100, {{"", rootBmps}, {"sub/", {"d.bmp"}}, {"sub/deep/", {"e.bmp"}}, {"sub2/", {"f.bmp"}}}},
        // A mask with a "/" looks below each directory walked.
        {"deep/*.bmp", 3, {{"sub/deep/", {"e.bmp"}}}},
        {"deep/*.bmp", 0, {}},
    };
    for (const Case& c : cases) {
        trecherche finder;
        FileSearch walk(finder);
        QStringList lines{"kept"};
        const int n = walk.run(tree.root, QString::fromUtf8(c.filter), c.depth, lines);
        ASSERT_EQ(lines.takeFirst(), "kept");  // results are appended
        std::vector<DirRun> runs = runsOf(lines, tree.root);
        EXPECT_TRUE(isPreOrder(runs)) << c.filter;
        std::sort(runs.begin(), runs.end(), [](const DirRun& a, const DirRun& b) { return a.dir < b.dir; });
        EXPECT_EQ(runs, c.expected) << c.filter << " depth " << c.depth;
        EXPECT_EQ(n, lines.size() / 2) << c.filter;
        EXPECT_EQ(walk.NbTrouves, n);
    }
}

TEST(FileSearchTest, MaskByMaskSoAFileTwoMasksMatchIsListedTwice)
{
    SearchTree tree;
    trecherche finder;
    FileSearch walk(finder);
    QStringList lines;
    // Start directory given with surrounding spaces and without its "/".
    const QString chosen = "  " + tree.root.chopped(1) + " ";
    EXPECT_EQ(walk.run(chosen, "*.bmp;*.*", 0, lines), 4 + 7);
    QStringList first, rest;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        EXPECT_EQ(lines[i], tree.root);
        (i < 8 ? first : rest) << lines[i + 1];
    }
    first.sort();
    rest.sort();
    EXPECT_EQ(first, (QStringList{".hidden.bmp", "B.BMP", "a.bmp", "été.BMP"}));
    EXPECT_EQ(rest, (QStringList{" s.jpg", ".hidden.bmp", "B.BMP", "a.bmp", "c.jpg", "noext", "été.BMP"}));
}

TEST(FileSearchTest, ReportsAsItGoesAndStops)
{
    SearchTree tree;
    trecherche finder;
    FileSearch walk(finder);
    int beforeMask = 0;
    std::vector<int> counts;
    walk.letEventsRun = [&] { ++beforeMask; };
    walk.countChanged = [&](int n) { counts.push_back(n); };
    QStringList lines;
    EXPECT_EQ(walk.run(tree.root, "*.bmp;*.gif", 100, lines), 7);
    EXPECT_EQ(beforeMask, 2 * 4);  // two masks in each of root, sub, sub/deep, sub2
    ASSERT_EQ(counts.size(), 4u);  // only when the count grows
    EXPECT_EQ(counts.front(), 4);
    EXPECT_EQ(counts.back(), 7);

    // Stopped at the first count: the root's first mask is all there is.
    walk.countChanged = [&](int) { walk.stop(); };
    lines.clear();
    EXPECT_EQ(walk.run(tree.root, "*.bmp;*.jpg", 100, lines), 4);
    EXPECT_EQ(lines.size(), 8);
    EXPECT_TRUE(walk.stopped());

    // A start directory that doesn't exist: nothing, silently.
    walk.countChanged = nullptr;
    lines.clear();
    EXPECT_EQ(walk.run(tree.root + "absent", "*.*", 3, lines), 0);
    EXPECT_TRUE(lines.isEmpty());
}

}  // namespace
