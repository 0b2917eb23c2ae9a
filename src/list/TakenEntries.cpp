#include "list/TakenEntries.h"

#include "list/ListModel.h"
#include "platform/PathUtil.h"

#include <QDir>

#include <algorithm>

void TakenEntries::keep(const QString& journal, std::vector<TakenEntry> entries)
{
    if (journal.isEmpty() || entries.empty())
        return;
    byJournal_.insert(journal, std::move(entries));
}

std::vector<TakenEntry> TakenEntries::takeBack(const QString& journal, const QHash<QString, QString>& backAt)
{
    std::vector<TakenEntry> back;
    const auto it = byJournal_.find(journal);
    if (it == byJournal_.end())
        return back;
    std::vector<TakenEntry> still;
    for (TakenEntry& t : *it) {
        const auto at = backAt.constFind(QDir::cleanPath(t.entry.directory + t.entry.name));
        if (at == backAt.constEnd()) {
            still.push_back(std::move(t));
            continue;
        }
        t.entry.directory = directoryPart(*at);
        t.entry.name = namePart(*at);
        back.push_back(std::move(t));
    }
    if (still.empty())
        byJournal_.erase(it);
    else
        *it = std::move(still);
    return back;
}

void putBack(ListModel& model, std::vector<TakenEntry> entries)
{
    if (entries.empty())
        return;
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TakenEntry& a, const TakenEntry& b) { return a.row < b.row; });
    // One merge rather than an insertion each: an entry goes in once the list before it is as
    // long as its old row says, or at the end.
    std::vector<ListEntry> kept = model.entries();
    std::vector<ListEntry> all;
    all.reserve(kept.size() + entries.size());
    auto next = entries.begin();
    for (size_t k = 0; k < kept.size() || next != entries.end();) {
        const bool takenHere = next != entries.end()
            && (k == kept.size() || size_t(std::max(next->row - ListModel::kFirstRow, 0)) <= all.size());
        if (takenHere)
            all.push_back(std::move((next++)->entry));
        else
            all.push_back(std::move(kept[k++]));
    }
    int number = 0;
    for (ListEntry& e : all) {
        e.mark = ListModel::blank();
        e.number = ListModel::formatNumber(number++);
    }
    model.clear();
    model.append(all);
}
