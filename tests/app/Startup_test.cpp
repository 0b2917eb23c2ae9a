// Start-up: windows, captions, places, the bottom panel and the menu bar.
#include "ProgramFixture.h"
#include "app/QtWindowPlace.h"
#include "batch/Uoptionsrenommer.h"
#include "batch/Uoptrierzone.h"
#include "convert/Ubalance.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "list/Uliste.h"
#include "review/UDiapo.h"
#include "review/UNoterNettete.h"
#include "review/Uoptionsdiapo.h"
#include "review/Uopvignette.h"
#include "review/Uopzone.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"
#include "search/Urec.h"
#include "search/Urepdialog.h"
#include "settings/Uopglobales.h"
#include "tools/Uabout.h"
#include "tools/Ucnvhlp.h"
#include "tools/Uopbatch.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QToolButton>

using StartupTest = ProgramTest;

TEST_F(StartupTest, ViewWindowsAtDefaultPlacesWithCaptions)
{
    const DefaultPlaces def = defaultPlaces(screenSize());
    const AppWindows& w = appWindows();
    ASSERT_EQ(w.Commande, commande);
    struct Row {
        QWidget* window;
        const char* caption;
        WindowPlace place;
    };
    const Row rows[] = {
        {commande, "Velmoran", def.command},
        {w.Liste, "Liste", def.list},
        {w.Diapo, "Diaporama", def.slideshow},
        {w.Vignette, "Vignettes", def.thumbnail},
        {w.Zone, "Zônes", def.zone},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        ASSERT_NE(r.window, nullptr);
        EXPECT_TRUE(r.window->isWindow());
        EXPECT_TRUE(r.window->isVisible());
        EXPECT_EQ(r.window->windowTitle(), QString::fromUtf8(r.caption));
        EXPECT_EQ(windowPlaceOf(r.window), r.place);
        EXPECT_TRUE(commande->KeysHooked(r.window));
    }

    const Qt::WindowFlags f = commande->windowFlags();
    EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(commande->minimumSize(), commande->maximumSize()) << "the bar cannot be resized";

    EXPECT_FALSE(review().ListModified());
    EXPECT_TRUE(review().listIsEmpty());
    EXPECT_EQ(int(review().tagMode()), 1);
    EXPECT_EQ(int(review().defaultTagMode()), 1);
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(StartupTest, SavedThumbFirstDoesNotSurviveARestart)
{
    desktopOptions().ThumbFirst = 7;
    commande->SaveDesktop();
    restart();
    EXPECT_EQ(desktopOptions().ThumbFirst, 0);
}

TEST_F(StartupTest, EveryOtherWindowExistsOnceWithItsCaption)
{
    const AppWindows& w = appWindows();
    const std::vector<std::pair<QDialog*, const char*>> expected = {
        {w.OpZone, "Options Zones:"},
        {w.OpBmp2Fit, "Convertir BMP vers FIT:"},
        {w.OpBmp2Jpeg, "Convertir BMP vers JPEG:"},
        {w.OptionsDiapo, "Options Diaporama:"},
        {w.OptionsRenommer, "Options Renommer:"},
        {w.Balance, "Filtrage des Couleurs:"},
        {w.Rec, "Recherches et Tris de Fichiers"},
        {w.RepDialog, "Choix d'un répertoire cible"},
        {w.About, "A propos"},
        {w.OpGlobales, "Options:"},
        {w.CnvHlp, "Aide"},
        {w.OpJpeg2Bmp, "Convertir JPEG vers Bmp:"},
        {w.OpVignette, "Options Vignettes:"},
        {w.OpTrierZone, "Options Trier par Zones dans Sous Répertoire:"},
        {w.OpBatch, "Options Vidsplit"},
        {w.NoterNettete, "Noter par Netteté:"},
    };
    std::set<QDialog*> distinct;
    for (const auto& [dialog, caption] : expected) {
        SCOPED_TRACE(caption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(caption));
        EXPECT_FALSE(dialog->isVisible());
        distinct.insert(dialog);
    }
    EXPECT_EQ(distinct.size(), expected.size());
    EXPECT_EQ(commande->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly).size(), expected.size());
    EXPECT_EQ(w.Ref, nullptr) << "the reference window is created on first use";
}

TEST_F(StartupTest, BottomPanelControlsInOrder)
{
    struct Row {
        const char* name;
        const char* hint;
    };
    const Row rows[] = {
        {"SpeedButtonPremier", "Premier"}, {"SpeedButtonArriereRapide", ""}, {"SpeedButtonArriere", "Précédent"},
        {"SpeedButtonPause", "Pause"},     {"SpeedButtonAtteindre", "Atteindre.."},
        {"SpeedButtonJouer", "Diaporama.."}, {"SpeedButtonAvant", "Suivant"}, {"SpeedButtonAvantRapide", ""},
        {"SpeedButtonFin", "Dernier"},     {"SpeedButtonRef", ""},           {"ComboBoxRef", ""},
        {"LabelChoix", ""},                {"SpeedButtonBalise", ""},        {"ComboBoxBalise", ""},
    };
    int previousRight = -1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QWidget* c = commande->findChild<QWidget*>(QString::fromLatin1(r.name));
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->isVisible());
        EXPECT_EQ(c->toolTip(), QString::fromUtf8(r.hint));
        EXPECT_GE(c->x(), previousRight) << "left to right in the program's order";
        previousRight = c->x() + c->width();
        EXPECT_LE(previousRight, commande->width()) << "fits in the bar";
    }

    const QList<QAbstractButton*> group = commande->NavigationButtons()->buttons();
    EXPECT_EQ(group.size(), 9);
    EXPECT_TRUE(commande->NavigationButtons()->exclusive());
    EXPECT_EQ(commande->NavigationButtons()->checkedButton(), commande->SpeedButtonPause());
    EXPECT_EQ(commande->SpeedButtonAtteindre()->width(), 105);
    EXPECT_EQ(commande->SpeedButtonAtteindre()->text(), "0");
    EXPECT_EQ(commande->LabelChoix()->text(), "") << "no tag shown yet";
    EXPECT_EQ(commande->SpeedButtonRef()->text(), QString::fromUtf8("Référence"));
    EXPECT_EQ(commande->SpeedButtonBalise()->text(), "Balise");
    ASSERT_EQ(commande->ComboBoxBalise()->count(), 1);
    EXPECT_EQ(commande->ComboBoxBalise()->itemText(0), "0");
    EXPECT_EQ(commande->ComboBoxRef()->count(), 0);

    // One button pressed at a time: clicking "Dernier" on the empty list leaves pause pressed.
    commande->SpeedButtonFin()->click();
    EXPECT_EQ(commande->NavigationButtons()->checkedButton(), commande->SpeedButtonPause());
    EXPECT_TRUE(scripted.shown().empty());
}

// Every menu, its entries with "&" marks and shortcuts, "-" for a separator.
TEST_F(StartupTest, MenuBarAsTheProgramHasIt)
{
    const std::vector<std::pair<const char*, std::vector<const char*>>> expected = {
        {"&Fichier",
         {"&Nouvelle Liste...", "-", "&Ouvrir Liste...", "Ouvrir et Renommer...", "-", "&Enregistrer Liste...", "-",
          "&Quitter\tCtrl+X"}},
        {"&Edition",
         {"&Ajouter à la Liste\tIns", "Rechercher Images...", "Modifier Répertoires...", "-",
          "Coller le Presse papier\tCtrl+V", "-", "Sélectionner...", "Effacer\tDel", "-", "Trier par Netteté",
          "Trier par...", "Noter par Netteté...", "Noter par Critères...", "-", "Vider la Liste", "Renuméroter", "-", "Annuler le Dernier Traitement"}},
        {"E&xécuter",
         {"Diaporama", "-", "Mesurer la Netteté", "Mesurer les Étoiles", "-", "Enregistrer les Images en SER...", "-",
          "Vidsplit...", "-", "Renommer / Déplacer...", "Trier par zône dans sous Répertoire", "-",
          "Supprimer Fichiers Scores 0..."}},
        {"Convertir", {"&Convertir BMP vers JPEG...", "Convertir BMP vers FIT...", "Convertir JPEG vers Bmp..."}},
        {"Voir",
         {"Liste", "Vignettes", "Diaporama", "Zônes", "-", "Courbe de Netteté", "-", "Régénère Vignettes",
          "Régénère Zônes", "-", "Étirement Lié", "Étirement par Image", "Sans Étirement", "Recalculer l'Étirement"}},
        {"&Options",
         {"Diaporama ...", "-", "Vidsplit", "-", "Renommer ...", "Trier par Zones...",
          "&Convertir BMP vers JPEG ...", "Convertir BMP vers FIT...", "Convertir JPEG vers BMP...", "-",
          "Bureau...", "Vignettes...", "Zones...", "Enregistrer Bureau\tF8", "Afficher Bureau Utilisateur\tF9",
          "Afficher Bureau par Défaut\tF10"}},
        {"&Aide", {"&Aide\tF1", "A &Propos..."}},
    };

    const QList<QAction*> tops = commande->menuBar()->actions();
    ASSERT_EQ(tops.size(), int(expected.size()));
    for (size_t m = 0; m < expected.size(); ++m) {
        SCOPED_TRACE(expected[m].first);
        EXPECT_EQ(tops[m]->text(), QString::fromUtf8(expected[m].first));
        ASSERT_NE(tops[m]->menu(), nullptr);
        QStringList want, got;
        for (const char* e : expected[m].second)
            want << QString::fromUtf8(e);
        for (QAction* a : tops[m]->menu()->actions()) {
            if (a->isSeparator()) {
                got << "-";
                continue;
            }
            QString t = a->text();
            if (!a->shortcut().isEmpty()) {
                t += "\t" + a->shortcut().toString(QKeySequence::PortableText);
                EXPECT_EQ(a->shortcutContext(), Qt::ApplicationShortcut) << t.toStdString();
            }
            got << t;
            const bool disabled = a->text() == QString::fromUtf8("Sélectionner...");
            EXPECT_EQ(a->isEnabled(), !disabled) << t.toStdString();
        }
        EXPECT_EQ(got, want);
    }
}

// Tests and tools find menu entries by name: every entry has its own, in ASCII, also where two
// menus hold the same caption.
TEST_F(StartupTest, EveryMenuEntryHasItsOwnAsciiName)
{
    static const QRegularExpression ascii(QStringLiteral("^[A-Za-z0-9]+_[A-Za-z0-9]+$"));
    QSet<QString> names;
    int entries = 0;
    for (QAction* top : commande->menuBar()->actions())
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator())
                continue;
            ++entries;
            EXPECT_TRUE(ascii.match(a->objectName()).hasMatch()) << a->objectName().toStdString();
            names.insert(a->objectName());
            EXPECT_EQ(commande->MenuAction(a->objectName()), a);
        }
    EXPECT_EQ(names.size(), entries);
    const std::pair<const char*, const char*> cases[] = {
        {"Executer_Diaporama", "Diaporama"}, {"Voir_Diaporama", "Diaporama"},
        {"Voir_RegenereZones", "Régénère Zônes"}, {"Aide_APropos", "A &Propos..."}};
    for (const auto& [name, caption] : cases) {
        QAction* a = commande->MenuAction(QString::fromUtf8(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(caption));
    }
    EXPECT_NE(commande->MenuAction("Executer_Diaporama"), commande->MenuAction("Voir_Diaporama"));
}
