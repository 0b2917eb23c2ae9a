#pragma once
// The windows created at start-up that have no place in appWindows(): the conversion, rename and
// sort option dialogs, the colour filter, the search window, the help viewer and the about box.
// Created once each by startProgram() and reached through these pointers until the end.
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

struct ExtraWindows {
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
};

ExtraWindows& extraWindows();
