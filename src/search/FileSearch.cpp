#include "search/FileSearch.h"

QStringList splitMasks(const QString& filterText)
{
    const QString text = filterText.trimmed().isEmpty() ? QStringLiteral("*.*") : filterText;
    return text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

QString searchStartDirectory(const QString& chosen)
{
    QString dir = chosen.trimmed();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

int FileSearch::run(const QString& chosenDirectory, const QString& filterText, int depth, QStringList& lines)
{
    Masques = splitMasks(filterText);
    NbTrouves = 0;
    Niveau = 0;
    ProfondeurMax = depth;
    stopped_ = false;
    lines_ = &lines;
    RechercherDans(searchStartDirectory(chosenDirectory));
    lines_ = nullptr;
    return NbTrouves;
}

void FileSearch::RechercherDans(const QString& dir)
{
    finder_.Attributs = faReadOnly | faHidden | faSysFile | faArchive;
    for (const QString& m : std::as_const(Masques)) {
        if (stopped_)
            return;
        finder_.Chemin = dir + m;
        if (letEventsRun)
            letEventsRun();
        if (stopped_)
            return;
        if (finder_.Chercher()) {
            lines_->append(finder_.Resultats);
            NbTrouves += int(finder_.Resultats.size() / 2);
            if (countChanged)
                countChanged(NbTrouves);
        }
    }
    if (Niveau >= ProfondeurMax || stopped_)
        return;
    // Of the subdirectory search (dir + "*.*", Attributs 16) only the directories count, and the
    // finder is reused below: a private list of them, read without the lines of the plain files.
    finder_.Attributs = faDirectory;
    const QStringList subdirectories = finder_.SousRepertoires(dir);
    for (const QString& name : std::as_const(subdirectories)) {
        if (stopped_)
            return;
        ++Niveau;
        RechercherDans(dir + name + QLatin1Char('/'));
        --Niveau;
    }
}
