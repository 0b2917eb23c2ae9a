#pragma once
// What the three batch passes share: the final message, the record of where this pass put each
// file (so that an entry never ends up naming another entry's file), what the passes act on, and
// how they account for the files they left or could not treat. Frames of videos
// ("jupiter.ser#00042") are read in place from their video: the passes never act on them.
#include <QHash>
#include <QSet>
#include <QString>

#include <array>
#include <optional>

class ListModel;
class Prompts;
struct FileOpResult;

// How many entries ahead a pass tells its journal about: one sync covers their operations.
constexpr int kJournalAhead = 512;

// "Traitement Terminé: " + count + ending (" Fichiers Traités" or " Fichiers Supprimés").
QString passDoneMessage(int count, const char* ending);

// Gives the entry of row the directory and name of path (the name a file really got).
void pointEntryAt(ListModel& model, int row, const QString& path);

// What an entry's path names. The passes act on regular files and links to them only: trashing,
// moving or renaming a whole folder, a device or a FIFO in the user's back is never what a list of
// images meant.
struct EntryFile {
    enum Kind { Regular, Missing, Folder, Device, Fifo, Socket, Other, Unknown, KindCount };
    Kind kind = Regular;
    int error = 0;  // Unknown: why the path could not be looked at (errno)
};
EntryFile checkEntryFile(const QString& path);

// Whether the name part of path has the form of a video's frame entry (FrameEntry.h), whether or
// not its video is there.
bool namesVideoFrame(const QString& path);

// What one pass left and what failed, for its questions and its closing message.
class PassReport {
public:
    explicit PassReport(Prompts& ask) : ask_(ask) {}

    // An entry left alone because of what it names (not Regular, not Unknown).
    void leaveEntry(EntryFile::Kind kind);
    // The file of path could not be treated: err is the system's errno, about the file or folder
    // named by subject. Asks "Impossible de Traiter le Fichier: " + path with the reason, unless the
    // user answered "Oui pour Tous" before; false when the pass must stop.
    bool failed(const QString& path, int err, const QString& subject);
    // Looks at what path names: true for a file the pass treats (regular, or a link to one).
    // Otherwise the entry is left and counted, or, when path cannot be looked at, its failure is
    // asked and goOn takes the answer. A frame entry is never treated: counted as a video frame
    // when its video is there, as a missing file when it is not (even if a file bears its name).
    bool treats(const QString& path, bool& goOn);
    int failures() const { return failures_; }
    int leftCount() const;

    // "Traitement Terminé: " + count + ending, then a line for the failures (how many, the first
    // reason and its file), one for the entries left (how many, and why) and one for the frames of
    // videos left ("3 images de vidéo non traitées"), when there are any.
    QString closing(int count, const char* ending) const;

private:
    Prompts& ask_;
    bool yesToAll_ = false;
    int failures_ = 0;
    QString firstFailure_;  // "Disque plein : /path"
    std::array<int, EntryFile::KindCount> left_{};
    int frames_ = 0;
};

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
