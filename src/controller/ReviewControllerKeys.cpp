// The review's answer to keys: tagging the entry on show from the digits and the key handling of
// every review window (navigation, slideshow, tag mode).
#include "controller/ReviewController.h"

#include "controller/KeyMap.h"
#include "list/ListModel.h"
#include "platform/EventPump.h"
#include "platform/ProgramError.h"
#include "platform/ScopeExit.h"
#include "settings/Options.h"

// ---------------------------------------------------------------------------------------------
// Tagging

void ReviewController::RefreshScore()
{
    if (!listIsEmpty() && tagLabel_.startsWith(QStringLiteral("S=")))
        setTagLabel(QStringLiteral("S=") + QString::number(document_->EntryScore(currentRow_)));
}

void ReviewController::ShowTag(int value, TagMode mode)
{
    setTagLabel(QString::fromLatin1(tagPrefix(mode)) + QString::number(value));
    if (!listIsEmpty()) {
        if (mode == TagMode::Quality && value > programOptions().MaxScore) {
            SpeedButtonRefClick();
            TagEntry(10, TagMode::Extra);
            value = programOptions().MaxScore;
        }
        TagEntry(value, mode);
    }
    pumpEventsNow();
}

void ReviewController::TagEntry(int value, TagMode mode)
{
    const int row = currentRow_;
    if (row < FirstRow() || row > lastRow_ || !model().isEntryRow(row))
        return;
    const QString text = QString::number(value);
    switch (mode) {
    case TagMode::Quality:
        document_->setTag(row, ListModel::ColQuality, text);
        keyScored_.insert(EntryPath(row));
        break;
    case TagMode::Zone:
        document_->setTag(row, ListModel::ColZone, text);
        if (zonePage_)
            zonePage_->AssignZoneImage(value, EntryPath(row));
        break;
    case TagMode::Extra: document_->setTag(row, ListModel::ColExtra, text); break;
    }
    pumpEventsNow();
}

// ---------------------------------------------------------------------------------------------
// Keys

void ReviewController::RunPendingKeys()
{
    while (!pendingKeys_.empty()) {
        const KeyPress key = pendingKeys_.front();
        pendingKeys_.pop_front();
        runGuarded([&] { FormKeyDown(key); });
    }
}

void ReviewController::HandleKey(const KeyPress& key)
{
    if (busy_ > 0) {
        pendingKeys_.push_back(key);
        return;
    }
    RunBusy([&] { FormKeyDown(key); });
}

void ReviewController::FormKeyDown(const KeyPress& press)
{
    // Stage 1: the modifiers choose the tag mode.
    bool showZones = false;
    tagMode_ = tagModeForModifiers(tagMode_, press.shift, press.ctrl, press.alt, press.key, showZones);
    if (showZones)
        emit viewWanted(ReviewView::Zones);

    // Stage 2: the key itself.
    int digit = -1;
    switch (keyCommand(press.key, digit)) {
    case KeyCommand::None: break;
    case KeyCommand::MakeModeDefault: defaultTagMode_ = tagMode_; break;
    case KeyCommand::StopOrStart:
        stop_.stop();
        if (playing_)
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
    case KeyCommand::ToMarker: GotoMarker(); break;
    case KeyCommand::Digit: ShowTag(digit, tagMode_); break;
    case KeyCommand::CycleStretch: CycleStretch(); break;
    }
}
