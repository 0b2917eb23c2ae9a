// Every file dialog of the program: its filter, as Qt's file dialog reads it, lists the files meant.
#include "../app/ProgramFixture.h"
#include "platform/QtPrompts.h"
#include "search/Urec.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QRegularExpression>

namespace {

// Cancels every question, lets a modified list be replaced unsaved, and keeps the filter of every
// open and save dialog.
class FilterRecorder : public CancellingPrompts {
public:
    QStringList filters;
    Choice choice(const QString& c, const QString& t, bool all) override
    {
        CancellingPrompts::choice(c, t, all);
        return Choice::No;
    }
    QStringList openFiles(const FileDialogRequest& r) override
    {
        filters << r.filter;
        return CancellingPrompts::openFiles(r);
    }
    std::optional<QString> saveFile(const FileDialogRequest& r) override
    {
        filters << r.filter;
        return CancellingPrompts::saveFile(r);
    }
};

class FileFiltersTest : public ProgramTest {};

TEST_F(FileFiltersTest, EveryFilterOfTheProgramGivesQtTheFilesItNames)
{
    FilterRecorder recorder;
    setPrompts(&recorder);
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB888));
    const char* const commands[] = {"Fichier_NouvelleListe",    "Fichier_OuvrirListe",     "Fichier_OuvriretRenommer",
                                    "Fichier_EnregistrerListe", "Edition_AjouteralaListe", "Edition_CollerlePressepapier"};
    for (const char* c : commands) {
        QAction* a = commande->MenuAction(QString::fromUtf8(c));
        ASSERT_NE(a, nullptr) << c;
        a->trigger();
    }
    appWindows().Rec->OuvrirClick();
    appWindows().Rec->EnregistrersousClick();
    setPrompts(&scripted);
    ASSERT_EQ(recorder.filters.size(), 8) << recorder.filters.join(" / ").toStdString();

    // A pattern names files: "*", or "*." and an extension.
    static const QRegularExpression filePattern(QStringLiteral("^\\*(\\.[A-Za-z0-9*]+)?$"));
    for (const QString& filter : std::as_const(recorder.filters)) {
        if (filter.isEmpty())
            continue;  // no filter: Qt shows every file
        const QStringList parts = filter.split('|');
        ASSERT_EQ(parts.size() % 2, 0) << filter.toStdString();
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilter(qtFilterFromProgramFilter(filter));
        const QStringList shown = dialog.nameFilters();
        ASSERT_EQ(shown.size(), parts.size() / 2) << filter.toStdString();
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QStringList meant;
            for (const QString& p : parts[2 * i + 1].split(';', Qt::SkipEmptyParts))
                meant << p.trimmed();
            for (const QString& p : std::as_const(meant))
                EXPECT_TRUE(filePattern.match(p).hasMatch()) << "pattern " << p.toStdString() << " of " << filter.toStdString();
            dialog.selectNameFilter(shown[i]);
            EXPECT_EQ(model->nameFilters(), meant) << shown[i].toStdString();
        }
    }
}

}  // namespace
