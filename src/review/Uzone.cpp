#include "review/Uzone.h"

#include "review/UPageGrid.h"
#include "settings/Options.h"

#include <QVBoxLayout>

TFormZone::TFormZone(QWidget* parent) : QWidget(parent, Qt::Window), grid_(new TPageGrid(this))
{
    setWindowTitle(QString::fromUtf8("Zônes"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    const DesktopOptions& o = desktopOptions();
    grid_->sethvignette(o.ZoneCellHeight);
    grid_->setwvignette(o.ZoneCellWidth);
    grid_->setPageSize(10);
    grid_->setFirst(0);
    connect(grid_, &TPageGrid::pictureClicked, this, [this](int slot) { HighlightItem(slot); });
}

void TFormZone::ClearPage() { grid_->ClearPage(); }
void TFormZone::HighlightItem(int index) { grid_->HighlightItem(index); }
void TFormZone::sethvignette(int height) { grid_->sethvignette(height); }
void TFormZone::setwvignette(int width) { grid_->setwvignette(width); }

void TFormZone::AssignZoneImage(int zone, const QString& path)
{
    const int zones = grid_->PageSize();
    grid_->ensureItems(zones);
    if (grid_->CellCount() < zones)
        grid_->CreateCell(zones - 1);
    if (zone >= 0 && zone < grid_->ItemCount() && !grid_->ItemLoaded(zone)) {
        grid_->setItemPath(zone, path);
        grid_->LoadItem(zone);
    }
}
