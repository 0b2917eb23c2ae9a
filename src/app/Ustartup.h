#pragma once
// The program's start-up composition and, for tests and benchmarks, its teardown.

class ReviewController;
class TFormCommande;

// Loads the settings, creates the review, the command window, the view windows (list, slideshow,
// thumbnails, zones, in this order) and places them, then the other windows, once each, and
// connects the windows' requests to one another.
TFormCommande* startProgram();
// Destroys every window and the review created by startProgram and puts the registries and the
// live settings back to their initial state.
void stopProgram();

// The review of the started program.
ReviewController& programReview();
