#include "review/Uvignette.h"

#include "controller/ReviewController.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "review/UPageGrid.h"
#include "settings/Options.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TFormVignette::TFormVignette(ReviewController& review, QWidget* parent)
    : QWidget(parent, Qt::Window), review_(review), grid_(new TPageGrid(this))
{
    setWindowTitle(QStringLiteral("Vignettes"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    const DesktopOptions& o = desktopOptions();
    grid_->sethvignette(o.ThumbCellHeight);
    grid_->setwvignette(o.ThumbCellWidth);
    grid_->setPageSize(10);
    setFirst(0, true);
    connect(grid_->ButtonPageAr(), &QToolButton::clicked, this, [this] { SpeedButtonPageArClick(); });
    connect(grid_->ButtonAr(), &QToolButton::clicked, this, [this] { SpeedButtonArClick(); });
    connect(grid_->ButtonAv(), &QToolButton::clicked, this, [this] { SpeedButtonAvClick(); });
    connect(grid_->ButtonPageAv(), &QToolButton::clicked, this, [this] { SpeedButtonPageAvClick(); });
    connect(grid_, &TPageGrid::pictureClicked, this, &TFormVignette::PictureClick);
    // Linear frames look different under a new display stretch.
    connect(&review_, &ReviewController::stretchChanged, this, [this] {
        if (isVisible() && !building_)
            reloadPage();
    });
}

void TFormVignette::ClearPage() { grid_->ClearPage(); }
void TFormVignette::HighlightItem(int index) { grid_->HighlightItem(index); }
void TFormVignette::sethvignette(int height) { grid_->sethvignette(height); }
void TFormVignette::setwvignette(int width) { grid_->setwvignette(width); }

bool TFormVignette::ButtonEnabledPageAr() const { return grid_->ButtonPageAr()->isEnabled(); }
bool TFormVignette::ButtonEnabledAr() const { return grid_->ButtonAr()->isEnabled(); }
bool TFormVignette::ButtonEnabledAv() const { return grid_->ButtonAv()->isEnabled(); }
bool TFormVignette::ButtonEnabledPageAv() const { return grid_->ButtonPageAv()->isEnabled(); }

void TFormVignette::setFirst(int value, bool writeOption)
{
    grid_->setFirst(value);
    if (writeOption)
        desktopOptions().ThumbFirst = value;
}

void TFormVignette::BuildThumbnailPage(const QStringList& paths, int first, int pageSize)
{
    // A build started while another one lets events through clears the page under it; the earlier
    // build sees its page gone and stops.
    grid_->ClearPage();
    // A negative start would put items before slot 0; the page starts at the first item instead.
    setFirst(std::max(0, first), true);
    const int start = grid_->First();
    grid_->setPageSize(pageSize);
    grid_->setLastStart(int(paths.size()) - pageSize);

    grid_->NavigationBar()->setVisible(start != 0 || pageSize < paths.size());
    grid_->ButtonPageAr()->setEnabled(start > 0);
    grid_->ButtonPageAv()->setEnabled(start < grid_->LastStart());
    if (paths.isEmpty())
        return;
    grid_->setItems(paths);

    // Items past both the cells and the page need nothing, so the pass ends there.
    const qint64 pageEnd = qint64(start) + pageSize;  // one past the last item of the page
    const qint64 end = std::min<qint64>(grid_->ItemCount(), std::max<qint64>(pageSize, pageEnd));
    const uint64_t generation = grid_->Generation();
    ++building_;
    QString failure;
    {
        StopScope scope(review_.stopFlag());
        try {
            for (int i = 0; i < end && scope.running() && generation == grid_->Generation(); ++i) {
                if (i < pageSize)
                    grid_->CreateCell(i);
                if (i >= start && i < pageEnd)
                    grid_->LoadItem(i);
                scope.keepGoing();
            }
        } catch (const ProgramError& e) {
            failure = e.text();
        } catch (const std::exception& e) {
            failure = commandErrorText(e);
        }
    }
    --building_;
    if (!failure.isNull())
        prompts().error(failure);
}

void TFormVignette::setMoveButtons()
{
    grid_->ButtonPageAv()->setEnabled(grid_->First() < grid_->LastStart());
    grid_->ButtonAv()->setEnabled(grid_->First() < grid_->ItemCount() - 1);
}

void TFormVignette::reloadPage()
{
    const int n = std::min(grid_->PageSize(), grid_->CellCount());
    runGuarded([&] {
        for (int s = 0; s < n; ++s)
            grid_->LoadItem(grid_->First() + s);
    });
}

void TFormVignette::SpeedButtonPageAvClick()
{
    if (building_)
        return;
    const int old = grid_->First();
    if (old < grid_->LastStart()) {
        setFirst(old + grid_->PageSize(), false);
        grid_->ButtonPageAr()->setEnabled(true);
        grid_->ButtonAr()->setEnabled(true);
    }
    setMoveButtons();
    if (grid_->First() != old)
        reloadPage();
}

void TFormVignette::SpeedButtonPageArClick()
{
    if (building_)
        return;
    const int old = grid_->First();
    if (grid_->PageSize() < old) {
        setFirst(old - grid_->PageSize(), false);
    } else {
        setFirst(0, true);
        grid_->ButtonPageAr()->setEnabled(false);
        grid_->ButtonAr()->setEnabled(false);
    }
    setMoveButtons();
    if (grid_->First() != old)
        reloadPage();
}

void TFormVignette::SpeedButtonArClick()
{
    if (building_)
        return;
    const int old = grid_->First();
    if (old < 2) {
        setFirst(0, true);
        grid_->ButtonAr()->setEnabled(false);
        grid_->ButtonPageAr()->setEnabled(false);
    } else {
        setFirst(old - 1, false);
    }
    setMoveButtons();
    if (grid_->First() != old)
        moveByOne(old);
}

void TFormVignette::SpeedButtonAvClick()
{
    if (building_)
        return;
    const int old = grid_->First();
    if (old < grid_->ItemCount() - 1) {
        setFirst(old + 1, false);
        grid_->ButtonAr()->setEnabled(true);
        grid_->ButtonPageAr()->setEnabled(true);
    }
    setMoveButtons();
    if (grid_->First() != old)
        moveByOne(old);
}

void TFormVignette::moveByOne(int oldFirst)
{
    // Only the item entering the page is decoded; the others slide along with their pictures.
    const std::vector<int> toLoad = grid_->shiftPictures(grid_->First() - oldFirst);
    runGuarded([&] {
        for (int item : toLoad)
            grid_->LoadItem(item);
    });
}

void TFormVignette::PictureClick(int slot)
{
    const int item = grid_->First() + slot;
    // The clicked entry is shown as a move shows it, so the picture on show and the entry a tag
    // key writes are the same. The highlight follows from the showing when thumbnails are on.
    runGuarded([&] { review_.ClickRow(item + 1); });
    grid_->HighlightItem(item);
}
