#pragma once
// Prompts for tests: answers come from a queue, every text shown is recorded.
#include "platform/Prompts.h"

#include <deque>
#include <stdexcept>
#include <variant>
#include <vector>

class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Error, Confirm, Input, Open, Save, Color, Font, Dialog, Question, Choice };
    struct Shown {
        Kind kind;
        QString caption;  // input box caption, dialog title, file dialog caption
        QString text;     // message text, input prompt + text, filter
    };
    // Acts on the dialog while it is shown (set controls, click buttons). When the script leaves
    // the dialog open it is cancelled. exec() returns the dialog's result.
    using DialogScript = std::function<void(QDialog*)>;
    using Answer = std::variant<bool, std::optional<QString>, QStringList, std::optional<QColor>,
                                std::optional<QFont>, DialogScript, ::Choice>;

    // Queue answers in the order the program will ask for them.
    void answerConfirm(bool yes) { answers_.push_back(yes); }
    // OK (true) or Annuler (false) in a box of okCancel.
    void answerOkCancel(bool ok) { answers_.push_back(ok); }
    // A question box takes a yes/no answer like a confirmation.
    void answerQuestion(bool yes) { answers_.push_back(yes); }
    // The button pressed in a box of choice() (Oui, Oui pour Tous, Non, Annuler).
    void answerChoice(::Choice c) { answers_.push_back(c); }
    void answerInput(std::optional<QString> text) { answers_.push_back(text); }
    void answerOpen(QStringList files) { answers_.push_back(files); }
    void answerSave(std::optional<QString> name) { answers_.push_back(name); }
    void answerColor(std::optional<QColor> c) { answers_.push_back(c); }
    void answerFont(std::optional<QFont> f) { answers_.push_back(f); }
    void answerDialog(DialogScript script) { answers_.push_back(std::move(script)); }

    const std::vector<Shown>& shown() const { return shown_; }
    // The texts of message, error, confirmation, question and choice boxes, in order.
    QStringList messages() const;
    // Texts shown for inputs (the edit field's text each time the box came up).
    QStringList inputTexts() const;
    bool allAnswered() const { return answers_.empty(); }
    void clear() { shown_.clear(); answers_.clear(); }

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    bool okCancel(const QString& caption, const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    ::Choice choice(const QString& caption, const QString& text, bool yesToAll = false) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& text) override;
    QStringList openFiles(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    int exec(QDialog* dialog) override;

private:
    template <class T> T next(Kind kind, const char* what);
    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
};

// Thrown when the program asks something the test did not script.
struct UnscriptedPrompt : std::runtime_error {
    using std::runtime_error::runtime_error;
};
