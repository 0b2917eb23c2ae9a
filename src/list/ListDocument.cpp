#include "list/ListDocument.h"

#include "list/ListFile.h"
#include "platform/ProgramError.h"
#include "settings/Options.h"

ListDocument::ListDocument(QObject* parent) : QObject(parent), model_(new ListModel(this)) {}

void ListDocument::setModified(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit modifiedChanged(modified);
}

QString ListDocument::EntryPath(int row) const
{
    return model_->cell(ListModel::ColDirectory, row) + model_->cell(ListModel::ColName, row);
}

int ListDocument::EntryScore(int row) const
{
    const QString q = model_->cell(ListModel::ColQuality, row);
    if (q.isEmpty())
        return 0;
    return toInteger(q);
}

void ListDocument::readFrom(const QString& path)
{
    // The old list goes first: its memory is then free for the new one.
    model_->clear();
    emit replaced();
    ListStore entries;
    readListFile(path, entries);
    model_->assign(std::move(entries));
    path_ = path;
}

void ListDocument::writeTo(const QString& path)
{
    writeListStore(path, model_->store());
    path_ = path;
}

void ListDocument::clear()
{
    model_->clear();
    emit replaced();
}

void ListDocument::appendFiles(const QStringList& paths) { model_->appendFiles(paths, defaultQuality()); }

bool ListDocument::setTag(int row, int column, const QString& text)
{
    if (!model_->isEntryRow(row) || model_->cell(column, row) == text)
        return false;
    model_->setCell(column, row, text);
    setModified(true);
    return true;
}

QString ListDocument::defaultQuality()
{
    const char c = programOptions().DefaultScore;
    // A zeroed record has no score yet; "0" is the option's default.
    if (c == '\0')
        return QStringLiteral("0");
    return QString(QChar(static_cast<unsigned char>(c)));
}
