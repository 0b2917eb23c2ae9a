#include "app/Ustartup.h"

#include "app/SharedState.h"
#include "app/Ucommande.h"
#include "app/Windows.h"
#include "batch/Uoptionsrenommer.h"
#include "batch/Uoptrierzone.h"
#include "convert/Ubalance.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "review/Uoptionsdiapo.h"
#include "review/Uopvignette.h"
#include "review/Uopzone.h"
#include "search/Urec.h"
#include "search/Urepdialog.h"
#include "settings/OptionsFile.h"
#include "settings/Uopglobales.h"
#include "tools/Uabout.h"
#include "tools/Ucnvhlp.h"
#include "tools/Uopbatch.h"

#include <QDialog>

namespace {
// The dialogs belong to the command window, so that they stay above the bar that is always on
// top, and they never end the program when closed.
template <class T> T* createDialog(TFormCommande* owner)
{
    T* d = new T(owner);
    d->setAttribute(Qt::WA_QuitOnClose, false);
    return d;
}
}

TFormCommande* startProgram()
{
    loadAllOptions();
    SharedState& s = shared();
    s.TagMode = 1;
    s.DefaultTagMode = 1;
    s.NormalStep = 1;

    auto* commande = new TFormCommande();

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
    return commande;
}

void stopProgram()
{
    // The dialogs are children of the command window and go with it; it deletes the view windows.
    delete appWindows().Commande;
    appWindows() = AppWindows();
    resetSharedState();
    resetLiveOptions();
}
