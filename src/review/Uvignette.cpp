#include "review/Uvignette.h"

TFormVignette::TFormVignette(QWidget* parent) : TFormZone(parent)
{
    setWindowTitle(QStringLiteral("Vignettes"));
}

void TFormVignette::BuildThumbnailPage(const QStringList&, int, int) {}
