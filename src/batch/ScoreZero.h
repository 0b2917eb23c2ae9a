#pragma once
// "Supprimer Fichiers Scores 0...": every listed file whose score is exactly "0" goes to the trash,
// and the list is rebuilt from the other entries.
class Prompts;
class ReviewController;
class ShellFileOp;

// After the confirmation (and a second one when every entry is scored 0), sends each score-0 file
// to the trash, then rebuilds the list from the kept entries, unmarked and renumbered, recounts and
// reports. Entries that name no regular file, and frames of videos, are left (kept in the list); a
// file that cannot be trashed keeps its entry and asks whether to go on. The stop keys (or "Non")
// end the trashing before the next entry: the list then loses the entries of the files already
// trashed only, the others keeping their marks. Returns how many files went to the trash.
int deleteScoreZero(ReviewController& review, ShellFileOp& ops, Prompts& ask);
