#include "list/ListModel.h"

#include "platform/PathUtil.h"

#include <algorithm>

QString& ListEntry::field(int column)
{
    switch (column) {
    case ListModel::ColMark: return mark;
    case ListModel::ColNumber: return number;
    case ListModel::ColDirectory: return directory;
    case ListModel::ColName: return name;
    case ListModel::ColQuality: return quality;
    case ListModel::ColZone: return zone;
    default: return extra;
    }
}

const QString& ListEntry::field(int column) const
{
    return const_cast<ListEntry*>(this)->field(column);
}

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

QString ListModel::formatNumber(int n)
{
    if (n < 0)
        return QString::asprintf("%4.4d", n);
    // Hand-made: this runs once per entry when 100,000 entries are read or renumbered.
    char buf[16];
    int len = 0;
    char digits[12];
    int nd = 0;
    do {
        digits[nd++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = nd; i < 4; ++i)
        buf[len++] = '0';
    while (nd > 0)
        buf[len++] = digits[--nd];
    return QString::fromLatin1(buf, len);
}

const QString& ListModel::blank()
{
    static const QString b = QStringLiteral(" ");
    return b;
}

QString ListModel::cell(int column, int row) const
{
    if (column < 0 || column >= kColumnCount)
        return {};
    if (row == 0)
        return title(column);
    if (!isEntryRow(row))
        return {};
    return entry(row).field(column);
}

void ListModel::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= kColumnCount || !isEntryRow(row))
        return;
    entries_[size_t(row - kFirstRow)].field(column) = text.isEmpty() ? blank() : text;
    const int r = row - kFirstRow;
    emit dataChanged(index(r, column), index(r, column));
    if (column == ColMark)
        emit headerDataChanged(Qt::Vertical, r, r);
}

void ListModel::clear()
{
    beginResetModel();
    entries_.clear();
    entries_.shrink_to_fit();
    endResetModel();
}

void ListModel::append(std::vector<ListEntry> more)
{
    if (more.empty())
        return;
    const int first = entryCount();
    // The new rows go in before the spare row, which stays last.
    beginInsertRows(QModelIndex(), first, first + int(more.size()) - 1);
    if (entries_.empty()) {
        entries_ = std::move(more);
    } else {
        entries_.reserve(entries_.size() + more.size());
        std::move(more.begin(), more.end(), std::back_inserter(entries_));
    }
    endInsertRows();
}

void ListModel::appendFiles(const QStringList& paths, const QString& quality)
{
    std::vector<ListEntry> more;
    more.reserve(size_t(paths.size()));
    const QString q = quality.isEmpty() ? blank() : quality;
    int row = entryCount() + kFirstRow;
    for (const QString& p : paths) {
        ListEntry e;
        e.mark = blank();
        e.number = formatNumber(row - kFirstRow);
        const QString dir = directoryPart(p);
        e.directory = dir.isEmpty() ? blank() : dir;
        const QString name = namePart(p);
        e.name = name.isEmpty() ? blank() : name;
        e.quality = q;
        e.zone = blank();
        e.extra = blank();
        more.push_back(std::move(e));
        ++row;
    }
    append(std::move(more));
}

int ListModel::removeMarked()
{
    static const QString star = QStringLiteral("*");
    beginResetModel();
    const size_t before = entries_.size();
    auto end = std::remove_if(entries_.begin(), entries_.end(),
                              [](const ListEntry& e) { return e.mark == star; });
    entries_.erase(end, entries_.end());
    int n = 0;
    for (ListEntry& e : entries_) {
        e.mark = blank();
        e.number = formatNumber(n++);
    }
    endResetModel();
    return int(before - entries_.size());
}

void ListModel::setAllDirectories(const QString& directory)
{
    const QString d = directory.isEmpty() ? blank() : directory;
    for (ListEntry& e : entries_)
        e.directory = d;  // implicitly shared: one string for the whole list
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
    auto it = entries_.begin();
    if (from < to)
        std::rotate(it + from, it + from + 1, it + to + 1);
    else
        std::rotate(it + to, it + from, it + from + 1);
    endMoveRows();
    return true;
}

void ListModel::toggleMark(int row)
{
    if (!isEntryRow(row))
        return;
    const QString& m = entry(row).mark;
    setCell(ColMark, row, m == QLatin1String("*") ? blank() : QStringLiteral("*"));
}

bool ListModel::reorder(const std::vector<int>& order)
{
    if (order.size() != entries_.size())
        return false;
    std::vector<char> seen(entries_.size(), 0);
    for (int from : order) {
        if (from < 0 || size_t(from) >= entries_.size() || seen[size_t(from)])
            return false;
        seen[size_t(from)] = 1;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<ListEntry> moved;
    moved.reserve(entries_.size());
    std::vector<int> placeOf(entries_.size());
    for (size_t k = 0; k < order.size(); ++k) {
        moved.push_back(std::move(entries_[size_t(order[k])]));
        placeOf[size_t(order[k])] = int(k);
    }
    entries_ = std::move(moved);
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
    const bool had = hasMeasureColumn();
    const bool has = bool(text);
    if (had && !has)
        beginRemoveColumns(QModelIndex(), ColMeasure, ColMeasure);
    if (!had && has)
        beginInsertColumns(QModelIndex(), ColMeasure, ColMeasure);
    measureTitle_ = title;
    measureText_ = std::move(text);
    if (had && !has)
        endRemoveColumns();
    if (!had && has)
        endInsertColumns();
    if (had && has) {
        emit headerDataChanged(Qt::Horizontal, ColMeasure, ColMeasure);
        measureColumnChanged();
    }
}

void ListModel::measureColumnChanged()
{
    if (hasMeasureColumn())
        announceColumn(ColMeasure);
}

void ListModel::numberRow(int row)
{
    if (isEntryRow(row))
        setCell(ColNumber, row, formatNumber(row - kFirstRow));
}

void ListModel::numberRowQuietly(int row)
{
    if (isEntryRow(row))
        entries_[size_t(row - kFirstRow)].number = formatNumber(row - kFirstRow);
}

void ListModel::numbersChanged() { announceColumn(ColNumber); }

void ListModel::announceColumn(int column)
{
    if (entries_.empty())
        return;
    emit dataChanged(index(0, column), index(entryCount() - 1, column));
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : entryCount() + 1;
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount + (hasMeasureColumn() ? 1 : 0);
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const int row = index.row() + kFirstRow;
    if (!isEntryRow(row))
        return {};
    if (index.column() == ColMeasure)
        return hasMeasureColumn() ? measureText_(entry(row)) : QVariant();
    return entry(row).field(index.column());
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section == ColMeasure && hasMeasureColumn() ? measureTitle_ : title(section);
    const int row = section + kFirstRow;
    return isEntryRow(row) ? entry(row).mark : QString();
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
