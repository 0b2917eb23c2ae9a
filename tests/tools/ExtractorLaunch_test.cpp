// "Vidsplit...", its options dialog "Options Vidsplit", and the command line handed to the extractor.
#include "ToolsFixture.h"
#include "list/ListDocument.h"
#include "platform/PathUtil.h"
#include "search/Urepdialog.h"
#include "tools/ExtractorLaunch.h"
#include "tools/Uopbatch.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace {

using ExtractorLaunchTest = ToolsTest;

QAction* vidsplitCommand() { return appWindows().Commande->MenuAction("Executer_Vidsplit"); }

// A list file of one entry, written by the program itself.
void writeList(const QString& listPath)
{
    ListDocument doc;
    doc.appendFiles({QStringLiteral("/images/nuit/img0001.bmp")});
    doc.writeTo(listPath);
}

TEST(ExtractorDirectoryText, IsCutToTheFieldAndEndsWithASlashWhenThereIsRoom)
{
    const QString x255(255, 'x'), x254(254, 'x');
    struct Case {
        QString typed, stored;
    };
    const Case cases[] = {
        {"", "/"},
        {"/opt/outils", "/opt/outils/"},
        {"/opt/outils/", "/opt/outils/"},
        {"/opt/outils vidéo", "/opt/outils vidéo/"},
        {x254, x254 + "/"},
        {x255, x255},              // the slash added does not fit in the field
        {x255 + "/yyy", x255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extractorDirectoryFromText(c.typed), c.stored) << c.typed.size() << " characters";
}

TEST(ExtractorCommandLine, ProgramArgumentsAndWorkingDirectory)
{
    ASSERT_FALSE(QFileInfo::exists("/vidsplit")) << "a /vidsplit on this machine hides the default case";
    struct Case {
        const char* what;
        QString directory, listFile, imageDirectory;
        QString program;
        QString listArgument;
    };
    const QString cwd = QDir::currentPath();
    const Case cases[] = {
        {"default directory: the vidsplit beside the program", "/", "/data/nuit 3/liste.LST", "/data/nuit 3/",
         executableDirectory() + "vidsplit", "/data/nuit 3/liste.LST"},
        {"directory with spaces and accents", "/opt/outils vidéo/", "/a b/c d.LST", "/images/",
         "/opt/outils vidéo/vidsplit", "/a b/c d.LST"},
        {"directory that lost its slash", "/opt/outils", "/l.LST", "/i/", "/opt/outils/vidsplit", "/l.LST"},
        {"relative directory and list, from the current directory", "outils/", "listes/l.LST", "/i/",
         cwd + "/outils/vidsplit", cwd + "/listes/l.LST"},
        {"long paths are kept whole", "/" + QString(200, 'd') + "/", "/" + QString(200, 'l') + ".LST",
         "/" + QString(200, 'i') + "/", "/" + QString(200, 'd') + "/vidsplit", "/" + QString(200, 'l') + ".LST"},
    };
    for (const Case& c : cases) {
        ExtractorOptions e;
        e.ExtractorDirectory = c.directory;
        ProgramOptions p;
        p.LastListFile = c.listFile;
        p.LastImageDirectory = c.imageDirectory;
        const LaunchCommand cmd = extractorCommand(e, p);
        EXPECT_EQ(cmd.program, c.program) << c.what;
        EXPECT_EQ(cmd.arguments, QStringList({"/VELMORAN", c.listArgument})) << c.what;
        EXPECT_EQ(cmd.workingDirectory, c.imageDirectory) << c.what;
    }
}

TEST_F(ExtractorLaunchTest, AMissingListFileIsReportedAndNothingStartsWhicheverButton)
{
    for (bool ok : {true, false}) {
        scripted.clear();
        const QString missing = path("nuit du 3/absente.LST");
        programOptions().LastListFile = missing;
        scripted.answerOkCancel(ok);
        vidsplitCommand()->trigger();
        ASSERT_EQ(scripted.shown().size(), 1u) << "no options dialog after the box";
        EXPECT_EQ(scripted.shown()[0].caption, "Fichier Liste Introuvable");
        EXPECT_EQ(scripted.shown()[0].text, "\"" + missing + "\"");
        EXPECT_TRUE(recorder.started.empty());
    }
    // A directory is no list file either.
    scripted.clear();
    programOptions().LastListFile = tmp.path();
    scripted.answerOkCancel(true);
    vidsplitCommand()->trigger();
    EXPECT_EQ(scripted.messages(), QStringList{"\"" + tmp.path() + "\""});
    EXPECT_TRUE(recorder.started.empty());
}

TEST_F(ExtractorLaunchTest, TheOptionsDialogComesFirstAndTheToolStartsWhateverItEndsWith)
{
    const QString list = path("mes listes/nuit du 3.LST");
    ASSERT_TRUE(QDir().mkpath(path("mes listes")));
    writeList(list);
    programOptions().LastListFile = list;
    programOptions().LastImageDirectory = path("images d'essai/");
    extractorOptions().ExtractorDirectory = "/opt/outils/";

    struct Case {
        const char* button;
        QString typed;
        QString programAfter;
    };
    const Case cases[] = {
        {"BitBtnAnnuler", "/ailleurs", "/opt/outils/vidsplit"},  // unchanged options
        {"BitBtnOk", "/usr/local/vidsplit-1.2", "/usr/local/vidsplit-1.2/vidsplit"},
    };
    for (const Case& c : cases) {
        recorder.started.clear();
        scripted.clear();
        QString shownDirectory;
        scripted.answerDialog([&](QDialog* d) {
            auto* box = static_cast<TFormOpBatch*>(d);
            shownDirectory = box->EditRep->text();
            box->EditRep->setText(c.typed);
            click(d, c.button);
        });
        const QString before = extractorOptions().ExtractorDirectory;
        vidsplitCommand()->trigger();
        EXPECT_EQ(shownDirectory, before);
        ASSERT_EQ(scripted.shown().size(), 1u);
        EXPECT_EQ(scripted.shown()[0].caption, "Options Vidsplit");
        ASSERT_EQ(recorder.started.size(), 1u) << c.button;
        EXPECT_EQ(recorder.started[0],
                  (LaunchCommand{c.programAfter, {"/VELMORAN", list}, path("images d'essai/")}))
            << c.button;
    }

    // "Ne pas redemander": started at once, no dialog.
    recorder.started.clear();
    scripted.clear();
    extractorOptions().ExtractorDontAsk = true;
    vidsplitCommand()->trigger();
    EXPECT_TRUE(scripted.shown().empty());
    ASSERT_EQ(recorder.started.size(), 1u);
    EXPECT_EQ(recorder.started[0].arguments, QStringList({"/VELMORAN", list}));
    EXPECT_FALSE(review().ListModified());
}

TEST_F(ExtractorLaunchTest, AModifiedListIsSavedFirst)
{
    extractorOptions().ExtractorDontAsk = true;
    const QString old = path("ancienne.LST");
    writeList(old);
    const QString saved = path("liste du soir.LST");
    struct Case {
        const char* what;
        std::optional<QString> saveAnswer;
        QString startedWith;  // empty: nothing started
        bool modifiedAfter;
        bool error;
    };
    const Case cases[] = {
        {"saved under a new name", saved, saved, false, false},
        // The tool would add its frames to an older list file, which the next save would drop.
        {"save cancelled", std::nullopt, {}, true, false},
        {"save that fails", path("absent/liste.LST"), {}, true, true},
    };
    const QStringList images = {path("img0001.bmp"), path("img0002.bmp")};
    for (const Case& c : cases) {
        recorder.started.clear();
        scripted.clear();
        programOptions().LastListFile = old;
        review().document().clear();
        review().document().appendFiles(images);
        review().Recount();
        review().SetListModified(true);
        scripted.answerSave(c.saveAnswer);
        vidsplitCommand()->trigger();
        EXPECT_TRUE(scripted.allAnswered()) << c.what;
        EXPECT_EQ(review().ListModified(), c.modifiedAfter) << c.what;
        if (c.startedWith.isEmpty()) {
            EXPECT_TRUE(recorder.started.empty()) << c.what;
            ASSERT_FALSE(scripted.shown().empty());
            EXPECT_EQ(scripted.shown().back().kind == ScriptedPrompts::Kind::Error, c.error) << c.what;
            EXPECT_EQ(scripted.shown().size(), c.error ? 2u : 1u) << c.what;
            continue;
        }
        ASSERT_EQ(recorder.started.size(), 1u) << c.what;
        EXPECT_EQ(recorder.started[0].arguments, QStringList({"/VELMORAN", c.startedWith})) << c.what;
        // The list file handed over holds what it should: the list on screen once saved.
        ListDocument back;
        back.readFrom(c.startedWith);
        if (c.startedWith == saved)
            EXPECT_EQ((QStringList{back.EntryPath(1), back.EntryPath(2)}), images);
        else
            EXPECT_EQ(back.entryCount(), 1);
    }
}

// A tool that cannot be started (not there, not executable) is reported with the path tried.
TEST_F(ExtractorLaunchTest, AStartThatFailsIsReportedWithThePath)
{
    struct Failing : Launcher {
        int calls = 0;
        bool launchDetached(const LaunchCommand&) override
        {
            ++calls;
            return false;
        }
    } failing;
    setLauncher(&failing);
    const QString list = path("liste.LST");
    writeList(list);
    programOptions().LastListFile = list;
    extractorOptions().ExtractorDirectory = "/opt/outils absents/";
    extractorOptions().ExtractorDontAsk = true;
    vidsplitCommand()->trigger();
    EXPECT_EQ(failing.calls, 1);
    ASSERT_EQ(scripted.shown().size(), 1u);
    EXPECT_EQ(scripted.shown()[0].kind, ScriptedPrompts::Kind::Error);
    EXPECT_EQ(scripted.shown()[0].text, QString::fromUtf8("Impossible de Démarrer: \"/opt/outils absents/vidsplit\""));
}

TEST_F(ExtractorLaunchTest, OptionsDialogShowsStoresAndBrowses)
{
    TFormOpBatch* box = appWindows().OpBatch;
    EXPECT_EQ(box->windowTitle(), "Options Vidsplit");
    EXPECT_EQ(box->LabelRep->text(), "Répertoire de \"Vidsplit\"");
    EXPECT_EQ(box->CheckBoxNePasRedemander->text(), "Ne pas redemander");
    QAction* options = commande->MenuAction("Options_Vidsplit");
    ASSERT_NE(options, nullptr);

    extractorOptions().ExtractorDirectory = "/opt/outils/";
    extractorOptions().ExtractorDontAsk = true;

    // Shown with the live values; "Annuler" after changes keeps them.
    QString shown;
    bool shownChecked = false;
    scripted.answerDialog([&](QDialog*) {
        shown = box->EditRep->text();
        shownChecked = box->CheckBoxNePasRedemander->isChecked();
        box->EditRep->setText("/autre");
        box->CheckBoxNePasRedemander->setChecked(false);
        click(box, "BitBtnAnnuler");
    });
    options->trigger();
    EXPECT_EQ(shown, "/opt/outils/");
    EXPECT_TRUE(shownChecked);
    EXPECT_EQ(extractorOptions().ExtractorDirectory, "/opt/outils/");
    EXPECT_TRUE(extractorOptions().ExtractorDontAsk);

    // "Parcourir..." puts the chooser's directory in the box (no slash); OK stores it with one.
    const QString chosen = QFileInfo(tmp.path()).canonicalFilePath();
    QString boxAfterBrowse;
    scripted.answerDialog([&](QDialog*) {
        click(box, "BitBtnParcourir");
        boxAfterBrowse = box->EditRep->text();
        click(box, "BitBtnOk");
    });
    scripted.answerDialog([&](QDialog* d) {
        auto* chooser = static_cast<TRepDialog*>(d);
        chooser->SetRepertoire(chosen);
        chooser->OkClick();
    });
    options->trigger();
    EXPECT_EQ(boxAfterBrowse, chosen);
    EXPECT_EQ(extractorOptions().ExtractorDirectory, chosen + "/");
    EXPECT_TRUE(extractorOptions().ExtractorDontAsk);

    // A cancelled chooser leaves the box alone; an empty box is stored as "/".
    scripted.answerDialog([&](QDialog*) {
        box->EditRep->clear();
        click(box, "BitBtnParcourir");
        EXPECT_EQ(box->EditRep->text(), "");
        box->CheckBoxNePasRedemander->setChecked(false);
        click(box, "BitBtnOk");
    });
    scripted.answerDialog([](QDialog* d) { static_cast<TRepDialog*>(d)->AnnulerClick(); });
    options->trigger();
    EXPECT_EQ(extractorOptions().ExtractorDirectory, "/");
    EXPECT_FALSE(extractorOptions().ExtractorDontAsk);
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_FALSE(QFile::exists(optionsFilePath())) << "OK changes the live record only";
}

}  // namespace
