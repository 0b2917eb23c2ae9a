#include "ScriptedPrompts.h"

#include <QApplication>
#include <QDialog>

template <class T> T ScriptedPrompts::next(Kind, const char* what)
{
    if (answers_.empty())
        throw UnscriptedPrompt(std::string("no scripted answer for ") + what);
    Answer a = std::move(answers_.front());
    answers_.pop_front();
    if (!std::holds_alternative<T>(a))
        throw UnscriptedPrompt(std::string("next scripted answer is not for ") + what);
    return std::get<T>(std::move(a));
}

QStringList ScriptedPrompts::messages() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Message || s.kind == Kind::Error || s.kind == Kind::Confirm || s.kind == Kind::Question
            || s.kind == Kind::Choice)
            out << s.text;
    return out;
}

QStringList ScriptedPrompts::inputTexts() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Input)
            out << s.text;
    return out;
}

void ScriptedPrompts::message(const QString& text) { shown_.push_back({Kind::Message, {}, text}); }
void ScriptedPrompts::error(const QString& text) { shown_.push_back({Kind::Error, {}, text}); }

bool ScriptedPrompts::confirm(const QString& text)
{
    shown_.push_back({Kind::Confirm, "Confirmation", text});
    return next<bool>(Kind::Confirm, "a confirmation");
}

bool ScriptedPrompts::okCancel(const QString& caption, const QString& text)
{
    shown_.push_back({Kind::Message, caption, text});
    return next<bool>(Kind::Message, "an OK/Annuler box");
}

bool ScriptedPrompts::question(const QString& caption, const QString& text)
{
    shown_.push_back({Kind::Question, caption, text});
    return next<bool>(Kind::Question, "a question box");
}

::Choice ScriptedPrompts::choice(const QString& caption, const QString& text, bool)
{
    shown_.push_back({Kind::Choice, caption, text});
    return next<::Choice>(Kind::Choice, "a box of choice");
}

std::optional<QString> ScriptedPrompts::inputBox(const QString& caption, const QString& prompt,
                                                 const QString& text)
{
    shown_.push_back({Kind::Input, caption + "|" + prompt, text});
    return next<std::optional<QString>>(Kind::Input, "an input box");
}

QStringList ScriptedPrompts::openFiles(const FileDialogRequest& r)
{
    shown_.push_back({Kind::Open, r.caption, r.filter});
    return next<QStringList>(Kind::Open, "an open dialog");
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialogRequest& r)
{
    shown_.push_back({Kind::Save, r.caption, r.filter});
    return next<std::optional<QString>>(Kind::Save, "a save dialog");
}

std::optional<QColor> ScriptedPrompts::chooseColor(const QColor&)
{
    shown_.push_back({Kind::Color, {}, {}});
    return next<std::optional<QColor>>(Kind::Color, "a colour dialog");
}

std::optional<QFont> ScriptedPrompts::chooseFont(const QFont&)
{
    shown_.push_back({Kind::Font, {}, {}});
    return next<std::optional<QFont>>(Kind::Font, "a font dialog");
}

int ScriptedPrompts::exec(QDialog* dialog)
{
    shown_.push_back({Kind::Dialog, {}, {}});
    shown_.back().caption = dialog->windowTitle();
    DialogScript script = next<DialogScript>(Kind::Dialog, "a modal dialog");
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    QApplication::processEvents();
    script(dialog);
    if (dialog->isVisible())
        dialog->reject();
    return dialog->result();
}
