// The desktop commands F8, F9, F10, the views and the error guard of the menu commands.
#include "ProgramFixture.h"
#include "app/QtWindowPlace.h"
#include "list/Uliste.h"
#include "platform/ProgramError.h"
#include "review/UDiapo.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"

#include <QAction>
#include <QTest>

namespace {
constexpr int kDesk = kDesktopOptionsOffset;

struct Places {
    WindowPlace command, slideshow, list, zone, thumbnail;
};

Places placesNow(TFormCommande* c)
{
    const AppWindows& w = appWindows();
    return {windowPlaceOf(c), windowPlaceOf(w.Diapo), windowPlaceOf(w.Liste), windowPlaceOf(w.Zone),
            windowPlaceOf(w.Vignette)};
}

void expectPlaces(const Places& got, const WindowPlace& command, const WindowPlace& slideshow,
                  const WindowPlace& list, const WindowPlace& zone, const WindowPlace& thumbnail)
{
    EXPECT_EQ(got.command, command);
    EXPECT_EQ(got.slideshow, slideshow);
    EXPECT_EQ(got.list, list);
    EXPECT_EQ(got.zone, zone);
    EXPECT_EQ(got.thumbnail, thumbnail);
}

// Places away from the defaults, so that a capture cannot pass by chance.
const WindowPlace kListMoved{33, 41, 222, 301};
const WindowPlace kZoneMoved{150, 500, 300, 140};
const WindowPlace kCommandMoved{12, 60, 90, 660};

void moveSomeWindows(TFormCommande* c)
{
    placeWindow(appWindows().Liste, kListMoved);
    placeWindow(appWindows().Zone, kZoneMoved);
    placeWindow(c, kCommandMoved, true);
}
}  // namespace

using DesktopTest = ProgramTest;

TEST_F(DesktopTest, F8FromAViewWindowWritesTheWholeFileWithTheWindowPlaces)
{
    moveSomeWindows(commande);
    // The shortcut acts from any window of the program.
    QTest::keyClick(appWindows().Liste, Qt::Key_F8);

    const QByteArray bytes = readAll(optionsFilePath());
    ASSERT_EQ(bytes.size(), kOptionsFileSize);
    EXPECT_EQ(bytes.mid(0, 9), QByteArray("\x08Velmoran"));
    const DefaultPlaces def = defaultPlaces(screenSize());
    EXPECT_EQ(placeAt(bytes, kDesk + 4), kCommandMoved);
    EXPECT_EQ(placeAt(bytes, kDesk + 20), def.slideshow);
    EXPECT_EQ(placeAt(bytes, kDesk + 36), kListMoved);
    EXPECT_EQ(placeAt(bytes, kDesk + 52), kZoneMoved);
    EXPECT_EQ(placeAt(bytes, kDesk + 68), def.thumbnail);
    // Reference window never created: its default place is kept.
    EXPECT_EQ(placeAt(bytes, kDesk + 84), (WindowPlace{screenSize().height() / 2, screenSize().width() / 2, 100, 100}));
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(DesktopTest, RestartTakesTheSavedPlacesAndWithoutFileTheDefaults)
{
    moveSomeWindows(commande);
    commande->MenuAction("Options_EnregistrerBureau")->trigger();
    const DefaultPlaces def = defaultPlaces(screenSize());

    restart();
    expectPlaces(placesNow(commande), kCommandMoved, def.slideshow, kListMoved, kZoneMoved, def.thumbnail);

    removeSettingsFile();
    restart();
    expectPlaces(placesNow(commande), def.command, def.slideshow, def.list, def.zone, def.thumbnail);
}

TEST_F(DesktopTest, F10ShowsTheDefaultsWithoutWritingAndF9BringsTheSavedDesktopBack)
{
    const DefaultPlaces def = defaultPlaces(screenSize());
    moveSomeWindows(commande);
    desktopOptions().ShowZones = false;
    QTest::keyClick(commande, Qt::Key_F8);
    const QByteArray saved = readAll(optionsFilePath());
    ASSERT_EQ(saved.size(), kOptionsFileSize);

    // Changes after the save: F9 must undo those of ProgramOptions but not ExtractorOptions.
    programOptions().FastStep = 9;
    extractorOptions().ExtractorDontAsk = true;

    QTest::keyClick(appWindows().Zone, Qt::Key_F10);
    expectPlaces(placesNow(commande), def.command, def.slideshow, def.list, def.zone, def.thumbnail);
    EXPECT_TRUE(appWindows().Zone->isVisible());
    EXPECT_EQ(programOptions().FastStep, 3);
    EXPECT_EQ(readAll(optionsFilePath()), saved) << "F10 writes nothing";
    EXPECT_TRUE(QTest::qWaitForWindowActive(commande));

    programOptions().FastStep = 9;
    QTest::keyClick(appWindows().Liste, Qt::Key_F9);
    expectPlaces(placesNow(commande), kCommandMoved, def.slideshow, kListMoved, kZoneMoved, def.thumbnail);
    EXPECT_FALSE(appWindows().Zone->isVisible());
    EXPECT_TRUE(appWindows().Liste->isVisible());
    EXPECT_EQ(programOptions().FastStep, 3);
    EXPECT_TRUE(extractorOptions().ExtractorDontAsk) << "F9 does not reload the extractor options";
    EXPECT_TRUE(QTest::qWaitForWindowActive(commande));
    EXPECT_EQ(readAll(optionsFilePath()), saved);
}

TEST_F(DesktopTest, ApplyLayoutShowsAndHidesByTheFlagsAndHooksKeysOnce)
{
    DesktopOptions& d = desktopOptions();
    const AppWindows& w = appWindows();
    struct Row {
        bool list, slideshow, thumbnails, zones;
    };
    for (const Row r : {Row{false, true, false, true}, Row{true, false, true, false}, Row{false, false, false, false}}) {
        d.ShowList = r.list;
        d.ShowSlideshow = r.slideshow;
        d.ShowThumbnails = r.thumbnails;
        d.ShowZones = r.zones;
        commande->ApplyLayout();
        EXPECT_TRUE(commande->isVisible());
        EXPECT_EQ(w.Liste->isVisible(), r.list);
        EXPECT_EQ(w.Diapo->isVisible(), r.slideshow);
        EXPECT_EQ(w.Vignette->isVisible(), r.thumbnails);
        EXPECT_EQ(w.Zone->isVisible(), r.zones);
        EXPECT_EQ(w.Diapo->windowTitle(), "Diaporama");
    }
}

TEST_F(DesktopTest, ThumbnailViewFollowsItsFlagAndAsksNothingForAnEmptyList)
{
    TFormVignette* vignette = appWindows().Vignette;
    desktopOptions().ShowThumbnails = false;
    vignette->hide();
    commande->MenuAction("Voir_Vignettes")->trigger();
    EXPECT_FALSE(vignette->isVisible()) << "nothing happens while ShowThumbnails is off";

    commande->MenuAction("Voir_RegenereVignettes")->trigger();
    EXPECT_TRUE(desktopOptions().ShowThumbnails);
    EXPECT_TRUE(vignette->isVisible());
    EXPECT_TRUE(scripted.shown().empty()) << "no thumbnail options asked for an empty list";
}

TEST_F(DesktopTest, ClosingAViewWindowOnlyHidesIt)
{
    TFormZone* zone = appWindows().Zone;
    zone->close();
    EXPECT_FALSE(zone->isVisible());
    EXPECT_EQ(appWindows().Zone, zone);
    EXPECT_TRUE(commande->isVisible());
    commande->MenuAction("Voir_Zones")->trigger();
    EXPECT_TRUE(zone->isVisible());
}

namespace {
// Fails the way a command can fail half-way: the error escapes the command.
class FailingPrompts : public CancellingPrompts {
public:
    int exec(QDialog*) override { throw ProgramError(QString::fromUtf8("Accès au fichier refusé")); }
};
}

TEST_F(DesktopTest, AnErrorEscapingACommandIsShownAndTheProgramGoesOn)
{
    FailingPrompts failing;
    setPrompts(&failing);
    commande->MenuAction("Aide_APropos")->trigger();
    commande->MenuAction("Options_Diaporama")->trigger();
    EXPECT_EQ(failing.of("error"), QStringList({QString::fromUtf8("Accès au fichier refusé"),
                                                QString::fromUtf8("Accès au fichier refusé")}));
    EXPECT_TRUE(commande->isVisible());

    // The next command works.
    QTest::keyClick(commande, Qt::Key_F8);
    EXPECT_EQ(readAll(optionsFilePath()).size(), kOptionsFileSize);
    setPrompts(&scripted);
}
