// The window "Vidsplit" over real files, with scripted prompts.
#include "VidsplitFixture.h"

#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "list/ListFile.h"
#include "search/Urepdialog.h"
#include "vidsplit/Uvidsplit.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class VidsplitWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPrompts(&sp);
        SerVideo s;
        s.frames = 5;
        s.width = 40;
        s.height = 30;
        s.sample = [](int f, int x, int y, int) { return unsigned(x * 6 + y + f); };
        ASSERT_TRUE(writeAll(tmp.filePath("lune.ser"), serBytes(s)));
        writeListFile(tmp.filePath("liste.lst"), {});  // as the program saves an empty list
    }
    void TearDown() override
    {
        EXPECT_TRUE(sp.allAnswered());
        setPrompts(nullptr);
    }

    ScriptedPrompts sp;
    QTemporaryDir tmp;
};

}  // namespace

TEST_F(VidsplitWindow, ExtractsIntoTheListItWasStartedWith)
{
    TFormVidsplit w(tmp.filePath("liste.lst"));
    EXPECT_EQ(w.windowTitle(), "Vidsplit");
    EXPECT_EQ(w.DirectoryEdit->text(), QDir::currentPath());  // where the program started it
    EXPECT_EQ(w.ListLabel->text(), tmp.filePath("liste.lst"));

    sp.answerOpen({tmp.filePath("lune.ser")});
    w.VideoBrowseButton->click();
    EXPECT_EQ(w.VideoEdit->text(), tmp.filePath("lune.ser"));
    ASSERT_FALSE(w.Preview->pixmap().isNull());

    QDir(tmp.path()).mkdir("images");
    sp.answerDialog([&](QDialog* d) {
        auto* chooser = qobject_cast<TRepDialog*>(d);
        ASSERT_NE(chooser, nullptr);
        chooser->SetRepertoire(tmp.filePath("images"));
        chooser->OkButton->click();
    });
    w.DirectoryBrowseButton->click();
    EXPECT_EQ(w.DirectoryEdit->text(), tmp.filePath("images"));

    w.FirstSpin->setValue(2);
    w.CountSpin->setValue(3);
    w.ExtraireButton->click();
    EXPECT_EQ(sp.messages(), QStringList({QString::fromUtf8("Traitement Terminé: 3 Fichiers Traités")}));
    const std::vector<ListEntry> entries = readListFile(tmp.filePath("liste.lst"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].directory, tmp.filePath("images/"));
    EXPECT_EQ(entries[0].name, "lune_00002.bmp");
    EXPECT_EQ(entries[2].name, "lune_00004.bmp");
}

TEST_F(VidsplitWindow, EscapeStopsAndTheFramesWrittenStayListed)
{
    TFormVidsplit w(tmp.filePath("liste.lst"));
    w.VideoEdit->setText(tmp.filePath("lune.ser"));
    w.DirectoryEdit->setText(tmp.path());
    // Escape waits in the queue; the first pause for events after a frame delivers it.
    QTest::qWait(20);
    QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w.ExtraireButton->click();
    EXPECT_TRUE(w.lastResult().stopped);
    EXPECT_EQ(w.lastResult().written, 1);
    EXPECT_EQ(sp.messages(), QStringList({QString::fromUtf8("Traitement Terminé: 1 Fichiers Traités")}));
    EXPECT_EQ(readListFile(tmp.filePath("liste.lst")).size(), 1u);
    EXPECT_TRUE(w.ExtraireButton->isEnabled());
    EXPECT_FALSE(w.ArreterButton->isEnabled());
}

TEST_F(VidsplitWindow, ProblemsAreShownInOneErrorBox)
{
    TFormVidsplit w({});
    ASSERT_TRUE(writeAll(tmp.filePath("vide.ser"), {}));
    w.VideoEdit->setText(tmp.filePath("vide.ser"));
    w.DirectoryEdit->setText(tmp.path());
    w.UpdatePreview();
    EXPECT_EQ(w.Preview->text(), tmp.filePath("vide.ser") + " : fichier vide");
    w.ExtraireButton->click();
    EXPECT_EQ(sp.messages(), QStringList({tmp.filePath("vide.ser") + QString::fromUtf8(" : fichier vide\nTraitement Terminé: 0 Fichiers Traités")}));
}
