// "Rechercher Images..." hands the files found and chosen in the search window to the list.
#include "ProgramFixture.h"
#include "list/ListModel.h"
#include "review/UDiapo.h"
#include "search/Urec.h"
#include "search/Urepdialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

using SearchMenuTest = ProgramTest;

TEST_F(SearchMenuTest, FilesChosenInTheSearchWindowJoinTheListAfterItsEntries)
{
    QTemporaryDir dir;
    QStringList files;
    for (const char* name : {"a.bmp", "b.bmp", "notes.txt"}) {
        files << dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(name[0] == 'n' ? writeAll(files.back(), "texte") : writeTestImage(files.back(), 12, 9));
    }
    review().document().appendFiles({files[0]});
    review().Recount();
    appWindows().RepDialog->SetRepertoire(dir.path());
    programOptions().DefaultScore = '1';

    TFormRec* rec = appWindows().Rec;
    scripted.answerDialog([rec](QDialog*) {
        rec->FilterBox->setEditText("*.bmp");
        rec->SearchButton->click();
        rec->OkButton->click();  // no row clicked: every file found
    });
    scripted.answerDialog([](QDialog* d) { d->findChild<QPushButton*>("BitBtnAnnuler")->click(); });
    commande->MenuAction("Edition_RechercherImages")->trigger();
    EXPECT_TRUE(scripted.allAnswered());

    const ListModel& m = review().model();
    ASSERT_EQ(review().LastRow(), 3);
    EXPECT_EQ(m.cell(ListModel::ColName, 2), "a.bmp");
    EXPECT_EQ(m.cell(ListModel::ColName, 3), "b.bmp");
    EXPECT_EQ(m.cell(ListModel::ColNumber, 3), "0002");
    EXPECT_EQ(m.cell(ListModel::ColQuality, 3), "1");
    EXPECT_EQ(m.cell(ListModel::ColZone, 3), " ");
    EXPECT_EQ(review().EntryPath(3), files[1]);
    EXPECT_TRUE(review().ListModified());
    EXPECT_EQ(appWindows().Diapo->windowTitle(), files[0]) << "the first entry is on show";

    // "Annuler" adds nothing.
    scripted.answerDialog([rec](QDialog*) { rec->CancelButton->click(); });
    scripted.answerDialog([](QDialog* d) { d->findChild<QPushButton*>("BitBtnAnnuler")->click(); });
    commande->MenuAction("Edition_RechercherImages")->trigger();
    EXPECT_EQ(review().LastRow(), 3);
}
