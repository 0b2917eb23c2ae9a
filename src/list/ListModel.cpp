#include "list/ListModel.h"

#include <algorithm>

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString ListModel::title(int column)
{
    switch (column) {
    case ColMark: return QStringLiteral(" ");
    case ColNumber: return QString::fromUtf8("Numéro");
    case ColDirectory: return QString::fromUtf8("Répertoire");
    case ColName: return QStringLiteral("Nom");
    case ColQuality: return QString::fromUtf8("Qualité");
    case ColZone: return QString::fromUtf8("Zône");
    case ColExtra: return QStringLiteral("Extra");
    default: return {};
    }
}

QString ListModel::shownText(const QString& text)
{
    if (text.size() <= kShownCharacters)
        return text;
    qsizetype cut = kShownCharacters;
    if (text[cut - 1].isHighSurrogate())
        --cut;  // a character outside the BMP is not split
    return text.left(cut) + QChar(0x2026);
}

QString ListModel::cell(int column, int row) const
{
    if (column < 0 || column >= kColumnCount)
        return {};
    if (row == 0)
        return title(column);
    if (!isEntryRow(row))
        return {};
    return store_.text(column, row - kFirstRow);
}

void ListModel::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= kColumnCount || !isEntryRow(row))
        return;
    const int r = row - kFirstRow;
    store_.setText(column, r, text);
    emit dataChanged(index(r, column), index(r, column));
    if (column == ColMark)
        emit headerDataChanged(Qt::Vertical, r, r);
}

std::vector<ListEntry> ListModel::entries() const { return store_.entries(); }

void ListModel::clear()
{
    beginResetModel();
    store_.clear();
    announced_ = 0;
    endResetModel();
}

void ListModel::assign(ListStore&& entries)
{
    beginResetModel();
    store_.swap(entries);
    announced_ = store_.size();
    endResetModel();
    entries.clear();
}

void ListModel::announceAppended(int before)
{
    const int after = store_.size();
    if (after == before)
        return;
    // The new rows go in before the spare row, which stays last.
    beginInsertRows(QModelIndex(), before, after - 1);
    announced_ = after;
    endInsertRows();
}

void ListModel::append(const std::vector<ListEntry>& more)
{
    const int before = store_.size();
    try {
        store_.reserve(size_t(before) + more.size());
        for (const ListEntry& e : more)
            store_.append(e);
    } catch (...) {
        store_.truncate(before);
        throw;
    }
    announceAppended(before);
}

void ListModel::appendFiles(const QStringList& paths, const QString& quality)
{
    const int before = store_.size();
    try {
        store_.reserve(size_t(before) + size_t(paths.size()));
        const quint32 q = store_.intern(quality);
        // The paths of one choice mostly share their directory: it is pooled once per run.
        QString lastDir;
        quint32 dirIndex = 0;
        for (const QString& p : paths) {
            const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
            const QStringView dir = QStringView(p).left(slash + 1);
            if (lastDir.isNull() || dir != lastDir) {
                lastDir = dir.toString();
                dirIndex = store_.intern(lastDir);
            }
            store_.appendPooled(dirIndex, p.mid(slash + 1), q, 0, 0);
        }
    } catch (...) {
        store_.truncate(before);
        throw;
    }
    announceAppended(before);
}

int ListModel::removeMarked()
{
    beginResetModel();
    int removed = 0;
    try {
        removed = store_.removeMarked();
    } catch (...) {
        announced_ = store_.size();
        endResetModel();
        throw;
    }
    announced_ = store_.size();
    endResetModel();
    return removed;
}

void ListModel::setAllDirectories(const QString& directory)
{
    store_.setAllDirectories(directory);
    announceColumn(ColDirectory);
}

bool ListModel::moveEntry(int fromRow, int toRow)
{
    if (!isEntryRow(fromRow) || !isEntryRow(toRow))
        return false;
    if (fromRow == toRow)
        return true;
    const int from = fromRow - kFirstRow;
    const int to = toRow - kFirstRow;
    // Qt counts the destination before the move takes the row out.
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return false;
    store_.moveEntry(from, to);
    endMoveRows();
    return true;
}

void ListModel::toggleMark(int row)
{
    if (!isEntryRow(row))
        return;
    setCell(ColMark, row, store_.marked(row - kFirstRow) ? blank() : QStringLiteral("*"));
}

bool ListModel::reorder(const std::vector<int>& order)
{
    const size_t n = size_t(store_.size());
    if (order.size() != n)
        return false;
    std::vector<char> seen(n, 0);
    for (int from : order) {
        if (from < 0 || size_t(from) >= n || seen[size_t(from)])
            return false;
        seen[size_t(from)] = 1;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> placeOf(n);
    for (size_t k = 0; k < order.size(); ++k)
        placeOf[size_t(order[k])] = int(k);
    store_.arrange(order);
    // Indexes that views keep follow their entries; the spare row stays where it is.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after << (isEntryRow(i.row() + kFirstRow) ? index(placeOf[size_t(i.row())], i.column()) : i);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

void ListModel::setMeasureColumn(const QString& title, MeasureText text)
{
    std::vector<ExtraColumn> columns;
    if (text)
        columns.push_back({title, std::move(text)});
    setColumnGroup(kSharpnessGroup, std::move(columns));
}

bool ListModel::hasColumnGroup(const QString& group) const
{
    return std::any_of(extra_.begin(), extra_.end(), [&](const GroupColumn& c) { return c.group == group; });
}

void ListModel::setColumnGroup(const QString& group, std::vector<ExtraColumn> columns)
{
    // Where the group's columns are, or go.
    int first = -1, count = 0;
    for (int i = 0; i < int(extra_.size()); ++i)
        if (extra_[size_t(i)].group == group) {
            if (first < 0)
                first = i;
            ++count;
        }
    if (first < 0)
        first = group == kSharpnessGroup ? 0 : int(extra_.size());
    const int n = int(columns.size());
    if (count == n && n > 0) {  // the same columns, new texts
        for (int i = 0; i < n; ++i)
            static_cast<ExtraColumn&>(extra_[size_t(first + i)]) = std::move(columns[size_t(i)]);
        emit headerDataChanged(Qt::Horizontal, kColumnCount + first, kColumnCount + first + n - 1);
        measureColumnChanged();
        return;
    }
    if (count > 0) {
        beginRemoveColumns(QModelIndex(), kColumnCount + first, kColumnCount + first + count - 1);
        extra_.erase(extra_.begin() + first, extra_.begin() + first + count);
        endRemoveColumns();
    }
    if (n > 0) {
        beginInsertColumns(QModelIndex(), kColumnCount + first, kColumnCount + first + n - 1);
        std::vector<GroupColumn> added;
        for (ExtraColumn& c : columns)
            added.push_back({std::move(c), group});
        extra_.insert(extra_.begin() + first, added.begin(), added.end());
        endInsertColumns();
    }
}

void ListModel::measureColumnChanged()
{
    if (announced_ > 0 && !extra_.empty())
        emit dataChanged(index(0, ColMeasure), index(entryCount() - 1, kColumnCount + int(extra_.size()) - 1));
}

void ListModel::numberRow(int row)
{
    if (isEntryRow(row))
        setCell(ColNumber, row, formatNumber(row - kFirstRow));
}

void ListModel::numberRowQuietly(int row)
{
    if (isEntryRow(row))
        store_.setNumber(row - kFirstRow, row - kFirstRow);
}

void ListModel::numbersChanged() { announceColumn(ColNumber); }

void ListModel::announceColumn(int column)
{
    if (announced_ == 0)
        return;
    emit dataChanged(index(0, column), index(entryCount() - 1, column));
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : announced_ + 1;
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount + int(extra_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    if (index.row() >= announced_)
        return {};
    const int column = index.column();
    if (column >= ColMeasure)
        return column - ColMeasure < int(extra_.size()) ? extra_[size_t(column - ColMeasure)].text(entry(index.row() + kFirstRow))
                                                        : QVariant();
    if (column == ColNumber)
        return store_.text(column, index.row());
    return shownText(store_.sharedText(column, index.row()));
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= ColMeasure ? (section - ColMeasure < int(extra_.size()) ? extra_[size_t(section - ColMeasure)].title : QString())
                                     : title(section);
    return section >= 0 && section < announced_ ? shownText(store_.sharedText(ColMark, section)) : QString();
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
