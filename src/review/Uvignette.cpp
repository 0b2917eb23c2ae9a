#include "review/Uvignette.h"

#include "app/SharedState.h"
#include "app/Windows.h"
#include "list/Uliste.h"
#include "platform/EventPump.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "settings/Options.h"

#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

TFormVignette::TFormVignette(QWidget* parent) : TFormZone(parent)
{
    setWindowTitle(QStringLiteral("Vignettes"));
    const DesktopOptions& o = desktopOptions();
    sethvignette(o.ThumbCellHeight);
    setwvignette(o.ThumbCellWidth);
    connect(SpeedButtonPageAr, &QToolButton::clicked, this, [this] { SpeedButtonPageArClick(); });
    connect(SpeedButtonAr, &QToolButton::clicked, this, [this] { SpeedButtonArClick(); });
    connect(SpeedButtonAv, &QToolButton::clicked, this, [this] { SpeedButtonAvClick(); });
    connect(SpeedButtonPageAv, &QToolButton::clicked, this, [this] { SpeedButtonPageAvClick(); });
}

bool TFormVignette::ButtonEnabledPageAr() const { return SpeedButtonPageAr->isEnabled(); }
bool TFormVignette::ButtonEnabledAr() const { return SpeedButtonAr->isEnabled(); }
bool TFormVignette::ButtonEnabledAv() const { return SpeedButtonAv->isEnabled(); }
bool TFormVignette::ButtonEnabledPageAv() const { return SpeedButtonPageAv->isEnabled(); }

void TFormVignette::BuildThumbnailPage(const QStringList& paths, int first, int pageSize)
{
    // A build started while another one lets events through clears the page under it; the earlier
    // build sees its page gone and stops.
    ClearPage();
    // A negative start would put items before slot 0; the page starts at the first item instead.
    setFirst(std::max(0, first), true);
    pageSize_ = pageSize;
    lastStart_ = int(paths.size()) - pageSize;

    navBar_->setVisible(first_ != 0 || pageSize < paths.size());
    SpeedButtonPageAr->setEnabled(first_ > 0);
    SpeedButtonPageAv->setEnabled(first_ < lastStart_);
    if (paths.isEmpty())
        return;

    PageItems.reserve(size_t(paths.size()));
    for (const QString& p : paths)
        PageItems.push_back({p, false});

    // Items past both the cells and the page need nothing, so the pass ends there.
    const qint64 pageEnd = qint64(first_) + pageSize;  // one past the last item of the page
    const qint64 end = std::min<qint64>(ItemCount(), std::max<qint64>(pageSize, pageEnd));
    const uint64_t generation = pageGeneration_;
    ++building_;
    shared().BatchRunning = true;
    QString failure;
    try {
        for (int i = 0; i < end && shared().BatchRunning && generation == pageGeneration_; ++i) {
            if (i < pageSize)
                CreateCell(i);
            if (i >= first_ && i < pageEnd)
                LoadItem(i);
            pumpEvents();
        }
    } catch (const ProgramError& e) {
        failure = e.text();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    shared().BatchRunning = false;
    --building_;
    if (!failure.isNull())
        prompts().error(failure);
}

void TFormVignette::setMoveButtons()
{
    SpeedButtonPageAv->setEnabled(first_ < lastStart_);
    SpeedButtonAv->setEnabled(first_ < ItemCount() - 1);
}

void TFormVignette::reloadPage()
{
    const int n = std::min(pageSize_, CellCount());
    runGuarded([&] {
        for (int s = 0; s < n; ++s)
            LoadItem(first_ + s);
    });
}

void TFormVignette::SpeedButtonPageAvClick()
{
    if (building_)
        return;
    const int old = first_;
    if (first_ < lastStart_) {
        setFirst(first_ + pageSize_, false);
        SpeedButtonPageAr->setEnabled(true);
        SpeedButtonAr->setEnabled(true);
    }
    setMoveButtons();
    if (first_ != old)
        reloadPage();
}

void TFormVignette::SpeedButtonPageArClick()
{
    if (building_)
        return;
    const int old = first_;
    if (pageSize_ < first_) {
        setFirst(first_ - pageSize_, false);
    } else {
        setFirst(0, true);
        SpeedButtonPageAr->setEnabled(false);
        SpeedButtonAr->setEnabled(false);
    }
    setMoveButtons();
    if (first_ != old)
        reloadPage();
}

void TFormVignette::SpeedButtonArClick()
{
    if (building_)
        return;
    const int old = first_;
    if (first_ < 2) {
        setFirst(0, true);
        SpeedButtonAr->setEnabled(false);
        SpeedButtonPageAr->setEnabled(false);
    } else {
        setFirst(first_ - 1, false);
    }
    setMoveButtons();
    if (first_ != old)
        moveByOne(old);
}

void TFormVignette::SpeedButtonAvClick()
{
    if (building_)
        return;
    const int old = first_;
    if (first_ < ItemCount() - 1) {
        setFirst(first_ + 1, false);
        SpeedButtonAr->setEnabled(true);
        SpeedButtonPageAr->setEnabled(true);
    }
    setMoveButtons();
    if (first_ != old)
        moveByOne(old);
}

void TFormVignette::moveByOne(int oldFirst)
{
    // The pictures on show move one slot along with their items; only the item entering the page
    // is decoded. Slots past the last item are hidden, and slots of items that had no picture on
    // show (past the end before, or never drawn) are loaded.
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
    const int delta = first_ - oldFirst;
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
    runGuarded([&] {
        for (int item : toLoad)
            LoadItem(item);
    });
}

void TFormVignette::PictureClick(int slot)
{
    const int item = first_ + slot;
    if (TFormListe* liste = appWindows().Liste)
        liste->SelectRow(item + 1);
    HighlightItem(item);
}
