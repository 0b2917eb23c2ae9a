#pragma once
// "Renommer / Déplacer...": the listed files get the base name and their four-digit position, and
// may move into the target directory at the same time.
#include <QString>

class Prompts;
class ReviewController;
class ShellFileOp;

// The new name of the entry at position (1 for the first entry): base + "%4.4d" of the position +
// the name's extension taken from its first "." ("x.1.bmp" at 5 gives "Image0005.1.bmp").
QString batchFileName(const QString& base, int position, const QString& name);

// Runs the rename/move after its options dialog; confirmed tells whether it ended with "Ok".
// Without it, or with neither renaming nor moving chosen: "Pas de Nom Valide" and nothing else.
// Entries that name no regular file, and frames of videos, are left; a file that cannot be
// processed asks whether to go on. Each processed entry names the file where it now is. Stops
// before the next entry on the stop keys (or "Non"); reports the count, the failures and the
// entries left. Returns how many files were processed.
int renameAndMove(ReviewController& review, ShellFileOp& ops, Prompts& ask, bool confirmed);
