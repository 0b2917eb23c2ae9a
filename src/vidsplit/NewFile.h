#pragma once
// Writing a new file whole or not at all, never over an existing one: the bytes go to a temporary
// file in the target directory (an unnamed one where the system has them), which is then linked or
// renamed into place without replacing (renameat2 RENAME_NOREPLACE, or a hard link). When the name
// is taken, the file gets the first free name "name (2).ext", "name (3).ext", ..., as the
// program's moves do.
//
// The file is not flushed to disk before it is published: frames are cheap to make again, and a
// flush per frame would cost more than the decoding. A crash or a kill of this process leaves the
// whole file or none; only a power cut can leave a published file short.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

class NewFile {
public:
    // Opens a temporary file in the directory of path. Throws ProgramError naming path.
    explicit NewFile(const QString& path);
    // Discards the temporary file unless it was published.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void write(const void* data, size_t size);
    // The file's modification time, in Unix nanoseconds.
    void setTime(int64_t unixNanos);
    // Gives the file its name (the first free one); returns the path used.
    QString publish();

private:
    QString path_;
    QByteArray temp_;  // empty for an unnamed file
    int fd_ = -1;
};

// A new file with these bytes under path or the first free name after it; returns the path used.
QString publishNewFile(const QString& path, const void* data, size_t size,
                       std::optional<int64_t> mtimeNanos = std::nullopt);

// The k-th name tried for path (k = 1: path itself; k >= 2: "name (k).ext").
QString numberedFileName(const QString& path, int k);

// Throws ProgramError "Impossible d'écrire dans dir : reason" when no file can be made in dir.
void checkWritableDirectory(const QString& dir);
