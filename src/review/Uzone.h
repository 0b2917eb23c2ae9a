#pragma once
// The zone window "Zônes": one cell per zone 0..9 with the picture of the first entry tagged with
// it (the zone page of the review).
#include "review/ZonePage.h"

#include <QWidget>

class TPageGrid;

class TFormZone : public QWidget, public ZonePage {
    Q_OBJECT
public:
    explicit TFormZone(QWidget* parent = nullptr);

    TPageGrid* Grid() const { return grid_; }

    // Removes every cell and item.
    void ClearPage() override;
    // Shows path in the cell of zone z unless that zone already has a picture. Zones outside the
    // cells are ignored. Throws ProgramError when the picture cannot be decoded.
    void AssignZoneImage(int zone, const QString& path) override;
    void HighlightItem(int index);
    // Cell size for cells created or re-flowed afterwards.
    void sethvignette(int height);
    void setwvignette(int width);

private:
    TPageGrid* grid_;
};
