#pragma once
// Every file the program writes goes through here. The bytes go to a temporary file in the target's
// directory; every write, the sync and the close of that file are checked; only then is it renamed
// over the target, and the directory is synced. A failure before the rename leaves the old file
// byte-identical and no temporary file behind.
//
// The new file keeps the old one's permissions (and its owner, where the system allows). A target
// that is a symbolic link stays a link: the file it points to is replaced, as a save in an editor
// does. Hard links to the old file keep the old bytes. An existing file without write permission
// is not replaced ("Accès au fichier refusé").
#include <QByteArray>
#include <QString>

// The program's wording of a file error (an errno value): "Fichier introuvable",
// "Accès au fichier refusé", or "Erreur E/S %d".
QString fileErrorText(int errnum);
// The system's reason for a file error in plain French ("Disque plein", "Nom de fichier trop long",
// ...), for the questions and closing messages of passes over many files; never a bare number
// where the system gives a reason.
QString fileReasonText(int errnum);

// One safe replacement of a file, written piece by piece. Destroying it before commit() abandons
// the write: the temporary file is removed and the target left alone.
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Syncs, closes and renames the temporary file into place, then syncs the directory. A failed
    // directory sync is reported although the new file is already in place.
    bool commit();
    void cancel();
    // errno of the first failure, 0 when none.
    int error() const { return error_; }

private:
    bool fail(int err);

    QString path_;
    QByteArray target_;  // the file actually replaced, symbolic links followed
    QByteArray temp_;
    int fd_ = -1;
    int error_ = 0;
};

// Replaces the file at path by bytes; 0, or the errno of the failure.
int writeFileSafely(const QString& path, const QByteArray& bytes);
// Same, throwing ProgramError with fileErrorText when the file cannot be written.
void saveFileSafely(const QString& path, const QByteArray& bytes);
