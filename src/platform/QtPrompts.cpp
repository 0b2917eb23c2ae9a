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
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parentWidget());
    QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

bool QtPrompts::okCancel(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parentWidget());
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
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
