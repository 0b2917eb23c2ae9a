#include "search/FoundFiles.h"

#include "list/ListModel.h"
#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "search/SearchResults.h"

#include <vector>

int appendFoundFiles(ListModel& list, const SearchResults& results, const QString& quality)
{
    const QString& blank = ListModel::blank();
    const QString q = quality.isEmpty() ? blank : quality;
    std::vector<ListEntry> more;
    more.reserve(size_t(results.markedCount()));
    QStringList refused;
    int number = list.entryCount();  // the first new row's position, counted from FirstRow
    for (const ResultRow& row : results.rows()) {
        if (row.mark != QLatin1String("*"))
            continue;
        if (const QString why = listPathRefusal(row.directory + row.name); !why.isEmpty()) {
            refused << why;
            continue;
        }
        ListEntry e;
        e.mark = blank;
        e.number = ListModel::formatNumber(number++);
        e.directory = row.directory.isEmpty() ? blank : row.directory;
        e.name = row.name.isEmpty() ? blank : row.name;
        e.quality = q;
        e.zone = blank;
        e.extra = blank;
        more.push_back(std::move(e));
    }
    const int added = int(more.size());
    list.append(more);
    if (!refused.isEmpty())
        prompts().message(refusalMessage(refused));
    return added;
}
