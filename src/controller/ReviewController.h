#pragma once
// The state of a review and the rules that move through it, without any window: the list document,
// the row positions and the entry on show, navigation (one end rule), tagging, the slideshow and
// its timer, the marker and reference lists, the frame on show and the stop flag of long passes.
// Windows send it requests and redraw on its signals; it never calls a window.
//
// Operations keep the program's own names (GotoRow, ShowCurrent, Avant, ...). Those that read a
// quality cell throw ProgramError with the integer message; the caller runs them under runGuarded.
#include "controller/StopScope.h"
#include "controller/TagMode.h"
#include "list/ListDocument.h"
#include "list/TakenEntries.h"
#include "platform/DisplayStretch.h"
#include "platform/PictureAhead.h"
#include "stars/StarResults.h"

#include <QSet>
#include "review/MarkerList.h"
#include "review/SharpnessResults.h"
#include "review/ZonePage.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <deque>
#include <functional>

class QTimer;

// What the slideshow window shows: a caption and a picture (null: only the background).
struct SlideFrame {
    QString caption;
    QImage picture;
    // A linear frame's data, kept to make its picture again when the display stretch changes.
    std::shared_ptr<const LinearImage> linear;
    // The picture made ready for a window of displaySize (see prepareForDisplay); may be null.
    QImage display;
    QSize displaySize;
    bool stretched = false;
};

// A key as the key map reads it: the Windows virtual-key code and the modifiers held.
struct KeyPress {
    int key = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// The windows a rule of the review may ask to have shown: brought to the front, or for
// SlideshowShown only made visible, and Zones shown without taking the keyboard.
enum class ReviewView { List, Slideshow, SlideshowShown, Zones };

class ReviewController : public QObject {
    Q_OBJECT
public:
    explicit ReviewController(QObject* parent = nullptr);
    ~ReviewController() override;

    ListDocument& document() { return *document_; }
    const ListDocument& document() const { return *document_; }
    ListModel& model() { return document_->model(); }

    // Rows. Entries are rows FirstRow..LastRow; LastRow is 0 for an empty list.
    int FirstRow() const { return 1; }
    int LastRow() const { return lastRow_; }
    int CurrentRow() const { return currentRow_; }
    int MarkerRow() const { return markerRow_; }
    bool listIsEmpty() const { return lastRow_ < FirstRow(); }
    int entryCount() const { return listIsEmpty() ? 0 : lastRow_ - FirstRow() + 1; }
    QString EntryPath(int row) const { return document_->EntryPath(row); }

    bool ListModified() const { return document_->modified(); }
    void SetListModified(bool modified) { document_->setModified(modified); }

    // Stops the slideshow without a redraw of its buttons, LastRow from the list, the first row
    // current and the marker row there; then the first entry is shown (quietly: a picture that
    // cannot be shown leaves the background and its caption, without a box).
    void Recount();
    // End handling, then CurrentRow := row. Past an end: with SlideLoop the other end, otherwise that
    // end, and Playing is cleared.
    void SelectRow(int row);
    // SelectRow with the slideshow stopped at an end, the position text, and TagMode back to default.
    void GotoRow(int row);
    // Shows the entry: score in the tag label, picture in the slideshow, highlight on the page.
    void ShowCurrent(int row);
    // Shows a picture file in the slideshow (the frame on show), repainted before returning.
    // - Decoded: caption := path, the picture replaces the previous one.
    // - Unknown format or content that cannot be decoded: caption := "Impossible de Charger: " + path,
    //   only the background is shown; still true (the caller goes on).
    // - The file cannot be read (missing, no access): caption := path, only the background, the
    //   general error box, and false: the calling move, tick or pass stops there.
    bool ShowImage(const QString& path);
    // The entry at row becomes current and is shown, as a click on it in the list or on its
    // thumbnail does (the slideshow stops at its next tick).
    void ClickRow(int row);
    // After a command: the current entry, the highlighted row and the frame on show are one
    // again. A pass moves the highlight through the list (SelectRow) and may show other pictures
    // or re-point entries; the entry the user was on (the last GotoRow or recount) becomes current
    // again and is shown anew when the frame is not its picture. Quiet, as a recount.
    void Settle();

    // Navigation buttons and keys.
    void Debut();
    void ArriereRapide();
    void Arriere();
    void Pause();
    void GotoImage();
    void Demarrer();
    void Jouer();
    void Tourne();
    void Avant();
    void AvantRapide();
    void Fin();
    void GotoMarker();

    // Slideshow.
    bool Playing() const { return playing_; }
    // Stops the timer; the play or pause button is shown pressed.
    void SetPlaying(bool playing);
    // Clears Playing only: the slideshow stops at its next tick, the buttons stay as they are.
    void StopPlaying() { playing_ = false; }
    // Throws "Erreur de vérification d'étendue" for a negative interval (the timer keeps its pace).
    void SetInterval(int ms);
    QTimer* Timer() const { return timer_; }

    // Tagging.
    TagMode tagMode() const { return tagMode_; }
    TagMode defaultTagMode() const { return defaultTagMode_; }
    void setTagMode(TagMode mode) { tagMode_ = mode; }
    // Shows the tag in the label and writes it into the current entry (see the key map).
    void ShowTag(int value, TagMode mode);
    // Writes a tag into the current entry when it is one.
    void TagEntry(int value, TagMode mode);
    const QString& tagLabel() const { return tagLabel_; }
    // After a pass rewrote scores: the label shows the score of the entry on show again, unless it
    // shows another tag being typed.
    void RefreshScore();
    const QString& positionText() const { return positionText_; }

    // The key map. Keys run one at a time: a key that arrives while another key, a tick or a panel
    // control is being handled (they let events through while pictures are shown) waits its turn,
    // so it acts on the entry on show once the earlier one is done. Errors end in the error box.
    void HandleKey(const KeyPress& key);
    void FormKeyDown(const KeyPress& key);
    // Runs a panel or timer command under the same one-at-a-time rule.
    void RunBusy(const std::function<void()>& command);

    // Markers and references.
    const PositionList& markers() const { return markers_; }
    const PositionList& references() const { return references_; }
    void SpeedButtonBaliseClick();
    void ChooseMarker(int index);
    void SpeedButtonRefClick();
    void ChooseReference(int index);
    void ShowReference(int row);

    // The page that tagging a zone and GenereListeZone fill (none: zones are only written).
    void setZonePage(ZonePage* page) { zonePage_ = page; }

    // Asks for a window to be shown (list commands).
    void WantView(ReviewView view) { emit viewWanted(view); }

    // The sharpness measured for the list's files, kept beside the list (forgotten when the list
    // is opened again or emptied) and shown as its last column.
    SharpnessResults& sharpness() { return *sharpness_; }
    // The star measures, kept and shown the same way.
    StarResults& stars() { return *stars_; }
    // The entries (by path) the user scored with the keyboard since the list was opened: the
    // scoring by criteria leaves them as they are.
    const QSet<QString>& keyScored() const { return keyScored_; }
    // Entries the trash pass took out of this list, for its undo (forgotten with the list).
    TakenEntries& takenEntries() { return takenEntries_; }

    // The stop flag of long passes.
    StopFlag& stopFlag() { return stop_; }
    bool BatchRunning() const { return stop_.running(); }

    // The full paths of the entries in list order, as a pass stopped by the stop keys.
    QStringList CollectPaths();
    // Rebuilds the zone page from the "Zône" column, as a pass stopped by the stop keys.
    void GenereListeZone();

    // The list window's caption while a pass names the file it works on; empty until then (the
    // window keeps its own).
    const QString& listCaption() const { return listCaption_; }
    void setListCaption(const QString& caption);

    // Lets edit change the picture on show in place (the colour filter's preview), then redraws it.
    // False, without calling edit, when no picture is on show.
    bool EditShownPicture(const std::function<void(QImage&)>& edit);

    // How linear frames are shown (linked, per frame, off), for every window; the frame on show,
    // the decode ahead and the pages of thumbnails and zones follow at once.
    StretchMode stretchMode() const;
    void SetStretchMode(StretchMode mode);
    void CycleStretch();
    // The linked curve made again from the frame on show (nothing when it is not a linear frame).
    void RelinkStretch();

    // The frame on show, and the size of the slideshow window's client area for frames decoded
    // ahead.
    const SlideFrame& frame() const { return frame_; }
    void setDisplaySize(QSize size) { displaySize_ = size; }
    // Waits for the decode ahead to finish (benchmarks: the user's pace).
    void waitForDecodeAhead() { ahead_.waitIdle(); }

signals:
    void currentRowChanged(int row);
    void positionTextChanged(const QString& text);
    void tagLabelChanged(const QString& text);
    void playingChanged(bool playing);
    void frameChanged();
    // The entry of row is on show (the thumbnail page highlights it).
    void entryShown(int row);
    void markersChanged();
    void referencesChanged();
    // The references went with the list they named: their window has nothing left to show.
    void referencesForgotten();
    // Before the first reference picture: the window that shows it must exist and be placed.
    void referenceWindowNeeded();
    void referenceShown(const QImage& picture);
    void viewWanted(ReviewView view);
    void listCaptionChanged(const QString& caption);
    // Linear frames look different now: pictures made before (thumbnails, zones) are stale.
    void stretchChanged();

private:
    // The row a step from CurrentRow lands on, and whether it went past an end.
    int stepTarget(int row, bool& pastEnd) const;
    void stepTo(int row, int step);
    void ShowScore(int value);
    void setTagLabel(const QString& text);
    void setPositionText(const QString& text);
    void setFrame(SlideFrame frame);
    void showQuietly();
    // The list was emptied or replaced: what named its entries goes with it.
    void forgetList();
    // A row dragged elsewhere: the entry on show stays current at its new place.
    void followMovedRow(int fromRow, int toRow);
    void showPosition();
    void decodeNextAhead();
    // The frame on show made again under the current display stretch; tells the pages.
    void restretch();
    void RunPendingKeys();

    ListDocument* document_;
    SharpnessResults* sharpness_;
    StarResults* stars_;
    QSet<QString> keyScored_;
    TakenEntries takenEntries_;
    int lastRow_ = 0;
    int currentRow_ = 1;
    int markerRow_ = 1;
    // The entry the user moved to (GotoRow, recount); passes move currentRow_ alone.
    int userRow_ = 1;
    // The entry whose picture the frame shows (0: another picture or none) and its path then.
    int frameRow_ = 0;
    QString framePath_;
    int normalStep_ = 1;
    int lastStep_ = 1;  // the direction of the last move, for the decode ahead
    TagMode tagMode_ = TagMode::Quality;
    TagMode defaultTagMode_ = TagMode::Quality;
    bool playing_ = false;
    QTimer* timer_;
    StopFlag stop_;
    PositionList markers_;
    PositionList references_;
    QString tagLabel_;
    QString positionText_;
    QString listCaption_;
    SlideFrame frame_;
    QSize displaySize_;
    PictureAhead ahead_;
    ZonePage* zonePage_ = nullptr;
    int busy_ = 0;
    std::deque<KeyPress> pendingKeys_;
};
