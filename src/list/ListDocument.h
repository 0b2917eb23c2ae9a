#pragma once
// The list under review as a document: its entries (the ListModel views show), the list file it
// was last read from or written to, and whether it changed since it was last opened, emptied or
// saved. Reading and writing either complete or throw ProgramError; nothing is left to be guessed
// afterwards from files or flags.
#include "list/ListModel.h"

#include <QObject>
#include <QString>
#include <QStringList>

class ListDocument : public QObject {
    Q_OBJECT
public:
    explicit ListDocument(QObject* parent = nullptr);

    ListModel& model() { return *model_; }
    const ListModel& model() const { return *model_; }
    int entryCount() const { return model_->entryCount(); }

    // The list file last read or written; empty until then.
    const QString& path() const { return path_; }

    bool modified() const { return modified_; }
    void setModified(bool modified);

    // Full path of an entry: directory cell + name cell ("" outside the entries).
    QString EntryPath(int row) const;
    // 0 for an empty quality cell, else its integer value; throws ProgramError with the integer
    // message when it is not one.
    int EntryScore(int row) const;

    // Replaces the entries by those of the list file. The list is emptied first, so on a failure
    // (ProgramError thrown) it is left empty.
    void readFrom(const QString& path);
    // Writes the entries to the list file through a temporary file; throws ProgramError on failure.
    void writeTo(const QString& path);
    void clear();
    // Appends one entry per file, numbered by its row, quality DefaultScore, zone and extra blank.
    void appendFiles(const QStringList& paths);
    // Writes a tag cell of an entry; true when its text changed, which marks the list modified.
    bool setTag(int row, int column, const QString& text);

    // The quality given to entries added from files: the DefaultScore option ("0" when unset).
    static QString defaultQuality();

signals:
    void modifiedChanged(bool modified);
    // The entries were emptied or replaced by a list file: what was kept beside them is stale.
    void replaced();

private:
    ListModel* model_;
    QString path_;
    bool modified_ = false;
};
