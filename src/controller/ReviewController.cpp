#include "controller/ReviewController.h"

#include "controller/KeyMap.h"
#include "list/ListModel.h"
#include "platform/EventPump.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/ScopeExit.h"
#include "settings/Options.h"
#include "video/VideoFrames.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace {

ProgramError rangeError() { return ProgramError(QString::fromUtf8("Erreur de vérification d'étendue")); }

// The general error box text for a picture file that cannot be read at all.
QString unreadableText(const QString& path, const QString& reason)
{
    const QFileInfo info(path);
    QString why;
    if (!info.exists())
        why = QString::fromUtf8("Le fichier spécifié est introuvable.");
    else if (info.isDir())
        why = QString::fromUtf8("Le chemin désigne un répertoire.");
    else if (!info.isReadable())
        why = QString::fromUtf8("Accès refusé.");
    else
        why = reason;
    return QString::fromUtf8("Impossible d'ouvrir le fichier \"%1\". %2").arg(path, why).trimmed();
}

QString undecodableCaption(const QString& path) { return QStringLiteral("Impossible de Charger: ") + path; }

}  // namespace

ReviewController::ReviewController(QObject* parent)
    : QObject(parent), document_(new ListDocument(this)), sharpness_(new SharpnessResults(this)),
      timer_(new QTimer(this))
{
    sharpness_->showIn(document_->model());
    connect(document_, &ListDocument::replaced, sharpness_, &SharpnessResults::forgetAll);
    connect(document_, &ListDocument::replaced, this, [this] { takenEntries_.forgetAll(); });
    timer_->setObjectName(QStringLiteral("Timer1"));
    connect(timer_, &QTimer::timeout, this, [this] {
        // A tick that falls while a key is being handled comes back at the next one.
        if (busy_ == 0)
            RunBusy([this] { Tourne(); });
    });
    connect(document_, &ListDocument::replaced, this, &ReviewController::forgetList);
    connect(&document_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int destination) {
                // Model rows are grid rows - 1; Qt counts the destination before the row leaves.
                followMovedRow(start + 1, (destination > start ? destination - 1 : destination) + 1);
            });
    markers_.items = QStringList{QStringLiteral("0")};
    markers_.selected = 0;
    positionText_ = QStringLiteral("0");
    frame_.caption = QStringLiteral("Diaporama");
}

ReviewController::~ReviewController() { timer_->stop(); }

// ---------------------------------------------------------------------------------------------
// Rows

int ReviewController::stepTarget(int row, bool& pastEnd) const
{
    const bool loop = programOptions().SlideLoop;
    pastEnd = false;
    if (row > lastRow_) {
        pastEnd = true;
        row = loop ? FirstRow() : lastRow_;
    }
    if (row < FirstRow()) {
        pastEnd = true;
        row = loop ? lastRow_ : FirstRow();
    }
    return row;
}

void ReviewController::SelectRow(int row)
{
    bool pastEnd = false;
    row = stepTarget(row, pastEnd);
    if (pastEnd && !programOptions().SlideLoop)
        playing_ = false;
    currentRow_ = row;
    emit currentRowChanged(row);
}

void ReviewController::GotoRow(int row)
{
    bool pastEnd = false;
    stepTarget(row, pastEnd);
    if (pastEnd && !programOptions().SlideLoop)
        SetPlaying(false);
    SelectRow(row);
    userRow_ = currentRow_;
    showPosition();
    tagMode_ = defaultTagMode_;
}

void ReviewController::showPosition()
{
    // An empty list has no position: the go-to button reads "0", as at start.
    if (listIsEmpty())
        setPositionText(QStringLiteral("0"));
    else
        setPositionText(QString::number(currentRow_ - 1) + QStringLiteral("//")
                        + QString::number(lastRow_ - currentRow_));
}

void ReviewController::Settle()
{
    if (listIsEmpty())
        return;
    const int row = std::clamp(userRow_, FirstRow(), lastRow_);
    const bool moved = currentRow_ != row;
    const bool stale = frameRow_ != row || framePath_ != EntryPath(row);
    if (!moved && !stale)
        return;
    userRow_ = currentRow_ = row;
    emit currentRowChanged(row);
    showPosition();
    if (stale)
        showQuietly();
}

void ReviewController::followMovedRow(int fromRow, int toRow)
{
    auto follow = [fromRow, toRow](int r) {
        if (r == fromRow)
            return toRow;
        if (fromRow < r && r <= toRow)
            return r - 1;
        if (toRow <= r && r < fromRow)
            return r + 1;
        return r;
    };
    currentRow_ = follow(currentRow_);
    userRow_ = follow(userRow_);
    if (frameRow_ > 0)
        frameRow_ = follow(frameRow_);
    emit currentRowChanged(currentRow_);
    showPosition();
}

void ReviewController::forgetList()
{
    // Markers and references name positions of the list that went: they start over, as at start.
    markers_ = PositionList();
    markers_.items = QStringList{QStringLiteral("0")};
    markers_.selected = 0;
    references_ = PositionList();
    emit markersChanged();
    emit referencesChanged();
    emit referencesForgotten();
    setTagLabel(QString());
    setListCaption(QString());
    // The next list's first linear frame makes the linked curve; its videos are opened anew.
    DisplayStretch::resetLinked();
    videoFrames().clear();
}

void ReviewController::Recount()
{
    playing_ = false;
    lastRow_ = document_->entryCount();
    SelectRow(FirstRow());
    userRow_ = currentRow_;
    markerRow_ = FirstRow();
    showQuietly();
}

void ReviewController::showQuietly()
{
    // The slideshow must never show another entry than the current one: after the list changed as
    // a whole, the first entry is shown, or nothing when the list is empty.
    SlideFrame f;
    showPosition();
    if (listIsEmpty()) {
        f.caption = QStringLiteral("Diaporama");
        setFrame(std::move(f));
        setTagLabel(QString());
        return;
    }
    const QString path = EntryPath(currentRow_);
    // The label follows the entry; the tag mode stays as the keys left it.
    try {
        setTagLabel(QStringLiteral("S=") + QString::number(document_->EntryScore(currentRow_)));
    } catch (const ProgramError&) {
        setTagLabel(QString());  // said when the entry is shown by a move
    }
    f.caption = path;
    if (!path.isEmpty()) {
        PictureResult r = loadPicture(path);
        if (r.ok()) {
            f.picture = std::move(r.image);
            f.linear = std::move(r.linear);
        } else
            f.caption = undecodableCaption(path);
    }
    setFrame(std::move(f));
    frameRow_ = currentRow_;
    framePath_ = path;
    if (desktopOptions().ShowThumbnails)
        emit entryShown(currentRow_);
}

// ---------------------------------------------------------------------------------------------
// Showing

void ReviewController::setFrame(SlideFrame frame)
{
    frame_ = std::move(frame);
    emit frameChanged();
}

bool ReviewController::EditShownPicture(const std::function<void(QImage&)>& edit)
{
    if (frame_.picture.isNull())
        return false;
    edit(frame_.picture);
    // The copy made ready for the window shows the picture as it was.
    frame_.display = QImage();
    frame_.displaySize = QSize();
    frame_.stretched = false;
    emit frameChanged();
    return true;
}

StretchMode ReviewController::stretchMode() const { return DisplayStretch::mode(); }

void ReviewController::SetStretchMode(StretchMode mode)
{
    if (mode == DisplayStretch::mode())
        return;
    DisplayStretch::setMode(mode);
    restretch();
}

void ReviewController::CycleStretch() { SetStretchMode(DisplayStretch::nextMode(DisplayStretch::mode())); }

void ReviewController::RelinkStretch()
{
    if (!frame_.linear)
        return;
    DisplayStretch::linkTo(*frame_.linear);
    restretch();
}

void ReviewController::restretch()
{
    ahead_.drop();
    if (frame_.linear) {
        SlideFrame f;
        f.caption = frame_.caption;
        f.linear = frame_.linear;
        f.picture = DisplayStretch::render(*f.linear);
        setFrame(std::move(f));
    }
    emit stretchChanged();
    if (!listIsEmpty())
        decodeNextAhead();
}

void ReviewController::setListCaption(const QString& caption)
{
    listCaption_ = caption;
    emit listCaptionChanged(caption);
}

bool ReviewController::ShowImage(const QString& path)
{
    frameRow_ = 0;  // ShowCurrent names the entry once its picture is on show
    SlideFrame f;
    f.caption = path;
    if (std::optional<PreparedPicture> ready = ahead_.collect(path)) {
        f.picture = std::move(ready->picture);
        f.linear = std::move(ready->linear);
        f.display = std::move(ready->display);
        f.displaySize = ready->displaySize;
        f.stretched = ready->stretched;
    } else {
        PictureResult r = loadPicture(path);
        switch (r.status) {
        case PictureStatus::Ok:
            f.picture = std::move(r.image);
            f.linear = std::move(r.linear);
            break;
        case PictureStatus::Undecodable: f.caption = undecodableCaption(path); break;
        case PictureStatus::Unreadable:
            setFrame(std::move(f));
            prompts().error(unreadableText(path, r.errorText));
            return false;
        }
    }
    setFrame(std::move(f));
    // The picture must be on screen before the caller goes on (slideshow tick, conversion step).
    pumpEventsNow();
    return true;
}

void ReviewController::ShowCurrent(int row)
{
    if (listIsEmpty()) {
        SetPlaying(false);
        return;
    }
    const QString path = EntryPath(row);
    ShowScore(document_->EntryScore(row));
    if (path.isEmpty())
        return;
    if (!ShowImage(path)) {
        // The error box has been shown; a running slideshow stops on this entry.
        SetPlaying(false);
        return;
    }
    frameRow_ = row;
    framePath_ = path;
    if (desktopOptions().ShowThumbnails)
        emit entryShown(row);
    decodeNextAhead();
}

void ReviewController::decodeNextAhead()
{
    bool pastEnd = false;
    const int next = stepTarget(currentRow_ + lastStep_, pastEnd);
    if (next == currentRow_ || (pastEnd && !programOptions().SlideLoop)) {
        ahead_.drop();
        return;
    }
    ahead_.request(EntryPath(next), displaySize_, programOptions().SlidePosition == 1);
}

void ReviewController::ClickRow(int row)
{
    StopPlaying();
    GotoRow(row);
    ShowCurrent(currentRow_);
}

// ---------------------------------------------------------------------------------------------
// Navigation

void ReviewController::stepTo(int row, int step)
{
    lastStep_ = step;
    GotoRow(row);
    SetPlaying(false);
    ShowCurrent(currentRow_);
}

void ReviewController::Debut() { stepTo(FirstRow(), normalStep_); }
void ReviewController::ArriereRapide() { stepTo(currentRow_ - programOptions().FastStep, -programOptions().FastStep); }
void ReviewController::Arriere() { stepTo(currentRow_ - normalStep_, -normalStep_); }
void ReviewController::Avant() { stepTo(currentRow_ + normalStep_, normalStep_); }
void ReviewController::AvantRapide() { stepTo(currentRow_ + programOptions().FastStep, programOptions().FastStep); }
void ReviewController::Fin() { stepTo(lastRow_, -normalStep_); }
void ReviewController::Pause() { SetPlaying(false); }

void ReviewController::GotoMarker()
{
    GotoRow(markerRow_);
    // The row GotoRow made current: the marker itself when it still names an entry.
    ShowCurrent(currentRow_);
}

void ReviewController::GotoImage()
{
    SetPlaying(false);
    if (listIsEmpty())
        return;
    const int last = lastRow_ - FirstRow();
    QString text = QString::number(currentRow_ - FirstRow());
    for (;;) {
        const std::optional<QString> answer =
            prompts().inputBox(QStringLiteral("Atteindre:"), QStringLiteral("Numero Image:"), text);
        if (!answer)
            return;
        int n = 0;
        if (parseInteger(*answer, n) && n >= 0 && n <= last) {
            GotoRow(n + FirstRow());
            ShowCurrent(currentRow_);
            return;
        }
        text = QString::fromUtf8("Entrez une Valeur de 0 à ") + QString::number(last);
    }
}

// ---------------------------------------------------------------------------------------------
// Slideshow

void ReviewController::SetPlaying(bool playing)
{
    timer_->stop();
    playing_ = playing;
    emit playingChanged(playing);
}

void ReviewController::SetInterval(int ms)
{
    programOptions().SlideInterval = ms;
    if (ms < 0)
        throw rangeError();
    // Changing the interval of a running timer restarts its count: the new pace applies at once.
    timer_->setInterval(ms);
}

void ReviewController::Demarrer()
{
    if (!listIsEmpty())
        Jouer();
    else
        SetPlaying(false);
}

void ReviewController::Jouer()
{
    emit viewWanted(ReviewView::Slideshow);
    SetPlaying(true);
    lastStep_ = normalStep_;
    // A slideshow that could not show its first picture is not running: the play button must not
    // stay pressed.
    try {
        ShowCurrent(currentRow_);
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
    if (playing_)
        timer_->start();
}

void ReviewController::Tourne()
{
    // Stopped while the picture is shown: the interval counts from the end of each display.
    timer_->stop();
    if (playing_) {
        try {
            lastStep_ = normalStep_;
            GotoRow(currentRow_ + normalStep_);
            ShowCurrent(currentRow_);
        } catch (...) {
            SetPlaying(false);
            throw;
        }
    }
    if (playing_)
        timer_->start();
}

// ---------------------------------------------------------------------------------------------
// The tag label, the position, and commands run one at a time (the keys themselves are handled in
// ReviewControllerKeys.cpp)

void ReviewController::setTagLabel(const QString& text)
{
    tagLabel_ = text;
    emit tagLabelChanged(text);
}

void ReviewController::setPositionText(const QString& text)
{
    positionText_ = text;
    emit positionTextChanged(text);
}

void ReviewController::ShowScore(int value)
{
    tagMode_ = defaultTagMode_;
    setTagLabel(QStringLiteral("S=") + QString::number(value));
}

void ReviewController::RunBusy(const std::function<void()>& command)
{
    ++busy_;
    ScopeExit done([this] { --busy_; });
    runGuarded(command);
    if (busy_ == 1)
        RunPendingKeys();
}

// ---------------------------------------------------------------------------------------------
// Markers and references

void ReviewController::SpeedButtonBaliseClick()
{
    const ToggleResult r = markers_.toggle(QString::number(currentRow_ - 1));
    if (r == ToggleResult::Added)
        markerRow_ = currentRow_;
    if (r != ToggleResult::Unchanged)
        emit markersChanged();
}

void ReviewController::ChooseMarker(int index)
{
    markers_.selected = index;
    int value = 0;
    if (!markers_.selectedValue(value))
        return;
    GotoRow(value + 1);
    markerRow_ = currentRow_;
    ShowCurrent(currentRow_);
}

void ReviewController::SpeedButtonRefClick()
{
    const int row = currentRow_;
    const ToggleResult r = references_.toggle(QString::number(row - 1));
    if (r != ToggleResult::Unchanged)
        emit referencesChanged();
    if (r == ToggleResult::Added)
        ShowReference(row);
}

void ReviewController::ChooseReference(int index)
{
    references_.selected = index;
    int value = 0;
    if (references_.selectedValue(value))
        ShowReference(value + 1);
}

void ReviewController::ShowReference(int row)
{
    emit referenceWindowNeeded();
    const QString path = EntryPath(row);
    // A reference whose file has gone is silently not shown.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    PictureResult picture = loadPicture(path);
    if (!picture.ok()) {
        // The window keeps the picture it had.
        prompts().error(picture.errorText);
        return;
    }
    emit referenceShown(picture.image);
}

// ---------------------------------------------------------------------------------------------
// Passes

QStringList ReviewController::CollectPaths()
{
    QStringList paths;
    StopScope scope(stop_);
    for (int row = FirstRow(); row <= lastRow_; ++row) {
        paths << EntryPath(row);
        if (!scope.keepGoing())
            break;
    }
    return paths;
}

void ReviewController::GenereListeZone()
{
    if (zonePage_)
        zonePage_->ClearPage();
    StopScope scope(stop_);
    for (int row = FirstRow(); scope.running() && row <= lastRow_ && model().isEntryRow(row); ++row) {
        int z = 0;
        if (zonePage_ && parseInteger(model().cell(ListModel::ColZone, row), z))
            zonePage_->AssignZoneImage(z, EntryPath(row));
        scope.keepGoing();
    }
}
