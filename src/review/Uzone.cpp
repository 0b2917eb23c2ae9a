#include "review/Uzone.h"

#include "platform/ProgramError.h"
#include "review/ThumbnailGeometry.h"
#include "review/ThumbnailPicture.h"
#include "settings/Options.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollArea>
#include <QToolButton>

namespace {
const char* const kSlotProperty = "pageSlot";
}

TFormZone::TFormZone(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QString::fromUtf8("Zônes"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    navBar_ = new QWidget(this);
    navBar_->setObjectName(QStringLiteral("PanelNavigation"));
    auto* bar = new QHBoxLayout(navBar_);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QToolButton(navBar_);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        // Keys typed in the window belong to the command window's key handler (Space stops a
        // pass); the buttons must not take them.
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
        return b;
    };
    SpeedButtonPageAr = button("SpeedButtonPageAr", QStringLiteral("<<"));
    SpeedButtonAr = button("SpeedButtonAr", QStringLiteral("<"));
    SpeedButtonAv = button("SpeedButtonAv", QStringLiteral(">"));
    SpeedButtonPageAv = button("SpeedButtonPageAv", QStringLiteral(">>"));
    bar->addStretch(1);
    layout->addWidget(navBar_);
    navBar_->hide();

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("ScrollPage"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    page_ = new QWidget;
    page_->setObjectName(QStringLiteral("Page"));
    scroll_->setWidget(page_);
    layout->addWidget(scroll_, 1);

    const DesktopOptions& o = desktopOptions();
    sethvignette(o.ZoneCellHeight);
    setwvignette(o.ZoneCellWidth);
    columns_ = 1;
    pageSize_ = 10;
    setFirst(0, true);
    ClearPage();
}

TFormZone::~TFormZone() { ClearPage(); }

void TFormZone::sethvignette(int height) { cellHeight_ = clampCellSide(height); }
void TFormZone::setwvignette(int width) { cellWidth_ = clampCellSide(width); }

QColor TFormZone::CellColor()
{
    // Many palettes give the same selection colour to active and inactive windows; the cells must
    // still stand apart from the highlighted one, so they take the palette's mid tone then.
    const QPalette p = QApplication::palette();
    const QColor inactive = p.color(QPalette::Inactive, QPalette::Highlight);
    if (inactive != p.color(QPalette::Active, QPalette::Highlight))
        return inactive;
    return p.color(QPalette::Inactive, QPalette::Mid);
}

QColor TFormZone::HighlightColor() { return QApplication::palette().color(QPalette::Active, QPalette::Highlight); }

void TFormZone::setFirst(int value, bool writeOption)
{
    first_ = value;
    if (writeOption)
        desktopOptions().ThumbFirst = value;
}

QString TFormZone::ItemPath(int index) const
{
    return index >= 0 && index < ItemCount() ? PageItems[size_t(index)].path : QString();
}

bool TFormZone::ItemLoaded(int index) const
{
    return index >= 0 && index < ItemCount() && PageItems[size_t(index)].loaded;
}

QGroupBox* TFormZone::Cell(int slot) const
{
    return slot >= 0 && slot < CellCount() ? cells_[size_t(slot)].box : nullptr;
}

QLabel* TFormZone::CellPicture(int slot) const
{
    return slot >= 0 && slot < CellCount() ? cells_[size_t(slot)].picture : nullptr;
}

void TFormZone::ClearPage()
{
    ++pageGeneration_;
    for (PageCell& c : cells_)
        delete c.box;
    cells_.clear();
    PageItems.clear();
    highlighted_ = -1;
    updatePageExtent();
}

void TFormZone::CreateCell(int slot)
{
    while (CellCount() <= slot) {
        const int s = CellCount();
        PageCell c;
        c.box = new QGroupBox(page_);
        c.box->setObjectName(QStringLiteral("Cell%1").arg(s));
        c.box->hide();
        c.box->setAutoFillBackground(true);
        c.picture = new QLabel(c.box);
        c.picture->setObjectName(QStringLiteral("Picture"));
        c.picture->setProperty(kSlotProperty, s);
        c.picture->installEventFilter(this);
        cells_.push_back(c);
        setCellColor(s, CellColor());
        c.box->setGeometry(cellRect(s, columns_, QSize(cellWidth_, cellHeight_)));
        centrePicture(c);
    }
    updatePageExtent();
}

void TFormZone::LoadItem(int index)
{
    const int slot = index - first_;
    if (slot < 0 || slot >= CellCount())
        return;
    if (index < 0 || index >= ItemCount()) {
        setSlotShown(slot, false);
        return;
    }
    PageItem& item = PageItems[size_t(index)];
    item.loaded = true;
    setSlotShown(slot, true);
    cells_[size_t(slot)].box->setTitle(QString::number(index));
    if (item.path.isEmpty())
        return;
    const ThumbnailPicture t = makeThumbnail(item.path, QSize(cellWidth_, cellHeight_));
    if (!t.ok)
        throw ProgramError(t.errorText);
    setPicture(slot, QPixmap::fromImage(t.image));
}

void TFormZone::setPicture(int slot, const QPixmap& picture)
{
    const PageCell& c = cells_[size_t(slot)];
    c.picture->setPixmap(picture);
    c.picture->setFixedSize(picture.size());
    centrePicture(c);
}

void TFormZone::setSlotShown(int slot, bool shown)
{
    if (slot >= 0 && slot < CellCount())
        cells_[size_t(slot)].box->setVisible(shown);
}

void TFormZone::HighlightItem(int index)
{
    if (highlighted_ >= 0 && highlighted_ < CellCount())
        setCellColor(highlighted_, CellColor());
    highlighted_ = -1;
    const int slot = index - first_;
    if (index < 0 || index >= ItemCount() || slot < 0 || slot >= CellCount())
        return;
    QGroupBox* box = cells_[size_t(slot)].box;
    if (box->isHidden())
        return;
    setWindowTitle(PageItems[size_t(index)].path);
    setCellColor(slot, HighlightColor());
    highlighted_ = slot;
    scroll_->ensureWidgetVisible(box, 0, 0);
}

void TFormZone::AssignZoneImage(int zone, const QString& path)
{
    while (ItemCount() < pageSize_)
        PageItems.push_back({});
    if (CellCount() < pageSize_)
        CreateCell(pageSize_ - 1);
    if (zone >= 0 && zone < ItemCount() && !PageItems[size_t(zone)].loaded) {
        PageItems[size_t(zone)].path = path;
        LoadItem(zone);
    }
}

void TFormZone::PictureClick(int slot) { HighlightItem(slot); }

void TFormZone::setCellColor(int slot, const QColor& color)
{
    QGroupBox* box = cells_[size_t(slot)].box;
    QPalette p = box->palette();
    p.setColor(QPalette::Window, color);
    box->setPalette(p);
}

void TFormZone::centrePicture(const PageCell& cell)
{
    // Centred in the frame's inner area, never stretched: a picture larger than that area is cut
    // evenly on both sides.
    const QRect inner = cell.box->contentsRect();
    const QSize size = cell.picture->size();
    cell.picture->move(inner.x() + (inner.width() - size.width()) / 2,
                       inner.y() + (inner.height() - size.height()) / 2);
}

void TFormZone::layoutCells()
{
    const QSize size(cellWidth_, cellHeight_);
    for (int s = 0; s < CellCount(); ++s) {
        const PageCell& c = cells_[size_t(s)];
        c.box->setGeometry(cellRect(s, columns_, size));
        centrePicture(c);
    }
    updatePageExtent();
}

void TFormZone::updatePageExtent()
{
    page_->setMinimumSize(pageExtent(CellCount(), columns_, QSize(cellWidth_, cellHeight_)));
}

void TFormZone::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    columns_ = pageColumns(width(), cellWidth_);
    layoutCells();
}

bool TFormZone::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QVariant slot = watched->property(kSlotProperty);
        if (slot.isValid()) {
            const int s = slot.toInt();
            // Nothing may escape into the event loop; failures end in the general error box.
            runGuarded([&] { PictureClick(s); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
