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

namespace {
// How many refused names one message lists before it only counts the others.
constexpr int kRefusalsShown = 10;

bool breaksALine(const QString& path) { return path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')); }
}  // namespace

QString listPathRefusal(const QString& path)
{
    if (!breaksALine(path))
        return QString();
    // The break itself is shown, so that the user can find the file.
    QString shown = path;
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return QString::fromUtf8("Nom refusé dans la liste (retour à la ligne dans le nom) : ") + shown;
}

QStringList acceptedForList(const QStringList& paths, QString& refusal)
{
    refusal.clear();
    QStringList accepted;
    QStringList refused;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString why = listPathRefusal(paths[i]);
        if (why.isEmpty()) {
            if (!refused.isEmpty())
                accepted << paths[i];
            continue;
        }
        if (refused.isEmpty())
            accepted = paths.mid(0, i);  // the common case copies nothing
        refused << why;
    }
    if (refused.isEmpty())
        return paths;
    refusal = refusalMessage(refused);
    return accepted;
}

QString refusalMessage(QStringList refusals)
{
    const qsizetype more = refusals.size() - kRefusalsShown;
    if (more > 0) {
        refusals.resize(kRefusalsShown);
        refusals << QString::fromUtf8("… et %1 autres").arg(more);
    }
    return refusals.join(QLatin1Char('\n'));
}
