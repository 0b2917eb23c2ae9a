// Search results: marking rules, the grouped listing, results files and the hand-off to the list.
#include "list/ListModel.h"
#include "platform/ProgramError.h"
#include "search/FoundFiles.h"
#include "search/SearchResults.h"
#include "settings/Options.h"

#include "../list/QtPrinters.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

SearchResults resultsOf(const QStringList& lines)
{
    SearchResults r;
    r.opened(lines);
    return r;
}

SearchResults sixFiles()
{
    QStringList lines;
    for (int i = 1; i <= 6; ++i)
        lines << "/d/" << QString("f%1").arg(i);
    return resultsOf(lines);
}

// The marks of rows 1..count as "*" and ".".
QString marks(const SearchResults& r)
{
    QString s;
    for (const ResultRow& row : r.rows())
        s += row.mark == "*" ? '*' : row.mark == " " ? '.' : '?';
    return s;
}

TEST(SearchResultsTest, MarkingClicks)
{
    SearchResults r = sixFiles();
    ASSERT_EQ(marks(r), "......");
    struct Step {
        int row;
        bool shift, ctrl;
        const char* marks;
        int anchor;
    };
    const Step steps[] = {
        {2, false, false, ".*....", 2},  // a plain click marks the row and makes it the anchor
        {2, false, false, "......", 2},  // on the anchor it toggles
        {4, false, false, "...*..", 4},
        {6, true, false, "...***", 6},   // Shift toggles the rows beyond the anchor up to the row
        {6, true, false, "...***", 6},   // Shift on the anchor itself changes nothing
        {3, true, false, "..*..*", 3},   // backwards: the row up to just before the anchor
        {3, false, true, ".....*", 0},   // Ctrl on the anchor: no anchor any more
        {1, false, true, "*....*", 0},   // Ctrl without an anchor: still none
        {2, true, false, "**...*", 2},   // Shift without an anchor: the row becomes it
        {5, false, true, "**..**", 5},   // Ctrl on another row moves the anchor
        {3, true, true, "******", 3},    // Shift with Ctrl acts as Shift
        {2, false, false, ".*....", 2},  // a plain click on another row clears every mark first
        {0, false, false, ".*....", 2},  // the header row and the spare row are no files
        {7, true, false, ".*....", 2},
    };
    for (const Step& s : steps) {
        r.click(s.row, s.shift, s.ctrl);
        EXPECT_EQ(marks(r), s.marks) << "row " << s.row << (s.shift ? " shift" : "") << (s.ctrl ? " ctrl" : "");
        EXPECT_EQ(r.anchor(), s.anchor) << "row " << s.row;
    }
    r.rebuildTable();
    EXPECT_EQ(marks(r), "......");
    EXPECT_EQ(r.anchor(), SearchResults::kNoAnchor);
}

TEST(SearchResultsTest, OkWithoutAChoiceTakesEveryFile)
{
    using Clicks = std::vector<std::tuple<int, bool, bool>>;
    struct Case {
        const char* what;
        bool selectAllFirst;
        Clicks clicks;
        const char* afterOk;
    };
    const Case cases[] = {
        {"no click", false, {}, "******"},
        {"Tout Sélectionner", true, {}, "******"},
        {"one plain click", false, {{2, false, false}}, ".*...."},
        {"a range", false, {{2, false, false}, {4, true, false}}, ".***.."},
        // Clicks that leave no anchor are a choice all the same.
        {"all, then two taken out", true, {{2, false, true}, {5, false, true}}, "*.**.*"},
        {"Ctrl on one row", false, {{3, false, true}}, "..*..."},
        {"marked then unmarked", false, {{3, false, false}, {3, false, true}}, "......"},
    };
    for (const Case& c : cases) {
        SearchResults r = sixFiles();
        if (c.selectAllFirst) {
            r.selectAll();
            EXPECT_EQ(marks(r), "******");
            EXPECT_EQ(r.anchor(), SearchResults::kNoAnchor);
        }
        for (auto [row, shift, ctrl] : c.clicks)
            r.click(row, shift, ctrl);
        r.acceptChoice();
        EXPECT_EQ(marks(r), c.afterOk) << c.what;
        EXPECT_EQ(r.markedCount(), QString(c.afterOk).count('*')) << c.what;
    }
}

TEST(SearchResultsTest, GroupedListingOfTheUnmarkedRows)
{
    struct Case {
        const char* what;
        QStringList lines;
        std::vector<int> marked;
        QStringList listing;
        QStringList keptNames;
    };
    const Case cases[] = {
        {"first of two marked, then another directory",
         {"/a/", "un.bmp", "/a/", "deux.bmp", "/b/", "trois.bmp"},
         {1},
         {"", "REP = /a/", "", "deux.bmp", "", "REP = /b/", "", "trois.bmp"},
         {"deux.bmp", "trois.bmp"}},
        {"a directory whose files are all marked keeps its header",
         {"/a/", "un.bmp", "/a/", "deux.bmp", "/b/", "trois.bmp"},
         {1, 2},
         {"", "REP = /a/", "", "", "REP = /b/", "", "trois.bmp"},
         {"trois.bmp"}},
        {"a directory met again opens a new group",
         {"/a/", "un.bmp", "/b/", "deux.bmp", "/a/", "trois.bmp"},
         {},
         {"", "REP = /a/", "", "un.bmp", "", "REP = /b/", "", "deux.bmp", "", "REP = /a/", "", "trois.bmp"},
         {"un.bmp", "deux.bmp", "trois.bmp"}},
        {"nothing", {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SearchResults r = resultsOf(c.lines);
        for (int row : c.marked)
            r.click(row, false, true);
        EXPECT_EQ(r.groupedListing(), c.listing) << c.what;
        r.deleteMarked();
        EXPECT_EQ(r.Lines, c.listing) << c.what;
        // The table keeps the files the listing names, unmarked, and the count follows it.
        QStringList names;
        for (const ResultRow& row : r.rows()) {
            names << row.name;
            EXPECT_EQ(row.mark, " ");
        }
        EXPECT_EQ(names, c.keptNames) << c.what;
        EXPECT_EQ(r.count(), c.keptNames.size());
        EXPECT_EQ(r.anchor(), SearchResults::kNoAnchor);
    }
}

TEST(SearchResultsTest, TableFromLinePairs)
{
    // Seven lines: three files, the seventh line stays in the lines only; an empty line shows as " ".
    SearchResults r = resultsOf({"/a/", "un", "", "deux", "/c/", "trois", "/d/"});
    EXPECT_EQ(r.count(), 3);
    EXPECT_EQ(r.Lines.size(), 7);
    ASSERT_EQ(r.rows().size(), 3u);
    EXPECT_EQ(r.row(2).directory, " ");
    EXPECT_EQ(r.row(3).directory, "/c/");
    EXPECT_EQ(r.row(3).name, "trois");
    r.clear();
    EXPECT_EQ(r.count(), 0);
    EXPECT_TRUE(r.rows().empty());
    EXPECT_TRUE(r.Lines.isEmpty());
}

TEST(ResultsFileTest, LinesAndLineEnds)
{
    struct Case {
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"", {}},
        {"\r\n", {""}},
        {"\xE9t\xE9\r\n", {"été"}},              // Latin-1
        {"\xC3\xA9t\xC3\xA9\r\n", {"été"}},      // UTF-8 where a name needed it
        {"\xE6\x97\xA5.bmp\r\n", {"日.bmp"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseResultLines(c.bytes), c.lines) << c.bytes.toStdString();

    EXPECT_EQ(formatResultLines({"/d/", "été", "", "日.bmp"}), QByteArray("/d/\r\n\xE9t\xE9\r\n\r\n\xE6\x97\xA5.bmp\r\n"));
    EXPECT_EQ(formatResultLines({}), QByteArray());
}

TEST(ResultsFileTest, ReadWriteAndFailures)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("res.txt");
    const QStringList lines = {"/images/", "été.bmp", "/images/", " x.bmp"};
    writeResultLines(path, lines);
    EXPECT_EQ(readAll(path), QByteArray("/images/\r\n\xE9t\xE9.bmp\r\n/images/\r\n x.bmp\r\n"));
    EXPECT_EQ(readResultLines(path), lines);

    auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const ProgramError& e) {
            return e.text();
        }
        return QString("(none)");
    };
    const QString missing = tmp.filePath("absent.txt");
    EXPECT_EQ(message([&] { readResultLines(missing); }), "Impossible d'ouvrir le fichier " + missing);
    const QString noDir = tmp.filePath("absent/res.txt");
    EXPECT_EQ(message([&] { writeResultLines(noDir, lines); }), "Impossible de créer le fichier " + noDir);
    EXPECT_EQ(message([&] { writeResultLines(tmp.path(), lines); }), "Impossible de créer le fichier " + tmp.path());
}

TEST(ResultsFileTest, LinesThatHoldNothingMakeNothing)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QStringList lines;
        int count;
    };
    const QByteArray feeds(20 << 20, '\n');
    const Case cases[] = {
        {"a grouped listing keeps its empty lines", "\r\nREP = /a/\r\n\r\n\r\nREP = /b/\r\n\r\nx\r\n",
         {"", "REP = /a/", "", "", "REP = /b/", "", "x"}, 2},
        {"three empty lines stay", "/d/\na\n\n\n\n/d/\nb\n", {"/d/", "a", "", "", "", "/d/", "b"}, 2},
        // Longer runs lose pairs of empty lines, so the pairs after them stay as they were.
        {"four become two", "/d/\na\n\n\n\n\n/d/\nb\n", {"/d/", "a", "", "", "/d/", "b"}, 2},
        {"five become three", "/d/\n\n\n\n\n\nb\n", {"/d/", "", "", "", "b"}, 1},
        {"20 MiB of line feeds", feeds, {"", ""}, 0},
        {"line feeds then a file", feeds + "/d/\nb\n", {"", "", "/d/", "b"}, 1},
    };
    for (const Case& c : cases) {
        SearchResults r;
        r.opened(parseResultLines(c.bytes));
        EXPECT_EQ(r.Lines, c.lines) << c.what;
        // Two empty lines make no row; a row with one empty line shows it as " ".
        EXPECT_EQ(r.count(), c.count) << c.what;
        EXPECT_EQ(int(r.rows().size()), c.count) << c.what;
    }
}

TEST(ResultsFileTest, AFileFarTooLargeForResultsIsRefused)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("gros.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxResultsFileBytes + 1));
    f.close();
    try {
        readResultLines(path);
        ADD_FAILURE() << "read";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.text(), "Le fichier " + path + " est trop gros pour un fichier de résultats (plus de 32 Mo).");
    }
    ASSERT_TRUE(f.resize(kMaxResultsFileBytes));
    EXPECT_EQ(readResultLines(path).size(), 1) << "at the limit it is read (NUL bytes: one line)";
}

TEST(FoundFilesTest, MarkedRowsGoOnFromTheList)
{
    ListModel list;
    list.appendFiles({"/old/x.bmp", "/old/y.bmp"}, "2");
    SearchResults r = resultsOf({"/a/", "un.bmp", "/a/", "deux.bmp", "/b/", "trois.bmp"});
    r.click(1, false, true);
    r.click(3, false, true);
    EXPECT_EQ(appendFoundFiles(list, r, "1"), 2);
    ASSERT_EQ(list.entryCount(), 4);
    const ListEntry expected[] = {
        {" ", "0002", "/a/", "un.bmp", "1", " ", " "},
        {" ", "0003", "/b/", "trois.bmp", "1", " ", " "},
    };
    EXPECT_TRUE(list.entry(3) == expected[0]);
    EXPECT_TRUE(list.entry(4) == expected[1]);
    EXPECT_EQ(list.entry(1).name, "x.bmp");

    // The quality is the "Score par Défaut:" option.
    ProgramOptions saved = programOptions();
    programOptions().DefaultScore = '\0';
    EXPECT_EQ(ListDocument::defaultQuality(), "0");
    programOptions().DefaultScore = '2';
    EXPECT_EQ(ListDocument::defaultQuality(), "2");
    r.selectAll();
    EXPECT_EQ(appendFoundFiles(list, r), 3);
    EXPECT_EQ(list.entry(7).number, "0006");
    EXPECT_EQ(list.entry(7).quality, "2");
    programOptions() = saved;
}

}  // namespace
