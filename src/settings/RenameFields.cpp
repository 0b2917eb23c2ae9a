#include "settings/RenameFields.h"

QString batchNameFromText(const QString& text, bool cutAtDot)
{
    QString name = text.left(kRenameFieldLength);
    if (cutAtDot) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            name.truncate(dot);
    }
    return name;
}

QString targetDirectoryFromText(const QString& text)
{
    QString dir = text.left(kRenameFieldLength);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
