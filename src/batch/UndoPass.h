#pragma once
// "Annuler le Dernier Traitement": the last batch pass that is not undone yet is undone from its
// journal, in reverse order.
class Prompts;
class ReviewController;
class ShellFileOp;

// After a confirmation that names the pass, moves and renames go back to their old names and
// trashed files come back from the trash, never overwriting (a name taken since gives the first
// free "name (2).ext", and the message says so); Zone folders the pass made go when they are
// empty again. Entries of the list that name a file put back are pointed at it again, and the
// entries a trash pass took out of the list come back at their rows with their tags while the
// list is still the one it ran on (the list is then marked modified). A file found neither where
// the pass put it nor back at its old place is counted as not put back, with the first reason.
// Stopped by the stop keys, the undo can be finished by a second one. Returns how many files
// were put back.
int undoLastPass(ReviewController& review, ShellFileOp& ops, Prompts& ask);
