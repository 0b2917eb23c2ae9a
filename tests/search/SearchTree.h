#pragma once
// A small real directory tree for the search tests, and a way to read results back.
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <unistd.h>

// root/ a.bmp B.BMP c.jpg " s.jpg" noext .hidden.bmp été.BMP
//       sub/ d.bmp  back -> root      sub/deep/ e.bmp
//       sub2/ f.bmp
//       .cache/ g.bmp
//       link -> sub
struct SearchTree {
    QTemporaryDir tmp;
    QString root = tmp.path() + '/';

    SearchTree()
    {
        QDir(root).mkpath("sub/deep");
        QDir(root).mkpath("sub2");
        QDir(root).mkpath(".cache");
        for (const char* f : {"a.bmp", "B.BMP", "c.jpg", " s.jpg", "noext", ".hidden.bmp", "été.BMP", "sub/d.bmp",
                              "sub/deep/e.bmp", "sub2/f.bmp", ".cache/g.bmp"})
            touch(root + QString::fromUtf8(f));
        ::symlink(QFile::encodeName(root + "sub").constData(), QFile::encodeName(root + "link").constData());
        ::symlink(QFile::encodeName(root).constData(), QFile::encodeName(root + "sub/back").constData());
    }
    static void touch(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
    }
};

// Consecutive results of one directory: the directory relative to the root, and its names sorted
// (the file system decides the order inside one directory).
struct DirRun {
    QString dir;
    QStringList names;
    bool operator==(const DirRun&) const = default;
};

inline std::vector<DirRun> runsOf(const QStringList& lines, const QString& root)
{
    std::vector<DirRun> runs;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        QString dir = lines[i];
        dir = dir.startsWith(root) ? dir.mid(root.size()) : "?" + dir;
        if (runs.empty() || runs.back().dir != dir)
            runs.push_back({dir, {}});
        runs.back().names << lines[i + 1];
    }
    for (DirRun& r : runs)
        r.names.sort();
    return runs;
}

inline void PrintTo(const DirRun& r, std::ostream* os)
{
    *os << '"' << r.dir.toStdString() << "\": {" << r.names.join(", ").toStdString() << '}';
}
