#pragma once
// "Vidsplit...": the current list file handed to the companion frame extractor vidsplit, which is
// started apart from the program and never waited on; what it does with the list is its own affair.
#include "platform/Launcher.h"

#include <QString>

class QDialog;
class ReviewController;
struct ExtractorOptions;
struct ProgramOptions;

// The extractor's file name in its directory.
extern const char* const kExtractorName;  // "vidsplit"

// The directory typed in "Options Batch" as it is stored: cut to 255 characters, a "/" appended
// when it does not end with one, cut to 255 again (so an empty text gives "/").
QString extractorDirectoryFromText(const QString& text);

// The program file: ExtractorDirectory + "vidsplit", made absolute against the current directory.
// With the default directory "/" and no /vidsplit there, the vidsplit beside this program.
QString extractorProgram(const ExtractorOptions& options);

// The whole start: the program, the arguments "/VELMORAN" and the list file (one argument, spaces
// and all, made absolute so that the tool finds it from its own working directory), and
// LastImageDirectory as the working directory.
LaunchCommand extractorCommand(const ExtractorOptions& extractor, const ProgramOptions& program);

// The menu command. A modified list is saved first through "&Enregistrer Liste..." (a cancelled
// save dialog ends the command, a failed write ends it with its error). When no file exists at
// LastListFile, the box "Fichier Liste Introuvable" shows the path in double quotes and nothing is
// started, whichever button is pressed. Unless "Ne pas redemander" is set, optionsDialog is shown
// first; the start follows whatever it ended with. A tool that cannot be started is reported with
// its path ("Impossible de Démarrer: "). True when the tool was started.
bool LancerVidsplit(ReviewController& review, QDialog* optionsDialog);
