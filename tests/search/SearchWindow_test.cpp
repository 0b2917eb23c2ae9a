// The search and sort window driven as the user drives it, on a real tree, with scripted dialogs.
#include "list/ListModel.h"
#include "search/FoundFiles.h"
#include "search/ResultPrinting.h"
#include "search/Umiseenpage.h"
#include "search/Urec.h"
#include "search/Urepdialog.h"

#include "../list/QtPrinters.h"
#include "ScriptedPrompts.h"
#include "SearchTree.h"
#include "TestFiles.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

class SearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPrompts(&sp);
        chooser.SetRepertoire(tree.root);
        w.SetChooser(&chooser);
    }
    void TearDown() override
    {
        EXPECT_TRUE(sp.allAnswered());
        setPrompts(nullptr);
    }
    void search(const QString& filter, int depth)
    {
        w.FilterBox->setEditText(filter);
        w.DepthBox->setValue(depth);
        w.SearchButton->click();
    }
    QStringList tableNames() const
    {
        QStringList out;
        auto* m = w.TableauView->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 2).data().toString();
        return out;
    }
    QAction* action(const QString& text) const
    {
        for (QAction* a : w.ResultActions)
            if (a->text() == text)
                return a;
        return nullptr;
    }

    SearchTree tree;
    ScriptedPrompts sp;
    TRepDialog chooser;
    TFormRec w;
};

TEST_F(SearchWindowTest, SearchFillsBothViewsAndTheCount)
{
    EXPECT_EQ(w.windowTitle(), "Recherches et Tris de Fichiers");
    EXPECT_EQ(w.FilterBox->currentText(), "*.*");
    EXPECT_EQ(w.DepthBox->maximum(), 100);
    EXPECT_EQ(w.CountLabel->text(), "0");

    search("*.bmp", 100);
    EXPECT_EQ(w.CountLabel->text(), "7");
    EXPECT_EQ(w.ProfondeurMax(), 100);
    EXPECT_EQ(w.ListeView->model()->rowCount(), 14);
    EXPECT_EQ(w.TableauView->model()->rowCount(), 8);  // seven files and the empty row
    EXPECT_EQ(tableNames().last(), "");
    EXPECT_EQ(w.TableauView->model()->headerData(1, Qt::Horizontal).toString(), "Répertoire");
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(w.TableauView->model()->index(r, 0).data().toString(), " ");

    EXPECT_EQ(w.ResultArea->currentWidget(), w.ListeView);
    w.Tabs->setCurrentIndex(1);
    EXPECT_EQ(w.ResultArea->currentWidget(), w.TableauView);

    search("*.gif", 100);
    EXPECT_EQ(w.CountLabel->text(), "0");
    EXPECT_EQ(w.ListeView->model()->rowCount(), 0);
    EXPECT_EQ(w.TableauView->model()->rowCount(), 1);
}

TEST_F(SearchWindowTest, OkWithoutAClickHandsEveryFileToTheList)
{
    search("*.bmp", 100);
    w.FilterBox->setEditText("*.jpg");
    ListModel list;
    list.appendFiles({"/old/x.bmp"}, "0");

    QStringList choices;
    sp.answerDialog([&](QDialog*) {
        for (int i = 0; i < w.FilterBox->count(); ++i)
            choices << w.FilterBox->itemText(i);
        w.OkButton->click();
    });
    ASSERT_TRUE(w.ChoisirImages());
    EXPECT_EQ(choices, (QStringList{"*.bmp", "*.Fit", "*.jpg", "*.ico", "*.emf", "*.wmf",
                                    "*.bmp;*.fit;*.jpeg;*.ico;*.wmf;*.emf", "*.fit;*.fits;*.fts;*.fz;*.png;*.tif;*.tiff",
                                    "*.ser;*.avi", "*.*"}));
    EXPECT_EQ(w.FilterBox->currentText(), "*.jpg");
    EXPECT_EQ(appendFoundFiles(list, w.Results(), "0"), 7);
    ASSERT_EQ(list.entryCount(), 8);
    for (int row = 2; row <= 8; ++row) {
        const ListEntry& e = list.entry(row);
        const int k = row - 2;
        EXPECT_EQ(e.number, ListModel::formatNumber(row - 1));
        EXPECT_EQ(e.directory, w.Results().Lines[2 * k]);
        EXPECT_EQ(e.name, w.Results().Lines[2 * k + 1]);
    }

    // "Annuler" hands nothing over.
    sp.answerDialog([&](QDialog*) { w.CancelButton->click(); });
    EXPECT_FALSE(w.ChoisirImages());
}

TEST_F(SearchWindowTest, ReopenedItKeepsTheResultsUnmarkedAndQuitterCloses)
{
    search("*.bmp", 100);
    sp.answerDialog([&](QDialog*) { w.OkButton->click(); });
    ASSERT_TRUE(w.ChoisirImages());
    ASSERT_EQ(w.Results().markedCount(), 7);

    struct Case {
        const char* what;
        std::function<void()> close;
        bool accepted;
        int handed;  // files a hand-off after it gives
    };
    const Case cases[] = {
        {"OK without a click", [&] { w.OkButton->click(); }, true, 7},
        {"a row clicked, OK", [&] { w.TableClick(2, {}); w.OkButton->click(); }, true, 1},
        {"Quitter", [&] { w.QuitterAction->trigger(); }, false, 0},
    };
    for (const Case& c : cases) {
        int markedWhenShown = -1;
        QStringList marks;
        sp.answerDialog([&](QDialog*) {
            markedWhenShown = w.Results().markedCount();
            for (int r = 0; r < 7; ++r)
                marks << w.TableauView->model()->index(r, 0).data().toString();
            c.close();
        });
        EXPECT_EQ(w.ChoisirImages(), c.accepted) << c.what;
        EXPECT_EQ(markedWhenShown, 0) << c.what;
        EXPECT_EQ(marks, QStringList(7, " ")) << c.what;
        EXPECT_EQ(w.CountLabel->text(), "7") << c.what << ": the results stay";
        if (c.accepted) {
            EXPECT_EQ(w.Results().markedCount(), c.handed) << c.what;
        }
    }
}

TEST_F(SearchWindowTest, MouseClicksMarkRows)
{
    search("*.bmp", 100);
    w.Tabs->setCurrentIndex(1);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto click = [&](int row, Qt::KeyboardModifiers keys) {
        const QRect r = w.TableauView->visualRect(w.TableauView->model()->index(row - 1, 2));
        QTest::mouseClick(w.TableauView->viewport(), Qt::LeftButton, keys, r.center());
    };
    auto marked = [&] {
        QList<int> rows;
        for (int r = 1; r <= w.Results().count(); ++r)
            if (w.TableauView->model()->index(r - 1, 0).data().toString() == "*")
                rows << r;
        return rows;
    };
    click(2, {});
    EXPECT_EQ(w.TableauView->currentIndex().row(), 1);
    click(4, Qt::ShiftModifier);
    EXPECT_EQ(marked(), (QList<int>{2, 3, 4}));
    click(6, Qt::ControlModifier);
    EXPECT_EQ(marked(), (QList<int>{2, 3, 4, 6}));
    QTest::mouseClick(w.TableauView->viewport(), Qt::RightButton, {},
                      w.TableauView->visualRect(w.TableauView->model()->index(0, 2)).center());
    click(8, {});  // the empty row
    EXPECT_EQ(marked(), (QList<int>{2, 3, 4, 6}));

    w.OkClick();
    EXPECT_EQ(w.Results().markedCount(), 4);
    w.SelectAllButton->click();
    EXPECT_EQ(marked().size(), 7);
}

TEST_F(SearchWindowTest, NoSecondSearchWhileOneRuns)
{
    bool sawSearching = false;
    bool buttonEnabled = true;
    QTimer::singleShot(0, &w, [&] {
        sawSearching = w.Searching();
        buttonEnabled = w.SearchButton->isEnabled();
        w.RechercherClick();
        w.NouveauClick();
    });
    search("*.bmp", 100);
    EXPECT_TRUE(sawSearching);
    EXPECT_FALSE(buttonEnabled);
    EXPECT_FALSE(w.Searching());
    EXPECT_TRUE(w.SearchButton->isEnabled());
    EXPECT_EQ(w.Results().count(), 7);
    EXPECT_EQ(w.Results().Lines.size(), 14);

    // Closing the window during a search ends it, and is no OK.
    sp.answerDialog([&](QDialog*) {
        QTimer::singleShot(0, &w, [&] {
            w.OkButton->click();  // disabled while searching
            w.reject();
        });
        search("*.bmp", 100);
    });
    EXPECT_FALSE(w.ChoisirImages());
    EXPECT_FALSE(w.Searching());
    EXPECT_EQ(w.Results().count(), 0);
}

TEST_F(SearchWindowTest, ResultsFiles)
{
    const QString seven = tree.tmp.filePath("sept.txt");
    ASSERT_TRUE(writeAll(seven, "/a/\r\nun\r\n/b/\ndeux\r/c/\r\ntrois\r\nseul\r\n"));
    sp.answerOpen({seven});
    action("&Ouvrir..")->trigger();
    EXPECT_EQ(w.CountLabel->text(), "3");
    EXPECT_EQ(w.ListeView->model()->rowCount(), 7);
    EXPECT_EQ(tableNames(), (QStringList{"un", "deux", "trois", ""}));
    EXPECT_EQ(w.ResultsFileName(), seven);

    // A file that can't be read: the message, the lines as they were, the name already taken.
    const QString missing = tree.tmp.filePath("absent.txt");
    sp.answerOpen({missing});
    w.OuvrirClick();
    EXPECT_EQ(sp.messages().last(), "Impossible d'ouvrir le fichier " + missing);
    EXPECT_EQ(w.Results().Lines.size(), 7);
    EXPECT_EQ(w.ResultsFileName(), missing);

    // A file of nothing but line feeds names no file.
    const QString feeds = tree.tmp.filePath("vide.txt");
    ASSERT_TRUE(writeAll(feeds, QByteArray(20 << 20, '\n')));
    sp.answerOpen({feeds});
    w.OuvrirClick();
    EXPECT_EQ(w.CountLabel->text(), "0");
    EXPECT_LE(w.ListeView->model()->rowCount(), 3);
    EXPECT_EQ(w.TableauView->model()->rowCount(), 1);

    // A search saved for the first time asks for a name; Latin-1, CR LF.
    search("été.*", 0);
    const QString saved = tree.tmp.filePath("res.txt");
    sp.answerSave(saved);
    w.EnregistrersousClick();
    EXPECT_EQ(readAll(saved), (tree.root.toUtf8() + "\r\n\xE9t\xE9.BMP\r\n"));

    // "Nouveau.." keeps the name: "&Enregistrer" then writes an empty file there.
    w.NouveauClick();
    EXPECT_EQ(w.CountLabel->text(), "0");
    EXPECT_EQ(w.TableauView->model()->rowCount(), 1);
    action("&Enregistrer")->trigger();
    EXPECT_EQ(readAll(saved), QByteArray());

    const QString bad = tree.tmp.filePath("absent/res.txt");
    sp.answerSave(bad);
    w.EnregistrersousClick();
    EXPECT_EQ(sp.messages().last(), "Impossible de créer le fichier " + bad);
}

TEST_F(SearchWindowTest, SupprimerListsTheUnmarkedFilesByDirectory)
{
    search("*.bmp", 100);
    // Mark every file of the root; the other directories keep theirs.
    for (int r = 1; r <= w.Results().count(); ++r)
        if (w.Results().row(r).directory == tree.root)
            w.TableClick(r, Qt::ControlModifier);
    w.SupprimerClick();
    const QStringList& l = w.Results().Lines;
    EXPECT_EQ(l.mid(0, 4), (QStringList{"", "REP = " + tree.root, "", ""}));
    EXPECT_EQ(l.count("REP = " + tree.root + "sub/"), 1);
    EXPECT_TRUE(l.contains("e.bmp"));
    EXPECT_FALSE(l.contains("a.bmp"));
    EXPECT_EQ(w.CountLabel->text(), "3");
    EXPECT_EQ(w.TableauView->model()->rowCount(), 4);
}

TEST_F(SearchWindowTest, PrintsTheLinesPageByPage)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext not installed (poppler-utils)";
    QStringList lines;
    for (int i = 1; i <= 30; ++i)
        lines << QString("Ligne %1").arg(i, 2, 10, QChar('0'));
    const QString file = tree.tmp.filePath("lignes.txt");
    ASSERT_TRUE(writeAll(file, (lines.join("\r\n") + "\r\n").toLatin1()));
    sp.answerOpen({file});
    w.OuvrirClick();

    const QString pdf = tree.tmp.filePath("sortie.pdf");
    QPrinter& printer = w.Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);

    // "Mise en Page..": a large font, then "Imprimer..", which goes through the print dialog.
    QFont big("DejaVu Sans");
    big.setPointSize(40);
    QString sampleFamily;
    sp.answerDialog([&](QDialog* d) {
        auto* setup = static_cast<TFormMiseEnPage*>(d);
        EXPECT_EQ(setup->Sample->text(), "azerty\nAZERTY\n134567890");
        EXPECT_EQ(setup->Fonte(), w.ListeView->font());
        setup->FontButton->click();
        sampleFamily = setup->Sample->font().family();
        setup->PrintButton->click();
    });
    sp.answerFont(big);
    sp.answerDialog([](QDialog* d) { d->accept(); });
    w.MiseenPageClick();
    EXPECT_EQ(w.PrinterFont(), big);
    EXPECT_EQ(w.ListeView->font(), big);
    EXPECT_EQ(sampleFamily, big.family());

    const int perPage = linesPerPage(printer.height(), QFontMetrics(big, &printer).height());
    ASSERT_GT(perPage, 1);
    ASSERT_LT(perPage, 30);
    const QList<QStringList> pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), (30 + perPage - 1) / perPage);
    for (int p = 0; p < pages.size(); ++p)
        EXPECT_EQ(pages[p], lines.mid(p * perPage, perPage)) << "page " << p + 1;

    // Cancelled print dialog: nothing printed. Cancelled page set-up: the fonts stay.
    QFile::remove(pdf);
    sp.answerDialog([](QDialog* d) { d->reject(); });
    w.ImprimerClick();
    EXPECT_FALSE(QFile::exists(pdf));
    sp.answerDialog([&](QDialog* d) {
        auto* setup = static_cast<TFormMiseEnPage*>(d);
        setup->FontButton->click();
        setup->CancelButton->click();
    });
    sp.answerFont(QFont("DejaVu Serif", 9));
    w.MiseenPageClick();
    EXPECT_EQ(w.PrinterFont(), big);
}

}  // namespace
