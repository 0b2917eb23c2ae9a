#include "controller/ReviewController.h"
#include "app/Windows.h"
#include "list/Uliste.h"
#include "review/ThumbnailGeometry.h"
#include "review/UPageGrid.h"
#include "review/Uopvignette.h"
#include "review/Uopzone.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"
#include "settings/Options.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Types text into a spin field as the user would; the field settles it when it is read.
void typeInto(QSpinBox* spin, const QString& text) { spin->findChild<QLineEdit*>()->setText(text); }

class PageWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = appWindows();
        resetLiveOptions();
        setDesktopDefaults(desktopOptions());
        setPrompts(&prompts_);
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        appWindows() = saved_;
    }

    // count small bitmaps, each of its own size so pictures can be told apart.
    QStringList makeImages(int count, const QString& ext = QStringLiteral("bmp"))
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString p = dir_.filePath(QStringLiteral("img%1.%2").arg(i, 3, 10, QChar('0')).arg(ext));
            EXPECT_TRUE(writeTestImage(p, 20 + i, 16));
            paths << p;
        }
        return paths;
    }

    static std::vector<int> shownSlots(const TPageGrid& w)
    {
        std::vector<int> out;
        for (int s = 0; s < w.CellCount(); ++s)
            if (!w.Cell(s)->isHidden())
                out.push_back(s);
        return out;
    }
    static QStringList titles(const TPageGrid& w)
    {
        QStringList out;
        for (int s = 0; s < w.CellCount(); ++s)
            out << (w.Cell(s)->isHidden() ? QStringLiteral("-") : w.Cell(s)->title());
        return out;
    }

    ReviewController& review() { return review_; }

    QTemporaryDir dir_;
    ScriptedPrompts prompts_;
    ReviewController review_;
    AppWindows saved_;
};

TEST_F(PageWindows, ZoneCellsKeepTheFirstEntryOfEachZone)
{
    const QStringList img = makeImages(12);
    TFormZone zone;
    EXPECT_EQ(zone.windowTitle(), QString::fromUtf8("Zônes"));

    zone.AssignZoneImage(3, img[7]);  // entry 7 tagged zone 3
    zone.AssignZoneImage(3, img[9]);  // a later entry: zone 3 already shows a picture
    zone.AssignZoneImage(-1, img[1]);
    zone.AssignZoneImage(10, img[2]);
    zone.AssignZoneImage(12, img[4]);

    ASSERT_EQ(zone.Grid()->CellCount(), 10);
    EXPECT_EQ(zone.Grid()->ItemPath(3), img[7]);
    EXPECT_EQ(shownSlots(*zone.Grid()), std::vector<int>{3});
    EXPECT_EQ(zone.Grid()->Cell(3)->title(), QStringLiteral("3"));
    EXPECT_EQ(zone.Grid()->CellPicture(3)->pixmap().size(), QSize(27, 16));  // img7 is 27 × 16
    // The fourth slot, even though zones 0 to 2 are empty.
    EXPECT_EQ(zone.Grid()->Cell(3)->geometry(), cellRect(3, zone.Grid()->Columns(), QSize(75, 75)));

    // The rebuild: cleared, then every entry in list order; the first one with zone 3 wins.
    struct Entry {
        int zone;
        int image;
    } entries[] = {{1, 0}, {3, 2}, {0, 5}, {3, 7}, {1, 8}, {3, 9}};
    zone.ClearPage();
    EXPECT_EQ(zone.Grid()->CellCount(), 0);
    for (const Entry& e : entries)
        zone.AssignZoneImage(e.zone, img[e.image]);
    EXPECT_EQ(zone.Grid()->ItemPath(3), img[2]);
    EXPECT_EQ(zone.Grid()->ItemPath(1), img[0]);
    EXPECT_EQ(zone.Grid()->ItemPath(0), img[5]);
    EXPECT_EQ(shownSlots(*zone.Grid()), (std::vector<int>{0, 1, 3}));

    // A click on a zone's picture highlights it and shows its path.
    QTest::mouseClick(zone.Grid()->CellPicture(1), Qt::LeftButton);
    EXPECT_EQ(zone.Grid()->HighlightedSlot(), 1);
    EXPECT_EQ(zone.windowTitle(), img[0]);
}

TEST_F(PageWindows, PagesMoveByPageAndByOne)
{
    const QStringList img = makeImages(20);
    TFormVignette w(review_);
    desktopOptions().ThumbFirst = 7;
    w.BuildThumbnailPage(img, 0, 6);
    EXPECT_EQ(desktopOptions().ThumbFirst, 0);
    EXPECT_EQ(w.Grid()->CellCount(), 6);
    EXPECT_EQ(w.Grid()->LastStart(), 14);
    EXPECT_FALSE(w.Grid()->NavigationBar()->isHidden());
    EXPECT_FALSE(w.ButtonEnabledPageAr());
    EXPECT_TRUE(w.ButtonEnabledPageAv());
    EXPECT_EQ(titles(*w.Grid()).join(','), QStringLiteral("0,1,2,3,4,5"));

    // Page forward: 0, 6, 12, 18 (beyond the last start), then it stays.
    struct Step {
        void (TFormVignette::*button)();
        int first;
        const char* titles;
        bool pageAr, ar, av, pageAv;
    } steps[] = {
        {&TFormVignette::SpeedButtonPageAvClick, 6, "6,7,8,9,10,11", true, true, true, true},
        {&TFormVignette::SpeedButtonPageAvClick, 12, "12,13,14,15,16,17", true, true, true, true},
        {&TFormVignette::SpeedButtonPageAvClick, 18, "18,19,-,-,-,-", true, true, true, false},
        {&TFormVignette::SpeedButtonPageAvClick, 18, "18,19,-,-,-,-", true, true, true, false},
        {&TFormVignette::SpeedButtonAvClick, 19, "19,-,-,-,-,-", true, true, false, false},
        {&TFormVignette::SpeedButtonAvClick, 19, "19,-,-,-,-,-", true, true, false, false},
        // One back shows the slots of the items that come back into the page.
        {&TFormVignette::SpeedButtonArClick, 18, "18,19,-,-,-,-", true, true, true, false},
        {&TFormVignette::SpeedButtonArClick, 17, "17,18,19,-,-,-", true, true, true, false},
        {&TFormVignette::SpeedButtonPageArClick, 11, "11,12,13,14,15,16", true, true, true, true},
        {&TFormVignette::SpeedButtonPageArClick, 5, "5,6,7,8,9,10", true, true, true, true},
        {&TFormVignette::SpeedButtonPageArClick, 0, "0,1,2,3,4,5", false, false, true, true},
        {&TFormVignette::SpeedButtonAvClick, 1, "1,2,3,4,5,6", true, true, true, true},
        {&TFormVignette::SpeedButtonAvClick, 2, "2,3,4,5,6,7", true, true, true, true},
        {&TFormVignette::SpeedButtonArClick, 1, "1,2,3,4,5,6", true, true, true, true},
        {&TFormVignette::SpeedButtonArClick, 0, "0,1,2,3,4,5", false, false, true, true},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(n++));
        (w.*s.button)();
        EXPECT_EQ(w.Grid()->First(), s.first);
        EXPECT_EQ(titles(*w.Grid()).join(','), QString::fromLatin1(s.titles));
        EXPECT_EQ(w.ButtonEnabledPageAr(), s.pageAr);
        EXPECT_EQ(w.ButtonEnabledAr(), s.ar);
        EXPECT_EQ(w.ButtonEnabledAv(), s.av);
        EXPECT_EQ(w.ButtonEnabledPageAv(), s.pageAv);
        // Each shown slot holds its own item's picture (image i is 20 + i pixels wide).
        for (int slot = 0; slot < w.Grid()->CellCount(); ++slot) {
            if (!w.Grid()->Cell(slot)->isHidden()) {
                EXPECT_EQ(w.Grid()->CellPicture(slot)->pixmap().width(), 20 + s.first + slot) << "slot " << slot;
            }
        }
    }
    // Moves write ThumbFirst only when they bring the page back to 0.
    w.SpeedButtonPageAvClick();
    EXPECT_EQ(desktopOptions().ThumbFirst, 0);
    EXPECT_TRUE(prompts_.messages().isEmpty());
}

TEST_F(PageWindows, BarAndPageAtTheEdges)
{
    const QStringList img = makeImages(8);
    TFormVignette w(review_);
    struct Case {
        int first, size;
        bool bar, pageAr, pageAv;
        std::vector<int> shown;
    } cases[] = {
        {0, 10, false, false, false, {0, 1, 2, 3, 4, 5, 6, 7}},  // the whole list fits
        {0, 8, false, false, false, {0, 1, 2, 3, 4, 5, 6, 7}},
        {0, 3, true, false, true, {0, 1, 2}},
        {6, 3, true, true, false, {0, 1}},
        {12, 5, true, true, false, {}},  // "De:" beyond the entries: an empty page
        {-4, 3, true, false, true, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + "+" + std::to_string(c.size));
        w.BuildThumbnailPage(img, c.first, c.size);
        EXPECT_EQ(!w.Grid()->NavigationBar()->isHidden(), c.bar);
        EXPECT_EQ(w.ButtonEnabledPageAr(), c.pageAr);
        EXPECT_EQ(w.ButtonEnabledPageAv(), c.pageAv);
        EXPECT_EQ(shownSlots(*w.Grid()), c.shown);
        EXPECT_FALSE(review().BatchRunning());
    }
    w.BuildThumbnailPage({}, 0, 10);
    EXPECT_EQ(w.Grid()->CellCount(), 0);
    EXPECT_TRUE(w.Grid()->NavigationBar()->isHidden());
}

TEST_F(PageWindows, CellsFlowInRowsBelowTheBar)
{
    const QStringList img = makeImages(7);
    TFormVignette w(review_);
    w.resize(240, 400);
    w.show();
    w.BuildThumbnailPage(img, 0, 5);  // bar shown: 5 < 7
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const int bar = w.Grid()->NavigationBar()->height();
    ASSERT_GT(bar, 0);
    for (int width : {240, 160, 60}) {
        SCOPED_TRACE(width);
        w.resize(width, 400);
        QCoreApplication::processEvents();
        const int columns = std::max(1, width / 75);
        EXPECT_EQ(w.Grid()->Columns(), columns);
        for (int s = 0; s < w.Grid()->CellCount(); ++s) {
            const QRect r(w.Grid()->Cell(s)->mapTo(&w, QPoint(0, 0)), w.Grid()->Cell(s)->size());
            EXPECT_EQ(r, cellRect(s, columns, QSize(75, 75), bar)) << "slot " << s;
            // The picture is centred in the frame and keeps its own size.
            const QLabel* pic = w.Grid()->CellPicture(s);
            EXPECT_EQ(pic->size(), QSize(20 + s, 16));
            const QRect inner = w.Grid()->Cell(s)->contentsRect();
            EXPECT_LE(std::abs(pic->geometry().center().x() - inner.center().x()), 1);
        }
    }
    // A new cell size takes effect at the next re-flow.
    w.setwvignette(100);
    w.sethvignette(50);
    w.resize(240, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Grid()->Columns(), 2);
    EXPECT_EQ(w.Grid()->Cell(3)->geometry(), cellRect(3, 2, QSize(100, 50)));
}

TEST_F(PageWindows, HighlightFollowsTheItemOnThePage)
{
    const QStringList img = makeImages(10);
    TFormVignette w(review_);
    w.BuildThumbnailPage(img, 4, 3);
    ASSERT_NE(TPageGrid::CellColor(), TPageGrid::HighlightColor());
    auto background = [&](int slot) { return w.Grid()->Cell(slot)->palette().color(QPalette::Window); };

    w.HighlightItem(5);
    EXPECT_EQ(w.Grid()->HighlightedSlot(), 1);
    EXPECT_EQ(w.windowTitle(), img[5]);
    EXPECT_EQ(background(1), TPageGrid::HighlightColor());
    w.HighlightItem(6);
    EXPECT_EQ(background(1), TPageGrid::CellColor());
    EXPECT_EQ(background(2), TPageGrid::HighlightColor());
    // Items off the page (or not in the list) only take the highlight away.
    for (int off : {3, 7, 10, -1}) {
        w.HighlightItem(6);
        w.HighlightItem(off);
        EXPECT_EQ(w.Grid()->HighlightedSlot(), -1) << off;
        EXPECT_EQ(background(2), TPageGrid::CellColor()) << off;
        EXPECT_EQ(w.windowTitle(), img[6]) << off;
    }
}

TEST_F(PageWindows, ClickMakesTheEntryCurrentInTheList)
{
    const QStringList img = makeImages(30);
    TFormListe liste(review_);
    liste.AppendFiles(img);
    liste.Recount();
    ASSERT_EQ(review().LastRow(), 30);
    TFormVignette w(review_);
    w.BuildThumbnailPage(img, 20, 6);
    for (int slot : {0, 3, 5}) {
        SCOPED_TRACE(slot);
        QTest::mouseClick(w.Grid()->CellPicture(slot), Qt::LeftButton);
        EXPECT_EQ(review().CurrentRow(), 20 + slot + 1);
        EXPECT_EQ(w.Grid()->HighlightedSlot(), slot);
        EXPECT_EQ(w.windowTitle(), img[20 + slot]);
    }
    // The frame around the picture does nothing.
    QTest::mouseClick(w.Grid()->Cell(1), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(review().CurrentRow(), 26);
}

TEST_F(PageWindows, BuildStopsAtAnUndecodablePicture)
{
    QStringList img = makeImages(6);
    ASSERT_TRUE(writeAll(img[3], QByteArray("BM broken")));
    TFormVignette w(review_);
    w.BuildThumbnailPage(img, 0, 6);
    ASSERT_EQ(prompts_.messages().size(), 1);
    EXPECT_EQ(prompts_.messages()[0], QStringLiteral("Image bitmap incorrecte"));
    EXPECT_EQ(w.Grid()->CellCount(), 4);  // the build ended at item 3
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(w.Grid()->CellPicture(s)->pixmap().width(), 20 + s);
    EXPECT_TRUE(w.Grid()->CellPicture(3)->pixmap().isNull());
    EXPECT_FALSE(review().BatchRunning());

    // Moving onto it again shows the box once and leaves the window usable.
    prompts_.clear();
    w.BuildThumbnailPage(img, 4, 2);
    w.SpeedButtonArClick();  // item 3 enters slot 0
    EXPECT_EQ(prompts_.messages().size(), 1);
    EXPECT_EQ(w.Grid()->First(), 3);
}

TEST_F(PageWindows, StopKeyEndsTheBuildEarly)
{
    const QStringList img = makeImages(40);
    TFormVignette w(review_);
    // Escape in the command window clears the flag while the build lets events through.
    QTimer::singleShot(0, [this] { review().stopFlag().stop(); });
    QThread::msleep(20);  // events are let through at most every 15 ms: the first entry does it
    w.BuildThumbnailPage(img, 0, 40);
    EXPECT_EQ(w.Grid()->CellCount(), 1);
    EXPECT_FALSE(w.Grid()->Cell(0)->isHidden());
    EXPECT_FALSE(review().BatchRunning());
}

TEST_F(PageWindows, ThumbnailOptionsLimitsAndOk)
{
    TFormVignette w(review_);
    TFormopvignette dialog;
    int entries = 250;
    dialog.setEntryCount([&entries] { return entries; });
    QObject::connect(&dialog, &TFormopvignette::cellSizeChosen, &w, [&w](int height, int width) {
        w.sethvignette(height);
        w.setwvignette(width);
    });
    desktopOptions().ThumbFirst = 150;
    desktopOptions().ThumbPageSize = 200;

    prompts_.answerDialog([](QDialog* d) {
        auto* de = d->findChild<QSpinBox*>(QStringLiteral("SpinEditDe"));
        auto* nombre = d->findChild<QSpinBox*>(QStringLiteral("SpinEditNombre"));
        EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("LabelTitreNombre"))->text(),
                  QStringLiteral("Nombre de Vignettes dans la Liste: "));
        EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("LabelNombre"))->text(), QStringLiteral("250"));
        EXPECT_EQ(de->maximum(), 100);
        EXPECT_EQ(nombre->maximum(), 100);
        EXPECT_EQ(de->value(), 100);  // 150 brought to the limit
        EXPECT_EQ(nombre->value(), 100);
        de->setValue(40);
        d->findChild<QPushButton*>(QStringLiteral("ButtonToutes"))->click();
        EXPECT_EQ(de->value(), 0);
        EXPECT_EQ(nombre->value(), 100);
        nombre->setValue(12);
        // Cell sizes of 0 or below are raised to 1.
        auto* h = d->findChild<QSpinBox*>(QStringLiteral("SpinEditHauteur"));
        auto* l = d->findChild<QSpinBox*>(QStringLiteral("SpinEditLargeur"));
        typeInto(h, QStringLiteral("0"));
        typeInto(l, QStringLiteral("-5"));
        d->findChild<QCheckBox*>(QStringLiteral("CheckBoxNePasRedemander"))->setChecked(true);
        d->findChild<QPushButton*>(QStringLiteral("BitBtnOk"))->click();
    });
    EXPECT_EQ(prompts_.exec(&dialog), QDialog::Accepted);
    const DesktopOptions& o = desktopOptions();
    EXPECT_EQ(o.ThumbFirst, 0);
    EXPECT_EQ(o.ThumbPageSize, 12);
    EXPECT_EQ(o.ThumbCellHeight, 1);
    EXPECT_EQ(o.ThumbCellWidth, 1);
    EXPECT_TRUE(o.ThumbDontAsk);
    EXPECT_EQ(w.Grid()->CellHeight(), 1);
    EXPECT_EQ(w.Grid()->CellWidth(), 1);

    // A short list: "Toutes.." takes all of it; cancel changes nothing.
    entries = 30;
    prompts_.answerDialog([](QDialog* d) {
        d->findChild<QPushButton*>(QStringLiteral("ButtonToutes"))->click();
        EXPECT_EQ(d->findChild<QSpinBox*>(QStringLiteral("SpinEditNombre"))->value(), 30);
        d->findChild<QPushButton*>(QStringLiteral("BitBtnAnnuler"))->click();
    });
    EXPECT_EQ(prompts_.exec(&dialog), QDialog::Rejected);
    EXPECT_EQ(desktopOptions().ThumbPageSize, 12);
}

TEST_F(PageWindows, ZoneOptionsSetTheZoneCells)
{
    TFormZone zone;
    TFormopzone dialog;
    QObject::connect(&dialog, &TFormopzone::cellSizeChosen, &zone, [&zone](int height, int width) {
        zone.sethvignette(height);
        zone.setwvignette(width);
    });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options Zones:"));
    struct Case {
        const char* h;
        const char* w;
        int height, width;
    } cases[] = {{"60", "90", 60, 90}, {"0", "-5", 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.h);
        prompts_.answerDialog([&](QDialog* d) {
            typeInto(d->findChild<QSpinBox*>(QStringLiteral("SpinEditHauteur")), c.h);
            typeInto(d->findChild<QSpinBox*>(QStringLiteral("SpinEditLargeur")), c.w);
            d->findChild<QPushButton*>(QStringLiteral("BitBtnOk"))->click();
        });
        EXPECT_EQ(prompts_.exec(&dialog), QDialog::Accepted);
        EXPECT_EQ(desktopOptions().ZoneCellHeight, c.height);
        EXPECT_EQ(desktopOptions().ZoneCellWidth, c.width);
        EXPECT_EQ(zone.Grid()->CellHeight(), c.height);
        EXPECT_EQ(zone.Grid()->CellWidth(), c.width);
    }
    // The setters themselves refuse sizes below 1, since the layout divides by them.
    zone.sethvignette(0);
    zone.setwvignette(-5);
    EXPECT_EQ(zone.Grid()->CellHeight(), 1);
    EXPECT_EQ(zone.Grid()->CellWidth(), 1);
}

}  // namespace
