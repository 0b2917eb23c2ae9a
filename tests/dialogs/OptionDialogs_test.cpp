// The option dialog pattern (WorkingCopy form on ProgramOptions, live form on DesktopOptions),
// the slideshow options and the global options.
#include "DialogsFixture.h"
#include "TestFiles.h"
#include "app/Ucommande.h"
#include "review/Uoptionsdiapo.h"
#include "settings/UOptionDialog.h"
#include "settings/Uopglobales.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using OptionDialogTest = DialogsTest;

TSpinEdit* spin(QDialog* d, const char* name)
{
    auto* s = d->findChild<TSpinEdit*>(QString::fromLatin1(name));
    EXPECT_NE(s, nullptr) << name;
    return s;
}

void typeInto(TSpinEdit* s, const QString& text)
{
    s->setFocus();
    s->selectAll();
    QTest::keyClick(s, Qt::Key_Backspace);
    QTest::keyClicks(s, text);
}

ProgramOptions programFromFile()
{
    ProgramOptions o;
    const QByteArray b = readAll(optionsFilePath());
    if (b.size() >= kProgramOptionsSize)
        fromBytes(o, b.left(kProgramOptionsSize));
    return o;
}

ProgramOptions programDefaults()
{
    ProgramOptions o;
    setDefaults(o);
    return o;
}

// Live record with values away from the defaults in this dialog's fields and in others'.
void changeLiveProgramOptions()
{
    ProgramOptions& o = programOptions();
    o.ShortWait = 2000;
    o.SlideInterval = 1500;
    o.LongWait = 4500;
    o.FastStep = 12;
    o.SlideLoop = true;
    o.SlidePosition = 1;
    o.SlideBackground = 0x00112233;
    o.BatchName = QStringLiteral("Lune");
    o.JpegQuality = 42;
}

// ---- Form A, through the slideshow options ----

TEST_F(OptionDialogTest, ActivationShowsTheLiveValuesEachTime)
{
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    changeLiveProgramOptions();
    programOptions().SlideFullScreen = true;
    sp.answerDialog([&](QDialog* d) {
        EXPECT_EQ(spin(d, "SpinEditCourte")->Value(), 2000);
        EXPECT_EQ(spin(d, "SpinEditLongue")->Value(), 4500);
        EXPECT_EQ(spin(d, "SpinEditRapide")->Value(), 12);
        EXPECT_TRUE(d->findChild<QCheckBox*>("CheckBoxBoucle")->isChecked());
        EXPECT_TRUE(d->findChild<QCheckBox*>("CheckBoxPleinEcran")->isChecked());
        EXPECT_TRUE(d->findChild<QRadioButton*>("RadioAdaptee")->isChecked());
        EXPECT_EQ(dlg.WorkingCopy(), programOptions());
        typeInto(spin(d, "SpinEditCourte"), "3500");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);
    EXPECT_EQ(programOptions().ShortWait, 2000);

    programOptions().ShortWait = 1000;
    programOptions().SlidePosition = 0;
    sp.answerDialog([&](QDialog* d) {
        EXPECT_EQ(spin(d, "SpinEditCourte")->Value(), 1000);
        EXPECT_TRUE(d->findChild<QRadioButton*>("RadioCentree")->isChecked());
    });
    prompts().exec(&dlg);
    EXPECT_TRUE(sp.allAnswered());
}

TEST_F(OptionDialogTest, SaveWithNoFileWritesTheWorkingCopyAsBlockOneOnly)
{
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    changeLiveProgramOptions();
    const ProgramOptions live = programOptions();
    sp.answerDialog([&](QDialog* d) {
        typeInto(spin(d, "SpinEditCourte"), "1000");
        click(d, "BitBtnEnregistrer");
        EXPECT_TRUE(d->isVisible()) << "Enregistrer does not close";
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);

    const QByteArray file = readAll(optionsFilePath());
    EXPECT_EQ(file.size(), kProgramOptionsSize);
    ProgramOptions expected = live;
    expected.ShortWait = 1000;
    expected.SlideInterval = 1000;
    EXPECT_EQ(file, toBytes(expected));
    EXPECT_EQ(programOptions(), live) << "the live record is unchanged";

    // At the next start block 1 comes from the file, the others from their defaults.
    DesktopOptions d, dd;
    loadDesktopOptions(d);
    setDesktopDefaults(dd);
    EXPECT_EQ(d, dd);
    EXPECT_EQ(programFromFile().ShortWait, 1000);
}

TEST_F(OptionDialogTest, DefaultThenSaveWritesEveryDefaultAndLeavesTheLiveRecordUntilOk)
{
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    changeLiveProgramOptions();
    const ProgramOptions live = programOptions();
    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnDefaut");
        EXPECT_EQ(spin(d, "SpinEditCourte")->Value(), 500);
        EXPECT_EQ(spin(d, "SpinEditRapide")->Value(), 3);
        EXPECT_TRUE(d->findChild<QRadioButton*>("RadioCentree")->isChecked());
        click(d, "BitBtnEnregistrer");
        EXPECT_EQ(programOptions(), live);
        EXPECT_TRUE(d->isVisible());
        click(d, "BitBtnOk");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);

    EXPECT_EQ(readAll(optionsFilePath()), toBytes(programDefaults()));
    // "Ok" puts the shown values into the live record, and only those.
    EXPECT_EQ(programOptions().ShortWait, 500);
    EXPECT_EQ(programOptions().SlideInterval, 500);
    EXPECT_EQ(programOptions().LongWait, 1500);
    EXPECT_EQ(programOptions().SlidePosition, 0);
    EXPECT_EQ(programOptions().SlideBackground, 0x80000001u);
    EXPECT_EQ(programOptions().BatchName, QStringLiteral("Lune"));
    EXPECT_EQ(programOptions().JpegQuality, 42);
}

TEST_F(OptionDialogTest, LoadFillsFromTheFileAndSaveThenKeepsTheFileValues)
{
    ProgramOptions saved = programDefaults();
    saved.ShortWait = 3000;
    saved.FastStep = 9;
    saved.BatchName = QStringLiteral("Fichier");
    ASSERT_TRUE(saveProgramOptions(saved));
    changeLiveProgramOptions();
    const ProgramOptions live = programOptions();

    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnCharger");
        EXPECT_EQ(spin(d, "SpinEditCourte")->Value(), 3000);
        EXPECT_EQ(spin(d, "SpinEditRapide")->Value(), 9);
        EXPECT_EQ(programOptions(), live);
        typeInto(spin(d, "SpinEditRapide"), "11");
        click(d, "BitBtnEnregistrer");
        click(d, "BitBtnOk");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);

    const ProgramOptions file = programFromFile();
    EXPECT_EQ(file.BatchName, QStringLiteral("Fichier")) << "the WorkingCopy came from the file";
    EXPECT_EQ(file.FastStep, 11);
    EXPECT_EQ(programOptions().ShortWait, 3000);
    EXPECT_EQ(programOptions().FastStep, 11);
    EXPECT_EQ(programOptions().BatchName, QStringLiteral("Lune"));
}

TEST_F(OptionDialogTest, CancelRefillsFromTheLiveRecord)
{
    changeLiveProgramOptions();
    const ProgramOptions live = programOptions();
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnDefaut");
        typeInto(spin(d, "SpinEditLongue"), "0");
        d->findChild<QCheckBox*>("CheckBoxBoucle")->setChecked(false);
        click(d, "BitBtnAnnuler");
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(spin(d, "SpinEditLongue")->Value(), 4500);
        EXPECT_EQ(spin(d, "SpinEditCourte")->Value(), 2000);
        EXPECT_TRUE(d->findChild<QCheckBox*>("CheckBoxBoucle")->isChecked());
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);
    EXPECT_EQ(programOptions(), live);
}

TEST_F(OptionDialogTest, TypedSpinValuesAreBroughtIntoRange)
{
    const struct {
        const char* field;
        const char* typed;
        int ProgramOptions::*member;
        int expected;
    } cases[] = {
        {"SpinEditLongue", "9000", &ProgramOptions::LongWait, 5000},
        {"SpinEditLongue", "abc", &ProgramOptions::LongWait, 0},
        {"SpinEditLongue", "-20", &ProgramOptions::LongWait, 0},
        {"SpinEditLongue", "750", &ProgramOptions::LongWait, 750},
        {"SpinEditLongue", "", &ProgramOptions::LongWait, 0},
        {"SpinEditCourte", "99999999999", &ProgramOptions::ShortWait, 5000},
        {"SpinEditCourte", "4000", &ProgramOptions::SlideInterval, 4000},
        {"SpinEditRapide", "0", &ProgramOptions::FastStep, 1},
        {"SpinEditRapide", "x7", &ProgramOptions::FastStep, 1},
        {"SpinEditRapide", "250", &ProgramOptions::FastStep, 100},
        {"SpinEditRapide", "42", &ProgramOptions::FastStep, 42},
    };
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- \"" + c.typed + "\"");
        setDefaults(programOptions());
        sp.answerDialog([&](QDialog* d) {
            typeInto(spin(d, c.field), QString::fromLatin1(c.typed));
            click(d, "BitBtnOk");
        });
        EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);
        EXPECT_EQ(programOptions().*c.member, c.expected);
    }
}

TEST_F(OptionDialogTest, SpinFieldSettlesItsTextOnLosingTheFocus)
{
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    sp.answerDialog([&](QDialog* d) {
        d->activateWindow();
        TSpinEdit* s = spin(d, "SpinEditLongue");
        typeInto(s, "9000");
        spin(d, "SpinEditRapide")->setFocus();
        QApplication::processEvents();
        if (s->hasFocus())
            GTEST_SKIP() << "no focus changes on this platform";
        EXPECT_EQ(s->text(), QStringLiteral("5000"));
    });
    prompts().exec(&dlg);
}

TEST_F(OptionDialogTest, BackgroundColourIsPreviewedAndOnlyStoredByOk)
{
    programOptions().SlideBackground = 0x00FF0000;  // blue
    diapo->show();
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    const QColor chosen(10, 20, 30);

    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnCouleur");
        EXPECT_EQ(diapo->BackgroundColor(), chosen);
        EXPECT_EQ(diapo->grab().toImage().pixelColor(3, 3), chosen);
        EXPECT_EQ(programOptions().SlideBackground, 0x00FF0000u);
        click(d, "BitBtnAnnuler");
    });
    sp.answerColor(chosen);
    prompts().exec(&dlg);
    EXPECT_EQ(diapo->BackgroundColor(), QColor(0, 0, 255));
    EXPECT_EQ(diapo->grab().toImage().pixelColor(3, 3), QColor(0, 0, 255));
    EXPECT_EQ(programOptions().SlideBackground, 0x00FF0000u);

    // A colour chooser left with cancel changes nothing.
    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnCouleur");
        EXPECT_EQ(diapo->BackgroundColor(), QColor(0, 0, 255));
        click(d, "BitBtnOk");
    });
    sp.answerColor(std::nullopt);
    prompts().exec(&dlg);
    EXPECT_EQ(programOptions().SlideBackground, 0x00FF0000u);

    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnCouleur");
        click(d, "BitBtnOk");
    });
    sp.answerColor(chosen);
    prompts().exec(&dlg);
    EXPECT_EQ(programOptions().SlideBackground, 0x001E140Au);
    EXPECT_EQ(diapo->BackgroundColor(), chosen);
    EXPECT_TRUE(sp.allAnswered());
}

TEST_F(OptionDialogTest, OkWithFullScreenPutsTheSlideshowFullScreen)
{
    diapo->show();
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    sp.answerDialog([&](QDialog* d) {
        d->findChild<QCheckBox*>("CheckBoxPleinEcran")->setChecked(true);
        click(d, "BitBtnOk");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);
    EXPECT_TRUE(programOptions().SlideFullScreen);
    EXPECT_TRUE(diapo->isFullScreen());
    EXPECT_FALSE(dlg.isVisible());
}

// Leaving full screen once reloaded the settings file, and with it threw away the options just
// confirmed (and LastListFile). The live records now stay as confirmed.
TEST_F(OptionDialogTest, OkWithoutFullScreenKeepsTheConfirmedOptions)
{
    ProgramOptions saved = programDefaults();
    saved.ShortWait = 1000;
    saved.SlideInterval = 1000;
    ASSERT_TRUE(saveProgramOptions(saved));
    programOptions() = saved;
    programOptions().LastListFile = path("soir.LST");

    diapo->show();
    diapo->SetFullScreen(true);
    ASSERT_TRUE(diapo->isFullScreen());
    TFormOptionsDiapo& dlg = *appWindows().OptionsDiapo;
    sp.answerDialog([&](QDialog* d) {
        typeInto(spin(d, "SpinEditCourte"), "2500");
        d->findChild<QCheckBox*>("CheckBoxPleinEcran")->setChecked(false);
        click(d, "BitBtnOk");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);
    EXPECT_FALSE(diapo->isFullScreen());
    EXPECT_TRUE(diapo->isVisible());
    EXPECT_TRUE(commande->isVisible()) << "the desktop layout is back";
    EXPECT_EQ(programOptions().ShortWait, 2500);
    EXPECT_EQ(programOptions().SlideInterval, 2500);
    EXPECT_EQ(programOptions().LastListFile, path("soir.LST"));
    EXPECT_EQ(programFromFile().ShortWait, 1000) << "nothing is written without Enregistrer";
}

// ---- Form B, through a dialog made for the test ----

class TestDesktopDialog : public TDesktopOptionDialog {
public:
    TestDesktopDialog()
    {
        setWindowTitle(QStringLiteral("Options de test"));
        auto* layout = new QVBoxLayout(this);
        Nombre = new TSpinEdit(1, 100, 1, 10, this);
        Nombre->setObjectName(QStringLiteral("SpinEditNombre"));
        layout->addWidget(Nombre);
        addStandardButtons(layout);
    }
    TSpinEdit* Nombre;
    int applied = 0;

protected:
    void fillControls(const DesktopOptions& o) override { Nombre->SetValue(o.ThumbPageSize); }
    void storeControls(DesktopOptions& o) override { o.ThumbPageSize = Nombre->Value(); }
    void okAction() override { ++applied; }
};

DesktopOptions desktopDefaults()
{
    DesktopOptions d;
    setDesktopDefaults(d);
    return d;
}

TEST_F(OptionDialogTest, LiveFormSaveWithNoFileWritesZerosThenBlockTwo)
{
    TestDesktopDialog dlg;
    desktopOptions().ShowList = false;
    sp.answerDialog([&](QDialog* d) {
        EXPECT_EQ(spin(d, "SpinEditNombre")->Value(), 10);
        typeInto(spin(d, "SpinEditNombre"), "42");
        click(d, "BitBtnEnregistrer");
        EXPECT_TRUE(d->isVisible());
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);

    EXPECT_EQ(desktopOptions().ThumbPageSize, 42) << "Enregistrer stores into the live record";
    const QByteArray file = readAll(optionsFilePath());
    ASSERT_EQ(file.size(), kProgramOptionsSize + kDesktopOptionsSize);
    EXPECT_EQ(file.left(kProgramOptionsSize), QByteArray(kProgramOptionsSize, '\0'));
    EXPECT_EQ(file.mid(kDesktopOptionsOffset), toBytes(desktopOptions()));
    // The header is zeros: the next start still takes every default.
    DesktopOptions d;
    loadDesktopOptions(d);
    EXPECT_EQ(d, desktopDefaults());
    EXPECT_EQ(dlg.applied, 0);
}

TEST_F(OptionDialogTest, LiveFormLoadDefaultOkAndCancel)
{
    DesktopOptions saved = desktopDefaults();
    saved.ThumbPageSize = 33;
    saved.ShowList = false;
    saved.CommandPlace = {5, 6, 70, 600};
    ASSERT_TRUE(saveProgramOptions(programDefaults()));
    ASSERT_TRUE(saveDesktopOptions(saved));

    TestDesktopDialog dlg;
    // "Charger" loads the whole block into the live record, and cancel does not undo it.
    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnCharger");
        EXPECT_EQ(spin(d, "SpinEditNombre")->Value(), 33);
        EXPECT_EQ(desktopOptions(), saved);
        click(d, "BitBtnAnnuler");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);
    EXPECT_EQ(desktopOptions(), saved);

    // Cancel leaves the live record as it was.
    sp.answerDialog([&](QDialog* d) {
        typeInto(spin(d, "SpinEditNombre"), "66");
        click(d, "BitBtnAnnuler");
    });
    prompts().exec(&dlg);
    EXPECT_EQ(desktopOptions().ThumbPageSize, 33);

    // "Défaut" sets the whole live record to its defaults, places and flags included.
    sp.answerDialog([&](QDialog* d) {
        click(d, "BitBtnDefaut");
        EXPECT_EQ(spin(d, "SpinEditNombre")->Value(), 10);
        EXPECT_EQ(desktopOptions(), desktopDefaults());
        typeInto(spin(d, "SpinEditNombre"), "250");
        click(d, "BitBtnOk");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);
    EXPECT_EQ(desktopOptions().ThumbPageSize, 100);
    EXPECT_EQ(dlg.applied, 1);
    EXPECT_EQ(readAll(optionsFilePath()).mid(kDesktopOptionsOffset), toBytes(saved)) << "nothing written";
}

// ---- Global options ----

TEST_F(OptionDialogTest, GlobalOptionsOkStoresFlagsAndTheFirstCharacterOfTheScore)
{
    const struct {
        const char* name;
        bool flags;  // value every check box is set to
        QString score;
        bool ok;
        char expectedScore;
        bool expectedFlags;
    } cases[] = {
        {"ok, score 2", false, QStringLiteral("2"), true, '2', false},
        {"ok, free text", true, QStringLiteral("7x"), true, '7', true},
        {"ok, empty text", false, QString(), true, '1', false},
        {"cancel", false, QStringLiteral("0"), false, '1', true},
        {"ok, text outside Latin-1", false, QString::fromUtf8("€"), true, '1', false},
    };
    TFormOpGlobales dlg;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        programOptions().DefaultScore = '1';
        DesktopOptions& d = desktopOptions();
        d.AutoSaveDesktop = d.ShowList = d.ShowThumbnails = d.ShowSlideshow = d.ShowZones = true;
        sp.answerDialog([&](QDialog* dd) {
            EXPECT_EQ(dd->findChild<QComboBox*>("ComboBoxScore")->currentText(), QStringLiteral("1"));
            for (auto* box : dd->findChildren<QCheckBox*>()) {
                EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
                box->setChecked(c.flags);
            }
            dd->findChild<QComboBox*>("ComboBoxScore")->setEditText(c.score);
            click(dd, c.ok ? "BitBtnOk" : "BitBtnAnnuler");
        });
        EXPECT_EQ(prompts().exec(&dlg), c.ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(programOptions().DefaultScore, c.expectedScore);
        for (bool f : {d.AutoSaveDesktop, d.ShowList, d.ShowThumbnails, d.ShowSlideshow, d.ShowZones})
            EXPECT_EQ(f, c.expectedFlags);
    }
    EXPECT_FALSE(QFile::exists(optionsFilePath()));
}

TEST_F(OptionDialogTest, GlobalOptionsShowEachFlagInItsOwnBox)
{
    const char* boxes[] = {"CheckBoxAutoSave", "CheckBoxListe", "CheckBoxVignettes", "CheckBoxDiaporama",
                           "CheckBoxZones"};
    bool DesktopOptions::*fields[] = {&DesktopOptions::AutoSaveDesktop, &DesktopOptions::ShowList,
                                      &DesktopOptions::ShowThumbnails, &DesktopOptions::ShowSlideshow,
                                      &DesktopOptions::ShowZones};
    TFormOpGlobales dlg;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(boxes[i]);
        DesktopOptions& d = desktopOptions();
        d.AutoSaveDesktop = d.ShowList = d.ShowThumbnails = d.ShowSlideshow = d.ShowZones = false;
        d.*fields[i] = true;
        sp.answerDialog([&](QDialog* dd) {
            for (int j = 0; j < 5; ++j)
                EXPECT_EQ(dd->findChild<QCheckBox*>(boxes[j])->isChecked(), i == j) << boxes[j];
            dd->findChild<QCheckBox*>(boxes[i])->setChecked(false);
            dd->findChild<QCheckBox*>(boxes[(i + 1) % 5])->setChecked(true);
            click(dd, "BitBtnOk");
        });
        prompts().exec(&dlg);
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(d.*fields[j], j == (i + 1) % 5) << boxes[j];
    }
}

}  // namespace
