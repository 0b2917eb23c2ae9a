#pragma once
// The entries of the image list, held small enough for a million of them. The texts other than
// the file name (directory, quality, zone, extra, mark) repeat across thousands of entries, so
// each distinct one is kept once in a pool and an entry refers to it by index; a number in its
// "%4.4d" form is kept as the integer it shows. Whole ListEntry values go in and come out.
#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

// The columns of the list and the stored forms of its values, shared by the store and the model.
struct ListLayout {
    enum Column { ColMark = 0, ColNumber, ColDirectory, ColName, ColQuality, ColZone, ColExtra };
    static constexpr int kColumnCount = 7;

    // "%4.4d": 0000, 0042, 10000.
    static QString formatNumber(int n);
    // The stored form of an empty value.
    static const QString& blank();
};

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

class ListStore : public ListLayout {
public:
    ListStore();

    int size() const { return int(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    void reserve(size_t count) { rows_.reserve(count); }
    // Gives back room reserved for entries that did not come (a count announced too high).
    void releaseSpare();
    // Empties the store and gives its memory back.
    void clear() noexcept;
    void swap(ListStore& other) noexcept;

    // Entries are counted from 0 here. An empty value reads as the blank.
    ListEntry entry(int i) const;
    // Every entry as a value of its own.
    std::vector<ListEntry> entries() const;
    QString text(int column, int i) const;
    // The text itself, for every column but the number (whose text is made on demand).
    const QString& sharedText(int column, int i) const;
    bool marked(int i) const;

    // Writes one value of an entry; an empty text is stored as the blank.
    void setText(int column, int i, const QString& text);
    // Gives entry i the number formatNumber(n).
    void setNumber(int i, int n) { rows_[size_t(i)].number = n; }
    void append(const ListEntry& entry);
    // Drops the entries from `count` on (undoes appends that could not finish).
    void truncate(int count);

    // Appends an unmarked entry numbered by its position, from texts of the pool (see intern).
    void appendPooled(quint32 directory, QString name, quint32 quality, quint32 zone, quint32 extra);
    // The pool index of a text (an empty text is the blank). Indices stay valid until the store
    // is cleared or one of the whole-list changes below drops texts no entry uses any more.
    quint32 intern(const QString& text);

    // Keeps the unmarked entries in order, unmarked and numbered by position; returns how many
    // were removed.
    int removeMarked();
    void setAllDirectories(const QString& directory);
    // Moves entry `from` so that it ends up at `to`.
    void moveEntry(int from, int to);
    // Puts the entries in a new order: order[k] is the entry that goes to place k (every entry
    // once; the caller checks it).
    void arrange(const std::vector<int>& order);

    // Texts the pool holds (for tests of its upkeep).
    int pooledTexts() const { return int(pool_.size()); }

private:
    // 48 bytes an entry besides its name's characters.
    struct Row {
        QString name;
        quint32 mark = 0, directory = 0, quality = 0, zone = 0, extra = 0;
        qint32 number = 0;  // >= 0: the text formatNumber(number); < 0: the pooled text ~number
    };
    static bool isFormattedNumber(const QString& text, qint32& n);
    qint32 numberCode(const QString& text);
    quint32 Row::*pooledColumn(int column) const;
    // Rebuilds the pool from the texts in use when it holds many more than the entries can use.
    void dropUnusedTexts();

    std::vector<Row> rows_;
    std::vector<QString> pool_;  // index 0 is the blank
    QHash<QString, quint32> index_;
    // The text interned last: runs of one directory skip the hash.
    QString lastText_;
    quint32 lastIndex_ = 0;
};
