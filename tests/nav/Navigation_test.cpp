// Moving through the list from the keyboard and the buttons, the go-to box and the slideshow.
#include "NavFixture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QThread>

using NavigationTest = NavTest;

TEST_F(NavigationTest, MovesStopAtTheEndsOrWrapAround)
{
    struct Case {
        const char* what;
        bool loop;
        int fromRow;  // 0: first End
        int key;
        int expectedRow;
        const char* caption;
    };
    const Case cases[] = {
        {"End then Right", false, 0, Qt::Key_Right, 100, "99//0"},
        {"End then Right, loop", true, 0, Qt::Key_Right, 1, "0//99"},
        {"Page Down from image 98", false, 99, Qt::Key_PageDown, 100, "99//0"},
        {"Page Down from image 98, loop", true, 99, Qt::Key_PageDown, 1, "0//99"},
        {"; from image 10", false, 11, Qt::Key_Semicolon, 14, "13//86"},
        {"Left from the first", false, 1, Qt::Key_Left, 1, "0//99"},
        {"Up from the first, loop", true, 1, Qt::Key_Up, 100, "99//0"},
        {"X from image 1", false, 2, Qt::Key_X, 1, "0//99"},
        {"Page Up from image 1, loop", true, 2, Qt::Key_PageUp, 100, "99//0"},
        {"N from image 50", false, 51, Qt::Key_N, 52, "51//48"},
        {"Home", false, 51, Qt::Key_Home, 1, "0//99"},
    };
    const QStringList paths = fill(100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        programOptions().SlideLoop = c.loop;
        if (c.fromRow == 0)
            key(diapo(), Qt::Key_End);
        else
            review().GotoRow(c.fromRow);
        review().setTagMode(TagMode(4));
        review().SetPlaying(true);
        key(grid(), c.key);
        EXPECT_EQ(review().CurrentRow(), c.expectedRow);
        EXPECT_EQ(caption(), c.caption);
        EXPECT_EQ(diapo()->windowTitle(), paths[c.expectedRow - 1]) << "the slideshow window shows it";
        EXPECT_EQ(liste()->grid()->currentIndex().row(), c.expectedRow - 1) << "the list selects it";
        EXPECT_FALSE(review().Playing());
        EXPECT_TRUE(commande->SpeedButtonPause()->isChecked());
        EXPECT_EQ(int(review().tagMode()), 1) << "a move restores the default tag mode";
        EXPECT_EQ(label(), "S=0");
    }
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(NavigationTest, NineButtonsOneShownPressed)
{
    fill(20);
    review().GotoRow(10);
    struct Case {
        QToolButton* button;
        int expectedRow;
        bool playing;
    };
    const Case cases[] = {
        {commande->SpeedButtonAvant(), 11, false},       {commande->SpeedButtonAvantRapide(), 14, false},
        {commande->SpeedButtonArriere(), 13, false},     {commande->SpeedButtonArriereRapide(), 10, false},
        {commande->SpeedButtonFin(), 20, false},         {commande->SpeedButtonPremier(), 1, false},
        {commande->SpeedButtonJouer(), 1, true},         {commande->SpeedButtonPause(), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_EQ(review().CurrentRow(), c.expectedRow);
        EXPECT_EQ(review().Playing(), c.playing);
        EXPECT_EQ(commande->Timer1()->isActive(), c.playing);
        EXPECT_EQ(commande->NavigationButtons()->checkedButton(),
                  c.playing ? commande->SpeedButtonJouer() : commande->SpeedButtonPause());
    }
    EXPECT_EQ(commande->NavigationButtons()->buttons().size(), 9);
    EXPECT_TRUE(commande->NavigationButtons()->exclusive());
}

TEST_F(NavigationTest, GoToBoxAsksAgainUntilValidOrCancelled)
{
    fill(10);
    review().GotoRow(4);
    const QString again = QString::fromUtf8("Entrez une Valeur de 0 à 9");
    for (const char* wrong : {"12", "-1", "abc"})
        scripted.answerInput(QString::fromLatin1(wrong));
    scripted.answerInput(std::nullopt);
    QTest::mouseClick(commande->SpeedButtonAtteindre(), Qt::LeftButton);
    EXPECT_EQ(scripted.inputTexts(), QStringList({"3", again, again, again}));
    EXPECT_EQ(scripted.shown().front().caption, "Atteindre:|Numero Image:");
    EXPECT_EQ(review().CurrentRow(), 4) << "Cancel leaves the image unchanged";
    EXPECT_EQ(caption(), "3//6");
    EXPECT_TRUE(commande->SpeedButtonPause()->isChecked());
    EXPECT_TRUE(scripted.messages().isEmpty()) << "a wrong answer is corrected in the box only";

    scripted.clear();
    scripted.answerInput(QStringLiteral("10"));
    scripted.answerInput(QStringLiteral("9"));
    QTest::mouseClick(commande->SpeedButtonAtteindre(), Qt::LeftButton);
    EXPECT_EQ(scripted.inputTexts(), QStringList({"3", again}));
    EXPECT_EQ(review().CurrentRow(), 10);
    EXPECT_EQ(caption(), "9//0");
    EXPECT_TRUE(scripted.allAnswered());
}

TEST_F(NavigationTest, SlideshowAdvancesOnItsTimerAndStopsAtTheEnd)
{
    const QStringList paths = fill(5, 5);
    programOptions().SlideInterval = 10;
    QList<int> ticks;  // the current row after each tick
    QObject::connect(commande->Timer1(), &QTimer::timeout, commande, [&] { ticks << review().CurrentRow(); });
    key(grid(), Qt::Key_Space);
    ASSERT_TRUE(review().Playing());
    EXPECT_TRUE(commande->Timer1()->isActive());
    EXPECT_EQ(commande->Timer1()->interval(), 10);
    EXPECT_TRUE(commande->SpeedButtonJouer()->isChecked());

    EXPECT_TRUE(QTest::qWaitFor([] { return !review().Playing(); }, 5000));
    EXPECT_EQ(ticks, QList<int>({2, 3, 4, 5, 5})) << "the tick past the end stops on the last image";
    EXPECT_EQ(caption(), "4//0");
    EXPECT_EQ(diapo()->windowTitle(), paths[4]);
    EXPECT_FALSE(commande->Timer1()->isActive());
    EXPECT_TRUE(commande->SpeedButtonPause()->isChecked());
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(NavigationTest, SlideshowWithLoopRunsOnUntilStopped)
{
    fill(5, 5);
    programOptions().SlideLoop = true;
    programOptions().SlideInterval = 5;
    QList<int> ticks;
    QObject::connect(commande->Timer1(), &QTimer::timeout, commande, [&] { ticks << review().CurrentRow(); });
    key(diapo(), Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 7; }, 5000));
    EXPECT_EQ(ticks.mid(0, 7), QList<int>({2, 3, 4, 5, 1, 2, 3}));
    EXPECT_TRUE(review().Playing());
    key(diapo(), Qt::Key_Escape);
    EXPECT_FALSE(review().Playing());
    EXPECT_FALSE(commande->Timer1()->isActive());
    const qsizetype count = ticks.size();
    QTest::qWait(30);
    EXPECT_EQ(ticks.size(), count);
}

TEST_F(NavigationTest, SlideshowStopsAtAnImageThatCannotBeRead)
{
    const QStringList paths = fill(4, 4);
    ASSERT_TRUE(QFile::remove(paths[2]));
    programOptions().SlideInterval = 5;
    key(grid(), Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([] { return !review().Playing(); }, 5000));
    EXPECT_EQ(review().CurrentRow(), 3);
    EXPECT_FALSE(commande->Timer1()->isActive());
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages().front().startsWith("Impossible d'ouvrir le fichier")) << scripted.messages().front().toStdString();
    QTest::qWait(30);
    EXPECT_EQ(review().CurrentRow(), 3);
}

TEST_F(NavigationTest, PlusAndMinusChangeThePaceOfARunningSlideshowAtOnce)
{
    fill(10);
    key(grid(), Qt::Key_Space);
    ASSERT_TRUE(commande->Timer1()->isActive());
    EXPECT_EQ(commande->Timer1()->interval(), 500);
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int interval;
    };
    const Case cases[] = {
        {Qt::Key_Plus, Qt::KeypadModifier, 1500}, {Qt::Key_Minus, Qt::KeypadModifier, 500},
        {Qt::Key_Plus, Qt::ShiftModifier, 1500},  {Qt::Key_Minus, Qt::NoModifier, 500},
        {Qt::Key_Equal, Qt::NoModifier, 1500},
    };
    for (const Case& c : cases) {
        key(grid(), c.key, c.mods);
        EXPECT_TRUE(review().Playing());
        EXPECT_TRUE(commande->Timer1()->isActive()) << "the slideshow goes on";
        EXPECT_EQ(commande->Timer1()->interval(), c.interval);
        EXPECT_EQ(programOptions().SlideInterval, c.interval);
    }
    // Stopped, the next start takes the new pace.
    key(grid(), Qt::Key_Space);
    key(grid(), Qt::Key_Minus);
    EXPECT_FALSE(commande->Timer1()->isActive());
    key(grid(), Qt::Key_Space);
    EXPECT_EQ(commande->Timer1()->interval(), 500);
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(NavigationTest, ANegativeIntervalIsRefused)
{
    fill(10);
    key(grid(), Qt::Key_Space);
    programOptions().ShortWait = -5;
    key(grid(), Qt::Key_Minus);
    const QString range = QString::fromUtf8("Erreur de vérification d'étendue");
    EXPECT_EQ(scripted.messages(), QStringList({range}));
    EXPECT_TRUE(commande->Timer1()->isActive()) << "the running slideshow keeps its pace";
    EXPECT_EQ(commande->Timer1()->interval(), 500);

    key(grid(), Qt::Key_Space);  // pause
    key(grid(), Qt::Key_Space);  // start again: refused before the timer starts
    EXPECT_EQ(scripted.messages(), QStringList({range, range}));
    EXPECT_FALSE(commande->Timer1()->isActive());
    EXPECT_FALSE(review().Playing());
    EXPECT_TRUE(commande->SpeedButtonPause()->isChecked()) << "play is not shown pressed while nothing runs";
}

TEST_F(NavigationTest, EscapeStopsALongPassAndStartsTheSlideshow)
{
    struct Case {
        const char* what;
        std::function<void()> pass;
        std::function<bool()> ranToTheEnd;
    };
    const auto zoneWindow = [] { return appWindows().Zone; };
    QStringList paths;
    const Case cases[] = {
        {"zone pages",
         [&] { commande->MenuAction("Voir_RegenereZones")->trigger(); },
         [&] { return zoneWindow()->Grid()->ItemLoaded(9); }},
        {"thumbnail page",
         [&] { appWindows().Vignette->BuildThumbnailPage(paths, 0, 100); },
         [&] { return appWindows().Vignette->Grid()->ItemLoaded(99); }},
    };
    paths = fill(300);
    for (int row = 1; row <= 300; ++row)
        liste()->model().setCell(ListModel::ColZone, row, QString::number((row - 1) % 10));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        review().SetPlaying(false);
        QCoreApplication::postEvent(grid(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QThread::msleep(20);  // the pass lets events through at its first entry
        c.pass();
        EXPECT_FALSE(c.ranToTheEnd());
        EXPECT_FALSE(review().BatchRunning());
        EXPECT_TRUE(review().Playing()) << "Escape started the slideshow";
    }
}

TEST_F(NavigationTest, MenuShortcutsWinOverTheKeyMap)
{
    fill(10);
    review().GotoRow(8);

    key(grid(), Qt::Key_X);
    EXPECT_EQ(review().CurrentRow(), 5) << "X alone moves back by FastStep";

    // Delete runs "Effacer" on the marked entries and leaves the tag mode alone.
    liste()->model().toggleMark(2);
    key(grid(), Qt::Key_Alt, Qt::AltModifier);
    ASSERT_EQ(int(review().tagMode()), 4);
    key(grid(), Qt::Key_Delete);
    EXPECT_EQ(review().LastRow(), 9);
    EXPECT_EQ(int(review().tagMode()), 4);

    QGuiApplication::clipboard()->clear();
    key(diapo(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(scripted.messages(), QStringList({"Pas de Bitmap Disponible dans le presse Papier"}));
    EXPECT_EQ(review().CurrentRow(), 1) << "Ctrl+V is not V";

    desktopOptions().AutoSaveDesktop = false;
    scripted.answerChoice(Choice::No);  // the list was changed: "Enregistrer les Modifications de la Liste?"
    review().GotoRow(5);
    key(grid(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(commande->isVisible()) << "Ctrl+X quits";
    EXPECT_EQ(review().CurrentRow(), 5);
}

TEST_F(NavigationTest, KeysInTheCommandWindowGoToTheKeyMapExceptInItsLists)
{
    fill(20);
    review().GotoRow(5);
    // No button takes Space, Enter or an arrow for itself.
    key(commande->SpeedButtonAvant(), Qt::Key_Space);
    EXPECT_TRUE(review().Playing());
    EXPECT_EQ(review().CurrentRow(), 5);
    key(commande->SpeedButtonBalise(), Qt::Key_Return);
    EXPECT_EQ(items(commande->ComboBoxBalise()), QStringList({"0", "4"}));
    key(commande, Qt::Key_Right);
    EXPECT_EQ(review().CurrentRow(), 6);
    EXPECT_FALSE(review().Playing());

    // In the marker list the arrows choose a marker, and Escape is the list's own.
    QComboBox* balise = commande->ComboBoxBalise();
    ASSERT_EQ(balise->currentText(), "4");
    key(balise, Qt::Key_Up);
    EXPECT_EQ(balise->currentText(), "0");
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_EQ(review().MarkerRow(), 1);
    key(balise, Qt::Key_Escape);
    key(balise, Qt::Key_N);
    EXPECT_FALSE(review().Playing());
    EXPECT_EQ(review().CurrentRow(), 1);
    // The next key typed elsewhere reaches the key map again.
    key(commande, Qt::Key_End);
    EXPECT_EQ(review().CurrentRow(), 20);
}

TEST_F(NavigationTest, EmptyListIsHarmless)
{
    for (const int k : {Qt::Key_Right, Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown, Qt::Key_Backspace,
                        Qt::Key_Space, Qt::Key_1})
        key(grid(), k);
    key(grid(), Qt::Key_7, Qt::ShiftModifier);
    key(grid(), Qt::Key_3, Qt::ControlModifier);
    commande->GotoImage();  // nothing is scripted: a box would be an error
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_FALSE(review().Playing());
    EXPECT_FALSE(commande->Timer1()->isActive());
    EXPECT_EQ(diapo()->windowTitle(), "Diaporama") << "nothing was shown";
    EXPECT_EQ(liste()->model().entries().size(), 0u);
    EXPECT_EQ(commande->ComboBoxRef()->count(), 0);
    EXPECT_EQ(appWindows().Ref, nullptr);
    EXPECT_TRUE(scripted.shown().empty());
}
