// The command window's menu bar: the table of its menus and entries, and the stable names the
// entries are found by.
#include "app/Ucommande.h"

#include "controller/ReviewController.h"
#include "platform/ProgramError.h"
#include "platform/ScopeExit.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <set>
#include <vector>

namespace {

// What a command does to the list-modified mark beyond what its own work decides (the list
// commands clear it when a list was read, written or emptied).
enum class Mark { Keep, Set };

// One entry of the menu bar: caption with its "&" mark, shortcut, handler (none: shown disabled),
// its mark, and whether a separator follows it.
struct MenuEntry {
    const char* caption;
    QKeySequence shortcut;
    void (TFormCommande::*handler)();
    Mark mark = Mark::Keep;
    bool separatorAfter = false;
};
struct MenuDef {
    const char* title;
    std::vector<MenuEntry> entries;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The menu bar

void TFormCommande::CreateMenus()
{
    // A name given twice in a menu (none today) gets a number, so that every name finds one entry.
    std::set<QString> names;
    auto uniqueName = [&names](const QString& name) {
        QString n = name;
        for (int i = 2; !names.insert(n).second; ++i)
            n = name + QString::number(i);
        return n;
    };
    using T = TFormCommande;
    const std::vector<MenuDef> menus = {
        {"&Fichier",
         {{"&Nouvelle Liste...", {}, &T::NouvelleListe1Click, Mark::Set, true},
          {"&Ouvrir Liste...", {}, &T::Ouvrir1Click, Mark::Keep},
          {"Ouvrir et Renommer...", {}, &T::OuvriretRenommer1Click, Mark::Set, true},
          {"&Enregistrer Liste...", {}, &T::Enregistrersous1Click, Mark::Keep, true},
          {"&Quitter", QKeySequence(Qt::CTRL | Qt::Key_X), &T::Quitter1Click, Mark::Keep}}},
        {"&Edition",
         {{"&Ajouter à la Liste", QKeySequence(Qt::Key_Insert), &T::Ajouter1Click, Mark::Set},
          {"Rechercher Images...", {}, &T::RechercherImages1Click, Mark::Set},
          {"Modifier Répertoires...", {}, &T::ModifierRepertoires1Click, Mark::Set, true},
          {"Coller le Presse papier", QKeySequence(Qt::CTRL | Qt::Key_V), &T::CollerPressepapier1Click, Mark::Set, true},
          {"Sélectionner...", {}, nullptr, Mark::Keep},
          {"Effacer", QKeySequence(Qt::Key_Delete), &T::Effacer1Click, Mark::Set, true},
          {"Trier par Netteté", {}, &T::TrierNettete1Click, Mark::Keep},  // marks the list when it sorts
          {"Noter par Netteté...", {}, &T::NoterNettete1Click, Mark::Keep, true},  // when it scores
          {"Vider la Liste", {}, &T::ViderlaListe1Click, Mark::Keep},
          {"Renuméroter", {}, &T::Renumeroter1Click, Mark::Set, true},
          // Marks the list modified itself, when it puts entries back.
          {"Annuler le Dernier Traitement", {}, &T::AnnulerTraitement1Click, Mark::Keep}}},
        {"E&xécuter",
         {{"Diaporama", {}, &T::Diaporama1Click, Mark::Keep, true},
          {"Mesurer la Netteté", {}, &T::MesurerNettete1Click, Mark::Keep, true},
          {"Enregistrer les Images en SER...", {}, &T::EnregistrerSer1Click, Mark::Keep, true},
          {"Vidsplit...", {}, &T::Vidsplit1Click, Mark::Keep, true},
          {"Renommer / Déplacer...", {}, &T::Renommer1Click, Mark::Set},
          {"Trier par zône dans sous Répertoire", {}, &T::Trierdanssousrep1Click, Mark::Set, true},
          {"Supprimer Fichiers Scores 0...", {}, &T::SupprimerFichiersScores0Click, Mark::Set}}},
        {"Convertir",
         {{"&Convertir BMP vers JPEG...", {}, &T::ConvertirBmp2JpegClick, Mark::Keep},
          {"Convertir BMP vers FIT...", {}, &T::ConvertirBmp2FitClick, Mark::Keep},
          {"Convertir JPEG vers Bmp...", {}, &T::ConvertirJpeg2BmpClick, Mark::Keep}}},
        {"Voir",
         {{"Liste", {}, &T::VoirListe1Click, Mark::Keep},
          {"Vignettes", {}, &T::VoirVignettes1Click, Mark::Keep},
          {"Diaporama", {}, &T::VoirDiaporama1Click, Mark::Keep},
          {"Zônes", {}, &T::VoirZones1Click, Mark::Keep, true},
          {"Courbe de Netteté", {}, &T::CourbeNettete1Click, Mark::Keep, true},
          {"Régénère Vignettes", {}, &T::RegenereVignettes1Click, Mark::Keep},
          {"Régénère Zônes", {}, &T::RegenereZones1Click, Mark::Keep, true},
          {"Étirement Lié", {}, &T::EtirementLie1Click, Mark::Keep},
          {"Étirement par Image", {}, &T::EtirementParImage1Click, Mark::Keep},
          {"Sans Étirement", {}, &T::SansEtirement1Click, Mark::Keep},
          {"Recalculer l'Étirement", {}, &T::RecalculerEtirement1Click, Mark::Keep}}},
        {"&Options",
         {{"Diaporama ...", {}, &T::OptionsDiaporama1Click, Mark::Keep, true},
          {"Vidsplit", {}, &T::OptionsVidsplit1Click, Mark::Keep, true},
          {"Renommer ...", {}, &T::OptionRenommerClick, Mark::Keep},
          {"Trier par Zones...", {}, &T::TrierparZones1Click, Mark::Keep},
          {"&Convertir BMP vers JPEG ...", {}, &T::OptionConvBMP2JPEGClick, Mark::Keep},
          {"Convertir BMP vers FIT...", {}, &T::OptionConvBMP2FITClick, Mark::Keep},
          {"Convertir JPEG vers BMP...", {}, &T::ConvertirJPEGversBMP1Click, Mark::Keep, true},
          {"Bureau...", {}, &T::Bureau1Click, Mark::Keep},
          {"Vignettes...", {}, &T::OptionsVignettes1Click, Mark::Keep},
          {"Zones...", {}, &T::OptionsZones1Click, Mark::Keep},
          {"Enregistrer Bureau", QKeySequence(Qt::Key_F8), &T::EnregistrerBureau1Click, Mark::Keep},
          {"Afficher Bureau Utilisateur", QKeySequence(Qt::Key_F9), &T::AfficherBureauUtilisateur1Click, Mark::Keep},
          {"Afficher Bureau par Défaut", QKeySequence(Qt::Key_F10), &T::AfficherBureauParDefaut1Click, Mark::Keep}}},
        {"&Aide",
         {{"&Aide", QKeySequence(Qt::Key_F1), &T::Aide1Click, Mark::Keep},
          {"A &Propos...", {}, &T::APropos1Click, Mark::Keep}}},
    };

    for (const MenuDef& def : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.title));
        for (const MenuEntry& e : def.entries) {
            QAction* action = menu->addAction(QString::fromUtf8(e.caption));
            action->setObjectName(uniqueName(menuEntryName(QString::fromUtf8(def.title), QString::fromUtf8(e.caption))));
            action->setMenuRole(QAction::NoRole);
            if (!e.shortcut.isEmpty()) {
                action->setShortcut(e.shortcut);
                // The shortcuts act from every window of the program, before the key map.
                action->setShortcutContext(Qt::ApplicationShortcut);
            }
            if (e.handler) {
                const auto handler = e.handler;
                const bool mark = e.mark == Mark::Set;
                connect(action, &QAction::triggered, this, [this, handler, mark] {
                    runGuarded([this, handler, mark] {
                        // These commands mark the list modified even when their dialog is
                        // cancelled or they stop on an error.
                        ScopeExit setMark([this, mark] {
                            if (mark)
                                review_.SetListModified(true);
                        });
                        // Passes move the highlight through the list: the entry on show is the
                        // one the tag keys write to again when the command is over.
                        ScopeExit settle([this] { runGuarded([this] { review_.Settle(); }); });
                        (this->*handler)();
                    });
                });
            } else {
                action->setEnabled(false);
            }
            if (e.separatorAfter)
                menu->addSeparator();
        }
    }
    // The stretch entries show which one is in force.
    auto* stretchGroup = new QActionGroup(this);
    for (const char* name : {"Voir_EtirementLie", "Voir_EtirementparImage", "Voir_SansEtirement"}) {
        QAction* a = MenuAction(QString::fromLatin1(name));
        a->setCheckable(true);
        stretchGroup->addAction(a);
    }
    showStretchMode();
}

void TFormCommande::showStretchMode()
{
    const StretchMode mode = review_.stretchMode();
    MenuAction(QStringLiteral("Voir_EtirementLie"))->setChecked(mode == StretchMode::Linked);
    MenuAction(QStringLiteral("Voir_EtirementparImage"))->setChecked(mode == StretchMode::PerFrame);
    MenuAction(QStringLiteral("Voir_SansEtirement"))->setChecked(mode == StretchMode::Off);
}

QString menuEntryName(const QString& menu, const QString& caption)
{
    auto ascii = [](const QString& text) {
        QString out;
        for (const QChar c : text.normalized(QString::NormalizationForm_D))
            if (c.unicode() < 128 && c.isLetterOrNumber())
                out += c;
        return out;
    };
    return ascii(menu) + '_' + ascii(caption);
}

QAction* TFormCommande::MenuAction(const QString& name) const
{
    for (QAction* top : menuBar()->actions())
        if (QMenu* menu = top->menu())
            for (QAction* a : menu->actions())
                if (!a->isSeparator() && a->objectName() == name)
                    return a;
    return nullptr;
}
