// Markers ("Balise") and reference images ("Référence").
#include "NavFixture.h"
#include "app/QtWindowPlace.h"

using MarkersTest = NavTest;

namespace {
// The user's choice of an item in a drop-down list.
void choose(QComboBox* combo, const QString& text)
{
    const int i = combo->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    combo->setCurrentIndex(i);
    emit combo->activated(i);
}
}

TEST_F(MarkersTest, BaliseTogglesTheMarkerOfTheEntryOnShow)
{
    fill(20);
    QComboBox* balise = commande->ComboBoxBalise();
    ASSERT_EQ(items(balise), QStringList({"0"}));
    struct Step {
        int row;
        QStringList items;
        const char* selected;
        int markerRow;
    };
    const Step steps[] = {
        {5, {"0", "4"}, "4", 5},        // added and selected
        {5, {"0"}, "", 5},              // again at once: removed, MarkerRow kept
        {5, {"0", "4"}, "4", 5},
        {10, {"0", "4", "9"}, "9", 10},
        {5, {"0", "4", "9"}, "9", 10},  // present, another one selected: nothing
        {3, {"0", "2", "4", "9"}, "2", 3},
        {11, {"0", "10", "2", "4", "9"}, "10", 11},  // sorted as text
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.row);
        review().GotoRow(s.row);
        QTest::mouseClick(commande->SpeedButtonBalise(), Qt::LeftButton);
        EXPECT_EQ(items(balise), s.items);
        EXPECT_EQ(balise->currentText(), s.selected);
        EXPECT_EQ(review().MarkerRow(), s.markerRow);
        EXPECT_EQ(review().CurrentRow(), s.row) << "adding a marker does not move";
    }
}

TEST_F(MarkersTest, EnterMarksAndBackspaceReturns)
{
    const QStringList paths = fill(100);
    review().GotoRow(5);
    key(diapo(), Qt::Key_Return);
    EXPECT_EQ(commande->ComboBoxBalise()->currentText(), "4");
    key(diapo(), Qt::Key_End);
    review().setTagMode(TagMode(4));
    key(grid(), Qt::Key_Backspace);
    EXPECT_EQ(review().CurrentRow(), 5);
    EXPECT_EQ(caption(), "4//95");
    EXPECT_EQ(diapo()->windowTitle(), paths[4]);
    EXPECT_EQ(int(review().tagMode()), 1);
    key(grid(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(items(commande->ComboBoxBalise()), QStringList({"0"}));
}

TEST_F(MarkersTest, ChoosingAMarkerGoesThere)
{
    const QStringList paths = fill(30);
    for (const int row : {3, 11, 26}) {
        review().GotoRow(row);
        commande->SpeedButtonBaliseClick();
    }
    review().GotoRow(20);

    choose(commande->ComboBoxBalise(), "2");
    EXPECT_EQ(review().CurrentRow(), 3);
    EXPECT_EQ(review().MarkerRow(), 3);
    EXPECT_EQ(caption(), "2//27");
    EXPECT_EQ(diapo()->windowTitle(), paths[2]);

    // A marker past the end of a list that has since been shortened: the end handling applies.
    for (int row = 21; row <= 30; ++row)
        liste()->model().toggleMark(row);
    liste()->Effacer1Click();
    ASSERT_EQ(review().LastRow(), 20);
    choose(commande->ComboBoxBalise(), "25");
    EXPECT_EQ(review().CurrentRow(), 20);
    EXPECT_EQ(review().MarkerRow(), 20);
    EXPECT_EQ(caption(), "19//0");
    key(grid(), Qt::Key_Home);
    key(grid(), Qt::Key_Backspace);
    EXPECT_EQ(review().CurrentRow(), 20);
}

TEST_F(MarkersTest, ReferenceWindowTakesTheSizeOfItsPicture)
{
    struct Case {
        QSize picture;
        QSize client;
    };
    const Case cases[] = {{{30, 20}, {100, 100}}, {{640, 480}, {640, 480}}, {{150, 40}, {150, 100}}};
    QStringList paths;
    for (const Case& c : cases) {
        paths << dir.filePath(QStringLiteral("ref%1.bmp").arg(c.picture.width()));
        ASSERT_TRUE(writeTestImage(paths.back(), c.picture.width(), c.picture.height(), QColor(250, 0, 0)));
    }
    fillWith(paths);
    const WindowPlace place{200, 300, 150, 180};
    desktopOptions().ReferencePlace = place;
    for (int i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.picture.width());
        review().GotoRow(i + 1);
        QTest::mouseClick(commande->SpeedButtonRef(), Qt::LeftButton);
        TFormRef* ref = appWindows().Ref;
        ASSERT_NE(ref, nullptr);
        if (i == 0) {
            EXPECT_EQ(windowPlaceOf(ref).Top, place.Top) << "opened at the stored place";
            EXPECT_EQ(windowPlaceOf(ref).Left, place.Left);
        }
        EXPECT_TRUE(ref->isVisible());
        EXPECT_EQ(ref->windowTitle(), QString::fromUtf8("Image de Référence"));
        EXPECT_EQ(ref->size(), c.client);
        EXPECT_EQ(ref->picture().size(), c.picture);
        // The picture sits in the top-left corner.
        const QImage shot = ref->grab().toImage();
        const QImage source(paths[i]);
        EXPECT_EQ(shot.pixel(0, 0), source.pixel(0, 0));
        EXPECT_EQ(shot.pixel(c.picture.width() - 1, c.picture.height() - 1),
                  source.pixel(c.picture.width() - 1, c.picture.height() - 1));
        EXPECT_EQ(review().CurrentRow(), i + 1);
    }
    EXPECT_EQ(items(commande->ComboBoxRef()), QStringList({"0", "1", "2"}));

    // Choosing a reference shows it; the entry on show stays.
    choose(commande->ComboBoxRef(), "0");
    EXPECT_EQ(appWindows().Ref->size(), QSize(100, 100));
    EXPECT_EQ(review().CurrentRow(), 3);

    // "Enregistrer Bureau" now keeps the reference window's place.
    appWindows().Ref->move(50, 60);
    commande->SaveDesktop();
    EXPECT_EQ(desktopOptions().ReferencePlace, windowPlaceOf(appWindows().Ref));
    EXPECT_NE(desktopOptions().ReferencePlace, place);
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(MarkersTest, ReferencesThatCannotBeShown)
{
    const QString good = dir.filePath("good.bmp");
    const QString gone = dir.filePath("gone.bmp");
    const QString bad = dir.filePath("bad.bmp");
    ASSERT_TRUE(writeTestImage(good, 200, 150));
    ASSERT_TRUE(writeTestImage(gone, 30, 20));
    ASSERT_TRUE(writeAll(bad, QByteArray("BM not really a bitmap")));
    fillWith({gone, good, bad});
    ASSERT_TRUE(QFile::remove(gone));

    // A missing file: nothing shown, nothing said.
    QTest::mouseClick(commande->SpeedButtonRef(), Qt::LeftButton);
    EXPECT_EQ(items(commande->ComboBoxRef()), QStringList({"0"}));
    EXPECT_TRUE(appWindows().Ref == nullptr || !appWindows().Ref->isVisible());
    EXPECT_TRUE(scripted.shown().empty());

    review().GotoRow(2);
    QTest::mouseClick(commande->SpeedButtonRef(), Qt::LeftButton);
    ASSERT_TRUE(appWindows().Ref->isVisible());
    ASSERT_EQ(appWindows().Ref->picture().size(), QSize(200, 150));

    // An undecodable one: the error box, and the window keeps its picture.
    review().GotoRow(3);
    QTest::mouseClick(commande->SpeedButtonRef(), Qt::LeftButton);
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_EQ(appWindows().Ref->picture().size(), QSize(200, 150));
    EXPECT_EQ(appWindows().Ref->size(), QSize(200, 150));
    EXPECT_EQ(items(commande->ComboBoxRef()), QStringList({"0", "1", "2"}));

    // Removing the selected reference leaves the window as it is.
    QTest::mouseClick(commande->SpeedButtonRef(), Qt::LeftButton);
    EXPECT_EQ(items(commande->ComboBoxRef()), QStringList({"0", "1"}));
    EXPECT_TRUE(appWindows().Ref->isVisible());
    EXPECT_EQ(appWindows().Ref->picture().size(), QSize(200, 150));

    // A closed reference window comes back with the next reference shown.
    appWindows().Ref->close();
    choose(commande->ComboBoxRef(), "1");
    EXPECT_TRUE(appWindows().Ref->isVisible());
    EXPECT_EQ(review().CurrentRow(), 3);
}
