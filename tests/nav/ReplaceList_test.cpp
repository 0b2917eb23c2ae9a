// Replacing or closing a list: the offer to save a modified one first, what goes with the old
// list, and the thumbnail options asked only when a list came and the user wants the question.
#include "NavFixture.h"
#include "list/ListDocument.h"

#include <QAction>

namespace {

class ReplaceListTest : public NavTest {
protected:
    void SetUp() override
    {
        NavTest::SetUp();
        desktopOptions().AutoSaveDesktop = false;
        desktopOptions().ShowThumbnails = false;
    }
    // A list file of the given pictures, written by the program's own writer.
    QString listFile(const QString& name, const QStringList& paths)
    {
        ListDocument doc;
        doc.appendFiles(paths);
        const QString path = dir.filePath(name);
        doc.writeTo(path);
        return path;
    }
    QString picture(const QString& name)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeTestImage(path, 30, 20));
        return path;
    }
    void menu(const char* name) { commande->MenuAction(QString::fromUtf8(name))->trigger(); }
};

// Each command that replaces the list, by each answer to "Enregistrer les Modifications de la
// Liste?": the list is kept by "Annuler" and by a save that did not happen; otherwise the command
// goes on. (Closing is checked in ReviewSafety_test.)
TEST_F(ReplaceListTest, AModifiedListIsOfferedForSavingBeforeItIsReplaced)
{
    struct Answer {
        const char* what;
        Choice choice;
        const char* saveAs;  // nullptr: no save asked; "": the save dialog cancelled
        bool goesOn;
    };
    const Answer answers[] = {
        {"Annuler", Choice::Cancel, nullptr, false},
        {"Oui, save dialog cancelled", Choice::Yes, "", false},
        {"Oui, save that fails", Choice::Yes, "absent/sous/liste.LST", false},
        {"Oui, saved", Choice::Yes, "sauvee.LST", true},
        {"Non", Choice::No, nullptr, true},
    };
    for (const char* command : {"Fichier_OuvrirListe", "Fichier_NouvelleListe", "Fichier_OuvriretRenommer"}) {
        for (const Answer& a : answers) {
            SCOPED_TRACE(std::string(command) + " / " + a.what);
            restart();
            desktopOptions().AutoSaveDesktop = false;
            desktopOptions().ShowThumbnails = false;
            const QStringList mine = fill(3, 3);
            key(grid(), Qt::Key_1, Qt::ShiftModifier);
            const QString other = picture(QStringLiteral("autre.bmp"));
            QFile::remove(dir.filePath("sauvee.LST"));

            scripted.clear();
            scripted.answerChoice(a.choice);
            if (a.saveAs)
                scripted.answerSave(*a.saveAs ? std::optional<QString>(dir.filePath(a.saveAs)) : std::nullopt);
            if (a.goesOn)
                scripted.answerOpen({QString(command) == "Fichier_NouvelleListe" ? other : listFile("autre.LST", {other})});
            menu(command);

            EXPECT_TRUE(scripted.allAnswered());
            ASSERT_FALSE(scripted.shown().empty());
            EXPECT_EQ(scripted.shown()[0].text, "Enregistrer les Modifications de la Liste?");
            EXPECT_EQ(QFile::exists(dir.filePath("sauvee.LST")), a.goesOn && a.saveAs);
            EXPECT_EQ(review().EntryPath(1), a.goesOn ? other : mine[0]);
            if (!a.goesOn) {
                EXPECT_EQ(quality(1), "1");
                EXPECT_TRUE(review().ListModified()) << "the tags are still to be saved";
            }
        }
    }
}

// Nothing of the list that went stays on show: references, markers, the tag label, the list
// window's caption left by a conversion.
TEST_F(ReplaceListTest, NothingOfAReplacedListStays)
{
    struct How {
        const char* menu;
        bool emptied;  // else a new list of one picture
    };
    for (const How how : {How{"Fichier_OuvrirListe", false}, How{"Edition_ViderlaListe", true}, How{"Fichier_NouvelleListe", false}}) {
        SCOPED_TRACE(how.menu);
        restart();
        desktopOptions().ShowThumbnails = false;
        fill(4, 4);
        review().setListCaption(dir.filePath("img3.bmp"));  // as a conversion leaves it
        key(grid(), Qt::Key_Right);
        commande->SpeedButtonRef()->click();
        key(grid(), Qt::Key_Return);  // marker "1"
        key(grid(), Qt::Key_2, Qt::ShiftModifier);
        ASSERT_EQ(items(commande->ComboBoxRef()), QStringList{"1"});
        ASSERT_TRUE(appWindows().Ref && appWindows().Ref->isVisible());
        ASSERT_EQ(label(), "S=2");
        review().SetListModified(false);

        const QString fresh = picture(QStringLiteral("nouvelle.bmp"));
        scripted.clear();
        if (how.emptied)
            scripted.answerConfirm(true);
        else
            scripted.answerOpen({QString(how.menu) == "Fichier_OuvrirListe" ? listFile("nouvelle.LST", {fresh}) : fresh});
        menu(how.menu);
        EXPECT_TRUE(scripted.allAnswered());
        EXPECT_TRUE(items(commande->ComboBoxRef()).isEmpty());
        EXPECT_EQ(items(commande->ComboBoxBalise()), QStringList{"0"});
        EXPECT_FALSE(appWindows().Ref->isVisible());
        EXPECT_EQ(liste()->windowTitle(), "Liste");
        EXPECT_EQ(label(), how.emptied ? "" : "S=0");
        EXPECT_EQ(caption(), how.emptied ? "0" : "0//0");
        // An empty list has no position, whatever key moves through it.
        if (how.emptied) {
            for (Qt::Key k : {Qt::Key_V, Qt::Key_N, Qt::Key_End, Qt::Key_PageUp})
                key(grid(), k);
            EXPECT_EQ(caption(), "0");
        }
    }
}

// "Ne pas Redemander" is read; a cancelled open or add asks nothing more.
TEST_F(ReplaceListTest, ThumbnailOptionsAreAskedOnlyForAListThatCameAndUnlessDeclined)
{
    desktopOptions().ShowThumbnails = true;
    QStringList pictures;
    for (int i = 0; i < 4; ++i)
        pictures << picture(QStringLiteral("p%1.bmp").arg(i));
    const QString list = listFile(QStringLiteral("quatre.LST"), pictures);

    // Cancelled open and add: only their dialogs.
    scripted.answerOpen({});
    commande->MenuAction("Fichier_OuvrirListe")->trigger();
    scripted.answerOpen({});
    commande->MenuAction("Edition_AjouteralaListe")->trigger();
    ASSERT_EQ(scripted.shown().size(), 2u);
    EXPECT_EQ(scripted.shown()[0].kind, ScriptedPrompts::Kind::Open);
    EXPECT_EQ(scripted.shown()[1].kind, ScriptedPrompts::Kind::Open);
    review().SetListModified(false);

    // Asked: the options dialog comes after the open.
    scripted.clear();
    scripted.answerOpen({list});
    scripted.answerDialog([](QDialog* d) { d->reject(); });
    commande->MenuAction("Fichier_OuvrirListe")->trigger();
    EXPECT_TRUE(scripted.allAnswered());
    ASSERT_EQ(scripted.shown().size(), 2u);
    EXPECT_EQ(scripted.shown()[1].caption, "Options Vignettes:");

    // "Ne pas Redemander": the page is built from the options, brought within the list.
    desktopOptions().ThumbDontAsk = true;
    desktopOptions().ThumbFirst = 0;
    desktopOptions().ThumbPageSize = 10;
    for (const char* name : {"Fichier_OuvrirListe", "Edition_AjouteralaListe"}) {
        SCOPED_TRACE(name);
        scripted.clear();
        scripted.answerOpen({QString(name).startsWith("Fichier_") ? list : pictures[0]});
        commande->MenuAction(QString::fromUtf8(name))->trigger();
        EXPECT_TRUE(scripted.allAnswered());
        EXPECT_EQ(scripted.shown().size(), 1u) << "no thumbnail options";
        EXPECT_EQ(appWindows().Vignette->Grid()->ItemCount(), review().LastRow());
        EXPECT_EQ(appWindows().Vignette->Grid()->PageSize(), review().LastRow());
        review().SetListModified(false);
    }
}

}  // namespace
