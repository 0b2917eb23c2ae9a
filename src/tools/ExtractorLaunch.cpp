#include "tools/ExtractorLaunch.h"

#include "app/ListCommands.h"
#include "app/ReviewController.h"
#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "settings/Options.h"

#include <QFileInfo>

const char* const kExtractorName = "vidsplit";

namespace {
constexpr int kDirectoryLength = 255;
}

QString extractorDirectoryFromText(const QString& text)
{
    QString dir = text.left(kDirectoryLength);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir.left(kDirectoryLength);
}

QString extractorProgram(const ExtractorOptions& options)
{
    const QString name = QString::fromLatin1(kExtractorName);
    // A directory cut at 255 characters may have lost its "/": the name must not run into it.
    const QString dir = withTrailingSlash(options.ExtractorDirectory);
    if (dir == QLatin1String("/") && !QFileInfo::exists(dir + name))
        return executableDirectory() + name;
    return QFileInfo(dir + name).absoluteFilePath();
}

LaunchCommand extractorCommand(const ExtractorOptions& extractor, const ProgramOptions& program)
{
    LaunchCommand c;
    c.program = extractorProgram(extractor);
    c.arguments = {QStringLiteral("/VELMORAN"), QFileInfo(program.LastListFile).absoluteFilePath()};
    c.workingDirectory = program.LastImageDirectory;
    return c;
}

bool LancerVidsplit(ReviewController& review, QDialog* optionsDialog)
{
    if (review.ListModified())
        ListCommands(review).Enregistrer();

    const QString list = programOptions().LastListFile;
    if (!QFileInfo(list).isFile()) {
        prompts().okCancel(QStringLiteral("Fichier Liste Introuvable"), QLatin1Char('"') + list + QLatin1Char('"'));
        return false;
    }
    if (optionsDialog && !extractorOptions().ExtractorDontAsk)
        prompts().exec(optionsDialog);
    launcher().launchDetached(extractorCommand(extractorOptions(), programOptions()));
    return true;
}
