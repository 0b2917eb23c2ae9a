#pragma once
// The two views of the search window over one SearchResults: the result lines as they are, and the
// table of one row per file (mark, "Répertoire", "Nom") with its spare empty row at the end. The
// header row of the table is the view's column header, so model row r is table row r + 1.
#include <QAbstractListModel>
#include <QAbstractTableModel>

class SearchResults;

class ResultLinesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultLinesModel(const SearchResults& results, QObject* parent = nullptr);

    // The lines were replaced.
    void reset();
    // Lines were appended since the last reset or grow (a search in progress).
    void grow();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const SearchResults& results_;
    int shown_ = 0;  // the lines the view knows of; during a search the list only grows past them
};

class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultTableModel(const SearchResults& results, QObject* parent = nullptr);

    // Wrap a change of the table's rows (rebuild, "&Supprimer", "Nouveau..").
    void beginChange() { beginResetModel(); }
    void endChange() { endResetModel(); }
    // The marks changed.
    void marksChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const SearchResults& results_;
};
