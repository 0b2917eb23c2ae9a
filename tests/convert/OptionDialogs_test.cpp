// The conversion option dialogs: what their controls store, the shared "Renommer:" group's rules
// (the base name cut at its first "." only in the JPEG-to-BMP dialog), and the WorkingCopy buttons.
#include "ConvertFixture.h"
#include "app/Windows.h"
#include "convert/ColourFilter.h"
#include "convert/Ubalance.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "settings/RenameFields.h"
#include "settings/UOptionDialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {

using OptionDialogTest = ConvertTest;

template <class T> T* child(QDialog* d, const char* name)
{
    T* c = d->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void click(QDialog* d, const char* name) { QTest::mouseClick(child<QAbstractButton>(d, name), Qt::LeftButton); }

void setText(QDialog* d, const char* name, const QString& text) { child<QLineEdit>(d, name)->setText(text); }

TEST_F(OptionDialogTest, RenameGroupStoringRules)
{
    struct Case {
        std::function<TProgramOptionDialog*()> make;
        bool cutsAtDot;
    };
    const Case dialogs[] = {
        {[] { return new TFormOpBmp2Jpeg; }, false},
        {[] { return new TFormopJpeg2Bmp; }, true},
        {[] { return new TFormOpBmp2Fit; }, false},
    };
    struct Typed {
        QString name, dir;
        QString keptName, cutName, storedDir;
    };
    const QString longName = QString(300, QLatin1Char('a'));
    const Typed typed[] = {
        {QStringLiteral("Serie.old"), QStringLiteral("/data/out"), QStringLiteral("Serie.old"), QStringLiteral("Serie"),
         QStringLiteral("/data/out/")},
        {QStringLiteral("Lune"), QString(), QStringLiteral("Lune"), QStringLiteral("Lune"), QStringLiteral("/")},
        {longName, QStringLiteral("/x/"), longName.left(255), longName.left(255), QStringLiteral("/x/")},
        {QStringLiteral(".hidden"), QStringLiteral("rel"), QStringLiteral(".hidden"), QString(), QStringLiteral("rel/")},
    };
    for (const Case& c : dialogs) {
        std::unique_ptr<TProgramOptionDialog> dlg(c.make());
        for (const Typed& t : typed) {
            SCOPED_TRACE(dlg->windowTitle().toStdString() + " / " + t.name.left(20).toStdString());
            sp.answerDialog([&](QDialog* d) {
                child<QCheckBox>(d, "CheckBoxRenommer")->setChecked(true);
                child<QCheckBox>(d, "CheckBoxRep")->setChecked(true);
                setText(d, "EditNomLot", t.name);
                setText(d, "EditNomREp", t.dir);
                click(d, "BitBtnOk");
            });
            EXPECT_EQ(prompts().exec(dlg.get()), QDialog::Accepted);
            const ProgramOptions& o = programOptions();
            EXPECT_TRUE(o.RenameByBatch);
            EXPECT_TRUE(o.MoveToTarget);
            EXPECT_EQ(o.BatchName, c.cutsAtDot ? t.cutName : t.keptName);
            EXPECT_EQ(o.TargetDirectory, t.storedDir);
        }
    }
}

TEST_F(OptionDialogTest, TargetDirectoryIsCorrectedWhenShown)
{
    programOptions().TargetDirectory = QStringLiteral("/no/slash");
    TFormopJpeg2Bmp dlg;
    sp.answerDialog([](QDialog* d) { EXPECT_EQ(child<QLineEdit>(d, "EditNomREp")->text(), QStringLiteral("/no/slash/")); });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);
    EXPECT_EQ(programOptions().TargetDirectory, QStringLiteral("/no/slash"));  // cancel stores nothing
}

TEST_F(OptionDialogTest, Bmp2JpegStoresQualityAndVisu)
{
    TFormOpBmp2Jpeg dlg;
    struct Case {
        int live;
        QString typed;
        int stored;
    };
    const Case cases[] = {{40, QStringLiteral("90"), 90}, {100, QStringLiteral("150"), 100}, {5, QStringLiteral("abc"), 0}};
    for (const Case& c : cases) {
        programOptions().JpegQuality = c.live;
        programOptions().ShowConverted = false;
        sp.answerDialog([&](QDialog* d) {
            auto* q = child<TSpinEdit>(d, "SpinEditQualite");
            EXPECT_EQ(q->Value(), c.live);
            q->setFocus();
            q->selectAll();
            QTest::keyClick(q, Qt::Key_Backspace);
            QTest::keyClicks(q, c.typed);
            child<QCheckBox>(d, "CheckBoxVisu")->setChecked(true);
            click(d, "BitBtnOk");
        });
        EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);
        EXPECT_EQ(programOptions().JpegQuality, c.stored) << c.typed.toStdString();
        EXPECT_TRUE(programOptions().ShowConverted);
    }
}

TEST_F(OptionDialogTest, Bmp2FitChannelsAndSampleSize)
{
    TFormOpBmp2Fit dlg;
    struct Case {
        int storedBytes;
        const char* shownRadio;
        const char* pickRadio;
        int storedAfter;
    };
    const Case cases[] = {
        {2, "Radio16bits", "Radio32bits", 4},
        {4, "Radio32bits", "Radio8bits", 1},
        {3, "Radio8bits", "Radio16bits", 2},  // an odd stored value shows as 8 bits
        {0, "Radio8bits", "Radio8bits", 1},
    };
    for (const Case& c : cases) {
        programOptions().FitBytesPerPixel = c.storedBytes;
        programOptions().FitChannels = 1 | 8;
        sp.answerDialog([&](QDialog* d) {
            EXPECT_TRUE(child<QRadioButton>(d, c.shownRadio)->isChecked()) << c.storedBytes;
            EXPECT_TRUE(child<QCheckBox>(d, "CheckBoxRouge")->isChecked());
            EXPECT_FALSE(child<QCheckBox>(d, "CheckBoxVert")->isChecked());
            EXPECT_TRUE(child<QCheckBox>(d, "CheckBoxGris")->isChecked());
            child<QRadioButton>(d, c.pickRadio)->setChecked(true);
            child<QCheckBox>(d, "CheckBoxRouge")->setChecked(false);
            child<QCheckBox>(d, "CheckBoxVert")->setChecked(true);
            child<QCheckBox>(d, "CheckBoxBleu")->setChecked(true);
            click(d, "BitBtnOk");
        });
        prompts().exec(&dlg);
        EXPECT_EQ(programOptions().FitBytesPerPixel, c.storedAfter);
        EXPECT_EQ(programOptions().FitChannels, 2 + 4 + 8);
    }
}

TEST_F(OptionDialogTest, FiltrageEditsTheLiveWeightsAndEnregistrerWritesTheWorkingCopy)
{
    TFormBalance balance;
    TFormOpBmp2Fit dlg;
    QObject::connect(&dlg, &TFormOpBmp2Fit::balanceWanted, &balance, [&balance] { prompts().exec(&balance); });
    sp.answerDialog([&](QDialog* d) {
        sp.answerDialog([](QDialog* b) {
            child<QSlider>(b, "TrackBarR")->setValue(255);
            child<QSlider>(b, "TrackBarV")->setValue(0);
            child<QSlider>(b, "TrackBarB")->setValue(0);
            click(b, "BitBtnOk");
        });
        click(d, "SpeedButton1");
        // "Enregistrer" writes the copy taken when the dialog came up: the weights it held then.
        click(d, "BitBtnEnregistrer");
        EXPECT_TRUE(d->isVisible());
        click(d, "BitBtnOk");
    });
    prompts().exec(&dlg);
    EXPECT_EQ(weightsOf(programOptions()), (ColourWeights{256, 0, 0}));
    ProgramOptions file;
    loadProgramOptions(file);
    EXPECT_EQ(weightsOf(file), ColourWeights{});
}

}  // namespace
