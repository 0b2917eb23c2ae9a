// The directory chooser on real directories.
#include "search/Urepdialog.h"

#include "../list/QtPrinters.h"
#include "ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class RepDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPrompts(&sp);
        root = tmp.path();
    }
    void TearDown() override
    {
        EXPECT_TRUE(sp.allAnswered());
        setPrompts(nullptr);
    }
    // Names of the subdirectories shown under the current directory.
    static QStringList shownChildren(const TRepDialog& d)
    {
        QStringList out;
        if (QTreeWidgetItem* cur = d.DirectoryTree->currentItem())
            for (int i = 0; i < cur->childCount(); ++i)
                out << cur->child(i)->text(0);
        return out;
    }

    QTemporaryDir tmp;
    QString root;
    ScriptedPrompts sp;
};

TEST_F(RepDialogTest, StartsInTheCurrentDirectoryAndAnswersWithoutTrailingSlash)
{
    TRepDialog d;
    EXPECT_EQ(d.windowTitle(), "Choix d'un répertoire cible");
    EXPECT_EQ(d.RepertoireChoisi(), QDir::currentPath());

    struct Case {
        QString moveTo;
        QString chosen;
    };
    const Case cases[] = {
        {"/", "/"}, {root + "/", root}, {root, root}, {root + "/./", root}, {root + "/absent/deeper", root},
    };
    for (const Case& c : cases) {
        d.SetRepertoire(c.moveTo);
        EXPECT_EQ(d.RepertoireChoisi(), c.chosen) << c.moveTo.toStdString();
        EXPECT_EQ(d.PathEdit->text(), c.chosen);
    }
    ASSERT_GE(d.DriveList->count(), 1);
    EXPECT_GE(d.DriveList->findData("/"), 0);
}

TEST_F(RepDialogTest, NewSubdirectory)
{
    ASSERT_TRUE(QDir(root).mkdir("existe"));
    struct Case {
        std::optional<QString> typed;
        bool fails;
        QString endsIn;  // directory afterwards, relative to root
    };
    const Case cases[] = {
        {std::nullopt, false, ""},      // prompt cancelled
        {QString(), false, ""},         // empty name
        {"existe", true, ""},           // taken already
        {"manque/sous", true, ""},      // one level only
        {"Nouveau rép", false, "/Nouveau rép"},
    };
    TRepDialog d;
    for (const Case& c : cases) {
        d.SetRepertoire(root);
        sp.clear();
        sp.answerInput(c.typed);
        d.NewDirButton->click();
        EXPECT_EQ(sp.messages(), c.fails ? QStringList{"Impossible de créer le répertoire."} : QStringList{})
            << c.typed.value_or("(cancel)").toStdString();
        EXPECT_EQ(d.RepertoireChoisi(), root + c.endsIn);
    }
    ASSERT_EQ(sp.shown().size(), 1u);
    EXPECT_EQ(sp.shown()[0].caption, "Créer un nouveau sous-répertoire|Sous-répertoire :");
    EXPECT_EQ(sp.shown()[0].text, "");
    EXPECT_TRUE(QDir(root + "/Nouveau rép").exists());
    EXPECT_FALSE(QDir(root + "/manque").exists());
    EXPECT_EQ(d.NewDirButton->toolTip(), "Créer un sous-répertoire");
}

TEST_F(RepDialogTest, KeepsItsDirectoryAcrossUsesAndRereadsTheDisk)
{
    ASSERT_TRUE(QDir(root).mkpath("x/avant"));
    TRepDialog d;
    d.SetRepertoire(root + "/x");
    EXPECT_EQ(shownChildren(d), QStringList{"avant"});

    // First caller: moves into x by a double click on it, then cancels.
    d.SetRepertoire(root);
    sp.answerDialog([&](QDialog*) {
        QTreeWidgetItem* x = d.DirectoryTree->currentItem()->child(0);
        ASSERT_EQ(x->text(0), "x");
        emit d.DirectoryTree->itemDoubleClicked(x, 0);
        QApplication::processEvents();
        d.CancelButton->click();
    });
    EXPECT_EQ(sp.exec(&d), QDialog::Rejected);
    EXPECT_FALSE(d.Confirmed());
    EXPECT_EQ(d.RepertoireChoisi(), root + "/x");

    // Meanwhile directories come and go elsewhere.
    ASSERT_TRUE(QDir(root).mkpath("x/apres"));
    ASSERT_TRUE(QDir(root).rmdir("x/avant"));

    // Second caller: finds x again, read afresh, and confirms.
    QStringList seen;
    QString chosenAtShow;
    sp.answerDialog([&](QDialog*) {
        chosenAtShow = d.RepertoireChoisi();
        seen = shownChildren(d);
        d.OkButton->click();
    });
    EXPECT_EQ(sp.exec(&d), QDialog::Accepted);
    EXPECT_TRUE(d.Confirmed());
    EXPECT_EQ(chosenAtShow, root + "/x");
    EXPECT_EQ(seen, QStringList{"apres"});

    // The directory itself removed: the chooser falls back to its parent when shown.
    ASSERT_TRUE(QDir(root).rmdir("x/apres"));
    ASSERT_TRUE(QDir(root).rmdir("x"));
    sp.answerDialog([&](QDialog*) { chosenAtShow = d.RepertoireChoisi(); });
    EXPECT_EQ(sp.exec(&d), QDialog::Rejected);
    EXPECT_EQ(chosenAtShow, root);
}

TEST_F(RepDialogTest, ChoosingADriveMovesToItsRoot)
{
    TRepDialog d;
    d.SetRepertoire(root);
    const int i = d.DriveList->findData("/");
    ASSERT_GE(i, 0);
    d.DriveList->setCurrentIndex(i);
    emit d.DriveList->activated(i);
    EXPECT_EQ(d.RepertoireChoisi(), "/");
    EXPECT_EQ(d.DirectoryTree->topLevelItemCount(), 1);
    EXPECT_EQ(d.DirectoryTree->currentItem()->text(0), "/");
}

TEST_F(RepDialogTest, OkTakesTheHighlightedFolder)
{
    ASSERT_TRUE(QDir(root).mkpath("proj/sample"));
    ASSERT_TRUE(QDir(root).mkpath("proj/autre"));
    TRepDialog d;
    d.SetRepertoire(root + "/proj");
    struct Case {
        const char* what;
        const char* highlight;  // child of proj clicked, or nothing
        QString chosen;
    };
    const Case cases[] = {
        {"a subfolder highlighted", "sample", root + "/proj/sample"},
        {"nothing else highlighted", nullptr, root + "/proj"},
    };
    for (const Case& c : cases) {
        d.SetRepertoire(root + "/proj");
        sp.answerDialog([&](QDialog*) {
            QTreeWidgetItem* proj = d.DirectoryTree->currentItem();
            ASSERT_EQ(proj->text(0), "proj");
            if (c.highlight) {
                QTreeWidgetItem* child = nullptr;
                for (int i = 0; i < proj->childCount(); ++i)
                    if (proj->child(i)->text(0) == c.highlight)
                        child = proj->child(i);
                ASSERT_NE(child, nullptr);
                d.DirectoryTree->scrollToItem(child);
                const QRect r = d.DirectoryTree->visualItemRect(child);
                QTest::mouseClick(d.DirectoryTree->viewport(), Qt::LeftButton, {}, r.center());
                EXPECT_EQ(d.PathEdit->text(), c.chosen) << c.what;
            }
            d.OkButton->click();
        });
        EXPECT_EQ(sp.exec(&d), QDialog::Accepted) << c.what;
        EXPECT_EQ(d.RepertoireChoisi(), c.chosen) << c.what;
    }
}

TEST_F(RepDialogTest, EveryFolderOpensAndAPathCanBeTyped)
{
    for (const char* d : {"nuit10", "Nuit2", "nuit9"})
        ASSERT_TRUE(QDir(root).mkpath(QString("proj/") + d));
    ASSERT_TRUE(QDir(root).mkpath("proj/sample"));
    ASSERT_TRUE(QDir(root).mkpath("autre/profond/plus"));
    ASSERT_TRUE(QDir(root).mkpath("vide"));
    TRepDialog d;
    d.SetRepertoire(root + "/proj");

    // The chosen folder's subfolders in the search's name order.
    EXPECT_EQ(shownChildren(d), (QStringList{"Nuit2", "nuit9", "nuit10", "sample"}));
    // The root's other folders are there, closed, each with the sign that it may be opened.
    QTreeWidgetItem* proj = d.DirectoryTree->currentItem();
    QTreeWidgetItem* top = proj->parent();
    ASSERT_NE(top, nullptr);
    QHash<QString, QTreeWidgetItem*> siblings;
    for (int i = 0; i < top->childCount(); ++i)
        siblings.insert(top->child(i)->text(0), top->child(i));
    ASSERT_TRUE(siblings.contains("autre") && siblings.contains("vide"));
    QTreeWidgetItem* autre = siblings["autre"];
    EXPECT_FALSE(autre->isExpanded());
    EXPECT_EQ(autre->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    autre->setExpanded(true);
    ASSERT_EQ(autre->childCount(), 1);
    EXPECT_EQ(autre->child(0)->text(0), "profond");
    autre->child(0)->setExpanded(true);
    ASSERT_EQ(autre->child(0)->childCount(), 1);
    siblings["vide"]->setExpanded(true);
    EXPECT_EQ(siblings["vide"]->childCount(), 0);
    EXPECT_EQ(siblings["vide"]->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    EXPECT_EQ(d.RepertoireChoisi(), root + "/proj") << "opening a folder does not choose it";

    struct Case {
        QString typed;
        bool accepted;
        QString chosen;
    };
    const Case cases[] = {
        {root + "/autre/profond", true, root + "/autre/profond"},
        {"  " + root + "/autre/profond/plus/  ", true, root + "/autre/profond/plus"},
        {"sample", true, root + "/proj/sample"},  // from the chosen directory
        {root + "/absent", false, root + "/proj"},
    };
    for (const Case& c : cases) {
        d.SetRepertoire(root + "/proj");
        sp.clear();
        sp.answerDialog([&](QDialog*) {
            d.PathEdit->setText(c.typed);
            d.OkButton->click();
        });
        EXPECT_EQ(sp.exec(&d), c.accepted ? QDialog::Accepted : QDialog::Rejected) << c.typed.toStdString();
        EXPECT_EQ(d.RepertoireChoisi(), c.chosen) << c.typed.toStdString();
        EXPECT_EQ(sp.messages(), c.accepted ? QStringList{} : QStringList{"Le répertoire " + c.typed + " n'existe pas."});
    }

}

}  // namespace
