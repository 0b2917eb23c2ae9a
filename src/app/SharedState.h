#pragma once
// The process-wide row positions and flags shared by the windows. One instance, reset by tests.

struct SharedState {
    int FirstRow = 1;        // number of title rows of the list, always 1
    int LastRow = 0;         // row of the last entry, 0 when the list is empty
    int CurrentRow = 1;      // row of the entry on show
    int MarkerRow = 1;       // row that Backspace returns to
    int TagMode = 1;         // column the digit keys write: 1 quality, 2 zone, 4 extra
    int DefaultTagMode = 1;  // TagMode restored by every move to another image
    int NormalStep = 1;      // rows moved by previous/next and by each slideshow tick
    bool Playing = false;    // the slideshow is running
    bool BatchRunning = false;  // stop flag of long passes, cleared by Escape and Space
    bool ListModified = false;  // the list changed since it was last opened, emptied or saved

    bool listIsEmpty() const { return LastRow == 0 || LastRow < FirstRow; }
};

SharedState& shared();
void resetSharedState();
