#include "tools/HelpFile.h"

#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "platform/TextLines.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

const char* const kHelpSubdirectory = "velmoran";
const char* const kDataFromExecutable = "../share/velmoran";

namespace {

ProgramError cannotOpen(const QString& name)
{
    return ProgramError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(name));
}

bool isBlank(const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\t')
            return false;
    return true;
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

QStringList parseHelpLines(const QByteArray& bytes)
{
    QStringList lines;
    bool lastBlank = false;
    splitTextLines(bytes, [&](const char* p, qsizetype n) {
        const bool blank = isBlank(p, n);
        if (blank && lastBlank)
            return;
        lastBlank = blank;
        lines << (blank ? QString() : decodeFileText(p, n));
    });
    return lines;
}

QStringList readHelpFile(const QString& fileName)
{
    const QString path = findHelpFile(fileName);
    if (path.isEmpty())
        throw cannotOpen(fileName);
    const QByteArray bytes = readTextFileBounded(
        path, kMaxHelpBytes, cannotOpen(path).text(),
        QString::fromUtf8("Le fichier %1 est trop gros pour un fichier d'aide (plus de %2 Ko).")
            .arg(path)
            .arg(kMaxHelpBytes >> 10));
    return parseHelpLines(bytes);
}
