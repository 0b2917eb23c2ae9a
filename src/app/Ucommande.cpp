#include "app/Ucommande.h"

#include "app/KeyMap.h"
#include "app/QtKeyHook.h"
#include "app/QtWindowPlace.h"
#include "app/SharedState.h"
#include "app/Windows.h"
#include "batch/Uoptionsrenommer.h"
#include "batch/Uoptrierzone.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "list/Uliste.h"
#include "platform/EventPump.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "review/MarkerList.h"
#include "review/UDiapo.h"
#include "review/Uoptionsdiapo.h"
#include "review/Uopvignette.h"
#include "review/Uopzone.h"
#include "review/Uref.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"
#include "search/Urec.h"
#include "settings/OptionsFile.h"
#include "settings/Uopglobales.h"
#include "tools/Uabout.h"
#include "tools/Ucnvhlp.h"
#include "tools/Uopbatch.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace {

// Runs f when the scope is left, normally or by an error: the list-modified mark must follow what
// a command did to the list even when the command stopped half-way.
template <class F> class OnExit {
public:
    explicit OnExit(F f) : f_(std::move(f)) {}
    ~OnExit() { f_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    F f_;
};

void markListModified() { shared().ListModified = true; }

// What a completed list save leaves behind: LastListFile names the file and that file was written
// (a new file replaced it, or its modification time moved). Comparing before and after tells a
// save from a cancelled dialog or a failed write.
struct ListFileStamp {
    QString name;
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static ListFileStamp now()
    {
        ListFileStamp s;
        s.name = programOptions().LastListFile;
        struct stat st {};
        if (!s.name.isEmpty() && ::stat(QFile::encodeName(s.name).constData(), &st) == 0) {
            s.exists = true;
            s.inode = st.st_ino;
            s.size = st.st_size;
            s.modified = st.st_mtim;
        }
        return s;
    }
    bool sameAs(const ListFileStamp& o) const
    {
        return name == o.name && exists == o.exists && inode == o.inode && size == o.size
               && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

enum class Glyph { First, FastBack, Back, Pause, Play, Forward, FastForward, Last };

QIcon glyphIcon(Glyph g)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(g == Glyph::Play ? QColor(0, 128, 0) : QColor(0, 0, 0));
    auto triangle = [&p](qreal from, qreal to, bool right) {
        QPainterPath path;
        path.moveTo(right ? from : to, 3);
        path.lineTo(right ? to : from, 8);
        path.lineTo(right ? from : to, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    auto bar = [&p](qreal x, qreal w) { p.drawRect(QRectF(x, 3, w, 10)); };
    switch (g) {
    case Glyph::First: bar(3, 2); triangle(5, 12, false); break;
    case Glyph::FastBack: triangle(1, 8, false); triangle(8, 15, false); break;
    case Glyph::Back: triangle(5, 11, false); break;
    case Glyph::Pause: bar(4, 3); bar(9, 3); break;
    case Glyph::Play: triangle(4, 13, true); break;
    case Glyph::Forward: triangle(5, 11, true); break;
    case Glyph::FastForward: triangle(1, 8, true); triangle(8, 15, true); break;
    case Glyph::Last: triangle(4, 11, true); bar(11, 2); break;
    }
    return QIcon(pm);
}

// One entry of the menu bar: caption with its "&" mark, shortcut, handler (none: shown disabled),
// and whether a separator follows it.
struct MenuEntry {
    const char* caption;
    QKeySequence shortcut;
    void (TFormCommande::*handler)();
    bool separatorAfter = false;
};
struct MenuDef {
    const char* title;
    std::vector<MenuEntry> entries;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation

TFormCommande::TFormCommande(QWidget* parent) : QMainWindow(parent)
{
    appWindows().Commande = this;
    setObjectName(QStringLiteral("FormCommande"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Velmoran"));

    keyHook_ = new QtKeyHook([this](QKeyEvent* e) { return HandleKey(e); }, this);

    CreateMenus();
    CreatePanel();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    connect(timer_, &QTimer::timeout, this, [this] {
        // A tick that falls while a key is being handled comes back at the next one.
        if (busy_ == 0)
            RunBusy([this] { Tourne(); });
    });

    shared().ListModified = false;

    AppWindows& w = appWindows();
    w.Liste = new TFormListe();
    w.Diapo = new TFormDiapo();
    w.Vignette = new TFormVignette();
    w.Zone = new TFormZone();
    desktopOptions().ThumbFirst = 0;
    for (QWidget* view : {static_cast<QWidget*>(w.Liste), static_cast<QWidget*>(w.Diapo),
                          static_cast<QWidget*>(w.Vignette), static_cast<QWidget*>(w.Zone)}) {
        // Only the command window ends the program; a view window closed by the user is hidden.
        view->setAttribute(Qt::WA_QuitOnClose, false);
        view->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    HookKeys(this);
    ApplyLayout();
    BringToFront();
}

TFormCommande::~TFormCommande()
{
    timer_->stop();
    AppWindows& w = appWindows();
    delete w.Ref;
    w.Ref = nullptr;
    delete w.Zone;
    delete w.Vignette;
    delete w.Diapo;
    delete w.Liste;
    w.Zone = nullptr;
    w.Vignette = nullptr;
    w.Diapo = nullptr;
    w.Liste = nullptr;
    if (w.Commande == this)
        w.Commande = nullptr;
}

void TFormCommande::CreateMenus()
{
    using T = TFormCommande;
    const std::vector<MenuDef> menus = {
        {"&Fichier",
         {{"&Nouvelle Liste...", {}, &T::NouvelleListe1Click, true},
          {"&Ouvrir Liste...", {}, &T::Ouvrir1Click},
          {"Ouvrir et Renommer...", {}, &T::OuvriretRenommer1Click, true},
          {"&Enregistrer Liste...", {}, &T::Enregistrersous1Click, true},
          {"&Quitter", QKeySequence(Qt::CTRL | Qt::Key_X), &T::Quitter1Click}}},
        {"&Edition",
         {{"&Ajouter à la Liste", QKeySequence(Qt::Key_Insert), &T::Ajouter1Click},
          {"Rechercher Images...", {}, &T::RechercherImages1Click},
          {"Modifier Répertoires...", {}, &T::ModifierRepertoires1Click, true},
          {"Coller le Presse papier", QKeySequence(Qt::CTRL | Qt::Key_V), &T::CollerPressepapier1Click, true},
          {"Sélectionner...", {}, nullptr},
          {"Effacer", QKeySequence(Qt::Key_Delete), &T::Effacer1Click, true},
          {"Vider la Liste", {}, &T::ViderlaListe1Click},
          {"Renuméroter", {}, &T::Renumeroter1Click}}},
        {"E&xécuter",
         {{"Diaporama", {}, &T::Diaporama1Click, true},
          {"Vidsplit...", {}, &T::Vidsplit1Click, true},
          {"Renommer / Déplacer...", {}, &T::Renommer1Click},
          {"Trier par zône dans sous Répertoire", {}, &T::Trierdanssousrep1Click, true},
          {"Supprimer Fichiers Scores 0...", {}, &T::SupprimerFichiersScores0Click}}},
        {"Convertir",
         {{"&Convertir BMP vers JPEG...", {}, &T::ConvertirBmp2JpegClick},
          {"Convertir BMP vers FIT...", {}, &T::ConvertirBmp2FitClick},
          {"Convertir JPEG vers Bmp...", {}, &T::ConvertirJpeg2BmpClick}}},
        {"Voir",
         {{"Liste", {}, &T::VoirListe1Click},
          {"Vignettes", {}, &T::VoirVignettes1Click},
          {"Diaporama", {}, &T::VoirDiaporama1Click},
          {"Zônes", {}, &T::VoirZones1Click, true},
          {"Régénère Vignettes", {}, &T::RegenereVignettes1Click},
          {"Régénère Zônes", {}, &T::RegenereZones1Click}}},
        {"&Options",
         {{"Diaporama ...", {}, &T::OptionsDiaporama1Click, true},
          {"Vidsplit", {}, &T::OptionsVidsplit1Click, true},
          {"Renommer ...", {}, &T::OptionRenommerClick},
          {"Trier par Zones...", {}, &T::TrierparZones1Click},
          {"&Convertir BMP vers JPEG ...", {}, &T::OptionConvBMP2JPEGClick},
          {"Convertir BMP vers FIT...", {}, &T::OptionConvBMP2FITClick},
          {"Convertir JPEG vers BMP...", {}, &T::ConvertirJPEGversBMP1Click, true},
          {"Bureau...", {}, &T::Bureau1Click},
          {"Vignettes...", {}, &T::OptionsVignettes1Click},
          {"Zones...", {}, &T::OptionsZones1Click},
          {"Enregistrer Bureau", QKeySequence(Qt::Key_F8), &T::EnregistrerBureau1Click},
          {"Afficher Bureau Utilisateur", QKeySequence(Qt::Key_F9), &T::AfficherBureauUtilisateur1Click},
          {"Afficher Bureau par Défaut", QKeySequence(Qt::Key_F10), &T::AfficherBureauParDefaut1Click}}},
        {"&Aide",
         {{"&Aide", QKeySequence(Qt::Key_F1), &T::Aide1Click},
          {"A &Propos...", {}, &T::APropos1Click}}},
    };

    for (const MenuDef& def : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.title));
        for (const MenuEntry& e : def.entries) {
            QAction* action = menu->addAction(QString::fromUtf8(e.caption));
            action->setMenuRole(QAction::NoRole);
            if (!e.shortcut.isEmpty()) {
                action->setShortcut(e.shortcut);
                // The shortcuts act from every window of the program, before the key map.
                action->setShortcutContext(Qt::ApplicationShortcut);
            }
            if (e.handler) {
                const auto handler = e.handler;
                connect(action, &QAction::triggered, this, [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
            } else {
                action->setEnabled(false);
            }
            if (e.separatorAfter)
                menu->addSeparator();
        }
    }
}

void TFormCommande::CreatePanel()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addStretch(1);

    auto* panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("PanelBas"));
    panel->setFixedHeight(42);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(1);
    outer->addWidget(panel);
    setCentralWidget(central);

    navigation_ = new QButtonGroup(this);
    navigation_->setExclusive(true);
    auto navButton = [&](const char* name, Glyph glyph, const QString& hint, void (TFormCommande::*slot)()) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(glyphIcon(glyph));
        b->setCheckable(true);
        b->setFixedSize(23, 22);
        b->setFocusPolicy(Qt::NoFocus);
        if (!hint.isEmpty())
            b->setToolTip(hint);
        navigation_->addButton(b);
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, slot] { RunBusy([this, slot] { (this->*slot)(); }); });
        return b;
    };
    premier_ = navButton("SpeedButtonPremier", Glyph::First, QStringLiteral("Premier"), &TFormCommande::Debut);
    arriereRapide_ = navButton("SpeedButtonArriereRapide", Glyph::FastBack, {}, &TFormCommande::ArriereRapide);
    arriere_ = navButton("SpeedButtonArriere", Glyph::Back, QString::fromUtf8("Précédent"), &TFormCommande::Arriere);
    pause_ = navButton("SpeedButtonPause", Glyph::Pause, QStringLiteral("Pause"), &TFormCommande::Pause);

    atteindre_ = new QToolButton(panel);
    atteindre_->setObjectName(QStringLiteral("SpeedButtonAtteindre"));
    atteindre_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    atteindre_->setText(QStringLiteral("0"));
    atteindre_->setToolTip(QStringLiteral("Atteindre.."));
    atteindre_->setCheckable(true);
    atteindre_->setFixedSize(105, 22);
    atteindre_->setFocusPolicy(Qt::NoFocus);
    navigation_->addButton(atteindre_);
    row->addWidget(atteindre_);
    connect(atteindre_, &QToolButton::clicked, this, [this] { RunBusy([this] { GotoImage(); }); });

    jouer_ = navButton("SpeedButtonJouer", Glyph::Play, QStringLiteral("Diaporama.."), &TFormCommande::Demarrer);
    avant_ = navButton("SpeedButtonAvant", Glyph::Forward, QStringLiteral("Suivant"), &TFormCommande::Avant);
    avantRapide_ = navButton("SpeedButtonAvantRapide", Glyph::FastForward, {}, &TFormCommande::AvantRapide);
    fin_ = navButton("SpeedButtonFin", Glyph::Last, QStringLiteral("Dernier"), &TFormCommande::Fin);
    pause_->setChecked(true);

    row->addSpacing(6);
    ref_ = new QToolButton(panel);
    ref_->setObjectName(QStringLiteral("SpeedButtonRef"));
    ref_->setText(QString::fromUtf8("Référence"));
    ref_->setFixedHeight(22);
    ref_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(ref_);
    connect(ref_, &QToolButton::clicked, this, [this] { RunBusy([this] { SpeedButtonRefClick(); }); });

    comboRef_ = new QComboBox(panel);
    comboRef_->setObjectName(QStringLiteral("ComboBoxRef"));
    comboRef_->setInsertPolicy(QComboBox::InsertAlphabetically);
    comboRef_->setFixedWidth(56);
    // Focus only when clicked: activating the bar must not hand the review keys to a list.
    comboRef_->setFocusPolicy(Qt::ClickFocus);
    row->addWidget(comboRef_);
    // Only the user's choice (activated) acts; programmatic changes do not.
    connect(comboRef_, &QComboBox::activated, this, [this] { RunBusy([this] { ComboBoxRefChange(); }); });

    labelChoix_ = new QLabel(QStringLiteral("LabelChoix"), panel);
    labelChoix_->setObjectName(QStringLiteral("LabelChoix"));
    labelChoix_->setAlignment(Qt::AlignCenter);
    labelChoix_->setMinimumWidth(64);
    row->addWidget(labelChoix_, 1);

    balise_ = new QToolButton(panel);
    balise_->setObjectName(QStringLiteral("SpeedButtonBalise"));
    balise_->setText(QStringLiteral("Balise"));
    balise_->setFixedHeight(22);
    balise_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(balise_);
    connect(balise_, &QToolButton::clicked, this, [this] { RunBusy([this] { SpeedButtonBaliseClick(); }); });

    comboBalise_ = new QComboBox(panel);
    comboBalise_->setObjectName(QStringLiteral("ComboBoxBalise"));
    comboBalise_->setInsertPolicy(QComboBox::InsertAlphabetically);
    comboBalise_->setFixedWidth(56);
    comboBalise_->setFocusPolicy(Qt::ClickFocus);
    comboBalise_->addItem(QStringLiteral("0"));
    row->addWidget(comboBalise_);
    connect(comboBalise_, &QComboBox::activated, this, [this] { RunBusy([this] { ComboBoxBaliseChange(); }); });

    // Keys typed into the drop-down lists are theirs, not the key map's.
    keyHook_->exempt(comboRef_);
    keyHook_->exempt(comboBalise_);
}

QAction* TFormCommande::MenuAction(const QString& text) const
{
    for (QAction* top : menuBar()->actions())
        if (QMenu* menu = top->menu())
            for (QAction* a : menu->actions())
                if (!a->isSeparator() && a->text() == text)
                    return a;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Views

void TFormCommande::HookKeys(QWidget* window) { keyHook_->attach(window); }

bool TFormCommande::KeysHooked(const QWidget* window) const { return keyHook_->isAttached(window); }

void TFormCommande::BringToFront()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        showNormal();
    show();
    raise();
    activateWindow();
}

void TFormCommande::ApplyLayout()
{
    const DesktopOptions& d = desktopOptions();
    placeWindow(this, d.CommandPlace, true);
    show();
    raise();
    activateWindow();

    const AppWindows& w = appWindows();
    struct View {
        QWidget* window;
        WindowPlace place;
        bool shown;
        QString caption;  // empty: the window keeps its own
    };
    const View views[] = {
        {w.Liste, d.ListPlace, d.ShowList, {}},
        {w.Diapo, d.SlideshowPlace, d.ShowSlideshow, QStringLiteral("Diaporama")},
        {w.Vignette, d.ThumbnailPlace, d.ShowThumbnails, QStringLiteral("Vignettes")},
        {w.Zone, d.ZonePlace, d.ShowZones, QString::fromUtf8("Zônes")},
    };
    for (const View& v : views) {
        if (!v.window)
            continue;
        placeWindow(v.window, v.place);
        if (!v.caption.isEmpty())
            v.window->setWindowTitle(v.caption);
        HookKeys(v.window);
        v.window->setVisible(v.shown);
    }
}

namespace {
void showAndRaise(QWidget* w)
{
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}
}

void TFormCommande::AffiListe() { showAndRaise(appWindows().Liste); }
void TFormCommande::AffiDiapo() { showAndRaise(appWindows().Diapo); }
void TFormCommande::AffiZone() { showAndRaise(appWindows().Zone); }

void TFormCommande::AffiVignette()
{
    const AppWindows& w = appWindows();
    if (!desktopOptions().ShowThumbnails)
        return;
    w.Vignette->show();
    SharedState& s = shared();
    if (s.listIsEmpty())
        return;
    if (prompts().exec(w.OpVignette) != QDialog::Accepted)
        return;
    QStringList paths;
    {
        s.BatchRunning = true;
        OnExit stop([] { shared().BatchRunning = false; });
        for (int row = s.FirstRow; row <= s.LastRow; ++row) {
            paths << w.Liste->EntryPath(row);
            pumpEvents();
            if (!s.BatchRunning)
                break;
        }
    }
    const DesktopOptions& d = desktopOptions();
    w.Vignette->BuildThumbnailPage(paths, d.ThumbFirst, d.ThumbPageSize);
}

void TFormCommande::RefreshPages()
{
    appWindows().Vignette->ClearPage();
    appWindows().Zone->ClearPage();
    AffiZone();
    AffiVignette();
}

// ---------------------------------------------------------------------------------------------
// Desktop commands

void TFormCommande::SaveDesktop()
{
    ::SaveDesktop([this](DesktopOptions& d) {
        const AppWindows& w = appWindows();
        d.CommandPlace = windowPlaceOf(this);
        d.SlideshowPlace = windowPlaceOf(w.Diapo);
        d.ListPlace = windowPlaceOf(w.Liste);
        d.ThumbnailPlace = windowPlaceOf(w.Vignette);
        d.ZonePlace = windowPlaceOf(w.Zone);
        // Until the reference window exists, ReferencePlace keeps the value it was loaded with.
        if (w.Ref)
            d.ReferencePlace = windowPlaceOf(w.Ref);
    });
}

void TFormCommande::AfficherBureauUtilisateur()
{
    loadProgramOptions(programOptions());
    loadDesktopOptions(desktopOptions());
    ApplyLayout();
    BringToFront();
}

void TFormCommande::AfficherBureauParDefaut()
{
    setDefaults(programOptions());
    setDesktopDefaults(desktopOptions());
    ApplyLayout();
    BringToFront();
}

// ---------------------------------------------------------------------------------------------
// Closing

void TFormCommande::FormCloseQuery()
{
    runGuarded([this] {
        if (desktopOptions().AutoSaveDesktop)
            SaveDesktop();
    });
    runGuarded([] {
        if (shared().ListModified
            && prompts().confirm(QStringLiteral("Enregistrer les Modifications de la Liste?")))
            appWindows().Liste->Enregistrersous1Click();
    });
}

void TFormCommande::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    timer_->stop();
    shared().Playing = false;
    const AppWindows& w = appWindows();
    for (QWidget* view : {static_cast<QWidget*>(w.Liste), static_cast<QWidget*>(w.Diapo),
                          static_cast<QWidget*>(w.Vignette), static_cast<QWidget*>(w.Zone),
                          static_cast<QWidget*>(w.Ref)})
        if (view)
            view->hide();
    event->accept();
    emit Closed();
}

// ---------------------------------------------------------------------------------------------
// Navigation and tagging

namespace {

ProgramError rangeError() { return ProgramError(QString::fromUtf8("Erreur de vérification d'étendue")); }

// The three-case toggle of "Balise" and "Référence" on a drop-down list kept sorted as text.
// Programmatic changes never reach the change handlers.
ToggleResult toggleComboItem(QComboBox* combo, const QString& t)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    const int at = int(items.indexOf(t));
    int selected = combo->currentIndex();
    const ToggleResult result = toggleListItem(items, selected, t);
    const QSignalBlocker block(combo);
    if (result == ToggleResult::Added) {
        combo->insertItem(selected, t);
        combo->setCurrentIndex(selected);
    } else if (result == ToggleResult::Removed) {
        combo->removeItem(at);
        combo->setCurrentIndex(-1);  // a combo box would otherwise select a neighbour
    }
    return result;
}

// The entry position an item of the marker or reference list names, or nothing.
std::optional<int> itemValue(const QComboBox* combo)
{
    int value = 0;
    if (combo->currentIndex() < 0 || !parseInteger(combo->currentText(), value))
        return std::nullopt;
    return value;
}

}  // namespace

void TFormCommande::RunBusy(const std::function<void()>& command)
{
    ++busy_;
    OnExit done([this] { --busy_; });
    runGuarded(command);
    if (busy_ == 1)
        RunPendingKeys();
}

void TFormCommande::RunPendingKeys()
{
    while (!pendingKeys_.empty()) {
        const std::unique_ptr<QKeyEvent> key = std::move(pendingKeys_.front());
        pendingKeys_.pop_front();
        runGuarded([&] { FormKeyDown(key.get()); });
    }
}

bool TFormCommande::HandleKey(QKeyEvent* event)
{
    if (busy_ > 0) {
        pendingKeys_.emplace_back(event->clone());
        return true;
    }
    // An error box does not hand the key on to the focused control.
    bool consumed = true;
    RunBusy([&] { consumed = FormKeyDown(event); });
    return consumed;
}

void TFormCommande::GotoRow(int row)
{
    SharedState& s = shared();
    const bool loop = programOptions().SlideLoop;
    if (row > s.LastRow) {
        if (loop)
            row = s.FirstRow;
        else {
            SetPlaying(false);
            row = s.LastRow;
        }
    }
    if (row < s.FirstRow) {
        if (loop)
            row = s.LastRow;
        else {
            SetPlaying(false);
            row = s.FirstRow;
        }
    }
    s.CurrentRow = row;
    atteindre_->setText(QString::number(row - 1) + QStringLiteral("//") + QString::number(s.LastRow - row));
    appWindows().Liste->SelectRow(row);
    s.TagMode = s.DefaultTagMode;
}

void TFormCommande::ShowCurrent(int row)
{
    if (shared().listIsEmpty()) {
        SetPlaying(false);
        return;
    }
    const AppWindows& w = appWindows();
    const QString path = w.Liste->EntryPath(row);
    const int quality = w.Liste->EntryScore(row);
    ShowTag(quality, 0);
    if (path.isEmpty())
        return;
    if (!w.Diapo->ShowImage(path)) {
        // The error box has been shown; a running slideshow stops on this entry.
        SetPlaying(false);
        return;
    }
    if (desktopOptions().ShowThumbnails)
        w.Vignette->HighlightItem(row - 1);
}

void TFormCommande::SetPlaying(bool playing)
{
    timer_->stop();
    (playing ? jouer_ : pause_)->setChecked(true);
    shared().Playing = playing;
}

void TFormCommande::SetInterval(int ms)
{
    programOptions().SlideInterval = ms;
    if (ms < 0)
        throw rangeError();
    // Changing the interval of a running timer restarts its count: the new pace applies at once.
    timer_->setInterval(ms);
}

void TFormCommande::ShowTag(int value, int mode)
{
    SharedState& s = shared();
    TFormListe* liste = appWindows().Liste;
    const bool write = !s.listIsEmpty();
    switch (mode) {
    case 1:
        labelChoix_->setText(QStringLiteral("S=") + QString::number(value));
        if (write) {
            if (value > programOptions().MaxScore) {
                SpeedButtonRefClick();
                liste->TagEntry(10, 4);
                value = programOptions().MaxScore;
            }
            liste->TagEntry(value, 1);
        }
        break;
    case 2:
        labelChoix_->setText(QStringLiteral("Z=") + QString::number(value));
        if (write)
            liste->TagEntry(value, 2);
        break;
    case 4:
        labelChoix_->setText(QStringLiteral("E=") + QString::number(value));
        if (write)
            liste->TagEntry(value, 4);
        break;
    default:
        s.TagMode = s.DefaultTagMode;
        labelChoix_->setText(QStringLiteral("S=") + QString::number(value));
        break;
    }
    labelChoix_->repaint();
    // From ShowCurrent the image is shown next and lets events through once it is on screen;
    // doing it here would let a key act on an entry whose image is not shown yet.
    if (mode != 0)
        pumpEventsNow();
}

void TFormCommande::Demarrer()
{
    if (!shared().listIsEmpty())
        Jouer();
    else
        SetPlaying(false);
}

void TFormCommande::Jouer()
{
    AffiDiapo();
    SetPlaying(true);
    // A slideshow that could not show its first image is not running: the play button must not
    // stay pressed.
    try {
        ShowCurrent(shared().CurrentRow);
    } catch (...) {
        SetPlaying(false);
        throw;
    }
    const int interval = programOptions().SlideInterval;
    if (interval < 0) {
        SetPlaying(false);
        throw rangeError();
    }
    timer_->setInterval(interval);
    if (shared().Playing)
        timer_->start();
}

void TFormCommande::Tourne()
{
    // Stopped while the image is shown: the interval counts from the end of each display.
    timer_->stop();
    SharedState& s = shared();
    if (s.Playing) {
        try {
            GotoRow(s.CurrentRow + s.NormalStep);
            ShowCurrent(s.CurrentRow);
        } catch (...) {
            SetPlaying(false);
            throw;
        }
    }
    if (s.Playing)
        timer_->start();
}

void TFormCommande::Debut()
{
    GotoRow(shared().FirstRow);
    SetPlaying(false);
    ShowCurrent(shared().CurrentRow);
}

void TFormCommande::ArriereRapide()
{
    GotoRow(shared().CurrentRow - programOptions().FastStep);
    SetPlaying(false);
    ShowCurrent(shared().CurrentRow);
}

void TFormCommande::Arriere()
{
    GotoRow(shared().CurrentRow - shared().NormalStep);
    SetPlaying(false);
    ShowCurrent(shared().CurrentRow);
}

void TFormCommande::Pause() { SetPlaying(false); }

void TFormCommande::GotoImage()
{
    SetPlaying(false);
    SharedState& s = shared();
    if (s.listIsEmpty())
        return;
    const int last = s.LastRow - s.FirstRow;
    QString text = QString::number(s.CurrentRow - s.FirstRow);
    for (;;) {
        const std::optional<QString> answer =
            prompts().inputBox(QStringLiteral("Atteindre:"), QStringLiteral("Numero Image:"), text);
        if (!answer)
            return;
        int n = 0;
        if (parseInteger(*answer, n) && n >= 0 && n <= last) {
            GotoRow(n + s.FirstRow);
            ShowCurrent(s.CurrentRow);
            return;
        }
        text = QString::fromUtf8("Entrez une Valeur de 0 à ") + QString::number(last);
    }
}

void TFormCommande::Avant()
{
    GotoRow(shared().CurrentRow + shared().NormalStep);
    SetPlaying(false);
    ShowCurrent(shared().CurrentRow);
}

void TFormCommande::AvantRapide()
{
    GotoRow(shared().CurrentRow + programOptions().FastStep);
    SetPlaying(false);
    ShowCurrent(shared().CurrentRow);
}

void TFormCommande::Fin()
{
    GotoRow(shared().LastRow);
    SetPlaying(false);
    ShowCurrent(shared().CurrentRow);
}

void TFormCommande::ShowZoneWindow()
{
    TFormZone* zone = appWindows().Zone;
    if (!zone || zone->isVisible())
        return;
    // The keyboard stays with the window the user is typing in.
    zone->setAttribute(Qt::WA_ShowWithoutActivating, true);
    zone->show();
    zone->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

bool TFormCommande::FormKeyDown(QKeyEvent* event)
{
    SharedState& s = shared();
    const int key = virtualKeyCode(*event);
    const Qt::KeyboardModifiers mods = event->modifiers();

    // Stage 1: the modifiers choose the tag mode.
    bool showZones = false;
    s.TagMode = tagModeForModifiers(s.TagMode, mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier),
                                    mods.testFlag(Qt::AltModifier), key, showZones);
    if (showZones)
        ShowZoneWindow();

    // Stage 2: the key itself.
    int digit = -1;
    switch (keyCommand(key, digit)) {
    case KeyCommand::None: break;
    case KeyCommand::MakeModeDefault: s.DefaultTagMode = s.TagMode; break;
    case KeyCommand::StopOrStart:
        s.BatchRunning = false;
        if (s.Playing)
            Pause();
        else
            Demarrer();
        break;
    case KeyCommand::FastBack: ArriereRapide(); break;
    case KeyCommand::Back: Arriere(); break;
    case KeyCommand::Forward: Avant(); break;
    case KeyCommand::FastForward: AvantRapide(); break;
    case KeyCommand::First: Debut(); break;
    case KeyCommand::Last: Fin(); break;
    case KeyCommand::LongWait: SetInterval(programOptions().LongWait); break;
    case KeyCommand::ShortWait: SetInterval(programOptions().ShortWait); break;
    case KeyCommand::Marker: SpeedButtonBaliseClick(); break;
    case KeyCommand::ToMarker:
        GotoRow(s.MarkerRow);
        // The row GotoRow made current: the marker itself when it still names an entry.
        ShowCurrent(s.CurrentRow);
        break;
    case KeyCommand::Digit: ShowTag(digit, s.TagMode); break;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Markers and reference images

void TFormCommande::SpeedButtonBaliseClick()
{
    SharedState& s = shared();
    if (toggleComboItem(comboBalise_, QString::number(s.CurrentRow - 1)) == ToggleResult::Added)
        s.MarkerRow = s.CurrentRow;
}

void TFormCommande::ComboBoxBaliseChange()
{
    const std::optional<int> item = itemValue(comboBalise_);
    if (!item)
        return;
    SharedState& s = shared();
    GotoRow(*item + 1);
    s.MarkerRow = s.CurrentRow;
    ShowCurrent(s.CurrentRow);
}

void TFormCommande::SpeedButtonRefClick()
{
    const int row = shared().CurrentRow;
    if (toggleComboItem(comboRef_, QString::number(row - 1)) == ToggleResult::Added)
        ShowReference(row);
}

void TFormCommande::ComboBoxRefChange()
{
    if (const std::optional<int> item = itemValue(comboRef_))
        ShowReference(*item + 1);
}

void TFormCommande::ShowReference(int row)
{
    AppWindows& w = appWindows();
    if (!w.Ref) {
        w.Ref = new TFormRef();
        w.Ref->setObjectName(QStringLiteral("FormRef"));
        w.Ref->setAttribute(Qt::WA_QuitOnClose, false);
        w.Ref->setAttribute(Qt::WA_DeleteOnClose, false);
        // Brought to the front without taking the keyboard from the window being reviewed.
        w.Ref->setAttribute(Qt::WA_ShowWithoutActivating, true);
        placeWindow(w.Ref, desktopOptions().ReferencePlace);
    }
    const QString path = w.Liste->EntryPath(row);
    // A reference whose file has gone is silently not shown.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    PictureResult picture = loadPicture(path);
    if (!picture.ok()) {
        // The window keeps the picture it had.
        prompts().error(picture.errorText);
        return;
    }
    w.Ref->setPicture(picture.image);
    w.Ref->setWindowTitle(QString::fromUtf8("Image de Référence"));
    w.Ref->show();
    w.Ref->raise();
}

// ---------------------------------------------------------------------------------------------
// "&Fichier"

void TFormCommande::NouvelleListe1Click()
{
    OnExit mark(markListModified);
    const AppWindows& w = appWindows();
    AffiListe();
    w.Zone->ClearPage();
    w.Liste->AddFiles(true);
    w.Zone->ClearPage();
    w.Vignette->ClearPage();
    AffiVignette();
}

void TFormCommande::Ouvrir1Click()
{
    TFormListe* liste = appWindows().Liste;
    liste->ListOpened = false;
    // A cancelled open leaves the list as it was, modified or not: only a list read from a file
    // counts as unmodified.
    OnExit mark([liste] {
        if (liste->ListOpened)
            shared().ListModified = false;
    });
    AffiListe();
    liste->Ouvrir1Click();
    RefreshPages();
    liste->GenereListeZone();
}

void TFormCommande::OuvriretRenommer1Click()
{
    OnExit mark(markListModified);
    AffiListe();
    appWindows().Liste->OuvriretRenommer1Click();
    RefreshPages();
    appWindows().Liste->GenereListeZone();
}

void TFormCommande::Enregistrersous1Click()
{
    // Only a list actually written counts as saved: a cancelled dialog or a failed write keeps the
    // mark, so that closing still offers to save.
    const ListFileStamp before = ListFileStamp::now();
    bool completed = false;
    OnExit mark([&] {
        if (completed && !ListFileStamp::now().sameAs(before))
            shared().ListModified = false;
    });
    appWindows().Liste->Enregistrersous1Click();
    completed = true;
}

void TFormCommande::Quitter1Click() { close(); }

// ---------------------------------------------------------------------------------------------
// "&Edition"

void TFormCommande::Ajouter1Click()
{
    OnExit mark(markListModified);
    appWindows().Liste->AddFiles(false);
    RefreshPages();
}

// The search window hands its chosen files to the list; until it is built, it is only shown.
void TFormCommande::RechercherImages1Click()
{
    OnExit mark(markListModified);
    prompts().exec(appWindows().Rec);
    RefreshPages();
}

void TFormCommande::ModifierRepertoires1Click()
{
    OnExit mark(markListModified);
    appWindows().Liste->ModifierRepertoires1Click();
}

void TFormCommande::CollerPressepapier1Click()
{
    OnExit mark(markListModified);
    appWindows().Liste->CollerPressepapier1Click();
}

void TFormCommande::Effacer1Click()
{
    OnExit mark(markListModified);
    appWindows().Liste->Effacer1Click();
}

void TFormCommande::ViderlaListe1Click()
{
    // Declining the confirmation keeps the list, and with it the mark.
    OnExit mark([] {
        if (shared().listIsEmpty())
            shared().ListModified = false;
    });
    appWindows().Liste->ViderlaListe1Click();
    RefreshPages();
}

void TFormCommande::Renumeroter1Click()
{
    OnExit mark(markListModified);
    appWindows().Liste->Renumeroter1Click();
}

// ---------------------------------------------------------------------------------------------
// "E&xécuter"

void TFormCommande::Diaporama1Click()
{
    appWindows().Diapo->SetFullScreen(true);
    Demarrer();
}

// The frame extractor launch comes with its own work.
void TFormCommande::Vidsplit1Click() {}

// The batch passes (rename/move, sort by zone, recycle-bin deletion) come with their own work;
// the handlers already keep the list-modified mark.
void TFormCommande::Renommer1Click() { markListModified(); }
void TFormCommande::Trierdanssousrep1Click() { markListModified(); }
void TFormCommande::SupprimerFichiersScores0Click() { markListModified(); }

// ---------------------------------------------------------------------------------------------
// "Convertir": the conversion driver comes with its own work.

void TFormCommande::ConvertirBmp2JpegClick() {}
void TFormCommande::ConvertirBmp2FitClick() {}
void TFormCommande::ConvertirJpeg2BmpClick() {}

// ---------------------------------------------------------------------------------------------
// "Voir"

void TFormCommande::VoirListe1Click() { AffiListe(); }
void TFormCommande::VoirVignettes1Click() { AffiVignette(); }
void TFormCommande::VoirDiaporama1Click() { AffiDiapo(); }
void TFormCommande::VoirZones1Click() { AffiZone(); }

void TFormCommande::RegenereVignettes1Click()
{
    desktopOptions().ShowThumbnails = true;
    appWindows().Vignette->ClearPage();
    AffiVignette();
}

void TFormCommande::RegenereZones1Click()
{
    AffiZone();
    appWindows().Liste->GenereListeZone();
}

// ---------------------------------------------------------------------------------------------
// "&Options"

void TFormCommande::OptionsDiaporama1Click() { prompts().exec(appWindows().OptionsDiapo); }
void TFormCommande::OptionsVidsplit1Click() { prompts().exec(appWindows().OpBatch); }
void TFormCommande::OptionRenommerClick() { prompts().exec(appWindows().OptionsRenommer); }
void TFormCommande::TrierparZones1Click() { prompts().exec(appWindows().OpTrierZone); }
void TFormCommande::OptionConvBMP2JPEGClick() { prompts().exec(appWindows().OpBmp2Jpeg); }
void TFormCommande::OptionConvBMP2FITClick() { prompts().exec(appWindows().OpBmp2Fit); }
void TFormCommande::ConvertirJPEGversBMP1Click() { prompts().exec(appWindows().OpJpeg2Bmp); }

void TFormCommande::Bureau1Click()
{
    prompts().exec(appWindows().OpGlobales);
    ApplyLayout();
}

void TFormCommande::OptionsVignettes1Click() { prompts().exec(appWindows().OpVignette); }
void TFormCommande::OptionsZones1Click() { prompts().exec(appWindows().OpZone); }
void TFormCommande::EnregistrerBureau1Click() { SaveDesktop(); }
void TFormCommande::AfficherBureauUtilisateur1Click() { AfficherBureauUtilisateur(); }
void TFormCommande::AfficherBureauParDefaut1Click() { AfficherBureauParDefaut(); }

// ---------------------------------------------------------------------------------------------
// "&Aide"

// The help viewer loads and shows the help file once it is built; for now it comes up empty.
void TFormCommande::Aide1Click()
{
    BringToFront();
    prompts().exec(appWindows().CnvHlp);
}

void TFormCommande::APropos1Click() { prompts().exec(appWindows().About); }
