#include "convert/ConversionOutputs.h"

#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "platform/ShellFileOp.h"

#include <QFile>

#include <sys/stat.h>

namespace {

ConversionOutputs* g_current = nullptr;

// A dangling symbolic link counts as taken: writing there would create the file it names.
bool taken(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

ConversionOutputs* currentConversionOutputs() { return g_current; }

QString replaceQuestion(const QString& path)
{
    return QString::fromUtf8("Le fichier %1 existe déjà. Remplacer?").arg(path);
}

ConversionOutputs::ConversionOutputs() : previous_(g_current) { g_current = this; }

ConversionOutputs::~ConversionOutputs() { g_current = previous_; }

std::optional<QString> ConversionOutputs::claim(const QString& wanted)
{
    const QByteArray name = QFile::encodeName(wanted);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return wanted;  // free (or unreachable: the write will say why)
    // A link is judged by the file it names. What is not a file (a directory) is not asked about:
    // the write says why it cannot be made.
    const bool resolved = ::stat(name.constData(), &st) == 0;
    if (resolved && !S_ISREG(st.st_mode))
        return wanted;
    if (resolved && mine_.count({std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)})) {
        const QString dir = directoryPart(wanted);
        const QString file = namePart(wanted);
        for (int n = 2;; ++n) {
            const QString next = dir + numberedName(file, n);
            if (!taken(next))
                return next;
        }
    }
    if (replaceAll_)
        return wanted;
    switch (prompts().choice(QStringLiteral("Confirmation"), replaceQuestion(wanted), /*yesToAll*/ true)) {
    case Choice::YesToAll:
        replaceAll_ = true;
        return wanted;
    case Choice::Yes: return wanted;
    case Choice::No: return std::nullopt;
    case Choice::Cancel: break;
    }
    throw RunCancelled();
}

void ConversionOutputs::wrote(const QString& path)
{
    ++written_;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        mine_.insert({std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)});
}
