#include "tools/HelpFile.h"

#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "search/SearchResults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

const char* const kHelpSubdirectory = "velmoran";
const char* const kDataFromExecutable = "../share/velmoran";

namespace {

// A help text is a few pages; a file far beyond that is not one, and reading it whole would only
// exhaust memory.
constexpr qint64 kMaxHelpBytes = 16 * 1024 * 1024;

ProgramError cannotOpen(const QString& name)
{
    return ProgramError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(name));
}

}  // namespace

QString findHelpFile(const QString& fileName)
{
    if (QFileInfo(fileName).isFile())
        return fileName;
    const QString beside =
        QDir::cleanPath(executableDirectory() + QLatin1String(kDataFromExecutable) + QLatin1Char('/') + fileName);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString below = QLatin1String(kHelpSubdirectory) + QLatin1Char('/') + fileName;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, below);
}

QStringList readHelpFile(const QString& fileName)
{
    const QString path = findHelpFile(fileName);
    if (path.isEmpty())
        throw cannotOpen(fileName);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxHelpBytes)
        throw cannotOpen(path);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw cannotOpen(path);
    return parseResultLines(bytes);
}
