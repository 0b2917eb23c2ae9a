#pragma once
// Entries a batch pass took out of the list (the score-0 files it sent to the trash), kept by the
// pass's journal with the rows they had, so that undoing that pass puts them back where they were
// with their tags. Only while the list is the one the pass ran on: emptying or replacing it
// forgets them.
#include "list/ListStore.h"

#include <QHash>
#include <QString>

#include <vector>

class ListModel;

struct TakenEntry {
    int row = 0;  // the row it had before the pass
    ListEntry entry;
};

class TakenEntries {
public:
    void keep(const QString& journal, std::vector<TakenEntry> entries);
    // Takes out the entries of that pass whose file is back: backAt maps the cleaned path a file
    // had to where it is now, and each entry taken names it there.
    std::vector<TakenEntry> takeBack(const QString& journal, const QHash<QString, QString>& backAt);
    void forgetAll() { byJournal_.clear(); }

private:
    QHash<QString, std::vector<TakenEntry>> byJournal_;
};

// Inserts the entries at the rows they had (in the order of those rows, so each lands where it
// was when the list has not changed since) and numbers the whole list again from 0, as the pass
// left it.
void putBack(ListModel& model, std::vector<TakenEntry> entries);
