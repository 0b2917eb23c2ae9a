#pragma once
// What the three batch passes share: the final message, and the record of where this pass put
// each file, so that an entry never ends up naming another entry's file.
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

class ListModel;
struct FileOpResult;

// How many entries ahead a pass tells its journal about: one sync covers their operations.
constexpr int kJournalAhead = 512;

// "Traitement Terminé: " + count + ending (" Fichiers Traités" or " Fichiers Supprimés").
QString passDoneMessage(int count, const char* ending);

// Gives the entry of row the directory and name of path (the name a file really got).
void pointEntryAt(ListModel& model, int row, const QString& path);

// The files one pass moved, renamed or trashed. Two entries may name one file: once the first has
// moved it, the second must follow it rather than fail or act on whatever takes its old name; and
// an entry whose file was missing must not pick up the file another entry was given under its name.
class PassPaths {
public:
    // Where an earlier operation of this pass put the file at path, if one did.
    std::optional<QString> movedTo(const QString& path) const;
    // Whether path is a name this pass gave to a file it moved there.
    bool madeHere(const QString& path) const;
    void record(const FileOpResult& r);

private:
    QHash<QString, QString> moved_;  // cleaned source -> where the file is now
    QSet<QString> made_;             // cleaned names given to files
};
