// F1 and the help viewer "Aide", its printing, the about box, and Qt's own texts in French.
#include "ToolsFixture.h"
#include "platform/QtFrench.h"
#include "search/Urec.h"
#include "tools/HelpFile.h"
#include "tools/Uabout.h"
#include "tools/Ucnvhlp.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTranslator>

namespace {

const char* const kMissingHelp = "Impossible d'ouvrir le fichier Velmoran.HLP";

// The help tests run in a directory of their own, with no data directory of the machine in sight.
class HelpTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        savedCurrent_ = QDir::currentPath();
        savedDataDirs_ = qgetenv("XDG_DATA_DIRS");
        ASSERT_TRUE(QDir().mkpath(path("travail")));
        ASSERT_TRUE(QDir().mkpath(path("partage")));
        ASSERT_TRUE(QDir::setCurrent(path("travail")));
        qputenv("XDG_DATA_DIRS", path("partage").toLocal8Bit());
        ASSERT_TRUE(QDir().mkpath(userDataDir()));
    }
    void TearDown() override
    {
        QDir::setCurrent(savedCurrent_);
        qputenv("XDG_DATA_DIRS", savedDataDirs_);
        QFile::remove(userDataDir() + "/Velmoran.HLP");
        ToolsTest::TearDown();
    }
    static QString userDataDir()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/velmoran";
    }

    // F1 in the command window, which must be active for the program's shortcuts to act.
    void pressKeyF1()
    {
        commande->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(commande));
        QTest::keyClick(commande, Qt::Key_F1);
    }

    // Presses F1 and returns the text the viewer showed ("<not shown>" when it did not come up).
    QString pressF1()
    {
        QString shown = "<not shown>";
        scripted.answerDialog([&shown](QDialog* d) {
            shown = static_cast<TCnvHlp*>(d)->Memo->toPlainText();
            static_cast<TCnvHlp*>(d)->BitBtnFermer->click();
        });
        pressKeyF1();
        return shown;
    }

    QString savedCurrent_;
    QByteArray savedDataDirs_;
};

TEST_F(HelpTest, F1ReadsTheHelpFileAfreshEveryTime)
{
    struct Case {
        QByteArray bytes;
        QString shown;
    };
    const Case cases[] = {
        {QString("Première ligne\r\nDeuxième ligne\r\n").toLatin1(), "Première ligne\nDeuxième ligne"},
        {"un\nlone LF\rlone CR\r\n\r\nfin", "un\nlone LF\nlone CR\n\nfin"},
        {QString("Écrit en UTF-8 : é\r\nLatin-1 : ").toUtf8() + QString("é").toLatin1(),
         "Écrit en UTF-8 : é\nLatin-1 : é"},
        {"", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeAll("Velmoran.HLP", c.bytes));
        scripted.clear();
        EXPECT_EQ(pressF1(), c.shown);
        EXPECT_TRUE(scripted.allAnswered());
        ASSERT_EQ(scripted.shown().size(), 1u);
        EXPECT_EQ(scripted.shown()[0].caption, "Aide");
    }
}

TEST_F(HelpTest, TheSearchWindowsAideShowsTheHelp)
{
    ASSERT_TRUE(writeAll("Velmoran.HLP", "Aide de la recherche"));
    TFormRec* rec = appWindows().Rec;
    QString shown = "<not shown>";
    scripted.answerDialog([&](QDialog*) {
        scripted.answerDialog([&](QDialog* d) {
            shown = static_cast<TCnvHlp*>(d)->Memo->toPlainText();
            static_cast<TCnvHlp*>(d)->BitBtnFermer->click();
        });
        rec->AideAction->trigger();
        EXPECT_TRUE(rec->isVisible()) << "the search window stays open under the help";
        rec->CancelButton->click();
    });
    EXPECT_FALSE(rec->ChoisirImages());
    EXPECT_EQ(shown, "Aide de la recherche");
    EXPECT_TRUE(scripted.allAnswered());
}

TEST_F(HelpTest, HelpTextsAreBoundedAndLeaveNothingBehindOnceClosed)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QString shown;  // "<not shown>" with the error box
    };
    const QByteArray feeds(kMaxHelpBytes, '\n');
    const Case cases[] = {
        {"runs of empty lines show as one", "un\r\n\r\n  \r\n\t\r\n\r\ndeux\n\n\ntrois\r\n\r\n", "un\n\ndeux\n\ntrois\n"},
        {"a help of line feeds only", feeds, ""},
        {"one byte too many", feeds + "x", "<not shown>"},
    };
    TCnvHlp* v = appWindows().CnvHlp;
    for (const Case& c : cases) {
        ASSERT_TRUE(writeAll("Velmoran.HLP", c.bytes));
        scripted.clear();
        const bool refused = c.shown == "<not shown>";
        if (refused)
            pressKeyF1();
        else
            EXPECT_EQ(pressF1(), c.shown) << c.what;
        EXPECT_EQ(scripted.messages(),
                  refused ? QStringList{"Le fichier Velmoran.HLP est trop gros pour un fichier d'aide (plus de 256 Ko)."}
                          : QStringList{})
            << c.what;
        EXPECT_TRUE(v->Memo->toPlainText().isEmpty()) << c.what << ": closed, the viewer holds no text";
        EXPECT_EQ(v->Memo->document()->blockCount(), 1) << c.what;
    }
}

TEST_F(HelpTest, ALongHelpWrapsAndScrollsDownInAFixedPitchFontFromItsTop)
{
    TCnvHlp* v = appWindows().CnvHlp;
    const QFontMetrics m(v->Memo->font());
    EXPECT_EQ(m.horizontalAdvance("iiiii"), m.horizontalAdvance("WWWWW")) << "a fixed-pitch font";

    // A viewer left minimized and scrolled down comes back in its normal state, at the top.
    v->showMinimized();
    v->hide();
    QStringList many;
    for (int i = 0; i < 400; ++i)
        many << QString("Ligne %1 ").arg(i) + QString(300, 'w');
    ASSERT_TRUE(writeAll("Velmoran.HLP", many.join("\r\n").toLatin1()));
    for (int press = 0; press < 2; ++press) {
        Qt::WindowStates state = Qt::WindowMinimized;
        int scroll = -1, down = 0, across = -1;
        scripted.answerDialog([&](QDialog* d) {
            state = d->windowState();
            scroll = v->Memo->verticalScrollBar()->value();
            down = v->Memo->verticalScrollBar()->maximum();
            across = v->Memo->horizontalScrollBar()->maximum();
            v->Memo->verticalScrollBar()->setValue(down);
            v->BitBtnFermer->click();
        });
        pressKeyF1();
        EXPECT_FALSE(state & Qt::WindowMinimized);
        EXPECT_EQ(scroll, 0);
        EXPECT_GT(down, 0) << "a long text scrolls down";
        EXPECT_EQ(across, 0) << "long lines wrap instead of scrolling sideways";
    }
}

TEST_F(HelpTest, WithoutHelpInTheCurrentDirectoryTheDataDirectoriesAreSearched)
{
    const QString user = userDataDir() + "/Velmoran.HLP";
    const QString system = path("partage/velmoran/Velmoran.HLP");
    ASSERT_TRUE(QDir().mkpath(path("partage/velmoran")));
    struct Case {
        const char* what;
        bool inCurrent, inUser, inSystem;
        QString shown;
    };
    const Case cases[] = {
        {"current directory first", true, true, true, "courant"},
        {"then the user's data directory", false, true, true, "utilisateur"},
        {"then the system's", false, false, true, "système"},
    };
    for (const Case& c : cases) {
        QFile::remove("Velmoran.HLP");
        QFile::remove(user);
        QFile::remove(system);
        ASSERT_TRUE(!c.inCurrent || writeAll("Velmoran.HLP", "courant"));
        ASSERT_TRUE(!c.inUser || writeAll(user, "utilisateur"));
        ASSERT_TRUE(!c.inSystem || writeAll(system, QString("système").toLatin1()));
        EXPECT_EQ(pressF1(), c.shown) << c.what;
    }
}

TEST_F(HelpTest, NoHelpFileAnywhereGivesTheErrorBoxAndNoViewer)
{
    struct Case {
        const char* what;
        bool directoryNamedLikeTheFile;
    };
    for (const Case& c : {Case{"no file at all", false}, Case{"a directory of that name", true}}) {
        ASSERT_TRUE(!c.directoryNamedLikeTheFile || QDir().mkpath("Velmoran.HLP"));
        scripted.clear();
        commande->showMinimized();
        commande->MenuAction("Aide_Aide")->trigger();
        ASSERT_EQ(scripted.shown().size(), 1u) << c.what;
        EXPECT_EQ(scripted.shown()[0].kind, ScriptedPrompts::Kind::Error) << c.what;
        EXPECT_EQ(scripted.shown()[0].text, kMissingHelp) << c.what;
        // The command window was brought back all the same.
        EXPECT_TRUE(commande->isVisible());
        EXPECT_FALSE(commande->windowState() & Qt::WindowMinimized) << c.what;
        EXPECT_FALSE(appWindows().CnvHlp->isVisible());
    }
}

QString pdfTitle(const QString& pdf)
{
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(20000);
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (l.startsWith("Title:"))
            return l.mid(6).trimmed();
    return {};
}

TEST_F(HelpTest, PrintingGivesTheWholeTextForEachCopy)
{
    ASSERT_FALSE(QStandardPaths::findExecutable("pdftotext").isEmpty()) << "poppler-utils is not installed";
    QStringList words;
    for (int i = 1; i <= 80; ++i)
        words << QString("mot%1").arg(i, 2, 10, QChar('0'));
    const QString longLine = words.join(' ');
    QStringList help = {"Aide de Velmoran", longLine};
    for (int i = 1; i <= 300; ++i)
        help << QString("Ligne %1").arg(i, 3, 10, QChar('0'));
    help << "Fin de l'aide";
    ASSERT_TRUE(writeAll("Velmoran.HLP", help.join("\r\n").toLatin1()));

    TCnvHlp* v = appWindows().CnvHlp;
    QPrinter& printer = v->Printer();
    const QString pdf = path("aide.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setCopyCount(2);

    // "Imprimer..", print dialog cancelled, then accepted.
    scripted.answerDialog([&](QDialog*) {
        v->BitBtnImprimer->click();
        EXPECT_FALSE(QFile::exists(pdf)) << "cancelled: nothing printed";
        v->BitBtnImprimer->click();
        v->BitBtnFermer->click();
    });
    scripted.answerDialog([](QDialog* d) { d->reject(); });
    scripted.answerDialog([](QDialog* d) { d->accept(); });
    pressKeyF1();
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_EQ(printer.copyCount(), 2) << "the dialog keeps offering the copies asked for";

    const QList<QStringList> pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 4) << "300 lines take more than a page";
    ASSERT_EQ(pages.size() % 2, 0);
    const qsizetype perCopy = pages.size() / 2;
    EXPECT_EQ(pages.mid(0, perCopy), pages.mid(perCopy)) << "each copy starts on a page of its own";
    QStringList copy;
    for (qsizetype p = 0; p < perCopy; ++p) {
        EXPECT_GT(pages[p].size(), 10);
        copy << pages[p];
    }
    EXPECT_EQ(copy[0], "Aide de Velmoran");
    // The long line is wrapped to the page width, word by word, nothing lost.
    const qsizetype firstNumbered = copy.indexOf("Ligne 001");
    ASSERT_GT(firstNumbered, 2) << "the long line takes several printed lines";
    EXPECT_EQ(copy.mid(1, firstNumbered - 1).join(' ').simplified(), longLine);
    // Then every line, in order, to the end.
    ASSERT_EQ(copy.size(), firstNumbered + 301);
    for (int i = 1; i <= 300; ++i)
        EXPECT_EQ(copy[firstNumbered + i - 1], QString("Ligne %1").arg(i, 3, 10, QChar('0')));
    EXPECT_EQ(copy.last(), "Fin de l'aide");
    EXPECT_EQ(pdfTitle(pdf), "Impression Entête Image");
}

TEST(ShippedHelp, IsLatin1WithCrLfAndSpeaksOfEveryCommand)
{
    QFile f(QStringLiteral(VELMORAN_SOURCE_DIR "/data/Velmoran.HLP"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << "every line ends with CR LF";
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
    EXPECT_FALSE(bytes.contains("\xC3")) << "Latin-1, not UTF-8";
    const QString text = QString::fromLatin1(bytes);
    for (const char* said : {"Mesurer la Netteté", "Trier par Netteté", "Noter par Netteté...", "Courbe de Netteté",
                             "Annuler le Dernier Traitement", "Score des meilleures:", "Score des autres:",
                             "  bord ", "  illisible ", "  noir "})
        EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said;
}

TEST_F(ToolsTest, AboutBoxShowsTheProgramsNameVersionAndIcon)
{
    QString title, name, version, comment;
    bool boldName = false, boldVersion = false, fixed = false, hasIcon = false;
    QStringList makers;
    scripted.answerDialog([&](QDialog* d) {
        auto* a = static_cast<TAboutBox*>(d);
        title = a->windowTitle();
        name = a->ProductName->text();
        version = a->Version->text();
        comment = a->Comments->text();
        makers = {a->Copyright->text(), a->Maker->text()};
        boldName = a->ProductName->font().bold();
        boldVersion = a->Version->font().bold();
        fixed = a->minimumSize() == a->maximumSize();
        hasIcon = !a->ProgramIcon->pixmap().isNull();
        a->OKButton->click();
    });
    commande->MenuAction("Aide_APropos")->trigger();
    EXPECT_EQ(title, "A propos");
    EXPECT_EQ(name, "Velmoran");
    EXPECT_EQ(version, "préVersion : 0.56");
    EXPECT_EQ(comment, "Tri et Conversion de Fichiers Graphiques");
    EXPECT_TRUE(boldName && boldVersion);
    EXPECT_TRUE(fixed);
    EXPECT_TRUE(hasIcon);
    for (const QString& m : makers)
        EXPECT_FALSE(m.isEmpty());
    EXPECT_TRUE(scripted.allAnswered());
}

TEST(QtTexts, QtsOwnDialogsSpeakFrench)
{
    ASSERT_TRUE(installQtFrench(*QCoreApplication::instance())) << "qt6-translations-l10n is not installed";
    QFileDialog open(nullptr);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    QFileDialog save(nullptr);
    save.setAcceptMode(QFileDialog::AcceptSave);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QString cancel = box.button(QDialogButtonBox::Cancel)->text();
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(t);
    EXPECT_EQ(open.windowTitle(), "Ouvrir");
    EXPECT_EQ(save.windowTitle(), "Enregistrer sous");
    EXPECT_EQ(cancel.remove('&'), "Annuler");
}

}  // namespace
