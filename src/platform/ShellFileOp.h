#pragma once
// The three one-file operations of the batch passes: send to the trash, move, rename. None of them
// ever overwrites a file or deletes one for good, and each reports what it did (the source, the
// destination asked for, where the file really is now), so that the list, and a journal, follow
// the file to the name it really got.
//
// A destination that is taken gives the first free "name (2).ext", "name (3).ext", ... in the same
// directory. The extension is the part from the last "." of the name, so "x.1.bmp" gives
// "x.1 (2).bmp" and the file keeps the extension its picture type is known by; a name without a
// "." other than a leading or a final one ("Image", ".cache", "a.") has no extension and the
// number goes at its end ("Image (2)"). There is no length limit of the program's own: a path or
// name beyond the system's limits fails with ENAMETOOLONG, and nothing is touched.
#include <QString>

struct FileOpResult {
    bool ok = false;
    QString source;     // the file operated on
    QString requested;  // the destination asked for (empty for the trash)
    // Where the file is now: the destination asked for, or the free name chosen beside it; for the
    // trash, the file inside the trash's "files" folder. Empty on failure.
    QString used;
    QString trashInfo;  // SendToRecycleBin: the .trashinfo record that lets the file be restored
    int error = 0;      // errno of a failure (ENOENT for a missing source, ...)
    // The file got another name than the one asked for.
    bool renamed() const { return ok && used != requested; }
};

class ShellFileOp {
public:
    virtual ~ShellFileOp() = default;
    // Moves the file into the freedesktop.org trash with its .trashinfo, so that a file manager or
    // trash-restore can put it back. Succeeds only when the file really is in the trash.
    virtual FileOpResult SendToRecycleBin(const QString& path) = 0;
    // Moves source to target (the full new path: directory and name). The target directory must
    // exist. Across file systems the file is copied under a temporary name in the target
    // directory, synced, put in place without replacing anything, and only then removed at its
    // source; on any failure the source stays and no temporary file is left.
    virtual FileOpResult ShellMoveFile(const QString& source, const QString& target) = 0;
    // Gives source the path newPath on the same file system (no copy: EXDEV otherwise).
    virtual FileOpResult ShellRenameFile(const QString& source, const QString& newPath) = 0;
    // Creates one directory level (the zone folders of a sort). ok only when this call made it
    // (used: the directory); one that exists already fails with EEXIST.
    virtual FileOpResult ShellMakeDirectory(const QString& path);
};

// The operations on this system's files.
class SystemFileOp final : public ShellFileOp {
public:
    FileOpResult SendToRecycleBin(const QString& path) override;
    FileOpResult ShellMoveFile(const QString& source, const QString& target) override;
    FileOpResult ShellRenameFile(const QString& source, const QString& newPath) override;

    // Moves take the copy path of a move across file systems even on one file system (tests).
    bool forceCopy = false;

private:
    FileOpResult transfer(const QString& source, const QString& target, bool mayCopy);
};

// The name a taken name gets on its n-th try (n ≥ 2): "a.bmp" → "a (2).bmp".
QString numberedName(const QString& name, int n);

// The process-wide file operations: the system's, unless a test installed others.
ShellFileOp& fileOps();
// Installs ops (not owned); nullptr restores the system's.
void setFileOps(ShellFileOp* ops);
