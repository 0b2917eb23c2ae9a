#include "list/Uliste.h"

#include "controller/ListCommands.h"
#include "controller/ReviewController.h"
#include "list/ListModel.h"
#include "platform/ProgramError.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QSet>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Column widths in units of the grid font's point size, mark column first.
constexpr int kColumnWidths[ListModel::kColumnCount] = {4, 5, 20, 19, 5, 4, 4};

// Grid row of a view row, and back: the title row is the column header.
int gridRow(int viewRow) { return viewRow + ListModel::kFirstRow; }
int viewRow(int gridRow) { return gridRow - ListModel::kFirstRow; }

}  // namespace

TFormListe::TFormListe(ReviewController& review, QWidget* parent) : QWidget(parent, Qt::Window), review_(review)
{
    setWindowTitle(QStringLiteral("Liste"));
    grid_ = new QTableView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    grid_->setModel(&review_.model());
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    grid_->setShowGrid(true);
    grid_->setWordWrap(false);
    grid_->setCornerButtonEnabled(false);
    grid_->setColumnHidden(ListModel::ColMark, true);  // shown as the row header instead

    QHeaderView* top = grid_->horizontalHeader();
    top->setSectionsClickable(false);
    top->setHighlightSections(false);
    top->setSectionResizeMode(QHeaderView::Interactive);
    top->setStretchLastSection(false);

    QHeaderView* side = grid_->verticalHeader();
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setMinimumSectionSize(1);
    side->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    side->setSectionsMovable(true);
    side->setHighlightSections(false);
    side->setDefaultAlignment(Qt::AlignCenter);
    connect(side, &QHeaderView::sectionMoved, this, &TFormListe::rowHeaderMoved);
    connect(side, &QHeaderView::sectionClicked, this, [this](int section) { rowLeftClicked(gridRow(section)); });

    // Keys reach the key map through the command window's application-wide hook.
    grid_->viewport()->installEventFilter(this);
    side->viewport()->installEventFilter(this);

    // A list replaced as a whole gets its column widths back.
    connect(&review_.model(), &QAbstractItemModel::modelReset, this, [this] { setUpColumns(); });
    connect(&review_, &ReviewController::currentRowChanged, this, &TFormListe::showCurrentRow);
    // Whatever else moves the highlight (a drag over the rows, a press on a row's handle), it goes
    // back to the entry on show: the highlighted row is the row the tag keys write to.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { keepHighlightOnCurrent(); });
    connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { keepHighlightOnCurrent(); });

    resize(512, 393);
    move(234, 148);
    setUpColumns();
    showCurrentRow(review_.CurrentRow());
}

TFormListe::~TFormListe() = default;

ListModel& TFormListe::model() { return review_.model(); }

void TFormListe::setUpColumns()
{
    qreal pt = grid_->font().pointSizeF();
    if (pt <= 0)
        pt = grid_->font().pixelSize() * 0.75;
    if (pt <= 0)
        pt = 8;
    for (int c = 1; c < ListModel::kColumnCount; ++c)
        grid_->setColumnWidth(c, int(kColumnWidths[c] * pt + 0.5));
    grid_->verticalHeader()->setFixedWidth(int(kColumnWidths[ListModel::ColMark] * pt + 0.5));
}

void TFormListe::ClearList() { ListCommands(review_).ClearList(); }
void TFormListe::Recount() { review_.Recount(); }
void TFormListe::SelectRow(int row) { review_.SelectRow(row); }
QString TFormListe::EntryPath(int row) const { return review_.EntryPath(row); }
int TFormListe::EntryScore(int row) const { return review_.document().EntryScore(row); }
void TFormListe::AddFiles(bool replace) { ListCommands(review_).AddFiles(replace); }
void TFormListe::AppendFiles(const QStringList& paths) { ListCommands(review_).AppendFiles(paths); }
void TFormListe::CollerPressepapier1Click() { ListCommands(review_).CollerPressePapier(); }
void TFormListe::Effacer1Click() { ListCommands(review_).Effacer(); }
void TFormListe::ViderlaListe1Click() { ListCommands(review_).Vider(); }
void TFormListe::Renumeroter1Click() { ListCommands(review_).Renumeroter(); }
void TFormListe::GenereListeZone() { review_.GenereListeZone(); }
bool TFormListe::Ouvrir1Click() { return ListCommands(review_).Ouvrir() == ListOutcome::Done; }
bool TFormListe::OuvriretRenommer1Click() { return ListCommands(review_).OuvrirEtRenommer() == ListOutcome::Done; }
bool TFormListe::Enregistrersous1Click() { return ListCommands(review_).Enregistrer() == ListOutcome::Done; }

void TFormListe::keepHighlightOnCurrent()
{
    if (showing_)
        return;
    QSet<int> rows;
    for (const QModelIndex& index : grid_->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    const int current = viewRow(review_.CurrentRow());
    const bool onCurrent = rows.size() == 1 && rows.contains(current)
                           && grid_->selectionModel()->currentIndex().row() == current;
    const bool noEntry = current < 0 || current >= review_.model().rowCount();
    if (!onCurrent && !(noEntry && rows.isEmpty()))
        showCurrentRow(review_.CurrentRow());
}

void TFormListe::showCurrentRow(int row)
{
    const QScopedValueRollback<bool> showing(showing_, true);
    const int vr = viewRow(row);
    if (vr >= 0 && vr < review_.model().rowCount())
        grid_->selectionModel()->setCurrentIndex(review_.model().index(vr, ListModel::ColNumber),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        grid_->selectionModel()->clearSelection();
    scrollToPageOf(row);
    grid_->viewport()->update();
}

int TFormListe::VisibleRowCount() const
{
    const int h = grid_->verticalHeader()->defaultSectionSize();
    const int v = h > 0 ? grid_->viewport()->height() / h : 1;
    return v < 1 ? 1 : v;
}

int TFormListe::TopRow() const { return gridRow(grid_->verticalScrollBar()->value()); }

void TFormListe::scrollToPageOf(int row)
{
    // Rows up to v show from the top; further rows show in pages that start at multiples of v.
    const int v = VisibleRowCount();
    int topRow = row + 1 - row % v;
    if (topRow > v)
        topRow = row - row % v;
    const int value = std::max(0, viewRow(topRow));
    QScrollBar* bar = grid_->verticalScrollBar();
    if (value > bar->maximum())
        grid_->doItemsLayout();  // a list just filled has no scroll range yet
    bar->setValue(value);
}

void TFormListe::rowLeftClicked(int row)
{
    runGuarded([&] { review_.ClickRow(row); });
}

void TFormListe::rowRightClicked(int row)
{
    review_.StopPlaying();
    // The spare row stays empty, so that the next entry still goes after the last one.
    review_.model().toggleMark(row);
}

void TFormListe::rowHeaderMoved(int /*logical*/, int oldVisual, int newVisual)
{
    // The header is only the handle: put it back and move the entry itself, so the rows keep the
    // model's order (and their numbers, until "Renuméroter").
    QHeaderView* side = grid_->verticalHeader();
    {
        const QSignalBlocker block(side);
        side->moveSection(newVisual, oldVisual);
    }
    review_.model().moveEntry(gridRow(oldVisual), gridRow(newVisual));
}

bool TFormListe::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && watched == grid_->viewport()) {
        auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex index = grid_->indexAt(me->position().toPoint());
        if (!index.isValid())
            return false;
        if (me->button() == Qt::LeftButton) {
            grid_->setFocus(Qt::MouseFocusReason);
            rowLeftClicked(gridRow(index.row()));
            return true;
        }
        if (me->button() == Qt::RightButton) {
            rowRightClicked(gridRow(index.row()));
            return true;
        }
        return false;
    }
    if (press && watched == grid_->verticalHeader()->viewport()) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::RightButton)
            return false;  // left: the header selects and drags the row
        const int section = grid_->verticalHeader()->logicalIndexAt(me->position().toPoint());
        if (section >= 0)
            rowRightClicked(gridRow(section));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
