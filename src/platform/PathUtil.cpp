#include "platform/PathUtil.h"

#include <QCoreApplication>
#include <QDir>

QString directoryPart(const QString& path)
{
    const qsizetype i = path.lastIndexOf('/');
    return i < 0 ? QString() : path.left(i + 1);
}

QString namePart(const QString& path)
{
    const qsizetype i = path.lastIndexOf('/');
    return i < 0 ? path : path.mid(i + 1);
}

QString withTrailingSlash(const QString& dir)
{
    return dir.endsWith('/') ? dir : dir + '/';
}

QString executableDirectory()
{
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        return QStringLiteral("/");
    return withTrailingSlash(dir);
}

bool makeDirectory(const QString& path)
{
    // One level, and a name already taken fails, as the chooser's "new directory" wants.
    return QDir().mkdir(path);
}
