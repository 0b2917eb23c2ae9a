// The review's rules without any window: ends of the list, tag modes, markers, the stop flag and the
// decode ahead, on real picture files.
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "controller/KeyMap.h"
#include "controller/ReviewController.h"
#include "settings/Options.h"

#include <QDir>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetLiveOptions();
        setDefaults(programOptions());
        setDesktopDefaults(desktopOptions());
        desktopOptions().ShowThumbnails = false;
        setPrompts(&sp);
    }
    void TearDown() override { setPrompts(nullptr); }

    // n entries, each its own picture of (20 + i) × 10 so a shown frame tells its entry.
    QStringList fill(int n, const char* ext = "bmp")
    {
        QStringList paths;
        for (int i = 0; i < n; ++i) {
            paths << dir.filePath(QStringLiteral("f%1.%2").arg(i, 3, 10, QChar('0')).arg(QLatin1String(ext)));
            EXPECT_TRUE(writeTestImage(paths.back(), 20 + i, 10));
        }
        r.document().appendFiles(paths);
        r.Recount();
        return paths;
    }
    int shownWidth() const { return r.frame().picture.width(); }
    QString cell(int column, int row) { return r.model().cell(column, row); }

    QTemporaryDir dir;
    ScriptedPrompts sp;
    ReviewController r;
};

TEST_F(ReviewTest, EndsStopOrWrapAndOnlyGotoRowStopsTheSlideshowVisibly)
{
    fill(10);
    QSignalSpy playing(&r, &ReviewController::playingChanged);
    struct Case {
        const char* what;
        bool loop;
        int from;
        void (ReviewController::*move)();
        int row;
        bool stillPlaying;
    };
    const Case cases[] = {
        {"next inside", false, 4, &ReviewController::Avant, 5, false},
        {"next at the end", false, 10, &ReviewController::Avant, 10, false},
        {"next at the end, loop", true, 10, &ReviewController::Avant, 1, false},
        {"fast forward past the end", false, 9, &ReviewController::AvantRapide, 10, false},
        {"fast forward past the end, loop", true, 9, &ReviewController::AvantRapide, 1, false},
        {"fast back past the start", false, 2, &ReviewController::ArriereRapide, 1, false},
        {"fast back past the start, loop", true, 2, &ReviewController::ArriereRapide, 10, false},
        {"previous at the start, loop", true, 1, &ReviewController::Arriere, 10, false},
        {"tick inside", false, 3, &ReviewController::Tourne, 4, true},
        {"tick at the end", false, 10, &ReviewController::Tourne, 10, false},
        {"tick at the end, loop", true, 10, &ReviewController::Tourne, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        programOptions().SlideLoop = c.loop;
        r.GotoRow(c.from);
        r.SetPlaying(true);
        (r.*c.move)();
        r.Timer()->stop();
        EXPECT_EQ(r.CurrentRow(), c.row);
        EXPECT_EQ(r.Playing(), c.stillPlaying);
        EXPECT_EQ(shownWidth(), 20 + c.row - 1) << "the frame shown is the current entry's";
        EXPECT_EQ(r.positionText(), QStringLiteral("%1//%2").arg(c.row - 1).arg(10 - c.row));
    }
    // SelectRow (a recount, a click) clears Playing without telling the buttons.
    programOptions().SlideLoop = false;
    r.SetPlaying(true);
    playing.clear();
    r.SelectRow(40);
    EXPECT_EQ(r.CurrentRow(), 10);
    EXPECT_FALSE(r.Playing());
    EXPECT_TRUE(playing.isEmpty());
    EXPECT_TRUE(sp.shown().empty());
}

TEST_F(ReviewTest, ModifiersChooseTheColumnAndAMoveRestoresTheDefaultMode)
{
    fill(3);
    r.Debut();
    struct Step {
        KeyPress key;
        const char* label;
        int column;  // written by this key, -1: none
        const char* value;
        TagMode after;
    };
    const int Q = ListModel::ColQuality, Z = ListModel::ColZone, E = ListModel::ColExtra;
    const Step steps[] = {
        {{vk::Key0 + 1, true}, "S=1", Q, "1", TagMode::Quality},
        {{vk::Key0 + 4, false, true}, "Z=4", Z, "4", TagMode::Zone},
        {{vk::Key0 + 6}, "Z=6", Z, "6", TagMode::Zone},  // a bare digit keeps the mode
        {{vk::Key0 + 7, false, false, true}, "E=7", E, "7", TagMode::Extra},
        {{vk::Decimal}, "E=7", -1, "", TagMode::Quality},
        {{vk::Decimal}, "E=7", -1, "", TagMode::Zone},
        {{vk::F5}, "E=7", -1, "", TagMode::Zone},  // now the default
        {{vk::Numpad0 + 2}, "Z=2", Z, "2", TagMode::Zone},
        {{vk::Right}, "S=0", -1, "", TagMode::Zone},  // the move restores the default: zone
        {{vk::Key0 + 5}, "Z=5", Z, "5", TagMode::Zone},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        const int row = r.CurrentRow();
        r.HandleKey(s.key);
        EXPECT_EQ(r.tagLabel(), QString::fromLatin1(s.label));
        if (s.column >= 0) {
            EXPECT_EQ(cell(s.column, row), QString::fromLatin1(s.value));
        }
        EXPECT_EQ(r.tagMode(), s.after);
    }
    EXPECT_EQ(r.CurrentRow(), 2);
    EXPECT_EQ(cell(ListModel::ColZone, 2), "5");
    EXPECT_TRUE(r.ListModified());
}

TEST_F(ReviewTest, AScoreAboveMaxScoreIsClampedAndTogglesTheReference)
{
    fill(2);
    r.Debut();
    QSignalSpy shown(&r, &ReviewController::referenceShown);
    programOptions().MaxScore = 2;
    r.HandleKey({vk::Key0 + 7, true});
    EXPECT_EQ(r.tagLabel(), "S=7");
    EXPECT_EQ(cell(ListModel::ColQuality, 1), "2");
    EXPECT_EQ(cell(ListModel::ColExtra, 1), "10");
    EXPECT_EQ(r.references().items, QStringList({"0"}));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0][0].value<QImage>().width(), 20);
    // Again on the same entry: the selected reference is removed, nothing more is shown.
    r.HandleKey({vk::Key0 + 9, true});
    EXPECT_TRUE(r.references().items.isEmpty());
    EXPECT_EQ(shown.size(), 1);
}

TEST_F(ReviewTest, MarkersToggleInThreeCasesAndBackspaceReturns)
{
    fill(12);
    EXPECT_EQ(r.markers().items, QStringList({"0"}));
    r.GotoRow(11);
    r.SpeedButtonBaliseClick();  // added and selected
    EXPECT_EQ(r.markers().items, QStringList({"0", "10"}));
    EXPECT_EQ(r.markers().selected, 1);
    EXPECT_EQ(r.MarkerRow(), 11);
    r.GotoRow(3);
    r.SpeedButtonBaliseClick();  // "2" sorts after "10" as text
    EXPECT_EQ(r.markers().items, QStringList({"0", "10", "2"}));
    r.ChooseMarker(1);
    EXPECT_EQ(r.CurrentRow(), 11);
    r.GotoRow(3);
    r.SpeedButtonBaliseClick();  // present, another item selected: nothing happens
    EXPECT_EQ(r.markers().items.size(), 3);
    r.GotoMarker();
    EXPECT_EQ(r.CurrentRow(), 11);
    EXPECT_EQ(shownWidth(), 30);
    r.SpeedButtonBaliseClick();  // present and selected: removed, marker row kept
    EXPECT_EQ(r.markers().items, QStringList({"0", "2"}));
    EXPECT_EQ(r.markers().selected, -1);
    EXPECT_EQ(r.MarkerRow(), 11);
}

TEST_F(ReviewTest, TheStopFlagHoldsForOnePassAndIsClearedHoweverItEnds)
{
    StopFlag& flag = r.stopFlag();
    EXPECT_FALSE(flag.running());
    {
        StopScope pass(flag);
        EXPECT_TRUE(r.BatchRunning());
        {
            StopScope second(flag);  // a pass started while one runs shares the flag
        }
        EXPECT_FALSE(pass.running()) << "whichever ends first clears it for both";
    }
    try {
        StopScope pass(flag);
        throw std::runtime_error("fin");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(flag.running());

    // Escape while a pass lets events through stops it.
    fill(30);
    QTimer::singleShot(0, [&] { r.HandleKey({vk::Escape}); });
    QThread::msleep(20);
    const QStringList paths = r.CollectPaths();
    EXPECT_EQ(paths.size(), 1);
    EXPECT_FALSE(r.BatchRunning());
}

// What the user sees must not depend on whether the frame was decoded ahead: a file replaced or
// removed after it was decoded ahead is shown, or refused, as it now is on disk.
TEST_F(ReviewTest, FramesDecodedAheadStayTrueToTheFiles)
{
    for (const char* ext : {"bmp", "jpg"}) {
        SCOPED_TRACE(ext);
        r.document().clear();
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        const QStringList paths = fill(6, ext);
        r.setDisplaySize(QSize(64, 48));
        r.Debut();

        r.waitForDecodeAhead();
        r.Avant();  // decoded ahead, unchanged
        EXPECT_EQ(shownWidth(), 21);

        r.waitForDecodeAhead();
        ASSERT_TRUE(writeTestImage(paths[2], 77, 10));  // replaced after it was decoded ahead
        r.Avant();
        EXPECT_EQ(shownWidth(), 77);
        EXPECT_EQ(r.frame().caption, paths[2]);

        r.waitForDecodeAhead();
        ASSERT_TRUE(QFile::remove(paths[3]));  // removed after it was decoded ahead
        sp.clear();
        r.Avant();
        EXPECT_EQ(r.CurrentRow(), 4);
        ASSERT_EQ(sp.messages().size(), 1);
        EXPECT_TRUE(sp.messages()[0].startsWith(QString::fromUtf8("Impossible d'ouvrir le fichier \"") + paths[3]));
        EXPECT_TRUE(r.frame().picture.isNull());

        // Backwards, the decode ahead follows the direction of the moves.
        r.GotoRow(6);
        r.ShowCurrent(6);
        r.Arriere();
        r.waitForDecodeAhead();
        ASSERT_TRUE(writeTestImage(paths[3], 55, 10));
        r.Arriere();
        EXPECT_EQ(shownWidth(), 55);
    }
}

TEST_F(ReviewTest, ARecountShowsTheFirstEntryQuietly)
{
    const QStringList paths = fill(3);
    r.GotoRow(3);
    r.ShowCurrent(3);
    ASSERT_TRUE(QFile::remove(paths[0]));
    sp.clear();
    r.Recount();
    EXPECT_EQ(r.CurrentRow(), 1);
    EXPECT_EQ(r.positionText(), "0//2");
    EXPECT_EQ(r.frame().caption, QStringLiteral("Impossible de Charger: ") + paths[0]);
    EXPECT_TRUE(r.frame().picture.isNull());
    EXPECT_TRUE(sp.shown().empty()) << "no box for a list that was only recounted";
}

}  // namespace
