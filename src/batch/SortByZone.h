#pragma once
// "Trier par zône dans sous Répertoire": each listed file that has a zone moves into the folder
// "Zone" + its zone number, beside it or under the chosen base directory.
class Prompts;
class ReviewController;
class ShellFileOp;

// Runs the sort after its options dialog; confirmed tells whether the dialog ended with "Ok" (only
// then may the base directory of the options be used). Entries without a zone are skipped; a zone
// that is not an integer stops the run with the integer message (ProgramError), the entries moved
// so far staying moved. Each moved entry names the file where it now is. Entries that name no
// regular file, and frames of videos, are left; a file that cannot be moved asks whether to go on.
// Stops before the next entry on the stop keys (or "Non"); reports the count, the failures and the
// entries left. Returns how many files were moved.
int sortByZone(ReviewController& review, ShellFileOp& ops, Prompts& ask, bool confirmed);
