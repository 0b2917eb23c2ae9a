#pragma once
// The one directory chooser that every window asking for a target directory shares, as those
// windows need it: where it stands, and a modal choice. The chooser window implements it and the
// start-up hands it to the windows that use it, so that they need not know that window.
#include <QString>

class DirectoryChooser {
public:
    virtual ~DirectoryChooser() = default;
    // The directory in the chooser: a full path ending with "/" only at the root.
    virtual QString RepertoireChoisi() const = 0;
    // Moves the chooser to dir (or, when it is gone, to its nearest existing ancestor).
    virtual void SetRepertoire(const QString& dir) = 0;
    // Shows the chooser modally (through Prompts); true when it was closed with "OK". Either way
    // it stays where the user went.
    virtual bool Choisir() = 0;
};

// The program's chooser (set by the start-up; tests set their own), nullptr when there is none.
DirectoryChooser* directoryChooser();
void setDirectoryChooser(DirectoryChooser* chooser);
