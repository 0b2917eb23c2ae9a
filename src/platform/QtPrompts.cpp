#include "platform/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
QWidget* parentWidget() { return QApplication::activeWindow(); }
QString appTitle() { return QStringLiteral("Velmoran"); }

// A box with two buttons, the first one the default; true when the first was pressed.
bool twoButtons(QMessageBox::Icon icon, const QString& caption, const QString& text, const QString& first,
                QMessageBox::ButtonRole firstRole, const QString& second, QMessageBox::ButtonRole secondRole)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parentWidget());
    QPushButton* chosen = box.addButton(first, firstRole);
    box.addButton(second, secondRole);
    box.setDefaultButton(chosen);
    box.exec();
    return box.clickedButton() == chosen;
}
}

QString qtFilterFromProgramFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString desc = parts[i];
        desc.replace('(', '[').replace(')', ']');
        out << QStringLiteral("%1 (%2)").arg(desc, patterns.simplified());
    }
    return out.join(QStringLiteral(";;"));
}

void QtPrompts::message(const QString& text)
{
    QMessageBox::information(parentWidget(), appTitle(), text);
}

void QtPrompts::error(const QString& text)
{
    QMessageBox::critical(parentWidget(), appTitle(), text);
}

bool QtPrompts::confirm(const QString& text) { return question(QStringLiteral("Confirmation"), text); }

bool QtPrompts::question(const QString& caption, const QString& text)
{
    return twoButtons(QMessageBox::Question, caption, text, QStringLiteral("&Oui"),
                      QMessageBox::YesRole, QStringLiteral("&Non"), QMessageBox::NoRole);
}

bool QtPrompts::okCancel(const QString& caption, const QString& text)
{
    return twoButtons(QMessageBox::NoIcon, caption, text, QStringLiteral("OK"),
                      QMessageBox::AcceptRole, QStringLiteral("Annuler"), QMessageBox::RejectRole);
}

Choice QtPrompts::choice(const QString& caption, const QString& text, bool yesToAll)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parentWidget());
    QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton* all = yesToAll ? box.addButton(QStringLiteral("Oui pour &Tous"), QMessageBox::YesRole) : nullptr;
    QPushButton* no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == yes)
        return Choice::Yes;
    if (all && clicked == all)
        return Choice::YesToAll;
    if (clicked == no)
        return Choice::No;
    return Choice::Cancel;  // Annuler, Escape, or the box closed by its frame
}

std::optional<QString> QtPrompts::inputBox(const QString& caption, const QString& prompt,
                                           const QString& text)
{
    bool ok = false;
    QString r = QInputDialog::getText(parentWidget(), caption, prompt, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return r;
}

QStringList QtPrompts::openFiles(const FileDialogRequest& r)
{
    QFileDialog dlg(parentWidget(), r.caption, r.directory, qtFilterFromProgramFilter(r.filter));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that need not exist rules out picking several files: Qt offers one or the other.
    if (!r.mustExist)
        dlg.setFileMode(QFileDialog::AnyFile);
    else
        dlg.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles();
}

std::optional<QString> QtPrompts::saveFile(const FileDialogRequest& r)
{
    QFileDialog dlg(parentWidget(), r.caption, r.directory, qtFilterFromProgramFilter(r.filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    if (!r.defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(r.defaultSuffix);
    if (!r.confirmOverwrite)
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (!r.fileName.isEmpty())
        dlg.selectFile(r.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QColor> QtPrompts::chooseColor(const QColor& initial)
{
    QColor c = QColorDialog::getColor(initial, parentWidget());
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> QtPrompts::chooseFont(const QFont& initial)
{
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, initial, parentWidget());
    if (!ok)
        return std::nullopt;
    return f;
}

int QtPrompts::exec(QDialog* dialog) { return dialog->exec(); }
