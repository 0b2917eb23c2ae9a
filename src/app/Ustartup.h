#pragma once
// The program's start-up and, for tests and benchmarks, its teardown.

class TFormCommande;

// Loads the settings, resets the tag mode and the step, creates the command window (which creates
// and places the view windows) and then the other windows, once each, in the program's order.
TFormCommande* startProgram();
// Destroys every window created by startProgram and puts the registries, the shared state and the
// live settings back to their initial state.
void stopProgram();
