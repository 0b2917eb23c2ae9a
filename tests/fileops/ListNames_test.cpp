// Names that would break a list file: a line feed or a carriage return splits an entry's line, and
// every value read after it lands in the wrong column.
#include "platform/PathUtil.h"

#include "ScriptedPrompts.h"
#include "list/ListModel.h"
#include "search/FoundFiles.h"
#include "search/SearchResults.h"

#include <gtest/gtest.h>

namespace {

TEST(ListNames, ALineBreakAnywhereIsRefusedAndNamed)
{
    struct Case {
        const char* path;
        const char* shown;  // null: accepted
    };
    const Case cases[] = {
        {"/img/a.bmp", nullptr},
        {"/img/été \t tab.bmp", nullptr},
        {"", nullptr},
        {"/img/a\nb.bmp", "/img/a\\nb.bmp"},
        {"/img/a\rb.bmp", "/img/a\\rb.bmp"},
        {"/img/crlf\r\n.bmp", "/img/crlf\\r\\n.bmp"},
        {"/dossier\n/a.bmp", "/dossier\\n/a.bmp"},
        {"/img/fin.bmp\n", "/img/fin.bmp\\n"},
    };
    QStringList paths, accepted, refusals;
    for (const Case& c : cases) {
        const QString p = QString::fromUtf8(c.path);
        const QString why = listPathRefusal(p);
        paths << p;
        if (!c.shown) {
            EXPECT_TRUE(why.isEmpty()) << c.path;
            accepted << p;
        } else {
            EXPECT_EQ(why, QString::fromUtf8("Nom refusé dans la liste (retour à la ligne dans le nom) : ")
                               + QString::fromUtf8(c.shown));
            refusals << why;
        }
    }
    QString refusal;
    EXPECT_EQ(acceptedForList(paths, refusal), accepted);
    EXPECT_EQ(refusal, refusals.join('\n'));
    EXPECT_EQ(acceptedForList(accepted, refusal), accepted);
    EXPECT_TRUE(refusal.isEmpty());

    // Many at once: the first ten, then how many more.
    QStringList many;
    for (int i = 0; i < 13; ++i)
        many << QStringLiteral("/img/%1\n.bmp").arg(i);
    EXPECT_TRUE(acceptedForList(many, refusal).isEmpty());
    const QStringList lines = refusal.split('\n');
    ASSERT_EQ(lines.size(), 11);
    EXPECT_TRUE(lines[9].endsWith("/img/9\\n.bmp"));
    EXPECT_EQ(lines[10], QString::fromUtf8("… et 3 autres"));
}

TEST(ListNames, SearchResultsWithALineBreakStayOutOfTheList)
{
    ScriptedPrompts sp;
    setPrompts(&sp);
    SearchResults results;
    results.Lines = {"/img/", "a.bmp", "/img/", "b\nc.bmp", "/d\r/", "e.bmp", "/img/", "f.bmp"};
    results.searched(4);
    results.selectAll();
    ListModel model;
    EXPECT_EQ(appendFoundFiles(model, results), 2);
    setPrompts(nullptr);
    ASSERT_EQ(model.entryCount(), 2);
    EXPECT_EQ(model.cell(ListModel::ColName, 1), "a.bmp");
    EXPECT_EQ(model.cell(ListModel::ColName, 2), "f.bmp");
    EXPECT_EQ(model.cell(ListModel::ColNumber, 2), "0001");
    EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Nom refusé dans la liste (retour à la ligne dans le nom) : /img/b\\nc.bmp\n"
                                                           "Nom refusé dans la liste (retour à la ligne dans le nom) : /d\\r/e.bmp")});
}

}  // namespace
