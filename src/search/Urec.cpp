#include "search/Urec.h"

#include "platform/EventPump.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "search/ResultModels.h"
#include "search/ResultPrinting.h"
#include "search/Umiseenpage.h"
#include "platform/DirectoryChooser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// The hourglass for the length of a command, given back also when an error ends it.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
}  // namespace

TFormRec::TFormRec(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Recherches et Tris de Fichiers"));
    resize(560, 420);

    DirectoryBar = new QLabel(this);
    DirectoryBar->setFrameShape(QFrame::StyledPanel);
    DirectoryBar->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BrowseButton = new QPushButton(QStringLiteral("Parcourir..."), this);
    FilterBox = new QComboBox(this);
    FilterBox->setEditable(true);
    FilterBox->setInsertPolicy(QComboBox::NoInsert);
    FilterBox->setMinimumWidth(160);
    FilterBox->addItems({QStringLiteral("*.*"), QStringLiteral("*.bmp"), QStringLiteral("*.tif"),
                         QStringLiteral("*.gif"), QStringLiteral("*.255")});
    FilterBox->setEditText(QStringLiteral("*.*"));
    auto* filterLabel = new QLabel(QStringLiteral("Filtre:"), this);
    filterLabel->setBuddy(FilterBox);
    DepthBox = new QSpinBox(this);
    DepthBox->setRange(0, 100);
    DepthBox->setValue(0);
    auto* depthLabel = new QLabel(QStringLiteral("Profondeur:"), this);
    depthLabel->setBuddy(DepthBox);
    SearchButton = new QPushButton(QStringLiteral("Rechercher"), this);
    SelectAllButton = new QPushButton(QString::fromUtf8("Tout Sélectionner"), this);

    linesModel_ = new ResultLinesModel(results_, this);
    tableModel_ = new ResultTableModel(results_, this);
    ListeView = new QListView(this);
    ListeView->setModel(linesModel_);
    ListeView->setUniformItemSizes(true);
    ListeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableauView = new QTableView(this);
    TableauView->setModel(tableModel_);
    TableauView->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableauView->setSelectionMode(QAbstractItemView::SingleSelection);
    TableauView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableauView->verticalHeader()->hide();
    TableauView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TableauView->verticalHeader()->setDefaultSectionSize(TableauView->fontMetrics().height() + 4);
    TableauView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    TableauView->horizontalHeader()->setHighlightSections(false);
    TableauView->viewport()->installEventFilter(this);
    ResultArea = new QStackedWidget(this);
    ResultArea->addWidget(ListeView);
    ResultArea->addWidget(TableauView);
    ResultArea->installEventFilter(this);
    Tabs = new QTabBar(this);
    Tabs->addTab(QStringLiteral("Liste"));
    Tabs->addTab(QStringLiteral("Tableau"));
    Tabs->setShape(QTabBar::RoundedSouth);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    for (QPushButton* b : {BrowseButton, SearchButton, SelectAllButton, OkButton, CancelButton})
        b->setAutoDefault(false);
    CountLabel = new QLabel(QStringLiteral("0"), this);
    auto* foundLabel = new QLabel(QString::fromUtf8("Fichiers Trouvés"), this);

    auto* panel = new QHBoxLayout;
    panel->addWidget(BrowseButton);
    panel->addWidget(filterLabel);
    panel->addWidget(FilterBox, 1);
    panel->addWidget(depthLabel);
    panel->addWidget(DepthBox);
    panel->addWidget(SearchButton);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(OkButton);
    bottom->addWidget(CancelButton);
    bottom->addStretch(1);
    bottom->addWidget(CountLabel);
    bottom->addWidget(foundLabel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DirectoryBar);
    layout->addLayout(panel);
    layout->addWidget(SelectAllButton, 0, Qt::AlignLeft);
    layout->addWidget(ResultArea, 1);
    layout->addWidget(Tabs);
    layout->addLayout(bottom);
    buildMenu();

    connect(BrowseButton, &QPushButton::clicked, this, &TFormRec::ParcourirClick);
    connect(SearchButton, &QPushButton::clicked, this, &TFormRec::RechercherClick);
    connect(SelectAllButton, &QPushButton::clicked, this, &TFormRec::ToutSelectionnerClick);
    connect(OkButton, &QPushButton::clicked, this, &TFormRec::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFormRec::AnnulerClick);
    connect(Tabs, &QTabBar::currentChanged, ResultArea, &QStackedWidget::setCurrentIndex);
    Tabs->setCurrentIndex(0);
    ResultArea->setCurrentIndex(0);
}

TFormRec::~TFormRec() = default;

void TFormRec::buildMenu()
{
    Menu = new QMenuBar(this);
    layout()->setMenuBar(Menu);
    QMenu* file = Menu->addMenu(QStringLiteral("&Fichier"));
    auto add = [this](QMenu* menu, const QString& text, void (TFormRec::*slot)()) {
        QAction* a = menu->addAction(text);
        connect(a, &QAction::triggered, this, slot);
        ResultActions << a;
        return a;
    };
    add(file, QStringLiteral("Nouveau.."), &TFormRec::NouveauClick);
    add(file, QStringLiteral("&Ouvrir.."), &TFormRec::OuvrirClick);
    add(file, QStringLiteral("&Enregistrer"), &TFormRec::EnregistrerClick);
    add(file, QStringLiteral("En&registrer sous"), &TFormRec::EnregistrersousClick);
    file->addSeparator();
    add(file, QStringLiteral("Mise en Page.."), &TFormRec::MiseenPageClick);
    add(file, QStringLiteral("Imprimer.."), &TFormRec::ImprimerClick);
    file->addSeparator();
    QuitterAction = file->addAction(QStringLiteral("&Quitter"));
    connect(QuitterAction, &QAction::triggered, this, &TFormRec::AnnulerClick);
    QMenu* edit = Menu->addMenu(QStringLiteral("&Edition"));
    add(edit, QStringLiteral("&Supprimer"), &TFormRec::SupprimerClick);
    AideAction = Menu->addAction(QStringLiteral("&Aide"));
    connect(AideAction, &QAction::triggered, this, &TFormRec::AideClick);
}

void TFormRec::AideClick() { emit helpWanted(); }

const QStringList& TFormRec::ImageFilterChoices()
{
    static const QStringList choices = {
        QStringLiteral("*.bmp"), QStringLiteral("*.Fit"), QStringLiteral("*.jpg"), QStringLiteral("*.ico"),
        QStringLiteral("*.emf"), QStringLiteral("*.wmf"), QStringLiteral("*.bmp;*.fit;*.jpeg;*.ico;*.wmf;*.emf"),
        QStringLiteral("*.fit;*.fits;*.fts;*.fz;*.png;*.tif;*.tiff"), QStringLiteral("*.ser;*.avi"), QStringLiteral("*.*"),
    };
    return choices;
}

void TFormRec::SetFilterChoices(const QStringList& choices)
{
    const QString text = FilterBox->currentText();
    FilterBox->clear();
    FilterBox->addItems(choices);
    FilterBox->setEditText(text);
}

bool TFormRec::ChoisirImages()
{
    SetFilterChoices(ImageFilterChoices());
    // Each opening is a new choice: the marks of the last hand-off (every row, after an OK without
    // a click) would otherwise hand the same files over again.
    if (!searching_) {
        results_.clearMarks();
        tableModel_->marksChanged();
    }
    return prompts().exec(this) == QDialog::Accepted;
}

QString TFormRec::SearchDirectory() const
{
    const DirectoryChooser* c = Chooser();
    return c ? c->RepertoireChoisi() : QDir::currentPath();
}

void TFormRec::showEvent(QShowEvent* event)
{
    DirectoryBar->setText(SearchDirectory());
    QDialog::showEvent(event);
}

void TFormRec::done(int result)
{
    // Closing while a search runs ends the search; its partial results are not a choice.
    if (searching_) {
        walk_.stop();
        result = Rejected;
    }
    QDialog::done(result);
}

void TFormRec::setBusy(bool busy)
{
    for (QWidget* w : {static_cast<QWidget*>(BrowseButton), static_cast<QWidget*>(FilterBox),
                       static_cast<QWidget*>(DepthBox), static_cast<QWidget*>(SearchButton),
                       static_cast<QWidget*>(SelectAllButton), static_cast<QWidget*>(OkButton)})
        w->setEnabled(!busy);
    for (QAction* a : std::as_const(ResultActions))
        a->setEnabled(!busy);
}

void TFormRec::showCount(int n) { CountLabel->setText(QString::number(n)); }

void TFormRec::replaceResults(const std::function<void()>& change)
{
    tableModel_->beginChange();
    change();
    tableModel_->endChange();
    linesModel_->reset();
    showCount(results_.count());
}

void TFormRec::setColumnWidths()
{
    const int c1 = (ResultArea->width() - 20) / 3;
    TableauView->setColumnWidth(0, 20);
    TableauView->setColumnWidth(1, c1);
    TableauView->setColumnWidth(2, 2 * c1);
}

bool TFormRec::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ResultArea && event->type() == QEvent::Resize) {
        setColumnWidths();
    } else if (watched == TableauView->viewport()
               && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton)
            return false;
        const QModelIndex index = TableauView->indexAt(me->position().toPoint());
        if (!index.isValid())
            return false;
        TableauView->setCurrentIndex(index);
        TableClick(index.row() + 1, me->modifiers());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormRec::TableClick(int r, Qt::KeyboardModifiers keys)
{
    // The spare row holds no file: a click there chooses nothing.
    if (searching_ || !results_.isFileRow(r))
        return;
    results_.click(r, keys.testFlag(Qt::ShiftModifier), keys.testFlag(Qt::ControlModifier));
    tableModel_->marksChanged();
}

void TFormRec::ParcourirClick()
{
    DirectoryChooser* c = Chooser();
    if (!c || searching_)
        return;
    if (c->Choisir())
        openDirectory_ = c->RepertoireChoisi();
    // The chooser keeps where the user went, also after "Annuler": that is where the next search looks.
    DirectoryBar->setText(c->RepertoireChoisi());
}

void TFormRec::RechercherClick()
{
    // Events run during the walk: a second press must not start a walk inside the first.
    if (searching_)
        return;
    searching_ = true;
    setBusy(true);
    const WaitCursor wait;
    struct Idle {
        TFormRec* w;
        ~Idle()
        {
            w->searching_ = false;
            w->setBusy(false);
        }
    } idle{this};

    results_.Lines.clear();
    linesModel_->reset();
    showCount(0);
    profondeurMax_ = DepthBox->value();

    QElapsedTimer sinceShown;
    bool first = true;
    walk_.letEventsRun = [this, &sinceShown, &first] {
        if (first) {
            // The emptied views and the "0" show at once; a close now stops the walk before it reads a directory.
            first = false;
            sinceShown.start();
            pumpEventsNow();
            return;
        }
        // The "Liste" view follows the lines as they come, without a layout per directory.
        if (sinceShown.elapsed() >= 15) {
            linesModel_->grow();
            sinceShown.restart();
        }
        pumpEvents();
    };
    walk_.countChanged = [this](int n) { showCount(n); };
    const int found = walk_.run(SearchDirectory(), FilterBox->currentText(), profondeurMax_, results_.Lines);
    showCount(found);
    pumpEventsNow();
    replaceResults([&] { results_.searched(found); });
}

void TFormRec::ToutSelectionnerClick()
{
    if (searching_)
        return;
    results_.selectAll();
    tableModel_->marksChanged();
}

void TFormRec::OkClick()
{
    if (searching_)
        return;
    results_.acceptChoice();
    tableModel_->marksChanged();
    accept();
}

void TFormRec::AnnulerClick() { reject(); }

void TFormRec::NouveauClick()
{
    if (!searching_)
        replaceResults([this] { results_.clear(); });
}

void TFormRec::OuvrirClick()
{
    if (searching_)
        return;
    FileDialogRequest request;
    request.filter = QStringLiteral("*.*|*");
    request.directory = openDirectory_;
    const QStringList files = prompts().openFiles(request);
    if (files.isEmpty())
        return;
    resultsFile_ = files.first();
    runGuarded([this] {
        QStringList lines = readResultLines(resultsFile_);
        replaceResults([&] { results_.opened(std::move(lines)); });
    });
}

void TFormRec::EnregistrerClick()
{
    if (resultsFile_.isEmpty()) {
        EnregistrersousClick();
        return;
    }
    runGuarded([this] { writeResultLines(resultsFile_, results_.Lines); });
}

void TFormRec::EnregistrersousClick()
{
    const std::optional<QString> name = prompts().saveFile(FileDialogRequest{});
    if (!name || name->isEmpty())
        return;
    resultsFile_ = *name;
    runGuarded([this] { writeResultLines(resultsFile_, results_.Lines); });
}

void TFormRec::SupprimerClick()
{
    if (!searching_)
        replaceResults([this] { results_.deleteMarked(); });
}

QPrinter& TFormRec::Printer()
{
    // Made on first use: looking for the default printer costs time at start-up.
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TFormRec::ImprimerClick()
{
    QPrinter& printer = Printer();
    QPrintDialog dialog(&printer, this);
    if (prompts().exec(&dialog) != QDialog::Accepted)
        return;
    const WaitCursor wait;
    // A printer that refuses the job ends the printing without a message.
    printLines(printer, printerFont_, results_.Lines);
}

void TFormRec::MiseenPageClick()
{
    TFormMiseEnPage setup(&Printer(), this);
    setup.SetFonte(ListeView->font());
    const int result = prompts().exec(&setup);
    if (result != QDialog::Accepted && result != TFormMiseEnPage::kPrintResult)
        return;
    ListeView->setFont(setup.Fonte());
    printerFont_ = setup.Fonte();
    if (result == TFormMiseEnPage::kPrintResult)
        ImprimerClick();
}
