#pragma once
// The marker and reference lists: entry positions kept as texts, sorted as texts ("10" before "2").
#include <QString>
#include <QStringList>

enum class ToggleResult { Added, Removed, Unchanged };

// The toggle of the "Balise" and "Référence" buttons on the text t:
// absent -> inserted at its sorted place and selected; present and selected -> removed, nothing
// selected; present but another item selected -> nothing happens.
ToggleResult toggleListItem(QStringList& items, int& selected, const QString& t);
// Index at which t keeps the list sorted as texts.
int sortedInsertPosition(const QStringList& items, const QString& t);

// One of the two lists of the bottom panel (markers, references) with its selected item, -1 for
// none. The drop-down lists of the command window show it.
struct PositionList {
    QStringList items;
    int selected = -1;

    ToggleResult toggle(const QString& t) { return toggleListItem(items, selected, t); }
    // The entry position the selected item names, or nothing.
    bool selectedValue(int& value) const;
};
