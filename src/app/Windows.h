#pragma once
// The program's windows, created once each at start-up and living until the end. Other windows
// reach one another through these pointers, as the program's own global window variables.
class TFormCommande;
class TFormListe;
class TFormDiapo;
class TFormVignette;
class TFormZone;
class TFormRef;
class TRepDialog;
class TFormOptionsDiapo;
class TFormOpGlobales;
class TFormopvignette;
class TFormopzone;
class TFormOpBmp2Fit;
class TFormOpBmp2Jpeg;
class TFormopJpeg2Bmp;
class TFormBalance;
class TFormOptionsRenommer;
class TFormopTrierZone;
class TFormRec;
class TAboutBox;
class TCnvHlp;
class TFormOpBatch;
class TFormNoterNettete;
class TFormCourbeNettete;

struct AppWindows {
    TFormCommande* Commande = nullptr;
    TFormListe* Liste = nullptr;
    TFormDiapo* Diapo = nullptr;
    TFormVignette* Vignette = nullptr;
    TFormZone* Zone = nullptr;
    TFormRef* Ref = nullptr;  // created on first use
    TRepDialog* RepDialog = nullptr;
    TFormOptionsDiapo* OptionsDiapo = nullptr;
    TFormOpGlobales* OpGlobales = nullptr;
    TFormopvignette* OpVignette = nullptr;
    TFormopzone* OpZone = nullptr;
    TFormOpBmp2Fit* OpBmp2Fit = nullptr;
    TFormOpBmp2Jpeg* OpBmp2Jpeg = nullptr;
    TFormOptionsRenommer* OptionsRenommer = nullptr;
    TFormBalance* Balance = nullptr;
    TFormRec* Rec = nullptr;
    TAboutBox* About = nullptr;
    TCnvHlp* CnvHlp = nullptr;
    TFormopJpeg2Bmp* OpJpeg2Bmp = nullptr;
    TFormopTrierZone* OpTrierZone = nullptr;
    TFormOpBatch* OpBatch = nullptr;
    TFormNoterNettete* NoterNettete = nullptr;
    TFormCourbeNettete* CourbeNettete = nullptr;
};

AppWindows& appWindows();
