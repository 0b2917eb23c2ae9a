#pragma once
// "Supprimer Fichiers Scores 0...": every listed file whose score is exactly "0" goes to the trash,
// and the list is rebuilt from the other entries.
class Prompts;
class ReviewController;
class ShellFileOp;

// After the confirmation, sends each score-0 file to the trash (a file that cannot be trashed keeps
// its entry), then rebuilds the list from the kept entries, unmarked and renumbered, recounts and
// reports. The stop keys do not stop the trashing; they only leave the list as it was (its entries
// of trashed files included) and skip the message. Returns how many files went to the trash.
int deleteScoreZero(ReviewController& review, ShellFileOp& ops, Prompts& ask);
