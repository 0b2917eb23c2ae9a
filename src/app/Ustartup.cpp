#include "app/Ustartup.h"

#include "app/QtWindowPlace.h"
#include "controller/ReviewController.h"
#include "app/Ucommande.h"
#include "app/Windows.h"
#include "batch/JournalRecovery.h"
#include "batch/Uoptionsrenommer.h"
#include "batch/Uoptrierzone.h"
#include "convert/Converters.h"
#include "convert/Ubalance.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "list/Uliste.h"
#include "platform/Prompts.h"
#include "review/UCourbeNettete.h"
#include "review/UDiapo.h"
#include "review/UNoterNettete.h"
#include "review/Uoptionsdiapo.h"
#include "review/Uopvignette.h"
#include "review/Uopzone.h"
#include "review/Uref.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"
#include "search/Urec.h"
#include "search/Urepdialog.h"
#include "settings/OptionsFile.h"
#include "settings/Uopglobales.h"
#include "tools/Uabout.h"
#include "tools/Ucnvhlp.h"
#include "tools/Uopbatch.h"

#include <QDialog>
#include <QTimer>

namespace {

ReviewController* g_review = nullptr;

// The dialogs belong to the command window, so that they stay above the bar that is always on
// top, and they never end the program when closed.
template <class T> T* createDialog(TFormCommande* owner)
{
    T* d = new T(owner);
    d->setAttribute(Qt::WA_QuitOnClose, false);
    return d;
}

// Only the command window ends the program; a view window closed by the user is hidden.
void makeView(QWidget* view)
{
    view->setAttribute(Qt::WA_QuitOnClose, false);
    view->setAttribute(Qt::WA_DeleteOnClose, false);
}

void createViews(ReviewController& review, TFormCommande* commande)
{
    AppWindows& w = appWindows();
    w.Liste = new TFormListe(review);
    w.Diapo = new TFormDiapo(review);
    w.Vignette = new TFormVignette(review);
    w.Zone = new TFormZone();
    for (QWidget* view : {static_cast<QWidget*>(w.Liste), static_cast<QWidget*>(w.Diapo),
                          static_cast<QWidget*>(w.Vignette), static_cast<QWidget*>(w.Zone)})
        makeView(view);
    review.setZonePage(w.Zone);
    desktopOptions().ThumbFirst = 0;
    // The sharpness curve: no place in the desktop settings; the review keys work in it too.
    w.CourbeNettete = new TFormCourbeNettete(review);
    makeView(w.CourbeNettete);
    commande->HookKeys(w.CourbeNettete);

    QObject::connect(&review, &ReviewController::viewWanted, commande, &TFormCommande::ShowView);
    QObject::connect(&review, &ReviewController::entryShown, w.Vignette,
                     [](int row) { appWindows().Vignette->HighlightItem(row - 1); });
    QObject::connect(w.Diapo, &TFormDiapo::fullScreenLeft, commande, [commande] {
        // Leaving full screen brings back the layout of the live settings, not the settings file.
        commande->ApplyLayout();
        commande->BringToFront();
    });
    QObject::connect(w.Diapo, &TFormDiapo::commandWindowToggleWanted, commande, [commande] {
        TFormDiapo* diapo = appWindows().Diapo;
        if (commande->isVisible()) {
            commande->hide();
            diapo->raise();
            diapo->activateWindow();
        } else {
            commande->show();
            commande->raise();
            commande->activateWindow();
        }
    });

    // The conversions show their pictures in the slideshow and name their source in the list
    // window's caption; the colour filter previews on the picture on show.
    QObject::connect(&review, &ReviewController::listCaptionChanged, w.Liste, [](const QString& caption) {
        appWindows().Liste->setWindowTitle(caption.isEmpty() ? QStringLiteral("Liste") : caption);
    });
    ConversionDisplay& display = conversionDisplay();
    display.showImage = [&review](const QString& path) { return review.ShowImage(path); };
    display.editShownPicture = [&review](const std::function<void(QImage&)>& edit) {
        return review.EditShownPicture(edit);
    };
    display.showSlideshow = [](bool shown) {
        TFormDiapo* diapo = appWindows().Diapo;
        const bool was = diapo && diapo->isVisible();
        if (diapo)
            diapo->setVisible(shown);
        return was;
    };

    // The reference window: created and placed on first use; its size follows its picture.
    QObject::connect(&review, &ReviewController::referenceWindowNeeded, commande, [] {
        AppWindows& w = appWindows();
        if (w.Ref)
            return;
        w.Ref = new TFormRef();
        w.Ref->setObjectName(QStringLiteral("FormRef"));
        makeView(w.Ref);
        // Brought to the front without taking the keyboard from the window being reviewed.
        w.Ref->setAttribute(Qt::WA_ShowWithoutActivating, true);
        moveWindowTo(w.Ref, desktopOptions().ReferencePlace);
    });
    QObject::connect(&review, &ReviewController::referencesForgotten, commande, [] {
        if (TFormRef* ref = appWindows().Ref)
            ref->hide();
    });
    QObject::connect(&review, &ReviewController::referenceShown, commande, [](const QImage& picture) {
        TFormRef* ref = appWindows().Ref;
        ref->setPicture(picture);
        ref->setWindowTitle(QString::fromUtf8("Image de Référence"));
        ref->show();
        ref->raise();
    });
}

void createDialogs(ReviewController& review, TFormCommande* commande)
{
    AppWindows& w = appWindows();
    w.OpZone = createDialog<TFormopzone>(commande);
    w.OpBmp2Fit = createDialog<TFormOpBmp2Fit>(commande);
    w.OpBmp2Jpeg = createDialog<TFormOpBmp2Jpeg>(commande);
    w.OptionsDiapo = createDialog<TFormOptionsDiapo>(commande);
    w.OptionsRenommer = createDialog<TFormOptionsRenommer>(commande);
    w.Balance = createDialog<TFormBalance>(commande);
    w.Rec = createDialog<TFormRec>(commande);
    w.RepDialog = createDialog<TRepDialog>(commande);
    w.About = createDialog<TAboutBox>(commande);
    w.OpGlobales = createDialog<TFormOpGlobales>(commande);
    w.CnvHlp = createDialog<TCnvHlp>(commande);
    w.OpJpeg2Bmp = createDialog<TFormopJpeg2Bmp>(commande);
    w.OpVignette = createDialog<TFormopvignette>(commande);
    w.OpTrierZone = createDialog<TFormopTrierZone>(commande);
    w.OpBatch = createDialog<TFormOpBatch>(commande);
    setDirectoryChooser(w.RepDialog);
    QObject::connect(w.Rec, &TFormRec::helpWanted, w.CnvHlp,
                     [] { appWindows().CnvHlp->AfficherAide(QStringLiteral("Velmoran")); });
    QObject::connect(w.OpBmp2Fit, &TFormOpBmp2Fit::balanceWanted, w.Balance,
                     [] { prompts().exec(appWindows().Balance); });
    w.NoterNettete = createDialog<TFormNoterNettete>(commande);

    TFormDiapo* diapo = w.Diapo;
    QObject::connect(w.OptionsDiapo, &TFormOptionsDiapo::backgroundPreviewed, diapo, &TFormDiapo::SetBackgroundPreview);
    QObject::connect(w.OptionsDiapo, &TFormOptionsDiapo::backgroundReset, diapo, &TFormDiapo::ResetBackground);
    QObject::connect(w.OptionsDiapo, &TFormOptionsDiapo::fullScreenChosen, diapo, &TFormDiapo::SetFullScreen);
    w.OpVignette->setEntryCount([&review] { return review.entryCount(); });
    QObject::connect(w.OpVignette, &TFormopvignette::cellSizeChosen, w.Vignette, [](int height, int width) {
        appWindows().Vignette->sethvignette(height);
        appWindows().Vignette->setwvignette(width);
    });
    QObject::connect(w.OpZone, &TFormopzone::cellSizeChosen, w.Zone, [](int height, int width) {
        appWindows().Zone->sethvignette(height);
        appWindows().Zone->setwvignette(width);
    });
}

}  // namespace

TFormCommande* startProgram()
{
    // Batch passes that a crash cut short are settled from the disk, so that they can be undone.
    recoverJournals();
    loadAllOptions();
    g_review = new ReviewController();
    auto* commande = new TFormCommande(*g_review);
    appWindows().Commande = commande;
    createViews(*g_review, commande);
    commande->ApplyLayout();
    commande->BringToFront();
    createDialogs(*g_review, commande);
    return commande;
}

void stopProgram()
{
    AppWindows& w = appWindows();
    conversionDisplay() = ConversionDisplay();
    if (g_review) {
        g_review->Timer()->stop();
        g_review->setZonePage(nullptr);
    }
    // The views first: they draw from the review. The dialogs are children of the command window.
    delete w.CourbeNettete;
    delete w.Ref;
    delete w.Zone;
    delete w.Vignette;
    delete w.Diapo;
    delete w.Liste;
    setDirectoryChooser(nullptr);
    delete w.Commande;
    w = AppWindows();
    delete g_review;
    g_review = nullptr;
    resetLiveOptions();
}

ReviewController& programReview() { return *g_review; }
