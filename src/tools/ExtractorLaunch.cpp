#include "tools/ExtractorLaunch.h"

#include "controller/ListCommands.h"
#include "controller/ReviewController.h"
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
    // The tool must get the list as it is on screen: a save cancelled cancels the start, since
    // frames it added to an older list file would be lost at the next save.
    if (review.ListModified() && ListCommands(review).Enregistrer() != ListOutcome::Done)
        return false;

    const QString list = programOptions().LastListFile;
    if (!QFileInfo(list).isFile()) {
        prompts().okCancel(QStringLiteral("Fichier Liste Introuvable"), QLatin1Char('"') + list + QLatin1Char('"'));
        return false;
    }
    if (optionsDialog && !extractorOptions().ExtractorDontAsk)
        prompts().exec(optionsDialog);
    const LaunchCommand command = extractorCommand(extractorOptions(), programOptions());
    if (!launcher().launchDetached(command)) {
        prompts().error(QString::fromUtf8("Impossible de Démarrer: \"") + command.program + QLatin1Char('"'));
        return false;
    }
    return true;
}
