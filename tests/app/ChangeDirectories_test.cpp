// "Modifier Répertoires..." gives every entry the directory chosen in the directory chooser.
#include "ProgramFixture.h"
#include "list/ListModel.h"
#include "search/Urepdialog.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

using ChangeDirectoriesTest = ProgramTest;

TEST_F(ChangeDirectoriesTest, EveryEntryTakesTheChosenDirectoryOnlyWhenConfirmed)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + "/";
    review().document().appendFiles({dir + "a", dir + "b"});
    review().Recount();
    ASSERT_TRUE(QDir(dir).mkpath("NEW"));
    TRepDialog* chooser = appWindows().RepDialog;

    struct Case {
        QString moveTo;
        bool ok;
        QString expected;
    };
    const Case cases[] = {{dir + "NEW", false, dir}, {dir + "NEW", true, dir + "NEW/"}, {"/", true, "/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        scripted.answerDialog([&](QDialog*) {
            chooser->SetRepertoire(c.moveTo);
            (c.ok ? chooser->OkButton : chooser->CancelButton)->click();
        });
        commande->MenuAction("Edition_ModifierRepertoires")->trigger();
        for (int row = 1; row <= 2; ++row)
            EXPECT_EQ(review().model().cell(ListModel::ColDirectory, row), c.expected);
        EXPECT_EQ(review().model().cell(ListModel::ColName, 2), "b");
    }
    EXPECT_TRUE(scripted.allAnswered());
}
