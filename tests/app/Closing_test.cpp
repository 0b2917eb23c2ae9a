// Closing the program and the list-modified mark kept by the menu commands.
#include "ProgramFixture.h"
#include "list/Uliste.h"
#include "review/UDiapo.h"

#include <QMenu>
#include <QMenuBar>

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using ClosingTest = ProgramTest;

namespace {
QAction* menuEntry(const char* menu, const char* caption)
{
    for (QAction* top : appWindows().Commande->menuBar()->actions())
        if (top->text() == QString::fromUtf8(menu))
            for (QAction* a : top->menu()->actions())
                if (a->text() == QString::fromUtf8(caption))
                    return a;
    return nullptr;
}
}

TEST_F(ClosingTest, ClosingRightAfterStartAsksNothingAndSavesTheDesktop)
{
    commande->close();  // no answer queued: any question would be an error
    EXPECT_TRUE(scripted.shown().empty());
    EXPECT_FALSE(commande->isVisible());
    EXPECT_FALSE(appWindows().Liste->isVisible());
    EXPECT_FALSE(appWindows().Diapo->isVisible());
    EXPECT_EQ(readAll(optionsFilePath()).size(), kOptionsFileSize) << "AutoSaveDesktop is on by default";
}

TEST_F(ClosingTest, WithoutAutoSaveClosingWritesNoSettings)
{
    desktopOptions().AutoSaveDesktop = false;
    QTest::keyClick(appWindows().Diapo, Qt::Key_X, Qt::ControlModifier);  // "&Quitter"
    EXPECT_FALSE(commande->isVisible());
    EXPECT_FALSE(QFile::exists(optionsFilePath()));
}

TEST_F(ClosingTest, AfterAddingClosingOffersToSaveAndNonWritesNoListFile)
{
    QTemporaryDir dir;
    programOptions().LastListFile = dir.filePath("defaut.lst");
    scripted.answerOpen({});  // the open dialog of "&Ajouter à la Liste", cancelled
    QTest::keyClick(commande, Qt::Key_Insert);
    EXPECT_TRUE(review().ListModified());

    scripted.answerChoice(Choice::No);
    commande->close();
    ASSERT_FALSE(scripted.shown().empty());
    EXPECT_EQ(scripted.shown().back().kind, ScriptedPrompts::Kind::Choice);
    EXPECT_EQ(scripted.shown().back().caption, "Confirmation");
    EXPECT_EQ(scripted.shown().back().text, "Enregistrer les Modifications de la Liste?");
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ClosingTest, OuiSavesTheListBeforeTheProgramEnds)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("a.bmp");
    ASSERT_TRUE(writeTestImage(image, 8, 8));
    scripted.answerOpen({image});
    commande->MenuAction("Edition_AjouteralaListe")->trigger();
    ASSERT_FALSE(review().listIsEmpty());

    const QString listFile = dir.filePath("serie.LST");
    scripted.answerChoice(Choice::Yes);
    scripted.answerSave(listFile);
    commande->close();
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_TRUE(QFile::exists(listFile));
    EXPECT_FALSE(commande->isVisible());
}

// A save that did not happen must not clear the mark: closing would then lose the changes.
TEST_F(ClosingTest, OnlyAListActuallyWrittenCountsAsSaved)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("a.bmp");
    ASSERT_TRUE(writeTestImage(image, 8, 8));
    scripted.answerOpen({image});
    commande->MenuAction("Edition_AjouteralaListe")->trigger();
    QAction* save = commande->MenuAction("Fichier_EnregistrerListe");

    scripted.answerSave(std::nullopt);
    save->trigger();
    EXPECT_TRUE(review().ListModified()) << "cancelled";

    scripted.answerSave(dir.filePath("missing/sub/serie.LST"));
    save->trigger();
    EXPECT_TRUE(review().ListModified()) << "write failed";
    EXPECT_EQ(scripted.shown().back().kind, ScriptedPrompts::Kind::Error);

    const QString listFile = dir.filePath("serie.LST");
    scripted.answerSave(listFile);
    save->trigger();
    EXPECT_FALSE(review().ListModified());

    review().SetListModified(true);  // saved again under the same name
    scripted.answerSave(listFile);
    save->trigger();
    EXPECT_FALSE(review().ListModified());
    EXPECT_TRUE(scripted.allAnswered());
}

TEST_F(ClosingTest, DecliningToEmptyTheListKeepsTheMark)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("a.bmp");
    ASSERT_TRUE(writeTestImage(image, 8, 8));
    scripted.answerOpen({image});
    commande->MenuAction("Edition_AjouteralaListe")->trigger();
    QAction* vider = commande->MenuAction("Edition_ViderlaListe");

    scripted.answerConfirm(false);
    vider->trigger();
    EXPECT_TRUE(review().ListModified());

    scripted.answerConfirm(true);
    vider->trigger();
    EXPECT_TRUE(review().listIsEmpty());
    EXPECT_FALSE(review().ListModified());
}

// Every menu entry, every dialog cancelled, from both states of the mark. "&Ouvrir Liste...",
// "&Enregistrer Liste..." and "Vider la Liste" clear it only when they did their work (an empty
// list counts as emptied).
TEST_F(ClosingTest, ListModifiedAfterEachMenuEntry)
{
    enum Effect { Set, Clear, Keep };
    struct Row {
        const char* menu;
        const char* caption;
        Effect effect;
    };
    const Row table[] = {
        {"&Fichier", "&Nouvelle Liste...", Set},
        {"&Fichier", "&Ouvrir Liste...", Keep},
        {"&Fichier", "Ouvrir et Renommer...", Set},
        {"&Fichier", "&Enregistrer Liste...", Keep},
        {"&Fichier", "&Quitter", Keep},
        {"&Edition", "&Ajouter à la Liste", Set},
        {"&Edition", "Rechercher Images...", Set},
        {"&Edition", "Modifier Répertoires...", Set},
        {"&Edition", "Coller le Presse papier", Set},
        {"&Edition", "Effacer", Set},
        {"&Edition", "Vider la Liste", Clear},
        {"&Edition", "Renuméroter", Set},
        {"&Edition", "Annuler le Dernier Traitement", Keep},
        // Nothing measured: nothing sorted or scored (SharpnessCommands_test: marked when they act).
        {"&Edition", "Trier par Netteté", Keep},
        {"&Edition", "Noter par Netteté...", Keep},
        {"E&xécuter", "Mesurer la Netteté", Keep},
        {"Voir", "Courbe de Netteté", Keep},
        {"E&xécuter", "Diaporama", Keep},
        {"E&xécuter", "Vidsplit...", Keep},
        {"E&xécuter", "Renommer / Déplacer...", Set},
        {"E&xécuter", "Trier par zône dans sous Répertoire", Set},
        {"E&xécuter", "Supprimer Fichiers Scores 0...", Set},
        {"Convertir", "&Convertir BMP vers JPEG...", Keep},
        {"Convertir", "Convertir BMP vers FIT...", Keep},
        {"Convertir", "Convertir JPEG vers Bmp...", Keep},
        {"Voir", "Liste", Keep},
        {"Voir", "Vignettes", Keep},
        {"Voir", "Diaporama", Keep},
        {"Voir", "Zônes", Keep},
        {"Voir", "Régénère Vignettes", Keep},
        {"Voir", "Régénère Zônes", Keep},
        {"&Options", "Diaporama ...", Keep},
        {"&Options", "Vidsplit", Keep},
        {"&Options", "Renommer ...", Keep},
        {"&Options", "Trier par Zones...", Keep},
        {"&Options", "&Convertir BMP vers JPEG ...", Keep},
        {"&Options", "Convertir BMP vers FIT...", Keep},
        {"&Options", "Convertir JPEG vers BMP...", Keep},
        {"&Options", "Bureau...", Keep},
        {"&Options", "Vignettes...", Keep},
        {"&Options", "Zones...", Keep},
        {"&Options", "Enregistrer Bureau", Keep},
        {"&Options", "Afficher Bureau Utilisateur", Keep},
        {"&Options", "Afficher Bureau par Défaut", Keep},
        {"&Aide", "&Aide", Keep},
        {"&Aide", "A &Propos...", Keep},
    };
    for (const Row& r : table) {
        for (const bool before : {false, true}) {
            SCOPED_TRACE(std::string(r.menu) + " / " + r.caption + (before ? " (marked)" : " (unmarked)"));
            restart();
            CancellingPrompts cancelling;
            setPrompts(&cancelling);
            QAction* action = menuEntry(r.menu, r.caption);
            ASSERT_NE(action, nullptr);
            review().SetListModified(before);
            action->trigger();
            const bool want = r.effect == Set ? true : r.effect == Clear ? false : before;
            EXPECT_EQ(review().ListModified(), want);
            EXPECT_TRUE(cancelling.of("error").isEmpty()) << cancelling.of("error").join('|').toStdString();
            setPrompts(&scripted);
        }
    }
}
