#pragma once
#include "platform/Prompts.h"

// The real dialogs of the program.
class QtPrompts : public Prompts {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    bool okCancel(const QString& caption, const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    Choice choice(const QString& caption, const QString& text, bool yesToAll = false) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& text) override;
    QStringList openFiles(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    int exec(QDialog* dialog) override;
};

// "Desc|*.a;*.b|Desc2|*.c" to Qt's "Desc (*.a *.b);;Desc2 (*.c)".
QString qtFilterFromProgramFilter(const QString& filter);
