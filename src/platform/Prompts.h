#pragma once
// Every modal exchange with the user goes through Prompts, so that tests can script the answers
// and read back every text the program showed.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

// An open or save dialog. Filters use the program's "Description|*.a;*.b|..." form.
struct FileDialogRequest {
    QString caption;
    QString filter;
    QString directory;       // starting directory
    QString fileName;        // proposed name (save dialog)
    QString defaultSuffix;   // added by the save dialog to a name typed without one ("LST")
    bool multiSelect = false;
    bool mustExist = true;   // open dialog: the typed name must name an existing file
    bool confirmOverwrite = true;
};

// The answers of a box with more than two buttons.
enum class Choice { Yes, YesToAll, No, Cancel };

class Prompts {
public:
    virtual ~Prompts() = default;

    // Information box with an OK button.
    virtual void message(const QString& text) = 0;
    // The general error box for failures that end a command.
    virtual void error(const QString& text) = 0;
    // "Confirmation" box with "&Oui" / "&Non": true for Oui.
    virtual bool confirm(const QString& text) = 0;
    // A box titled caption with the buttons "OK" and "Annuler": true for OK.
    virtual bool okCancel(const QString& caption, const QString& text) = 0;
    // Question box with a caption of its own and the buttons "&Oui" / "&Non": true for Oui.
    virtual bool question(const QString& caption, const QString& text) = 0;
    // Question box with "&Oui", "&Non" and "Annuler" (Escape answers Annuler); with yesToAll, a
    // fourth button "Oui pour &Tous" between "&Oui" and "&Non".
    virtual Choice choice(const QString& caption, const QString& text, bool yesToAll = false) = 0;
    // Input box: the edited text, or nothing when cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& text) = 0;
    // Open dialog: the chosen files (empty when cancelled).
    virtual QStringList openFiles(const FileDialogRequest& request) = 0;
    // Save dialog: the chosen name, or nothing when cancelled.
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    // Runs one of the program's own dialogs modally and returns its result code
    // (QDialog::Accepted or QDialog::Rejected).
    virtual int exec(QDialog* dialog) = 0;
};

// The process-wide Prompts. Windows call prompts(); tests install a ScriptedPrompts.
Prompts& prompts();
// Installs p (not owned); nullptr restores the default set by setDefaultPrompts.
void setPrompts(Prompts* p);
void setDefaultPrompts(Prompts* p);
