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
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct ListEntry {
    QString mark;       // " " or "*"
    QString number;     // "%4.4d" of its row at its last numbering
    QString directory;  // ends with '/'
    QString name;
    QString quality;
    QString zone;
    QString extra;

    QString& field(int column);
    const QString& field(int column) const;
    bool operator==(const ListEntry&) const = default;
};

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColMark = 0, ColNumber, ColDirectory, ColName, ColQuality, ColZone, ColExtra };
    static constexpr int kColumnCount = 7;
    // The optional column after the last one (see setMeasureColumn); not a cell of the list.
    static constexpr int ColMeasure = kColumnCount;
    static constexpr int kFirstRow = 1;  // the one title row

    explicit ListModel(QObject* parent = nullptr);

    static QString title(int column);
    // "%4.4d": 0000, 0042, 10000.
    static QString formatNumber(int n);
    // The stored form of an empty value.
    static const QString& blank();

    // Grid view.
    int entryCount() const { return int(entries_.size()); }
    int gridRowCount() const { return entryCount() + 2; }
    bool isEntryRow(int row) const { return row >= kFirstRow && row <= entryCount(); }
    // Titles in row 0, values in entry rows, "" for the spare row and anything outside the grid.
    QString cell(int column, int row) const;
    // Writes an entry's cell (an empty text is stored as " "); other rows are left alone.
    void setCell(int column, int row, const QString& text);
    const ListEntry& entry(int row) const { return entries_[size_t(row - kFirstRow)]; }
    const std::vector<ListEntry>& entries() const { return entries_; }

    // Whole-list operations, each announced to views by one signal.
    void clear();
    // Appends after the last entry; the entries keep the numbers they carry.
    void append(std::vector<ListEntry> entries);
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
    bool hasMeasureColumn() const { return bool(measureText_); }
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
    std::vector<ListEntry> entries_;
    QString measureTitle_;
    MeasureText measureText_;
};
