#include "review/SharpnessResults.h"

#include "list/ListModel.h"

#include <algorithm>

void SharpnessResults::measuresChanged()
{
    // The scale: the sharpest unflagged frame, or the sharpest of all when every one is flagged
    // (a series of the Moon's surface touches the border in every frame).
    double unflagged = 0, all = 0;
    for (const SharpnessMeasure& m : measures()) {
        all = std::max(all, m.value);
        if (!m.flagged())
            unflagged = std::max(unflagged, m.value);
    }
    best_ = unflagged > 0 ? unflagged : all;
}

void SharpnessResults::showIn(ListModel& model)
{
    connect(this, &SharpnessResults::resultsChanged, &model, [this, &model] {
        if (noneMeasured())
            model.setMeasureColumn({}, {});
        else if (!model.hasMeasureColumn())
            model.setMeasureColumn(QString::fromUtf8("Netteté"),
                                   [this](const ListEntry& e) { return cellText(e.directory + e.name); });
        else
            model.measureColumnChanged();
    });
}

double SharpnessResults::relativeSharpness(const SharpnessMeasure& m) const
{
    return best_ > 0 ? 100 * m.value / best_ : 0;
}

QString SharpnessResults::cellText(const QString& path) const
{
    const SharpnessMeasure* m = measureOf(path);
    if (!m)
        return {};
    if (m->flags & SharpnessUnreadable)
        return sharpnessMarks(m->flags);
    QString value = QString::number(relativeSharpness(*m), 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
    const QString marks = sharpnessMarks(m->flags);
    return marks.isEmpty() ? value : value + QLatin1Char(' ') + marks;
}

std::vector<int> sharpnessOrder(const ListModel& model, const SharpnessResults& results)
{
    struct Key {
        int index;
        int group;  // 0 unflagged, 1 flagged, 2 not measured
        double value;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(model.entryCount()));
    for (int i = 0; i < model.entryCount(); ++i) {
        const SharpnessMeasure* m = results.measureOf(model.entry(i + ListModel::kFirstRow));
        keys.push_back({i, m ? (m->flagged() ? 1 : 0) : 2, m ? m->value : 0});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.group != b.group)
            return a.group < b.group;
        return a.value > b.value;
    });
    std::vector<int> order;
    order.reserve(keys.size());
    for (const Key& k : keys)
        order.push_back(k.index);
    return order;
}

int keptCount(KeepShare share, int measured)
{
    if (share.amount <= 0 || measured <= 0)
        return 0;
    if (!share.percent)
        return std::min(share.amount, measured);
    const long long kept = (static_cast<long long>(measured) * std::min(share.amount, 100) + 99) / 100;
    return int(kept);
}

std::vector<int> rowsBeyondShare(const ListModel& model, const SharpnessResults& results, KeepShare share)
{
    const std::vector<int> order = sharpnessOrder(model, results);
    int measured = 0;
    for (int index : order)
        if (results.measureOf(model.entry(index + ListModel::kFirstRow)))
            ++measured;
    const int kept = keptCount(share, measured);
    std::vector<int> rows;
    for (int k = kept; k < measured; ++k)
        rows.push_back(order[size_t(k)] + ListModel::kFirstRow);
    std::sort(rows.begin(), rows.end());
    return rows;
}
