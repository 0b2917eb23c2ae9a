// The conversions from the started program's "Convertir" menu: the options dialog, the files, the
// list window's caption, the slideshow showing each written picture or hidden, and the colour
// filter's "Appliquer" on the picture on show.
#include "../app/ProgramFixture.h"
#include "convert/Ubalance.h"
#include "list/Uliste.h"
#include "review/UDiapo.h"
#include "settings/UOptionDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>

namespace {

using ConvertMenuTest = ProgramTest;

QString done(int n) { return QString::fromUtf8("Traitement Terminé: %1 Fichiers Traités").arg(n); }

void clickOk(QDialog* d) { QTest::mouseClick(d->findChild<QAbstractButton*>(QStringLiteral("BitBtnOk")), Qt::LeftButton); }

void setVisu(QDialog* d, bool on) { d->findChild<QCheckBox*>(QStringLiteral("CheckBoxVisu"))->setChecked(on); }

// Records when a window is hidden and shown.
struct SlideshowShowings : QObject {
    explicit SlideshowShowings(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Show)
            events.push_back(e->type());
        return false;
    }
    std::vector<QEvent::Type> events;
};

TEST_F(ConvertMenuTest, ConvertirEntriesRunTheDriverOverTheList)
{
    QTemporaryDir tmp;
    QStringList sources;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
        sources << tmp.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(writeTestImage(sources.last(), 16, 12));
    }
    appWindows().Liste->AppendFiles(sources);
    appWindows().Liste->Recount();
    review().SetListModified(false);
    programOptions().SlideInterval = 0;
    TFormDiapo* diapo = appWindows().Diapo;

    // BMP to JPEG at 75 with "Visu": each written picture is shown in the slideshow.
    scripted.answerDialog([](QDialog* d) {
        d->findChild<TSpinEdit*>(QStringLiteral("SpinEditQualite"))->SetValue(75);
        setVisu(d, true);
        clickOk(d);
    });
    commande->MenuAction("Convertir_ConvertirBMPversJPEG")->trigger();
    EXPECT_EQ(scripted.messages(), QStringList{done(3)});
    for (const char* name : {"a_075.JPG", "b_075.JPG", "c_075.JPG"})
        EXPECT_TRUE(QFile::exists(tmp.filePath(QString::fromLatin1(name)))) << name;
    EXPECT_EQ(appWindows().Liste->windowTitle(), sources.last());
    EXPECT_TRUE(diapo->isVisible());
    // Once the run is over, the entry the user was on is the one on show again.
    EXPECT_EQ(diapo->windowTitle(), sources.first());
    EXPECT_FALSE(diapo->Picture().isNull());
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_FALSE(review().ListModified());

    // "Appliquer" of the colour filter turns the picture on show to grey with the confirmed weights.
    const QString red = tmp.filePath(QStringLiteral("red.bmp"));
    QImage redImage(4, 3, QImage::Format_RGB888);
    redImage.fill(Qt::red);
    ASSERT_TRUE(redImage.save(red, "BMP"));
    ASSERT_TRUE(review().ShowImage(red));
    appWindows().Balance->BitBtnAppliquerClick();
    EXPECT_EQ(diapo->Picture().pixelColor(2, 1), QColor(76, 76, 76));
    EXPECT_EQ(diapo->windowTitle(), red);

    // BMP to FIT without "Visu" hides the slideshow for the run and shows it again at its end; the
    // run names its last source.
    SlideshowShowings showings(diapo);
    scripted.clear();
    scripted.answerDialog([](QDialog* d) {
        setVisu(d, false);
        clickOk(d);
    });
    appWindows().Liste->AppendFiles({red});
    appWindows().Liste->Recount();
    review().SetListModified(false);
    commande->MenuAction("Convertir_ConvertirBMPversFIT")->trigger();
    EXPECT_EQ(scripted.messages(), QStringList{done(4)});
    EXPECT_TRUE(QFile::exists(tmp.filePath(QStringLiteral("red_G.FIT"))));
    EXPECT_EQ(showings.events, (std::vector<QEvent::Type>{QEvent::Hide, QEvent::Show}));
    EXPECT_TRUE(diapo->isVisible());
    EXPECT_EQ(appWindows().Liste->windowTitle(), red);

    // JPEG to BMP cancelled: nothing converted, the count says so; the list is still not modified.
    scripted.clear();
    scripted.answerDialog([](QDialog*) {});
    commande->MenuAction("Convertir_ConvertirJPEGversBmp")->trigger();
    ASSERT_FALSE(scripted.shown().empty());
    EXPECT_EQ(scripted.shown().front().caption, QStringLiteral("Convertir JPEG vers Bmp:"));
    EXPECT_EQ(scripted.messages(), QStringList{done(0)});
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("a.BMP"))));
    EXPECT_FALSE(review().ListModified());
}

// A corrupt picture first and a file gone from the disk: each asks whether to go on, and the run
// converts the others.
TEST_F(ConvertMenuTest, OneBadFileDoesNotEndTheRun)
{
    QTemporaryDir tmp;
    QStringList sources;
    for (const char* name : {"corrompu.bmp", "a.bmp", "disparu.bmp", "b.bmp"}) {
        sources << tmp.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(writeTestImage(sources.last(), 16, 12));
    }
    ASSERT_TRUE(writeAll(sources[0], "BM pas une image"));
    appWindows().Liste->AppendFiles(sources);
    appWindows().Liste->Recount();
    ASSERT_TRUE(QFile::remove(sources[2]));

    scripted.answerDialog(clickOk);
    scripted.answerChoice(Choice::Yes);
    scripted.answerChoice(Choice::Yes);
    commande->MenuAction("Convertir_ConvertirBMPversJPEG")->trigger();
    const QString goOn = QStringLiteral("\nVoulez-vous Continuer?");
    ASSERT_EQ(scripted.shown().size(), 4u);
    EXPECT_EQ(scripted.shown()[1].caption, QStringLiteral("Impossible de Traiter le Fichier: ") + sources[0]);
    EXPECT_EQ(scripted.shown()[2].caption, QStringLiteral("Impossible de Traiter le Fichier: ") + sources[2]);
    EXPECT_EQ(scripted.messages(),
              (QStringList{QStringLiteral("Image bitmap incorrecte") + goOn, QStringLiteral("Fichier introuvable") + goOn,
                           done(2) + QString::fromUtf8("\n2 Échecs, le premier : Image bitmap incorrecte : ") + sources[0]}));
    EXPECT_EQ(QDir(tmp.path()).entryList({QStringLiteral("*.JPG")}, QDir::Files, QDir::Name),
              (QStringList{"a_100.JPG", "b_100.JPG"}));
}

}  // namespace
