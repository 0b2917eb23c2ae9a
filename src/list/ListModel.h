#pragma once
// The image list: one contiguous vector of entries behind a table model.
//
// Two ways of counting rows live side by side:
//  - grid rows, as the rest of the program speaks of them: row 0 holds the titles, rows 1..N the
//    entries, and row N + 1 is the spare empty row, so the grid has N + 2 rows;
//  - model rows, as Qt's views see them: the titles are the horizontal header, so model row r is
//    grid row r + 1, and the last model row (N) is the spare row.
// Column 0 (the mark) is also offered as the vertical header, so a view can keep it fixed and let
// rows be dragged by it.
#include "list/ListStore.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class ListModel : public QAbstractTableModel, public ListLayout {
    Q_OBJECT
public:
    // The optional column after the last one (see setMeasureColumn); not a cell of the list.
    static constexpr int ColMeasure = kColumnCount;
    static constexpr int kFirstRow = 1;  // the one title row
    // The list window shows at most this many characters of a cell, then "…"; the model and the
    // list file keep the whole value. Qt lays a cell's text out whole, so a name of megabytes
    // would cost seconds and gigabytes at each paint.
    static constexpr int kShownCharacters = 1000;

    explicit ListModel(QObject* parent = nullptr);

    static QString title(int column);
    // A cell's text as the list window shows it: cut after kShownCharacters, "…" added.
    static QString shownText(const QString& text);

    // Grid view.
    int entryCount() const { return store_.size(); }
    int gridRowCount() const { return entryCount() + 2; }
    bool isEntryRow(int row) const { return row >= kFirstRow && row <= entryCount(); }
    // Titles in row 0, values in entry rows, "" for the spare row and anything outside the grid.
    QString cell(int column, int row) const;
    // Writes an entry's cell (an empty text is stored as " "); other rows are left alone.
    void setCell(int column, int row, const QString& text);
    ListEntry entry(int row) const { return store_.entry(row - kFirstRow); }
    // Every entry as a value of its own: for small lists; passes over a whole list use store().
    std::vector<ListEntry> entries() const;
    const ListStore& store() const { return store_; }

    // Whole-list operations, each announced to views by one signal. Each either completes or,
    // when memory runs out, throws std::bad_alloc with the list as it was.
    void clear();
    // Replaces the whole list by these entries (a list file read into a store of its own).
    void assign(ListStore&& entries);
    // Appends after the last entry; the entries keep the numbers they carry.
    void append(const std::vector<ListEntry>& entries);
    // Appends one entry per path (directory part, name part), numbered by its row, with the given
    // quality and blank zone and extra.
    void appendFiles(const QStringList& paths, const QString& quality);
    // Keeps the unmarked entries in order, unmarked and numbered by their new rows; returns how
    // many entries were removed.
    int removeMarked();
    // Gives every entry the same directory.
    void setAllDirectories(const QString& directory);
    // Moves one entry so that it ends up at toRow (grid rows). False when either row is not an entry.
    bool moveEntry(int fromRow, int toRow);
    // "*" becomes " ", anything else "*". Entry rows only.
    void toggleMark(int row);
    // Puts the entries in a new order: order[k] is the entry (0-based, in the present order) that
    // goes to place k. Entries keep their numbers. False, and nothing moves, unless order holds
    // every entry once.
    bool reorder(const std::vector<int>& order);

    // A column shown after the last one, whose texts come from outside the list (a measure kept
    // beside it): views see it, list files and cell() do not. An empty text function removes it.
    using MeasureText = std::function<QString(const ListEntry&)>;
    void setMeasureColumn(const QString& title, MeasureText text);
    bool hasMeasureColumn() const { return hasColumnGroup(kSharpnessGroup); }
    // Several such columns kept together under a group's name (the star measures): they replace
    // the group's columns, or remove them when columns is empty. The sharpness column comes first.
    struct ExtraColumn {
        QString title;
        MeasureText text;
    };
    void setColumnGroup(const QString& group, std::vector<ExtraColumn> columns);
    bool hasColumnGroup(const QString& group) const;
    // The texts of the measure column changed.
    void measureColumnChanged();

    // Numbering. numberRow announces its change; the quiet form is for passes over the whole
    // list, which announce once at the end with numbersChanged().
    void numberRow(int row);
    void numberRowQuietly(int row);
    void numbersChanged();

    // QAbstractItemModel.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void announceColumn(int column);
    // Announces the entries appended to the store since it held `before`.
    void announceAppended(int before);
    ListStore store_;
    // The entries views have been told of: appends fill the store first, so that a failure can
    // be undone before any view hears of it.
    int announced_ = 0;
    static inline const QString kSharpnessGroup = QStringLiteral("sharpness");
    struct GroupColumn : ExtraColumn {
        QString group;
    };
    std::vector<GroupColumn> extra_;  // shown after the last column, in this order
};
