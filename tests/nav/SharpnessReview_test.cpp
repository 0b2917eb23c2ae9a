// The sharpness commands in the started program: the measure from the menu with its progress and
// its column, keys answered and Escape during a measure, the sort, the scoring dialog and the curve.
#include "NavFixture.h"
#include "PlanetFrames.h"
#include "list/ListFile.h"
#include "review/UCourbeNettete.h"
#include "review/UNoterNettete.h"
#include "settings/UOptionDialog.h"

#include <QChartView>
#include <QComboBox>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>

namespace {

class SharpnessReviewTest : public NavTest {
protected:
    QString frameFile(const QString& name, PlanetFrame f)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(planetFrame(f).save(path, "BMP"));
        return path;
    }
    static PlanetFrame blurred(double sigma)
    {
        PlanetFrame f;
        f.width = 160;
        f.height = 120;
        f.centre = QPointF(80, 60);
        f.radius = 40;
        f.blurSigma = sigma;
        f.noiseSigma = 2;
        return f;
    }
    // Six entries: three discs (blur 2.5, 0.6, 1.5), a cut disc, an unreadable file, a black frame.
    void fillSix()
    {
        PlanetFrame cut = blurred(0.6);
        cut.centre = QPointF(10, 60);
        PlanetFrame black = blurred(0);
        black.radius = 0.1;
        black.noiseSigma = 0;
        const QString broken = dir.filePath(QStringLiteral("broken.bmp"));
        writeAll(broken, QByteArray("BM?"));
        fillWith({frameFile("s25.bmp", blurred(2.5)), frameFile("cut.bmp", cut), frameFile("s06.bmp", blurred(0.6)),
                  broken, frameFile("s15.bmp", blurred(1.5)), frameFile("black.bmp", black)});
    }
    // 2,000 entries over three frames of 640 × 480: long enough a measure to act during it.
    void fillLong()
    {
        QStringList files;
        for (int i = 0; i < 3; ++i) {
            PlanetFrame f;
            f.width = 640;
            f.height = 480;
            f.centre = QPointF(320, 240);
            f.radius = 150;
            f.blurSigma = 0.8 + i;
            files << frameFile(QStringLiteral("big%1.bmp").arg(i), f);
        }
        QStringList paths;
        for (int i = 0; i < 2000; ++i)
            paths << files[i % 3];
        fillWith(paths);
    }
    void menu(const char* name) { commande->MenuAction(QString::fromUtf8(name))->trigger(); }
    static QString measureText(int row)
    {
        const ListModel& m = liste()->model();
        return m.data(m.index(row - 1, ListModel::ColMeasure)).toString();
    }
    static QString name(int row) { return cell(ListModel::ColName, row); }
    static SharpnessResults& results() { return review().sharpness(); }

    // The progress the panel was last told: done and total.
    std::pair<int, int> lastProgress{-1, -1};
    void watchProgress()
    {
        QObject::connect(&results(), &SharpnessResults::measureProgress, commande,
                         [this](int done, int total, double) { lastProgress = {done, total}; });
    }
    // At the first progress report, posts the keys to the list as the user would type them.
    void typeDuringMeasure(std::vector<int> keys)
    {
        auto once = std::make_shared<bool>(false);
        auto post = [keys, once](int done, int total, double) {
            if (*once || done >= total)
                return;
            *once = true;
            for (int k : keys) {
                QCoreApplication::postEvent(grid(), new QKeyEvent(QEvent::KeyPress, k, Qt::NoModifier));
                QCoreApplication::postEvent(grid(), new QKeyEvent(QEvent::KeyRelease, k, Qt::NoModifier));
            }
        };
        QObject::connect(&results(), &SharpnessResults::measureProgress, commande, post);
    }
};

TEST_F(SharpnessReviewTest, MeasureFromTheMenuShowsTheColumnAndItsProgress)
{
    fillSix();
    QTableView* table = liste()->grid();
    EXPECT_EQ(table->model()->columnCount(), ListModel::kColumnCount) << "no column before a measure";
    QProgressBar* progress = commande->ProgressNettete();
    EXPECT_FALSE(progress->isVisible());

    menu("Executer_MesurerlaNettete");
    ASSERT_EQ(table->model()->columnCount(), ListModel::kColumnCount + 1);
    EXPECT_FALSE(table->isColumnHidden(ListModel::ColMeasure));
    EXPECT_EQ(table->model()->headerData(ListModel::ColMeasure, Qt::Horizontal).toString(),
              QString::fromUtf8("Netteté"));
    EXPECT_EQ(measureText(3), QStringLiteral("100,0"));                         // blur 0.6
    EXPECT_LT(measureText(1).replace(',', '.').toDouble(), measureText(5).replace(',', '.').toDouble());
    EXPECT_LT(measureText(5).replace(',', '.').toDouble(), 100);
    EXPECT_TRUE(measureText(2).endsWith(QStringLiteral(" bord"))) << measureText(2).toStdString();
    EXPECT_EQ(measureText(4), QStringLiteral("illisible"));
    EXPECT_EQ(measureText(6), QStringLiteral("0,0 noir"));
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->value(), 6);
    EXPECT_EQ(progress->maximum(), 6);
    EXPECT_TRUE(progress->text().contains(QStringLiteral("6 / 6"))) << progress->text().toStdString();
    EXPECT_TRUE(progress->text().endsWith(QStringLiteral("images/s"))) << progress->text().toStdString();
    EXPECT_FALSE(review().ListModified()) << "a measure changes nothing in the list";
    EXPECT_FALSE(review().BatchRunning());
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(SharpnessReviewTest, KeysAreAnsweredDuringAMeasureOf2000Frames)
{
    fillLong();
    watchProgress();
    int doneWhenMoved = -1;
    QObject::connect(&review(), &ReviewController::currentRowChanged, commande, [&](int row) {
        if (row == 2)
            doneWhenMoved = lastProgress.first;
    });
    typeDuringMeasure({Qt::Key_Right, Qt::Key_2});
    menu("Executer_MesurerlaNettete");

    EXPECT_EQ(review().CurrentRow(), 2) << "paging during the measure";
    EXPECT_EQ(quality(2), QStringLiteral("2")) << "tagging during the measure";
    EXPECT_GE(doneWhenMoved, 0);
    EXPECT_LT(doneWhenMoved, 2000) << "the key waited for the end of the measure";
    EXPECT_EQ(lastProgress, std::make_pair(2000, 2000));
    EXPECT_EQ(results().measuredCount(), 3);
    EXPECT_FALSE(review().BatchRunning());
}

TEST_F(SharpnessReviewTest, EscapeStopsTheMeasureAndKeepsWhatWasMeasured)
{
    fillLong();
    watchProgress();
    typeDuringMeasure({Qt::Key_Escape});
    menu("Executer_MesurerlaNettete");
    review().SetPlaying(false);  // Escape also started the slideshow, as during any pass

    EXPECT_EQ(lastProgress.second, 2000);
    EXPECT_LT(lastProgress.first, 2000);
    EXPECT_FALSE(results().measuring());
    EXPECT_FALSE(review().BatchRunning());
    EXPECT_GT(results().measuredCount(), 0) << "what was measured is kept";
}

TEST_F(SharpnessReviewTest, ListOpenedAgainOrEmptiedIsMeasuredAgain)
{
    fillSix();
    const QString list = dir.filePath(QStringLiteral("six.lst"));
    writeListFile(list, liste()->model().entries());
    menu("Executer_MesurerlaNettete");
    ASSERT_FALSE(results().noneMeasured());

    scripted.answerOpen({list});
    menu("Fichier_OuvrirListe");
    EXPECT_EQ(review().entryCount(), 6);
    EXPECT_TRUE(results().noneMeasured());
    EXPECT_EQ(liste()->grid()->model()->columnCount(), ListModel::kColumnCount);
    EXPECT_FALSE(commande->ProgressNettete()->isVisible());

    menu("Executer_MesurerlaNettete");
    EXPECT_EQ(measureText(3), QStringLiteral("100,0"));
    scripted.answerConfirm(true);
    menu("Edition_ViderlaListe");
    EXPECT_TRUE(results().noneMeasured());
}

// Commands reached from the event pump of a running measure: a list opened meanwhile gets none of
// the old list's measures; closing the program stops the measure instead of working on unseen.
TEST_F(SharpnessReviewTest, OpeningAListOrClosingDuringAMeasureStopsIt)
{
    fillSix();
    const QString list = dir.filePath(QStringLiteral("six.lst"));
    writeListFile(list, liste()->model().entries());
    fillLong();
    watchProgress();
    bool asked = false;
    QObject::connect(&results(), &SharpnessResults::measureProgress, commande, [&](int done, int total, double) {
        if (asked || done >= total)
            return;
        asked = true;
        scripted.answerOpen({list});
        menu("Fichier_OuvrirListe");
    });
    menu("Executer_MesurerlaNettete");
    ASSERT_TRUE(asked);
    EXPECT_EQ(review().entryCount(), 6);
    EXPECT_LT(lastProgress.first, 2000);
    EXPECT_TRUE(results().noneMeasured());
    EXPECT_EQ(liste()->grid()->model()->columnCount(), ListModel::kColumnCount);

    fillLong();
    bool closed = false;
    QObject::connect(&results(), &SharpnessResults::measureProgress, commande, [&](int done, int total, double) {
        if (closed || done >= total || total != 2006)
            return;
        closed = true;
        scripted.answerConfirm(false);  // the list is not saved
        commande->close();
    });
    menu("Executer_MesurerlaNettete");
    ASSERT_TRUE(closed);
    EXPECT_FALSE(commande->isVisible());
    EXPECT_EQ(lastProgress.second, 2006);
    EXPECT_LT(lastProgress.first, 2006);
}

TEST_F(SharpnessReviewTest, SortPutsTheSharpestFirstKeepsNumbersAndMarksTheList)
{
    fillSix();
    menu("Executer_MesurerlaNettete");
    review().SetListModified(false);
    review().Fin();
    menu("Edition_TrierparNettete");

    QStringList names, numbers;
    for (int row = 1; row <= 6; ++row) {
        names << name(row);
        numbers << cell(ListModel::ColNumber, row);
    }
    EXPECT_EQ(names, (QStringList{"s06.bmp", "s15.bmp", "s25.bmp", "cut.bmp", "broken.bmp", "black.bmp"}));
    EXPECT_EQ(numbers, (QStringList{"0002", "0004", "0000", "0001", "0003", "0005"}));
    EXPECT_EQ(measureText(1), QStringLiteral("100,0")) << "the measures follow their entries";
    EXPECT_TRUE(review().ListModified());
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_EQ(review().frame().caption, review().EntryPath(1));

    menu("Edition_Renumeroter");
    EXPECT_EQ(cell(ListModel::ColNumber, 1), QStringLiteral("0000"));
}

TEST_F(SharpnessReviewTest, ScoreTheOthersThroughTheDialog)
{
    programOptions().DefaultScore = '1';
    fillSix();
    menu("Executer_MesurerlaNettete");
    review().SetListModified(false);

    struct Case {
        const char* name;
        int amount;
        const char* unit;
        int score;
        bool ok;
        QStringList qualities;  // rows 1..6
        int scored;
        const char* label;  // the entry on show, row 2
    } cases[] = {
        {"cancelled", 50, "%", 0, false, {"1", "1", "1", "1", "1", "1"}, 0, "S=1"},
        // Half of six kept: the three discs; the cut, unreadable and black frames get 0.
        {"50 %", 50, "%", 0, true, {"1", "0", "1", "0", "1", "0"}, 3, "S=0"},
        {"two frames, the others 2", 2, "images", 2, true, {"2", "2", "1", "2", "1", "2"}, 4, "S=2"},
    };
    review().ClickRow(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripted.answerDialog([&](QDialog* d) {
            auto* dialog = static_cast<TFormNoterNettete*>(d);
            EXPECT_EQ(dialog->SpinEditScore()->value(), 0) << "the score offered";
            dialog->ComboBoxUnite()->setCurrentText(QString::fromUtf8(c.unit));
            dialog->SpinEditGarder()->SetValue(c.amount);
            dialog->SpinEditScore()->SetValue(c.score);
            if (c.ok)
                dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOk"))->click();
        });
        menu("Edition_NoterparNettete");
        QStringList got;
        for (int row = 1; row <= 6; ++row)
            got << quality(row);
        EXPECT_EQ(got, c.qualities);
        EXPECT_EQ(review().ListModified(), c.ok);
        EXPECT_EQ(review().tagLabel(), c.label);
        const auto dialog = std::find_if(scripted.shown().rbegin(), scripted.shown().rend(),
                                         [](const auto& s) { return s.kind == ScriptedPrompts::Kind::Dialog; });
        ASSERT_NE(dialog, scripted.shown().rend());
        EXPECT_EQ(dialog->caption, QString::fromUtf8("Noter par Netteté:"));
        if (c.ok) {
            EXPECT_EQ(scripted.messages().back(),
                      QString::fromUtf8("Traitement Terminé: 6 Fichiers Traités (%1 meilleures au score 1, %2 autres au score %3)")
                          .arg(6 - c.scored)
                          .arg(c.scored)
                          .arg(c.score));
        }
        EXPECT_TRUE(scripted.allAnswered());
    }
}

// With the usual default score 0, the frames kept must come out of the scoring with a score of
// their own, or the pass over the score-0 files trashes the whole capture.
TEST_F(SharpnessReviewTest, TheBestFramesSurviveTheScoreZeroPass)
{
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    programOptions().DefaultScore = '0';
    fillSix();
    menu("Executer_MesurerlaNettete");

    scripted.answerDialog([&](QDialog* d) {
        auto* dialog = static_cast<TFormNoterNettete*>(d);
        EXPECT_EQ(dialog->SpinEditScoreMeilleures()->value(), 1) << "the score offered to the best";
        EXPECT_EQ(dialog->SpinEditScore()->value(), 0);
        dialog->SpinEditGarder()->SetValue(50);
        dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOk"))->click();
    });
    menu("Edition_NoterparNettete");
    EXPECT_EQ(scripted.messages(),
              QStringList{QString::fromUtf8("Traitement Terminé: 6 Fichiers Traités (3 meilleures au score 1, 3 autres au score 0)")});

    scripted.clear();
    scripted.answerConfirm(true);
    menu("Executer_SupprimerFichiersScores0");
    QStringList names;
    for (int row = 1; row <= review().entryCount(); ++row)
        names << name(row);
    EXPECT_EQ(names, (QStringList{"s25.bmp", "s06.bmp", "s15.bmp"}));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("s06.bmp"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("black.bmp"))));
    qputenv("XDG_DATA_HOME", savedData);
}

TEST_F(SharpnessReviewTest, WithoutAMeasureNothingIsSortedOrScored)
{
    fillSix();
    for (const char* entry : {"Edition_TrierparNettete", "Edition_NoterparNettete"}) {
        SCOPED_TRACE(entry);
        scripted.clear();
        menu(entry);
        EXPECT_EQ(scripted.messages(),
                  QStringList{QString::fromUtf8("Aucune Netteté mesurée: lancez d'abord \"Mesurer la Netteté\"")});
        EXPECT_EQ(name(1), QStringLiteral("s25.bmp"));
        EXPECT_FALSE(review().ListModified());
    }
}

TEST_F(SharpnessReviewTest, CurveShowsBothCurvesAndAClickMakesTheEntryCurrent)
{
    fillSix();
    menu("Executer_MesurerlaNettete");
    menu("Voir_CourbedeNettete");
    TFormCourbeNettete* curve = appWindows().CourbeNettete;
    ASSERT_TRUE(curve->isVisible());
    EXPECT_EQ(curve->windowTitle(), QString::fromUtf8("Courbe de Netteté"));
    EXPECT_EQ(curve->SeriesNumero()->count(), 5) << "the unreadable frame has no point";
    EXPECT_EQ(curve->SeriesTriee()->count(), 5);
    EXPECT_EQ(curve->SeriesTriee()->at(0), QPointF(0, 100));
    EXPECT_EQ(curve->CurrentOnNumero()->points(), QList<QPointF>{curve->SeriesNumero()->at(0)})
        << "entry 0000 is current";

    // A click near the first point of the sorted curve: the sharpest frame, number 0002, row 3.
    emit curve->SeriesTriee()->clicked(QPointF(0.3, 97));
    EXPECT_EQ(review().CurrentRow(), 3);
    EXPECT_EQ(review().frame().caption, review().EntryPath(3));
    EXPECT_EQ(curve->CurrentOnTriee()->points(), QList<QPointF>{QPointF(0, 100)});
    EXPECT_EQ(curve->CurrentOnNumero()->points(), QList<QPointF>{QPointF(2, 100)});

    // A click on the curve by number: frame 0004 (row 5); then the keys move the mark.
    emit curve->SeriesNumero()->clicked(QPointF(3.9, 50));
    EXPECT_EQ(review().CurrentRow(), 5);
    key(curve, Qt::Key_Right);
    EXPECT_EQ(review().CurrentRow(), 6);
    EXPECT_EQ(curve->CurrentOnNumero()->points().size(), 1);
    EXPECT_EQ(curve->CurrentOnNumero()->points().front().x(), 5);

    // Sorting the list leaves the curve by number as it was.
    const QList<QPointF> before = curve->SeriesNumero()->points();
    menu("Edition_TrierparNettete");
    EXPECT_EQ(curve->SeriesNumero()->points(), before);
}

}  // namespace
