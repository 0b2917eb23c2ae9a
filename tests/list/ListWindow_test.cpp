// The list window driven as the menus drive it, with scripted dialogs and real files.
#include "controller/ListCommands.h"
#include "controller/ReviewController.h"
#include "app/Windows.h"
#include "list/ListFile.h"
#include "list/ListModel.h"
#include "list/Uliste.h"
#include "platform/ProgramError.h"
#include "settings/Options.h"

#include "QtPrinters.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ListWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetLiveOptions();
        setDefaults(programOptions());
        appWindows() = AppWindows{};
        setPrompts(&sp);
        w = std::make_unique<TFormListe>(review_);
        dir = withSlash(tmp.path());
    }
    void TearDown() override
    {
        w.reset();
        EXPECT_TRUE(sp.allAnswered());
        appWindows() = AppWindows{};
        setPrompts(nullptr);
    }
    static QString withSlash(const QString& d) { return d.endsWith('/') ? d : d + '/'; }

    QStringList paths(const QStringList& names) const
    {
        QStringList out;
        for (const QString& n : names)
            out << dir + n;
        return out;
    }
    QStringList column(int col) const
    {
        QStringList out;
        for (int row = 1; row <= w->model().entryCount(); ++row)
            out << w->model().cell(col, row);
        return out;
    }
    void addFiles(const QStringList& names, bool replace = false)
    {
        sp.answerOpen(paths(names));
        w->AddFiles(replace);
    }
    void clickRow(int row, Qt::MouseButton button)
    {
        QTableView* g = w->grid();
        const QRect r = g->visualRect(w->model().index(row - 1, ListModel::ColName));
        QTest::mouseClick(g->viewport(), button, {}, r.center());
    }
    QString errorOf(const std::function<void()>& f)
    {
        const qsizetype before = sp.messages().size();
        runGuarded(f);
        const QStringList m = sp.messages();
        return m.size() > before ? m.last() : QString();
    }

    ReviewController& review() { return review_; }

    QTemporaryDir tmp;
    QString dir;
    ScriptedPrompts sp;
    ReviewController review_;
    std::unique_ptr<TFormListe> w;
};

TEST_F(ListWindowTest, NewListHasTitlesAndOneSpareRow)
{
    const ListModel& m = w->model();
    EXPECT_EQ(m.gridRowCount(), 2);
    EXPECT_EQ(review().LastRow(), 0);
    EXPECT_TRUE(review().listIsEmpty());
    const QStringList titles = {" ", "Numéro", "Répertoire", "Nom", "Qualité", "Zône", "Extra"};
    for (int c = 0; c < ListModel::kColumnCount; ++c) {
        EXPECT_EQ(m.cell(c, 0), titles[c]);
        EXPECT_EQ(m.headerData(c, Qt::Horizontal).toString(), titles[c]);
        EXPECT_EQ(m.cell(c, 1), "");
    }
    EXPECT_EQ(w->windowTitle(), "Liste");
    EXPECT_EQ(w->size(), QSize(512, 393));
}

TEST_F(ListWindowTest, AddFilesCancelReplaceAndAppend)
{
    struct Step {
        bool replace;
        QStringList chosen;  // empty: cancelled
        QStringList names;
        QStringList numbers;
    };
    const Step steps[] = {
        {false, {"a.bmp", "b.bmp", "c.jpg"}, {"a.bmp", "b.bmp", "c.jpg"}, {"0000", "0001", "0002"}},
        {false, {"d.bmp", "e.bmp"}, {"a.bmp", "b.bmp", "c.jpg", "d.bmp", "e.bmp"}, {"0000", "0001", "0002", "0003", "0004"}},
        {true, {}, {"a.bmp", "b.bmp", "c.jpg", "d.bmp", "e.bmp"}, {"0000", "0001", "0002", "0003", "0004"}},
        {true, {"x.bmp", "y.bmp"}, {"x.bmp", "y.bmp"}, {"0000", "0001"}},
    };
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        review().SetPlaying(true);
        addFiles(s.chosen, s.replace);
        EXPECT_EQ(column(ListModel::ColName), s.names);
        EXPECT_EQ(column(ListModel::ColNumber), s.numbers);
        EXPECT_EQ(review().LastRow(), s.names.size());
        EXPECT_EQ(w->model().gridRowCount(), s.names.size() + 2);
        EXPECT_EQ(review().CurrentRow(), 1);
        EXPECT_FALSE(review().Playing());
    }
    EXPECT_EQ(column(ListModel::ColDirectory), QStringList({dir, dir}));
    EXPECT_EQ(column(ListModel::ColQuality), QStringList({"0", "0"}));
    EXPECT_EQ(column(ListModel::ColZone), QStringList({" ", " "}));
    EXPECT_EQ(column(ListModel::ColExtra), QStringList({" ", " "}));
    EXPECT_EQ(column(ListModel::ColMark), QStringList({" ", " "}));
    EXPECT_EQ(programOptions().LastImageDirectory, dir);
    EXPECT_EQ(w->EntryPath(2), dir + "y.bmp");

    programOptions().DefaultScore = '2';
    addFiles({"z.bmp"});
    EXPECT_EQ(w->model().cell(ListModel::ColQuality, 3), "2");
}

TEST_F(ListWindowTest, RightClicksMarkAndEffacerKeepsTheRest)
{
    addFiles({"a", "b", "c", "d", "e"});
    clickRow(1, Qt::RightButton);
    clickRow(1, Qt::RightButton);
    clickRow(2, Qt::RightButton);
    clickRow(4, Qt::RightButton);
    clickRow(6, Qt::RightButton);  // the spare row stays empty
    EXPECT_EQ(column(ListModel::ColMark), QStringList({" ", "*", " ", "*", " "}));
    EXPECT_EQ(w->model().headerData(1, Qt::Vertical).toString(), "*");
    EXPECT_EQ(w->model().cell(ListModel::ColMark, 6), "");

    w->Effacer1Click();
    EXPECT_EQ(column(ListModel::ColName), QStringList({"a", "c", "e"}));
    EXPECT_EQ(column(ListModel::ColNumber), QStringList({"0000", "0001", "0002"}));
    EXPECT_EQ(column(ListModel::ColMark), QStringList({" ", " ", " "}));
    EXPECT_EQ(w->model().cell(ListModel::ColNumber, 0), "Numéro");
    EXPECT_EQ(review().LastRow(), 3);
    EXPECT_EQ(w->model().gridRowCount(), 5);
}

TEST_F(ListWindowTest, DraggedRowsKeepTheirNumbersUntilRenumbered)
{
    addFiles({"a", "b", "c"});
    QHeaderView* side = w->grid()->verticalHeader();
    side->moveSection(2, 0);  // the third entry dragged to the top by its fixed cell
    EXPECT_EQ(column(ListModel::ColName), QStringList({"c", "a", "b"}));
    EXPECT_EQ(column(ListModel::ColNumber), QStringList({"0002", "0000", "0001"}));
    for (int i = 0; i < side->count(); ++i)
        EXPECT_EQ(side->logicalIndex(i), i);
    side->moveSection(3, 0);  // the spare row can't be moved
    EXPECT_EQ(column(ListModel::ColName), QStringList({"c", "a", "b"}));

    w->Renumeroter1Click();
    EXPECT_EQ(column(ListModel::ColNumber), QStringList({"0000", "0001", "0002"}));

    side->moveSection(0, 2);
    EXPECT_EQ(column(ListModel::ColName), QStringList({"a", "b", "c"}));
    w->Effacer1Click();  // nothing marked: every entry stays, numbered again from 0000
    EXPECT_EQ(column(ListModel::ColNumber), QStringList({"0000", "0001", "0002"}));
}

TEST_F(ListWindowTest, NumbersGetAFifthDigitFrom10000)
{
    QStringList many;
    for (int i = 0; i < 10001; ++i)
        many << dir + QString::number(i) + ".bmp";
    w->AppendFiles(many);
    w->Recount();
    EXPECT_EQ(review().LastRow(), 10001);
    EXPECT_EQ(w->model().cell(ListModel::ColNumber, 10000), "9999");
    EXPECT_EQ(w->model().cell(ListModel::ColNumber, 10001), "10000");
    w->Renumeroter1Click();
    EXPECT_EQ(w->model().cell(ListModel::ColNumber, 10001), "10000");
}

TEST_F(ListWindowTest, SelectRowHandlesTheEndsAndPages)
{
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names << QString::number(i);
    addFiles(names);

    struct End {
        bool loop;
        int row;
        int current;
        bool stopsPlaying;
    };
    const End ends[] = {
        {false, 301, 300, true}, {false, 0, 1, true}, {false, 150, 150, false},
        {true, 301, 1, false},   {true, 0, 300, false}, {true, -7, 300, false},
    };
    for (const End& e : ends) {
        programOptions().SlideLoop = e.loop;
        review().SetPlaying(true);
        w->SelectRow(e.row);
        EXPECT_EQ(review().CurrentRow(), e.current) << e.row << " loop " << e.loop;
        EXPECT_EQ(review().Playing(), !e.stopsPlaying) << e.row << " loop " << e.loop;
        const QModelIndexList sel = w->grid()->selectionModel()->selectedRows();
        ASSERT_EQ(sel.size(), 1);
        EXPECT_EQ(sel[0].row(), e.current - 1);
    }

    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const int v = w->VisibleRowCount();
    ASSERT_GT(v, 2);
    struct Page {
        int row;
        int top;
    };
    const Page pages[] = {{1, 1}, {v - 1, 1}, {v, v}, {v + 1, v}, {2 * v + 3, 2 * v}, {3 * v, 3 * v}, {5, 1}};
    for (const Page& p : pages) {
        w->SelectRow(p.row);
        EXPECT_EQ(w->TopRow(), p.top) << "row " << p.row << " v " << v;
    }
    // A list just read is paged at once, before the view has laid itself out.
    sp.answerOpen(paths(names));
    w->AddFiles(true);
    w->SelectRow(2 * v + 1);
    EXPECT_EQ(w->TopRow(), 2 * v);
}

TEST_F(ListWindowTest, TagsGoIntoTheCurrentEntryOnly)
{
    review().SelectRow(1);
    review().TagEntry(3, TagMode::Quality);  // empty list: nothing is written anywhere
    EXPECT_EQ(w->model().gridRowCount(), 2);
    EXPECT_EQ(w->model().cell(ListModel::ColQuality, 1), "");

    addFiles({"a", "b"});
    w->SelectRow(2);
    review().TagEntry(1, TagMode::Quality);
    review().TagEntry(7, TagMode::Zone);
    review().TagEntry(10, TagMode::Extra);
    EXPECT_EQ(column(ListModel::ColQuality), QStringList({"0", "1"}));
    EXPECT_EQ(column(ListModel::ColZone), QStringList({" ", "7"}));
    EXPECT_EQ(column(ListModel::ColExtra), QStringList({" ", "10"}));

    struct Score {
        QString cell;
        int value;
        QString error;
    };
    const Score scores[] = {{"4", 4, {}}, {"-2", -2, {}}, {"x", 0, "'x' n'est pas une valeur entière correcte"},
                            {" ", 0, "' ' n'est pas une valeur entière correcte"}};
    for (const Score& s : scores) {
        w->model().setCell(ListModel::ColQuality, 1, s.cell);
        int got = 0;
        EXPECT_EQ(errorOf([&] { got = w->EntryScore(1); }), s.error);
        EXPECT_EQ(got, s.value);
    }
    EXPECT_EQ(w->EntryScore(3), 0);  // the spare row's empty cell
}

TEST_F(ListWindowTest, LeftClickMakesTheEntryCurrent)
{
    addFiles({"a", "b", "c"});
    review().SetPlaying(true);
    clickRow(3, Qt::LeftButton);
    EXPECT_EQ(review().CurrentRow(), 3);
    EXPECT_FALSE(review().Playing());
    EXPECT_EQ(w->grid()->selectionModel()->selectedRows().value(0).row(), 2);
}

TEST_F(ListWindowTest, PasteSavesTheClipboardBitmapAndAppendsIt)
{
    QClipboard* cb = QGuiApplication::clipboard();
    cb->clear();
    w->CollerPressepapier1Click();
    EXPECT_EQ(sp.messages(), QStringList({"Pas de Bitmap Disponible dans le presse Papier"}));
    cb->setText("texte seulement");
    w->CollerPressepapier1Click();
    EXPECT_EQ(sp.messages().size(), 2);
    EXPECT_EQ(w->model().entryCount(), 0);

    QSignalSpy wanted(&review_, &ReviewController::viewWanted);
    QImage img(40, 30, QImage::Format_ARGB32);
    img.fill(QColor(10, 200, 30));
    addFiles({"a.bmp"});

    // Cancelled, then a target that can't be written, then saved.
    cb->setImage(img);
    sp.answerSave(std::nullopt);
    w->CollerPressepapier1Click();
    sp.answerSave(dir + "absent/colle.bmp");
    EXPECT_EQ(errorOf([&] { w->CollerPressepapier1Click(); }), "Fichier introuvable");
    EXPECT_EQ(w->model().entryCount(), 1);
    EXPECT_TRUE(cb->mimeData()->hasImage());

    sp.answerSave(dir + "colle.bmp");
    w->CollerPressepapier1Click();
    EXPECT_EQ(column(ListModel::ColName), QStringList({"a.bmp", "colle.bmp"}));
    EXPECT_EQ(column(ListModel::ColNumber), QStringList({"0000", "0001"}));
    EXPECT_EQ(w->model().cell(ListModel::ColDirectory, 2), dir);
    EXPECT_EQ(w->model().cell(ListModel::ColQuality, 2), "0");
    EXPECT_EQ(review().LastRow(), 2);
    QImageReader reader(dir + "colle.bmp");
    EXPECT_EQ(reader.format(), "bmp");
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(40, 30));
    EXPECT_EQ(back.pixelColor(5, 5), QColor(10, 200, 30));
    // The pasted picture is shown as the current entry, in a slideshow window made visible.
    ASSERT_EQ(wanted.size(), 1);
    EXPECT_EQ(wanted[0][0].value<ReviewView>(), ReviewView::SlideshowShown);
    EXPECT_EQ(review().CurrentRow(), 2);
    EXPECT_EQ(review().frame().caption, dir + "colle.bmp");
    EXPECT_EQ(review().frame().picture.size(), QSize(40, 30));
    EXPECT_FALSE(cb->mimeData() && cb->mimeData()->hasImage());
}

TEST_F(ListWindowTest, EmptyingAsksFirst)
{
    addFiles({"a", "b"});
    sp.answerConfirm(false);
    w->ViderlaListe1Click();
    EXPECT_EQ(w->model().entryCount(), 2);
    sp.answerConfirm(true);
    w->ViderlaListe1Click();
    EXPECT_EQ(w->model().entryCount(), 0);
    EXPECT_EQ(review().LastRow(), 0);
    EXPECT_EQ(sp.messages(), QStringList({"Vider la Liste?", "Vider la Liste?"}));
}

TEST_F(ListWindowTest, SavedListOpensBackTheSame)
{
    addFiles({"a.bmp", "b.bmp", "c.bmp"});
    w->SelectRow(2);
    review().TagEntry(2, TagMode::Quality);
    review().TagEntry(5, TagMode::Zone);
    w->model().toggleMark(3);

    sp.answerSave(dir + "serie");
    w->Enregistrersous1Click();
    const QString path = dir + "serie.LST";
    EXPECT_EQ(programOptions().LastListFile, path);
    EXPECT_EQ(readAll(path).count("\r\n"), 6 + 18);

    sp.answerOpen({});
    EXPECT_FALSE(w->Ouvrir1Click());  // cancelled: the list stays
    EXPECT_EQ(w->model().entryCount(), 3);

    w->ClearList();
    programOptions().LastImageDirectory.clear();
    sp.answerOpen({path, dir + "autre.lst"});
    EXPECT_TRUE(w->Ouvrir1Click());
    EXPECT_EQ(column(ListModel::ColName), QStringList({"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(column(ListModel::ColQuality), QStringList({"0", "2", "0"}));
    EXPECT_EQ(column(ListModel::ColZone), QStringList({" ", "5", " "}));
    EXPECT_EQ(column(ListModel::ColMark), QStringList({" ", " ", " "}));
    EXPECT_EQ(review().LastRow(), 3);
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_EQ(programOptions().LastImageDirectory, dir);
    EXPECT_EQ(sp.shown().back().text, "Liste (*.lst)|*.LST|Tous fichiers (*.*)|*.*");
}

TEST_F(ListWindowTest, FailedOpenLeavesATrueEmptyList)
{
    ASSERT_TRUE(writeAll(dir + "bad.lst", "3\r\nV\r\nv\r\nsix\r\n"));
    struct Case {
        QString file;
        QString error;
    };
    const Case cases[] = {{dir + "absent.lst", "Fichier introuvable"},
                          {dir + "bad.lst", "'six' n'est pas une valeur entière correcte"}};
    for (const Case& c : cases) {
        addFiles({"a", "b"});
        sp.answerOpen({c.file});
        EXPECT_EQ(errorOf([&] { w->Ouvrir1Click(); }), c.error);
        EXPECT_EQ(w->model().entryCount(), 0);
        EXPECT_EQ(review().LastRow(), 0);
        EXPECT_EQ(programOptions().LastListFile, c.file);
    }
}

TEST_F(ListWindowTest, OpenAndRenameRepointsToTheListsDirectory)
{
    ASSERT_TRUE(QDir(dir).mkpath("new"));
    const QString path = dir + "new/a.lst";
    ASSERT_TRUE(writeAll(path, "2\r\nV\r\nv\r\n6\r\n6\r\n\r\n"
                               "0000\r\nC:\\old\\\r\nx.bmp\r\n1\r\n \r\n \r\n"
                               "0001\r\n/old/\r\ny.bmp\r\n2\r\n3\r\n4\r\n"));
    sp.answerOpen({});
    w->OuvriretRenommer1Click();
    EXPECT_EQ(w->model().entryCount(), 0);

    sp.answerOpen({path});
    w->OuvriretRenommer1Click();
    EXPECT_EQ(column(ListModel::ColDirectory), QStringList({dir + "new/", dir + "new/"}));
    EXPECT_EQ(column(ListModel::ColName), QStringList({"x.bmp", "y.bmp"}));
    EXPECT_EQ(column(ListModel::ColExtra), QStringList({" ", "4"}));
    EXPECT_EQ(column(ListModel::ColNumber), QStringList({"0000", "0001"}));
}

}  // namespace
