#include "search/ResultModels.h"

#include "search/SearchResults.h"

ResultLinesModel::ResultLinesModel(const SearchResults& results, QObject* parent)
    : QAbstractListModel(parent), results_(results)
{
    shown_ = int(results_.Lines.size());
}

void ResultLinesModel::reset()
{
    beginResetModel();
    shown_ = int(results_.Lines.size());
    endResetModel();
}

void ResultLinesModel::grow()
{
    const int now = int(results_.Lines.size());
    if (now < shown_) {
        reset();
        return;
    }
    if (now == shown_)
        return;
    beginInsertRows(QModelIndex(), shown_, now - 1);
    shown_ = now;
    endInsertRows();
}

int ResultLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

QVariant ResultLinesModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_
        || index.row() >= results_.Lines.size())
        return {};
    return results_.Lines[index.row()];
}

ResultTableModel::ResultTableModel(const SearchResults& results, QObject* parent)
    : QAbstractTableModel(parent), results_(results)
{
}

void ResultTableModel::marksChanged()
{
    if (results_.count() > 0)
        emit dataChanged(index(0, 0), index(results_.count() - 1, 0));
}

int ResultTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : results_.count() + 1;
}

int ResultTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const int r = index.row() + 1;
    if (!results_.isFileRow(r))
        return {};
    const ResultRow& row = results_.row(r);
    switch (index.column()) {
    case 0: return row.mark;
    case 1: return row.directory;
    case 2: return row.name;
    default: return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case 0: return QStringLiteral(" ");
    case 1: return QString::fromUtf8("Répertoire");
    case 2: return QStringLiteral("Nom");
    default: return {};
    }
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
