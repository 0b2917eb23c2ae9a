#include "review/UPageGrid.h"

#include "platform/ProgramError.h"
#include "review/ThumbnailGeometry.h"
#include "review/ThumbnailPicture.h"

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

TPageGrid::TPageGrid(QWidget* parent) : QWidget(parent)
{
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
        // Keys typed in the window belong to the key map (Space stops a pass); the buttons must
        // not take them.
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
        return b;
    };
    pageAr_ = button("SpeedButtonPageAr", QStringLiteral("<<"));
    ar_ = button("SpeedButtonAr", QStringLiteral("<"));
    av_ = button("SpeedButtonAv", QStringLiteral(">"));
    pageAv_ = button("SpeedButtonPageAv", QStringLiteral(">>"));
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
    ClearPage();
}

TPageGrid::~TPageGrid() { ClearPage(); }

void TPageGrid::sethvignette(int height) { cellHeight_ = clampCellSide(height); }
void TPageGrid::setwvignette(int width) { cellWidth_ = clampCellSide(width); }

QColor TPageGrid::CellColor()
{
    // Many palettes give the same selection colour to active and inactive windows; the cells must
    // still stand apart from the highlighted one, so they take the palette's mid tone then.
    const QPalette p = QApplication::palette();
    const QColor inactive = p.color(QPalette::Inactive, QPalette::Highlight);
    if (inactive != p.color(QPalette::Active, QPalette::Highlight))
        return inactive;
    return p.color(QPalette::Inactive, QPalette::Mid);
}

QColor TPageGrid::HighlightColor() { return QApplication::palette().color(QPalette::Active, QPalette::Highlight); }

void TPageGrid::setItems(const QStringList& paths)
{
    items_.clear();
    items_.reserve(size_t(paths.size()));
    for (const QString& p : paths)
        items_.push_back({p, false});
}

void TPageGrid::ensureItems(int count)
{
    while (ItemCount() < count)
        items_.push_back({});
}

void TPageGrid::setItemPath(int index, const QString& path)
{
    if (index >= 0 && index < ItemCount())
        items_[size_t(index)].path = path;
}

QString TPageGrid::ItemPath(int index) const
{
    return index >= 0 && index < ItemCount() ? items_[size_t(index)].path : QString();
}

bool TPageGrid::ItemLoaded(int index) const
{
    return index >= 0 && index < ItemCount() && items_[size_t(index)].loaded;
}

QGroupBox* TPageGrid::Cell(int slot) const
{
    return slot >= 0 && slot < CellCount() ? cells_[size_t(slot)].box : nullptr;
}

QLabel* TPageGrid::CellPicture(int slot) const
{
    return slot >= 0 && slot < CellCount() ? cells_[size_t(slot)].picture : nullptr;
}

void TPageGrid::ClearPage()
{
    ++generation_;
    for (PageCell& c : cells_)
        delete c.box;
    cells_.clear();
    items_.clear();
    highlighted_ = -1;
    updatePageExtent();
}

void TPageGrid::CreateCell(int slot)
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

void TPageGrid::LoadItem(int index)
{
    const int slot = index - first_;
    if (slot < 0 || slot >= CellCount())
        return;
    if (index < 0 || index >= ItemCount()) {
        setSlotShown(slot, false);
        return;
    }
    PageItem& item = items_[size_t(index)];
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

void TPageGrid::setPicture(int slot, const QPixmap& picture)
{
    const PageCell& c = cells_[size_t(slot)];
    c.picture->setPixmap(picture);
    c.picture->setFixedSize(picture.size());
    centrePicture(c);
}

void TPageGrid::setSlotShown(int slot, bool shown)
{
    if (slot >= 0 && slot < CellCount())
        cells_[size_t(slot)].box->setVisible(shown);
}

std::vector<int> TPageGrid::shiftPictures(int delta)
{
    // The pictures on show move along with their items; slots past the last item are hidden, and
    // slots of items that had no picture on show (past the end before, or never drawn) are left
    // to the caller to load.
    struct Shown {
        QString title;
        QPixmap picture;
        bool shown = false;
    };
    const int n = CellCount();
    std::vector<Shown> before(static_cast<size_t>(n));
    for (int s = 0; s < n; ++s) {
        const PageCell& c = cells_[size_t(s)];
        before[size_t(s)] = {c.box->title(), c.picture->pixmap(), !c.box->isHidden()};
    }
    std::vector<int> toLoad;
    for (int s = 0; s < n; ++s) {
        const int item = first_ + s;
        const int from = s + delta;
        if (item < 0 || item >= ItemCount()) {
            setSlotShown(s, false);
        } else if (from >= 0 && from < n && before[size_t(from)].shown) {
            cells_[size_t(s)].box->setTitle(before[size_t(from)].title);
            setPicture(s, before[size_t(from)].picture);
            setSlotShown(s, true);
        } else {
            toLoad.push_back(item);
        }
    }
    return toLoad;
}

void TPageGrid::HighlightItem(int index)
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
    window()->setWindowTitle(items_[size_t(index)].path);
    setCellColor(slot, HighlightColor());
    highlighted_ = slot;
    scroll_->ensureWidgetVisible(box, 0, 0);
}

void TPageGrid::setCellColor(int slot, const QColor& color)
{
    QGroupBox* box = cells_[size_t(slot)].box;
    QPalette p = box->palette();
    p.setColor(QPalette::Window, color);
    box->setPalette(p);
}

void TPageGrid::centrePicture(const PageCell& cell)
{
    // Centred in the frame's inner area, never stretched: a picture larger than that area is cut
    // evenly on both sides.
    const QRect inner = cell.box->contentsRect();
    const QSize size = cell.picture->size();
    cell.picture->move(inner.x() + (inner.width() - size.width()) / 2,
                       inner.y() + (inner.height() - size.height()) / 2);
}

void TPageGrid::layoutCells()
{
    const QSize size(cellWidth_, cellHeight_);
    for (int s = 0; s < CellCount(); ++s) {
        const PageCell& c = cells_[size_t(s)];
        c.box->setGeometry(cellRect(s, columns_, size));
        centrePicture(c);
    }
    updatePageExtent();
}

void TPageGrid::updatePageExtent()
{
    page_->setMinimumSize(pageExtent(CellCount(), columns_, QSize(cellWidth_, cellHeight_)));
}

void TPageGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    columns_ = pageColumns(width(), cellWidth_);
    layoutCells();
}

bool TPageGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QVariant slot = watched->property(kSlotProperty);
        if (slot.isValid()) {
            emit pictureClicked(slot.toInt());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
