// The batch passes driven through the started program: menu entries, their option dialogs and the
// directory chooser, the list-modified mark, and a real Space key while a pass runs.
#include "../app/ProgramFixture.h"
#include "BatchFixture.h"
#include "batch/FileJournal.h"
#include "batch/Uoptionsrenommer.h"
#include "batch/Uoptrierzone.h"
#include "list/Uliste.h"
#include "search/Urepdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

class BatchMenus : public ProgramTest {
protected:
    void SetUp() override
    {
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        ProgramTest::SetUp();
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        setFileOps(nullptr);
        qputenv("XDG_DATA_HOME", savedData);
    }
    QString make(const QString& name)
    {
        const QString p = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(p).absolutePath()));
        EXPECT_TRUE(writeAll(p, bytesOf(QFileInfo(p).fileName())));
        return p;
    }
    // Entries for the files, with these zones, unmodified.
    QStringList listed(const QStringList& names, const QStringList& zones = {})
    {
        QStringList paths;
        for (const QString& n : names)
            paths << make(n);
        review().document().appendFiles(paths);
        for (int i = 0; i < zones.size(); ++i)
            review().model().setCell(ListModel::ColZone, i + 1, zones[i]);
        review().Recount();
        review().SetListModified(false);
        return paths;
    }
    void menu(const char* name) { commande->MenuAction(QString::fromUtf8(name))->trigger(); }
    QStringList entryPaths() const
    {
        QStringList out;
        for (int row = 1; row <= review().document().entryCount(); ++row)
            out << review().EntryPath(row);
        return out;
    }

    QTemporaryDir dir;
    QTemporaryDir data;
    QByteArray savedData;
};

TEST_F(BatchMenus, ScoreZeroMarksTheListModifiedWhateverTheAnswer)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Oui" : "Non");
        review().document().clear();
        const QStringList paths = listed({QStringLiteral("z%1.bmp").arg(yes), QStringLiteral("k%1.bmp").arg(yes)});
        review().model().setCell(ListModel::ColQuality, 1, "0");
        review().model().setCell(ListModel::ColQuality, 2, "1");
        scripted.clear();
        scripted.answerConfirm(yes);
        menu("Executer_SupprimerFichiersScores0");
        EXPECT_TRUE(review().ListModified());
        EXPECT_EQ(QFileInfo::exists(paths[0]), !yes);
        EXPECT_EQ(entryPaths(), yes ? QStringList{paths[1]} : paths);
        EXPECT_EQ(scripted.messages().size(), yes ? 2 : 1);
    }
    EXPECT_EQ(trashListed(), QStringList{dir.filePath("z1.bmp")});
}

TEST_F(BatchMenus, SortTakesItsBaseDirectoryFromTheChooserThroughItsDialog)
{
    const QString tri = dir.filePath("tri");
    ASSERT_TRUE(QDir().mkpath(tri));
    listed({"a.bmp", "b.bmp", "c.bmp"}, {"1", " ", "2"});
    scripted.answerDialog([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Options Trier par Zones dans Sous Répertoire:"));
        auto* dlg = static_cast<TFormopTrierZone*>(d);
        dlg->CheckBoxRep->setChecked(true);
        scripted.answerDialog([&](QDialog* chooser) {
            static_cast<TRepDialog*>(chooser)->SetRepertoire(tri);
            static_cast<TRepDialog*>(chooser)->OkClick();
        });
        dlg->BitBtnParcourir->click();
        EXPECT_EQ(dlg->EditNomREpBase->text(), tri);  // as chosen, without the final "/"
        dlg->BitBtnOkClick();
    });
    menu("Executer_TrierparzonedanssousRepertoire");
    EXPECT_TRUE(programOptions().SortMoveToBase);
    EXPECT_EQ(programOptions().SortBaseDirectory, tri + "/");
    EXPECT_EQ(entryPaths(), (QStringList{tri + "/Zone1/a.bmp", dir.filePath("b.bmp"), tri + "/Zone2/c.bmp"}));
    EXPECT_EQ(scripted.messages(), QStringList{QString::fromUtf8("Traitement Terminé: 2 Fichiers Traités")});
    EXPECT_TRUE(review().ListModified());

    // Cancelled, the dialog leaves the sort to each file's own folder.
    review().document().clear();
    listed({"d.bmp"}, {"4"});
    scripted.clear();
    scripted.answerDialog([](QDialog* d) { static_cast<TFormopTrierZone*>(d)->BitBtnAnnulerClick(); });
    menu("Executer_TrierparzonedanssousRepertoire");
    EXPECT_EQ(entryPaths(), QStringList{dir.filePath("Zone4/d.bmp")});
}

TEST_F(BatchMenus, RenameStoresTheBaseNameCutAtItsDotAndRenames)
{
    listed({"a.bmp", "b.jpg"});
    // The options alone first: "Ok" stores into the live options.
    scripted.answerDialog([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Options Renommer:");
        d->findChild<QCheckBox*>("CheckBoxRenommer")->setChecked(true);
        d->findChild<QLineEdit*>("EditNomLot")->setText("Serie.old");
        static_cast<TFormOptionsRenommer*>(d)->BitBtnOkClick();
    });
    menu("Options_Renommer");
    EXPECT_EQ(programOptions().BatchName, "Serie");
    EXPECT_FALSE(review().ListModified());

    scripted.answerDialog([](QDialog* d) { static_cast<TFormOptionsRenommer*>(d)->BitBtnOkClick(); });
    menu("Executer_RenommerDeplacer");
    EXPECT_EQ(entryPaths(), (QStringList{dir.filePath("Serie0001.bmp"), dir.filePath("Serie0002.jpg")}));
    EXPECT_EQ(scripted.messages().last(), QString::fromUtf8("Traitement Terminé: 2 Fichiers Traités"));
    EXPECT_EQ(readAll(dir.filePath("Serie0002.jpg")), bytesOf("b.jpg"));
    EXPECT_TRUE(review().ListModified());

    // Cancelled: nothing is renamed, the list is still marked modified.
    review().SetListModified(false);
    scripted.clear();
    scripted.answerDialog([](QDialog*) {});
    menu("Executer_RenommerDeplacer");
    EXPECT_EQ(scripted.messages(), QStringList{"Pas de Nom Valide"});
    EXPECT_TRUE(review().ListModified());
}

TEST_F(BatchMenus, SpaceTypedInTheListStopsTheSort)
{
    QStringList names, zones;
    for (int i = 0; i < 8; ++i) {
        names << QStringLiteral("f%1.bmp").arg(i);
        zones << "1";
    }
    const QStringList paths = listed(names, zones);
    HookedOps ops;
    ops.after = [](int call) {
        if (call != 3)
            return;
        QCoreApplication::postEvent(appWindows().Liste->grid(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
        QThread::msleep(20);  // events are let through at most every 15 ms
    };
    setFileOps(&ops);
    scripted.answerDialog([](QDialog*) {});
    menu("Executer_TrierparzonedanssousRepertoire");
    EXPECT_EQ(ops.calls, 3);
    EXPECT_EQ(scripted.messages().last(), QString::fromUtf8("Traitement Terminé: 3 Fichiers Traités"));
    EXPECT_EQ(entryPaths().mid(2), (QStringList{dir.filePath("Zone1/f2.bmp")} + paths.mid(3)));
    EXPECT_FALSE(review().BatchRunning());
}

TEST_F(BatchMenus, ASortOnAFullDiskSaysHowManyFailedAndWhy)
{
    QStringList names, zones;
    for (int i = 0; i < 6; ++i) {
        names << QStringLiteral("f%1.bmp").arg(i);
        zones << "2";
    }
    const QStringList paths = listed(names, zones);
    HookedOps ops;
    ops.failWith = [](int call) { return call > 2 ? ENOSPC : 0; };
    setFileOps(&ops);
    scripted.answerDialog([](QDialog*) {});
    scripted.answerChoice(Choice::YesToAll);
    menu("Executer_TrierparzonedanssousRepertoire");
    EXPECT_EQ(scripted.messages().last(), QString::fromUtf8("Traitement Terminé: 2 Fichiers Traités\n"
                                                            "4 Échecs, le premier : Disque plein : ")
                                              + paths[2]);
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_EQ(entryPaths(), (QStringList{dir.filePath("Zone2/f0.bmp"), dir.filePath("Zone2/f1.bmp")} + paths.mid(2)));
}

TEST_F(BatchMenus, NamesWithALineBreakAreRefusedWhenAdded)
{
    const QString good = dir.filePath("good.bmp"), bad = make("two\nlines.bmp"), cr = make("ret\rour.bmp");
    ASSERT_TRUE(writeTestImage(good, 8, 8));
    scripted.answerOpen({good, bad, cr});
    scripted.answerDialog([](QDialog*) {});  // the thumbnail options the new page asks for
    menu("Edition_AjouteralaListe");
    EXPECT_EQ(entryPaths(), QStringList{good});
    EXPECT_EQ(scripted.messages(),
              QStringList{QString::fromUtf8("Nom refusé dans la liste (retour à la ligne dans le nom) : ") + dir.filePath("two\\nlines.bmp")
                          + QString::fromUtf8("\nNom refusé dans la liste (retour à la ligne dans le nom) : ")
                          + dir.filePath("ret\\rour.bmp")});
}

TEST_F(BatchMenus, ACutPassIsSettledAtStartAndUndoneFromTheEditionMenu)
{
    const QStringList paths = listed({"a.bmp", "b.bmp"}, {"1", "2"});
    scripted.answerDialog([](QDialog*) {});
    menu("Executer_TrierparzonedanssousRepertoire");
    // A pass cut after its record of a.bmp was written: at the next start it is settled.
    JournalWriter cut(QStringLiteral("TriZones"));
    JournalRecord r;
    r.index = 0;
    r.source = dir.filePath("Zone1/a.bmp");
    r.requested = dir.filePath("elsewhere/a.bmp");
    r.identity = identityOf(r.source);
    ASSERT_TRUE(cut.record(r) && cut.sync());
    EXPECT_FALSE(readJournal(cut.path()).ended);
    restart();
    EXPECT_TRUE(readJournal(cut.path()).ended);

    // The cut pass moved nothing: the sort is the pass undone.
    listed({});
    review().document().appendFiles({dir.filePath("Zone1/a.bmp")});
    review().Recount();
    review().SetListModified(false);
    scripted.clear();
    scripted.answerConfirm(true);
    menu("Edition_AnnulerleDernierTraitement");
    EXPECT_EQ(scripted.messages().last(), QString::fromUtf8("Traitement Annulé: 2 Fichiers Rétablis"));
    EXPECT_EQ(entryPaths(), QStringList{paths[0]});
    EXPECT_TRUE(review().ListModified());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Zone1")));
}

}  // namespace
