#include "review/MarkerList.h"

#include "platform/ProgramError.h"

#include <algorithm>

int sortedInsertPosition(const QStringList& items, const QString& t)
{
    return int(std::lower_bound(items.begin(), items.end(), t) - items.begin());
}

ToggleResult toggleListItem(QStringList& items, int& selected, const QString& t)
{
    const int at = int(items.indexOf(t));
    if (at < 0) {
        const int pos = sortedInsertPosition(items, t);
        items.insert(pos, t);
        selected = pos;
        return ToggleResult::Added;
    }
    if (at == selected) {
        items.removeAt(at);
        selected = -1;
        return ToggleResult::Removed;
    }
    return ToggleResult::Unchanged;
}

bool PositionList::selectedValue(int& value) const
{
    return selected >= 0 && selected < items.size() && parseInteger(items[selected], value);
}
