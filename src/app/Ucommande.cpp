#include "app/Ucommande.h"

#include "controller/KeyMap.h"
#include "controller/ListCommands.h"
#include "app/QtKeyHook.h"
#include "app/QtWindowPlace.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "controller/VideoCommands.h"
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
#include <QProgressBar>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

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
    connect(&review_, &ReviewController::stretchChanged, this, [this] {
        showStretchMode();
        // The zone page shows pictures too: made again under the new stretch when it is up.
        if (appWindows().Zone && appWindows().Zone->isVisible())
            runGuarded([this] { review_.GenereListeZone(); });
    });
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

void TFormCommande::EnregistrerSer1Click()
{
    VideoCommands(review_).EnregistrerSer([this](int64_t done, int64_t total) {
        progressTravail_->setVisible(total > 0);
        if (total <= 0)
            return;
        progressTravail_->setMaximum(int(std::min<int64_t>(total, INT_MAX)));
        progressTravail_->setValue(int(std::min<int64_t>(done, INT_MAX)));
        progressTravail_->setFormat(QString::fromUtf8("SER: %1 / %2 images").arg(done).arg(total));
    });
}

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

void TFormCommande::EtirementLie1Click() { review_.SetStretchMode(StretchMode::Linked); }
void TFormCommande::EtirementParImage1Click() { review_.SetStretchMode(StretchMode::PerFrame); }
void TFormCommande::SansEtirement1Click() { review_.SetStretchMode(StretchMode::Off); }
void TFormCommande::RecalculerEtirement1Click() { review_.RelinkStretch(); }

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
