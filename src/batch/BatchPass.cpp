#include "batch/BatchPass.h"

#include "list/ListModel.h"
#include "platform/PathUtil.h"
#include "platform/ShellFileOp.h"

#include <QDir>

namespace {
QString key(const QString& path) { return QDir::cleanPath(path); }
}

QString passDoneMessage(int count, const char* ending)
{
    return QString::fromUtf8("Traitement Terminé: ") + QString::number(count) + QString::fromUtf8(ending);
}

void pointEntryAt(ListModel& model, int row, const QString& path)
{
    const QString dir = directoryPart(path);
    const QString name = namePart(path);
    if (model.cell(ListModel::ColDirectory, row) != dir)
        model.setCell(ListModel::ColDirectory, row, dir);
    if (model.cell(ListModel::ColName, row) != name)
        model.setCell(ListModel::ColName, row, name);
}

std::optional<QString> PassPaths::movedTo(const QString& path) const
{
    const auto it = moved_.constFind(key(path));
    if (it == moved_.constEnd())
        return std::nullopt;
    return *it;
}

bool PassPaths::madeHere(const QString& path) const { return made_.contains(key(path)); }

void PassPaths::record(const FileOpResult& r)
{
    if (!r.ok)
        return;
    moved_.insert(key(r.source), r.used);
    made_.insert(key(r.used));
}
