#include "batch/BatchPass.h"

#include "list/ListModel.h"
#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "platform/SafeWrite.h"
#include "platform/ShellFileOp.h"
#include "video/FrameEntry.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace {
QString key(const QString& path) { return QDir::cleanPath(path); }

// How the closing message names the entries left of each kind: singular, plural.
struct LeftWords {
    const char* one;
    const char* many;
};
constexpr LeftWords kLeftWords[EntryFile::KindCount] = {
    {"", ""},
    {"fichier introuvable", "fichiers introuvables"},
    {"répertoire", "répertoires"},
    {"périphérique", "périphériques"},
    {"tube nommé", "tubes nommés"},
    {"socket", "sockets"},
    {"fichier spécial", "fichiers spéciaux"},
    {"", ""},
};

QString counted(int n, const char* one, const char* many)
{
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(n > 1 ? many : one);
}
}  // namespace

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

EntryFile checkEntryFile(const QString& path)
{
    EntryFile f;
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    // Links are followed: a link to an image is acted on (the link itself moves), a dangling one
    // names nothing.
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0) {
        const int err = p.isEmpty() ? ENOENT : errno;
        if (err == ENOENT || err == ENOTDIR) {
            f.kind = EntryFile::Missing;
        } else {
            f.kind = EntryFile::Unknown;
            f.error = err;
        }
        return f;
    }
    if (S_ISREG(st.st_mode))
        f.kind = EntryFile::Regular;
    else if (S_ISDIR(st.st_mode))
        f.kind = EntryFile::Folder;
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        f.kind = EntryFile::Device;
    else if (S_ISFIFO(st.st_mode))
        f.kind = EntryFile::Fifo;
    else if (S_ISSOCK(st.st_mode))
        f.kind = EntryFile::Socket;
    else
        f.kind = EntryFile::Other;
    return f;
}

bool namesVideoFrame(const QString& path) { return parseFrameEntry(namePart(path)).has_value(); }

void PassReport::leaveEntry(EntryFile::Kind kind) { ++left_[size_t(kind)]; }

int PassReport::leftCount() const
{
    int n = 0;
    for (int k : left_)
        n += k;
    return n;
}

bool PassReport::failed(const QString& path, int err, const QString& subject)
{
    const QString reason = fileReasonText(err != 0 ? err : EIO);
    if (failures_++ == 0)
        firstFailure_ = reason + QStringLiteral(" : ") + subject;
    if (yesToAll_)
        return true;
    const QString text = (subject == path ? reason : reason + QStringLiteral(" : ") + subject)
        + QStringLiteral("\nVoulez-vous Continuer?");
    switch (ask_.choice(QStringLiteral("Impossible de Traiter le Fichier: ") + path, text, true)) {
    case Choice::YesToAll:
        yesToAll_ = true;
        return true;
    case Choice::Yes:
        return true;
    case Choice::No:
    case Choice::Cancel:
        break;
    }
    return false;
}

bool PassReport::treats(const QString& path, bool& goOn)
{
    // A frame lives inside its video: trashing or moving "the file" would be the whole video's
    // business, or, with the video gone, that of a stranger bearing the frame's name.
    if (namesVideoFrame(path)) {
        if (frameEntryIn(directoryPart(path), namePart(path)))
            ++frames_;
        else
            leaveEntry(EntryFile::Missing);
        return false;
    }
    const EntryFile f = checkEntryFile(path);
    if (f.kind == EntryFile::Unknown)
        goOn = failed(path, f.error, path);
    else if (f.kind != EntryFile::Regular)
        leaveEntry(f.kind);
    return f.kind == EntryFile::Regular;
}

QString PassReport::closing(int count, const char* ending) const
{
    QString text = passDoneMessage(count, ending);
    if (failures_ > 0) {
        text += QLatin1Char('\n') + QString::number(failures_)
            + QString::fromUtf8(failures_ > 1 ? " Échecs, le premier : " : " Échec : ") + firstFailure_;
    }
    if (const int n = leftCount()) {
        QStringList why;
        for (int k = 0; k < EntryFile::KindCount; ++k)
            if (left_[size_t(k)] > 0)
                why << counted(left_[size_t(k)], kLeftWords[k].one, kLeftWords[k].many);
        text += QLatin1Char('\n') + counted(n, "Entrée Laissée", "Entrées Laissées") + QStringLiteral(" : ")
            + why.join(QStringLiteral(", "));
    }
    if (frames_ > 0)
        text += QLatin1Char('\n') + counted(frames_, "image de vidéo non traitée", "images de vidéo non traitées");
    return text;
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
