#pragma once
// The list commands of the menus as user flows over the review: a dialog through Prompts, the change
// to the list document, the recount. No window is involved; the menu handlers call these.
// Reading and writing list files throw ProgramError; the handlers run them under runGuarded.
#include <QString>
#include <QStringList>

class ReviewController;

// What a command with a dialog came to.
enum class ListOutcome { Done, Cancelled };

class ListCommands {
public:
    explicit ListCommands(ReviewController& review) : review_(review) {}

    // "&Ouvrir Liste...": a list file replaces the list. The list counts as unmodified once a
    // file was chosen, also when it then cannot be read (the list is left emptied).
    ListOutcome Ouvrir();
    // "Ouvrir et Renommer...": the same, then every entry gets the list file's directory.
    ListOutcome OuvrirEtRenommer();
    // "&Enregistrer Liste...": the list is unmodified once its file is written.
    ListOutcome Enregistrer();
    // "&Nouvelle Liste..." (replace) and "&Ajouter à la Liste"; Cancelled when no file was chosen.
    ListOutcome AddFiles(bool replace);
    // "Enregistrer les Modifications de la Liste?" before a modified list is closed or replaced.
    // True when the caller may go on: the list was not modified, was written ("Oui"), or is given
    // up ("Non"). "Annuler", a cancelled save dialog or a failed write (its error shown) keep it.
    bool OfferToSave();
    // Appends one entry per file without recounting.
    void AppendFiles(const QStringList& paths);
    // "Coller le Presse papier": the clipboard picture saved as a BMP file and appended.
    void CollerPressePapier();
    // "Effacer": the marked entries leave the list (no file is touched).
    void Effacer();
    // "Vider la Liste" after its confirmation; Done when the list was emptied.
    ListOutcome Vider();
    // Empties the list without asking.
    void ClearList();
    // "Renuméroter".
    void Renumeroter();
    // "Modifier Répertoires...": every entry gets the chosen directory.
    void ModifierRepertoires(const QString& directory);

private:
    ReviewController& review_;
    QString openedPath_;
};

// The paths with each video (SER, AVI, ...) replaced by its frames, "dir/jupiter.ser#00001" onward;
// a video that cannot be read adds nothing and its message goes to errors.
QStringList withVideoFrames(const QStringList& paths, QStringList& errors);
