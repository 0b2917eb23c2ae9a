#include "app/Ucommande.h"

#include "controller/KeyMap.h"
#include "controller/ListCommands.h"
#include "app/QtKeyHook.h"
#include "app/QtWindowPlace.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "app/Windows.h"
#include "batch/RenameMove.h"
#include "batch/ScoreZero.h"
#include "batch/SortByZone.h"
#include "batch/Uoptionsrenommer.h"
#include "batch/Uoptrierzone.h"
#include "batch/UndoPass.h"
#include "convert/ConversionDriver.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "list/Uliste.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/ScopeExit.h"
#include "platform/ShellFileOp.h"
#include "review/UCourbeNettete.h"
#include "review/UDiapo.h"
#include "review/UNoterNettete.h"
#include "review/Uoptionsdiapo.h"
#include "review/Uopvignette.h"
#include "review/Uopzone.h"
#include "review/Uref.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"
#include "search/FoundFiles.h"
#include "search/Urec.h"
#include "search/Urepdialog.h"
#include "settings/OptionsFile.h"
#include "settings/Uopglobales.h"
#include "tools/ExtractorLaunch.h"
#include "tools/Uabout.h"
#include "tools/Ucnvhlp.h"
#include "tools/Uopbatch.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
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

void showAndRaise(QWidget* w)
{
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

// Shows an options dialog modally when called; true when it was closed with "Ok".
std::function<bool()> optionsOk(QDialog* dialog)
{
    return [dialog] { return dialog && prompts().exec(dialog) == QDialog::Accepted; };
}

KeyPress keyPressOf(const QKeyEvent& e)
{
    const Qt::KeyboardModifiers mods = e.modifiers();
    return {virtualKeyCode(e), mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier),
            mods.testFlag(Qt::AltModifier)};
}

}  // namespace

TFormCommande::TFormCommande(ReviewController& review, QWidget* parent) : QMainWindow(parent), review_(review)
{
    setObjectName(QStringLiteral("FormCommande"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Velmoran"));

    // Every key typed in an attached window goes to the key map and is consumed there.
    keyHook_ = new QtKeyHook(
        [this](QKeyEvent* e) {
            review_.HandleKey(keyPressOf(*e));
            return true;
        },
        this);

    CreateMenus();
    CreatePanel();
    // Keys typed into the drop-down lists are theirs, not the key map's.
    keyHook_->exempt(comboRef_);
    keyHook_->exempt(comboBalise_);
    BindReview();
    review_.SetListModified(false);
    HookKeys(this);
}

TFormCommande::~TFormCommande() { review_.Timer()->stop(); }

QTimer* TFormCommande::Timer1() const { return review_.Timer(); }

void TFormCommande::HookKeys(QWidget* window) { keyHook_->attach(window); }

bool TFormCommande::KeysHooked(const QWidget* window) const { return keyHook_->isAttached(window); }

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
          {"Régénère Zônes", {}, &T::RegenereZones1Click, Mark::Keep}}},
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

// ---------------------------------------------------------------------------------------------
// Views

void TFormCommande::BringToFront()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        showNormal();
    show();
    raise();
    activateWindow();
}

void TFormCommande::ApplyLayout()
{
    const DesktopOptions& d = desktopOptions();
    placeWindow(this, d.CommandPlace, true);
    show();
    raise();
    activateWindow();

    const AppWindows& w = appWindows();
    struct View {
        QWidget* window;
        WindowPlace place;
        bool shown;
        QString caption;  // empty: the window keeps its own
    };
    const View views[] = {
        {w.Liste, d.ListPlace, d.ShowList, {}},
        {w.Diapo, d.SlideshowPlace, d.ShowSlideshow, QStringLiteral("Diaporama")},
        {w.Vignette, d.ThumbnailPlace, d.ShowThumbnails, QStringLiteral("Vignettes")},
        {w.Zone, d.ZonePlace, d.ShowZones, QString::fromUtf8("Zônes")},
    };
    for (const View& v : views) {
        if (!v.window)
            continue;
        placeWindow(v.window, v.place);
        if (!v.caption.isEmpty())
            v.window->setWindowTitle(v.caption);
        HookKeys(v.window);
        v.window->setVisible(v.shown);
    }
}

void TFormCommande::AffiListe() { showAndRaise(appWindows().Liste); }
void TFormCommande::AffiDiapo() { showAndRaise(appWindows().Diapo); }
void TFormCommande::AffiZone() { showAndRaise(appWindows().Zone); }

void TFormCommande::ShowView(ReviewView view)
{
    switch (view) {
    case ReviewView::List: AffiListe(); break;
    case ReviewView::Slideshow: AffiDiapo(); break;
    case ReviewView::SlideshowShown:
        if (TFormDiapo* diapo = appWindows().Diapo)
            diapo->show();
        break;
    case ReviewView::Zones:
        if (TFormZone* zone = appWindows().Zone; zone && !zone->isVisible()) {
            // The keyboard stays with the window the user is typing in.
            zone->setAttribute(Qt::WA_ShowWithoutActivating, true);
            zone->show();
            zone->setAttribute(Qt::WA_ShowWithoutActivating, false);
        }
        break;
    }
}

void TFormCommande::AffiVignette()
{
    const AppWindows& w = appWindows();
    if (!desktopOptions().ShowThumbnails)
        return;
    w.Vignette->show();
    if (review_.listIsEmpty())
        return;
    const DesktopOptions& d = desktopOptions();
    if (!d.ThumbDontAsk && prompts().exec(w.OpVignette) != QDialog::Accepted)
        return;
    // Not asked, the page the options name is brought within this list as the dialog would; the
    // options keep what the user chose for longer lists.
    const int most = std::max(0, std::min(review_.entryCount(), d.ThumbPageLimit));
    const int first = std::clamp(d.ThumbFirst, 0, most);
    const int size = std::clamp(d.ThumbPageSize, 0, most);
    const QStringList paths = review_.CollectPaths();
    w.Vignette->BuildThumbnailPage(paths, first, size);
}

void TFormCommande::RefreshPages()
{
    appWindows().Vignette->ClearPage();
    appWindows().Zone->ClearPage();
    AffiZone();
    AffiVignette();
}

// ---------------------------------------------------------------------------------------------
// Desktop commands

void TFormCommande::SaveDesktop()
{
    reportOptionsWrite(::SaveDesktop([this](DesktopOptions& d) {
        const AppWindows& w = appWindows();
        d.CommandPlace = windowPlaceOf(this);
        d.SlideshowPlace = windowPlaceOf(w.Diapo);
        d.ListPlace = windowPlaceOf(w.Liste);
        d.ThumbnailPlace = windowPlaceOf(w.Vignette);
        d.ZonePlace = windowPlaceOf(w.Zone);
        // Until the reference window exists, ReferencePlace keeps the value it was loaded with.
        if (w.Ref)
            d.ReferencePlace = windowPlaceOf(w.Ref);
    }));
}

void TFormCommande::AfficherBureauUtilisateur()
{
    loadProgramOptions(programOptions());
    loadDesktopOptions(desktopOptions());
    ApplyLayout();
    BringToFront();
}

void TFormCommande::AfficherBureauParDefaut()
{
    setDefaults(programOptions());
    setDesktopDefaults(desktopOptions());
    ApplyLayout();
    BringToFront();
}

// ---------------------------------------------------------------------------------------------
// Closing

bool TFormCommande::FormCloseQuery()
{
    runGuarded([this] {
        if (desktopOptions().AutoSaveDesktop)
            SaveDesktop();
    });
    // "Annuler", and a save that was cancelled or failed, keep the program and its list.
    return ListCommands(review_).OfferToSave();
}

void TFormCommande::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    review_.SetPlaying(false);
    // A long pass still running (closed from its event pump) stops as with Escape: the program
    // must not go on working unseen until the pass ends.
    review_.stopFlag().stop();
    const AppWindows& w = appWindows();
    for (QWidget* view : {static_cast<QWidget*>(w.Liste), static_cast<QWidget*>(w.Diapo),
                          static_cast<QWidget*>(w.CourbeNettete), static_cast<QWidget*>(w.Vignette),
                          static_cast<QWidget*>(w.Zone), static_cast<QWidget*>(w.Ref)})
        if (view)
            view->hide();
    event->accept();
    emit Closed();
}

// ---------------------------------------------------------------------------------------------
// "&Fichier"

// The three commands that replace the list offer to save a modified one first, as closing does;
// a cancelled dialog leaves the list and its pages as they were, and asks nothing more.
void TFormCommande::NouvelleListe1Click()
{
    if (!ListCommands(review_).OfferToSave())
        return;
    const AppWindows& w = appWindows();
    AffiListe();
    if (ListCommands(review_).AddFiles(true) != ListOutcome::Done)
        return;
    w.Zone->ClearPage();
    w.Vignette->ClearPage();
    AffiVignette();
}

void TFormCommande::Ouvrir1Click()
{
    if (!ListCommands(review_).OfferToSave())
        return;
    AffiListe();
    OpenedList(ListCommands(review_).Ouvrir());
}

void TFormCommande::OuvriretRenommer1Click()
{
    if (!ListCommands(review_).OfferToSave())
        return;
    AffiListe();
    OpenedList(ListCommands(review_).OuvrirEtRenommer());
}

void TFormCommande::OpenedList(ListOutcome outcome)
{
    if (outcome != ListOutcome::Done)
        return;
    RefreshPages();
    review_.GenereListeZone();
}

void TFormCommande::Enregistrersous1Click() { ListCommands(review_).Enregistrer(); }

void TFormCommande::Quitter1Click() { close(); }

// ---------------------------------------------------------------------------------------------
// "&Edition"

void TFormCommande::Ajouter1Click()
{
    if (ListCommands(review_).AddFiles(false) == ListOutcome::Done)
        RefreshPages();
}

void TFormCommande::RechercherImages1Click()
{
    AddFoundFiles(false);
    RefreshPages();
}

void TFormCommande::AddFoundFiles(bool replace)
{
    TFormRec* rec = appWindows().Rec;
    if (rec && rec->ChoisirImages()) {
        if (replace)
            ListCommands(review_).ClearList();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ScopeExit normalCursor([] { QApplication::restoreOverrideCursor(); });
        appendFoundFiles(review_.model(), rec->Results());
    }
    review_.Recount();
}

void TFormCommande::ModifierRepertoires1Click()
{
    TRepDialog* chooser = appWindows().RepDialog;
    if (!chooser || !chooser->Choisir())
        return;
    ListCommands(review_).ModifierRepertoires(chooser->RepertoireChoisi());
}

void TFormCommande::CollerPressepapier1Click() { ListCommands(review_).CollerPressePapier(); }
void TFormCommande::Effacer1Click() { ListCommands(review_).Effacer(); }

void TFormCommande::ViderlaListe1Click()
{
    ListCommands(review_).Vider();
    RefreshPages();
}

void TFormCommande::Renumeroter1Click() { ListCommands(review_).Renumeroter(); }
void TFormCommande::TrierNettete1Click() { SharpnessCommands(review_).Trier(); }
void TFormCommande::NoterNettete1Click()
{
    SharpnessCommands(review_).Noter([] { return appWindows().NoterNettete->Ask(); });
}

void TFormCommande::AnnulerTraitement1Click() { undoLastPass(review_, fileOps(), prompts()); }

// ---------------------------------------------------------------------------------------------
// "E&xécuter"

void TFormCommande::Diaporama1Click()
{
    appWindows().Diapo->SetFullScreen(true);
    review_.Demarrer();
}

void TFormCommande::Vidsplit1Click() { LancerVidsplit(review_, appWindows().OpBatch); }
void TFormCommande::MesurerNettete1Click() { SharpnessCommands(review_).Mesurer(); }

// The batch passes (src/batch) after their options dialogs.
void TFormCommande::Renommer1Click()
{
    renameAndMove(review_, fileOps(), prompts(), prompts().exec(appWindows().OptionsRenommer) == QDialog::Accepted);
}

void TFormCommande::Trierdanssousrep1Click()
{
    sortByZone(review_, fileOps(), prompts(), prompts().exec(appWindows().OpTrierZone) == QDialog::Accepted);
}

void TFormCommande::SupprimerFichiersScores0Click() { deleteScoreZero(review_, fileOps(), prompts()); }

// ---------------------------------------------------------------------------------------------
// "Convertir"

void TFormCommande::ConvertirBmp2JpegClick()
{
    ConvertirBmpClick(review_, optionsOk(appWindows().OpBmp2Jpeg), ConvertBmpToJpeg);
}

void TFormCommande::ConvertirBmp2FitClick()
{
    ConvertirBmpClick(review_, optionsOk(appWindows().OpBmp2Fit), ConvertBmpToFits);
}

void TFormCommande::ConvertirJpeg2BmpClick()
{
    ConvertirBmpClick(review_, optionsOk(appWindows().OpJpeg2Bmp), ConvertJpegToBmp);
}

// ---------------------------------------------------------------------------------------------
// "Voir"

void TFormCommande::VoirListe1Click() { AffiListe(); }
void TFormCommande::VoirVignettes1Click() { AffiVignette(); }
void TFormCommande::VoirDiaporama1Click() { AffiDiapo(); }
void TFormCommande::VoirZones1Click() { AffiZone(); }
void TFormCommande::CourbeNettete1Click() { showAndRaise(appWindows().CourbeNettete); }

void TFormCommande::RegenereVignettes1Click()
{
    desktopOptions().ShowThumbnails = true;
    appWindows().Vignette->ClearPage();
    AffiVignette();
}

void TFormCommande::RegenereZones1Click()
{
    AffiZone();
    review_.GenereListeZone();
}

// ---------------------------------------------------------------------------------------------
// "&Options"

void TFormCommande::OptionsDiaporama1Click() { prompts().exec(appWindows().OptionsDiapo); }
void TFormCommande::OptionsVidsplit1Click() { prompts().exec(appWindows().OpBatch); }
void TFormCommande::OptionRenommerClick() { prompts().exec(appWindows().OptionsRenommer); }
void TFormCommande::TrierparZones1Click() { prompts().exec(appWindows().OpTrierZone); }
void TFormCommande::OptionConvBMP2JPEGClick() { prompts().exec(appWindows().OpBmp2Jpeg); }
void TFormCommande::OptionConvBMP2FITClick() { prompts().exec(appWindows().OpBmp2Fit); }
void TFormCommande::ConvertirJPEGversBMP1Click() { prompts().exec(appWindows().OpJpeg2Bmp); }

void TFormCommande::Bureau1Click()
{
    prompts().exec(appWindows().OpGlobales);
    ApplyLayout();
}

void TFormCommande::OptionsVignettes1Click() { prompts().exec(appWindows().OpVignette); }
void TFormCommande::OptionsZones1Click() { prompts().exec(appWindows().OpZone); }
void TFormCommande::EnregistrerBureau1Click() { SaveDesktop(); }
void TFormCommande::AfficherBureauUtilisateur1Click() { AfficherBureauUtilisateur(); }
void TFormCommande::AfficherBureauParDefaut1Click() { AfficherBureauParDefaut(); }

// ---------------------------------------------------------------------------------------------
// "&Aide"

void TFormCommande::Aide1Click()
{
    BringToFront();
    appWindows().CnvHlp->AfficherAide(QStringLiteral("Velmoran"));
}

void TFormCommande::APropos1Click() { prompts().exec(appWindows().About); }
