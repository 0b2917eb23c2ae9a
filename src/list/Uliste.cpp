#include "list/Uliste.h"

#include "app/SharedState.h"
#include "app/Ucommande.h"
#include "app/Windows.h"
#include "list/ListFile.h"
#include "list/ListModel.h"
#include "platform/EventPump.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "review/UDiapo.h"
#include "review/Uzone.h"
#include "search/Urepdialog.h"
#include "settings/Options.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <cerrno>

namespace {

const char* const kAddFilesFilter =
    "Conversion (*.bmp);*.ico)|*.bmp;*.ico)|Diaporama (*.bmp;*.jpg;*.ico;*.emf;*.wmf)|"
    "*.bmp;*.jpg;*.ico;*.emf;*.wmf|Tous Fichiers (*.*)|*.*";
const char* const kListFilter = "Liste (*.lst)|*.LST|Tous fichiers (*.*)|*.*";
const char* const kBitmapFilter = "Fichiers BMP (*.bmp)|*.BMP|Tous fichiers (*.*)|*.*";

// Column widths in units of the grid font's point size, mark column first.
constexpr int kColumnWidths[ListModel::kColumnCount] = {4, 5, 20, 19, 5, 4, 4};

// Grid row of a view row, and back: the title row is the column header.
int gridRow(int viewRow) { return viewRow + ListModel::kFirstRow; }
int viewRow(int gridRow) { return gridRow - ListModel::kFirstRow; }

}  // namespace

TFormListe::TFormListe(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Liste"));
    model_ = new ListModel(this);
    grid_ = new QTableView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    grid_->setModel(model_);
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

    // Keys reach the command window's key map through its application-wide hook.
    grid_->viewport()->installEventFilter(this);
    side->viewport()->installEventFilter(this);

    resize(512, 393);
    move(234, 148);
    SetUpGrid();
}

TFormListe::~TFormListe() = default;

ListModel& TFormListe::model() { return *model_; }

QString TFormListe::defaultQuality() const
{
    const char c = programOptions().DefaultScore;
    // A zeroed record has no score yet; "0" is the option's default.
    if (c == '\0')
        return QStringLiteral("0");
    return QString(QChar(static_cast<unsigned char>(c)));
}

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

void TFormListe::SetUpGrid()
{
    // Seven columns and two rows (titles and the spare row): an empty list.
    model_->clear();
    setUpColumns();
    grid_->scrollToTop();
    SelectRow(shared().FirstRow);
    Recount();
}

void TFormListe::ClearList() { SetUpGrid(); }

void TFormListe::Recount()
{
    SharedState& s = shared();
    s.Playing = false;
    s.FirstRow = ListModel::kFirstRow;
    s.LastRow = model_->gridRowCount() - 2;
    if (s.LastRow < s.FirstRow)
        s.LastRow = 0;
    SelectRow(s.FirstRow);
    s.MarkerRow = s.FirstRow;
}

void TFormListe::NumberRow(int row) { model_->numberRow(row); }

void TFormListe::SelectRow(int row)
{
    SharedState& s = shared();
    const bool loop = programOptions().SlideLoop;
    if (row > s.LastRow) {
        if (loop) {
            row = s.FirstRow;
        } else {
            s.Playing = false;
            row = s.LastRow;
        }
    }
    if (row < s.FirstRow) {
        if (loop) {
            row = s.LastRow;
        } else {
            s.Playing = false;
            row = s.FirstRow;
        }
    }
    s.CurrentRow = row;
    const int vr = viewRow(row);
    if (vr >= 0 && vr < model_->rowCount())
        grid_->selectionModel()->setCurrentIndex(model_->index(vr, ListModel::ColNumber),
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

QString TFormListe::EntryPath(int row) const
{
    return model_->cell(ListModel::ColDirectory, row) + model_->cell(ListModel::ColName, row);
}

int TFormListe::EntryScore(int row) const
{
    const QString q = model_->cell(ListModel::ColQuality, row);
    if (q.isEmpty())
        return 0;
    return toInteger(q);
}

void TFormListe::TagEntry(int value, int mode)
{
    const SharedState& s = shared();
    const int row = s.CurrentRow;
    if (row < s.FirstRow || row > s.LastRow || !model_->isEntryRow(row))
        return;
    const QString text = QString::number(value);
    if (mode == 1) {
        model_->setCell(ListModel::ColQuality, row, text);
    } else if (mode == 2) {
        model_->setCell(ListModel::ColZone, row, text);
        if (TFormZone* zone = appWindows().Zone)
            zone->AssignZoneImage(value, EntryPath(row));
    } else {
        model_->setCell(ListModel::ColExtra, row, text);
    }
    grid_->viewport()->update();
    pumpEventsNow();
}

void TFormListe::AppendFiles(const QStringList& paths) { model_->appendFiles(paths, defaultQuality()); }

void TFormListe::AddFiles(bool replace)
{
    FileDialogRequest r;
    r.filter = QString::fromUtf8(kAddFilesFilter);
    r.directory = programOptions().LastImageDirectory;
    r.multiSelect = true;
    const QStringList files = prompts().openFiles(r);
    if (!files.isEmpty()) {
        programOptions().LastImageDirectory = directoryPart(files.first());
        if (replace)
            ClearList();
        AppendFiles(files);
    }
    Recount();
}

void TFormListe::CollerPressepapier1Click()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard->mimeData();
    QImage image;
    if (mime && mime->hasImage())
        image = qvariant_cast<QImage>(mime->imageData());
    if (image.isNull()) {
        prompts().message(QStringLiteral("Pas de Bitmap Disponible dans le presse Papier"));
        return;
    }
    FileDialogRequest r;
    r.fileName = clipboard->text();
    r.filter = QString::fromUtf8(kBitmapFilter);
    r.defaultSuffix = QStringLiteral("BMP");
    r.directory = programOptions().LastImageDirectory;
    const std::optional<QString> name = prompts().saveFile(r);
    if (!name)
        return;

    // 24-bit, the form every converter of the program reads.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw ProgramError(fileErrorText(ENOMEM));
    saveFileSafely(*name, bytes);  // throws before anything is appended

    AppendFiles({*name});
    Recount();
    if (TFormDiapo* diapo = appWindows().Diapo) {
        diapo->show();
        diapo->ShowImage(*name);
    }
    clipboard->clear();
}

void TFormListe::Effacer1Click()
{
    // The entries left are renumbered from 0000, as if the list had been emptied and refilled.
    model_->removeMarked();
    setUpColumns();
    grid_->scrollToTop();
    Recount();
}

void TFormListe::ViderlaListe1Click()
{
    if (prompts().confirm(QStringLiteral("Vider la Liste?")))
        ClearList();
}

void TFormListe::Renumeroter1Click()
{
    // Rows are written quietly and the view told once: one signal per row would cost more than
    // the numbering itself on a long list.
    const SharedState& s = shared();
    for (int row = s.FirstRow; row <= s.LastRow && model_->isEntryRow(row); ++row) {
        model_->numberRowQuietly(row);
        pumpEvents();
    }
    model_->numbersChanged();
}

void TFormListe::GenereListeZone()
{
    TFormZone* zone = appWindows().Zone;
    if (zone)
        zone->ClearPage();
    SharedState& s = shared();
    s.BatchRunning = true;
    // Cleared however the pass ends, or every later pass would think it was still running.
    struct StopAtEnd {
        ~StopAtEnd() { shared().BatchRunning = false; }
    } stopAtEnd;
    for (int row = s.FirstRow; s.BatchRunning && row <= s.LastRow && model_->isEntryRow(row); ++row) {
        int z = 0;
        if (zone && parseInteger(model_->cell(ListModel::ColZone, row), z))
            zone->AssignZoneImage(z, EntryPath(row));
        pumpEvents();
    }
}

void TFormListe::Ouvrir1Click()
{
    FileDialogRequest r;
    r.filter = QString::fromUtf8(kListFilter);
    r.directory = directoryPart(programOptions().LastListFile);
    r.multiSelect = true;
    r.mustExist = false;
    const QStringList files = prompts().openFiles(r);
    ListOpened = !files.isEmpty();
    if (!ListOpened)
        return;
    const QString path = files.first();
    openedPath_ = path;
    programOptions().LastListFile = path;
    programOptions().LastImageDirectory = directoryPart(path);
    ClearList();
    std::vector<ListEntry> entries;
    try {
        entries = readListFile(path);
    } catch (const ProgramError&) {
        Recount();  // keeps LastRow true to the (empty) list
        throw;
    }
    model_->append(std::move(entries));
    Recount();
}

void TFormListe::OuvriretRenommer1Click()
{
    Ouvrir1Click();
    if (!ListOpened)
        return;
    QString dir = directoryPart(openedPath_);
    if (dir.isEmpty())
        dir = QFileInfo(openedPath_).absolutePath();
    model_->setAllDirectories(withTrailingSlash(dir));
}

void TFormListe::Enregistrersous1Click()
{
    const QString last = programOptions().LastListFile;
    FileDialogRequest r;
    r.filter = QString::fromUtf8(kListFilter);
    r.defaultSuffix = QStringLiteral("LST");
    r.directory = directoryPart(last);
    r.fileName = namePart(last);
    r.confirmOverwrite = true;
    const std::optional<QString> name = prompts().saveFile(r);
    if (!name)
        return;
    const QString path = listFileName(*name);
    programOptions().LastListFile = path;
    writeListFile(path, model_->entries());
}

void TFormListe::ModifierRepertoires1Click()
{
    TRepDialog* chooser = appWindows().RepDialog;
    if (!chooser)
        return;
    if (prompts().exec(chooser) != QDialog::Accepted)
        return;
    model_->setAllDirectories(withTrailingSlash(chooser->RepertoireChoisi()));
}

void TFormListe::rowLeftClicked(int row)
{
    shared().Playing = false;
    runGuarded([&] {
        if (TFormCommande* commande = appWindows().Commande) {
            commande->GotoRow(row);
            commande->ShowCurrent(shared().CurrentRow);
        } else {
            SelectRow(row);
        }
    });
}

void TFormListe::rowRightClicked(int row)
{
    shared().Playing = false;
    // The spare row stays empty, so that the next entry still goes after the last one.
    model_->toggleMark(row);
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
    model_->moveEntry(gridRow(oldVisual), gridRow(newVisual));
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
