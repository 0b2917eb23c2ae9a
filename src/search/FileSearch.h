#pragma once
// The recursive search below a start directory: each directory's matches, mask by mask and each
// mask's in name order, then its subdirectories depth first in name order. A directory that can't
// be read contributes nothing, silently.
#include "search/trecherche.h"

#include <QString>
#include <QStringList>

#include <functional>

// The masks of a filter text: split at every ";", empty pieces dropped, pieces not trimmed. A text
// that is empty or only spaces gives the single mask "*.*".
QStringList splitMasks(const QString& filterText);
// The directory a search starts in: surrounding spaces removed, a "/" appended when missing.
QString searchStartDirectory(const QString& chosen);

class FileSearch {
public:
    explicit FileSearch(trecherche& finder) : finder_(finder) {}

    // Called before each mask's search, so that the window can let pending events through.
    std::function<void()> letEventsRun;
    // Called with NbTrouves each time it grows.
    std::function<void(int)> countChanged;

    // Prepares the masks and the start directory and walks; the results are appended to lines.
    // Returns NbTrouves.
    int run(const QString& chosenDirectory, const QString& filterText, int depth, QStringList& lines);
    // Ends the walk in progress at the next mask or directory; the results so far are kept.
    void stop() { stopped_ = true; }
    bool stopped() const { return stopped_; }

    void RechercherDans(const QString& dir);

    QStringList Masques;
    int ProfondeurMax = 0;
    int Niveau = 0;
    int NbTrouves = 0;

private:
    trecherche& finder_;
    QStringList* lines_ = nullptr;
    bool stopped_ = false;
};
