#pragma once
// The thumbnail window "Vignettes": a page of consecutive entries.
#include "review/Uzone.h"

class TFormVignette : public TFormZone {
    Q_OBJECT
public:
    explicit TFormVignette(QWidget* parent = nullptr);
    void BuildThumbnailPage(const QStringList& paths, int first, int pageSize);
};
