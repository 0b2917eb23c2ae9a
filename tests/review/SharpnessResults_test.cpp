// The measures kept beside the list: their scale and marks, the order of "Trier par Netteté", the
// share of "Noter par Netteté...", the curves, and the list model's measure column.
#include "TestFiles.h"
#include "list/ListFile.h"
#include "list/ListModel.h"
#include "review/SharpnessCurve.h"
#include "review/SharpnessResults.h"
#include "review/SharpnessRun.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// Five entries /f/a.bmp ... /f/e.bmp numbered 0000..0004, with the given measures (none: not
// measured).
struct Fixture {
    ListModel model;
    SharpnessResults results;
    explicit Fixture(const std::vector<std::optional<SharpnessMeasure>>& measures)
    {
        QStringList paths;
        for (size_t i = 0; i < measures.size(); ++i)
            paths << QStringLiteral("/f/%1.bmp").arg(QChar('a' + int(i)));
        model.appendFiles(paths, QStringLiteral("1"));
        results.keepMeasures(paths, measures);
    }
};

const SharpnessMeasure kUnread{0, SharpnessUnreadable};

TEST(SharpnessResults, ScaleAndMarksAsTheListShowsThem)
{
    Fixture f({SharpnessMeasure{0.02, 0}, SharpnessMeasure{0.04, 0}, SharpnessMeasure{0.05, SharpnessAtBorder},
               SharpnessMeasure{0, SharpnessNoSignal}, kUnread, std::nullopt});
    const struct {
        const char* path;
        const char* text;
    } cases[] = {
        {"/f/a.bmp", "50,0"},
        {"/f/b.bmp", "100,0"},       // the sharpest without a flag sets the scale
        {"/f/c.bmp", "125,0 bord"},  // a cut disc may read above 100
        {"/f/d.bmp", "0,0 noir"},
        {"/f/e.bmp", "illisible"},
        {"/f/f.bmp", ""},  // not measured
        {"/elsewhere/a.bmp", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(f.results.cellText(QString::fromUtf8(c.path)), QString::fromUtf8(c.text));
    }
}

TEST(SharpnessResults, EveryFrameFlaggedScalesOnTheSharpestOfAll)
{
    Fixture f({SharpnessMeasure{0.03, SharpnessAtBorder}, SharpnessMeasure{0.06, SharpnessAtBorder}});
    EXPECT_EQ(f.results.cellText(QStringLiteral("/f/a.bmp")), QStringLiteral("50,0 bord"));
}

TEST(SharpnessResults, OrderSharpestFirstFlaggedThenUnmeasuredLast)
{
    const struct {
        const char* name;
        std::vector<std::optional<SharpnessMeasure>> measures;
        std::vector<int> order;
    } cases[] = {
        {"by value", {SharpnessMeasure{1, 0}, SharpnessMeasure{3, 0}, SharpnessMeasure{2, 0}}, {1, 2, 0}},
        {"flagged after every unflagged one, however sharp",
         {SharpnessMeasure{9, SharpnessAtBorder}, SharpnessMeasure{1, 0}, SharpnessMeasure{0, SharpnessNoSignal},
          kUnread, SharpnessMeasure{2, 0}},
         {4, 1, 0, 2, 3}},
        {"not measured last, in list order",
         {std::nullopt, SharpnessMeasure{1, 0}, std::nullopt, SharpnessMeasure{5, SharpnessAtBorder}},
         {1, 3, 0, 2}},
        {"ties keep the list order",
         {SharpnessMeasure{2, 0}, SharpnessMeasure{2, 0}, SharpnessMeasure{2, 0}},
         {0, 1, 2}},
        {"nothing measured", {std::nullopt, std::nullopt}, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.measures);
        EXPECT_EQ(sharpnessOrder(f.model, f.results), c.order);
    }
}

TEST(SharpnessResults, ShareKept)
{
    const struct {
        KeepShare share;
        int measured;
        int kept;
    } cases[] = {
        {{10, true}, 2000, 200}, {{10, true}, 15, 2},  // a percentage rounds up
        {{1, true}, 5, 1},       {{100, true}, 7, 7},  {{150, true}, 7, 7},
        {{0, true}, 7, 0},       {{3, false}, 7, 3},   {{30, false}, 7, 7},
        {{5, false}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.share.amount) + (c.share.percent ? " %" : " images") + " of "
                     + std::to_string(c.measured));
        EXPECT_EQ(keptCount(c.share, c.measured), c.kept);
    }
}

TEST(SharpnessResults, RowsBeyondTheShareAreTheLeastSharpMeasuredOnes)
{
    // Rows 1..6: values 5, 1, flagged 9, 3, not measured, 4.
    Fixture f({SharpnessMeasure{5, 0}, SharpnessMeasure{1, 0}, SharpnessMeasure{9, SharpnessAtBorder},
               SharpnessMeasure{3, 0}, std::nullopt, SharpnessMeasure{4, 0}});
    EXPECT_EQ(rowsBeyondShare(f.model, f.results, {2, false}), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(rowsBeyondShare(f.model, f.results, {40, true}), (std::vector<int>{2, 3, 4}));  // 2 of 5 kept
    EXPECT_EQ(rowsBeyondShare(f.model, f.results, {60, true}), (std::vector<int>{2, 3}));     // 3 of 5
    EXPECT_EQ(rowsBeyondShare(f.model, f.results, {5, false}), (std::vector<int>{}));
    EXPECT_EQ(rowsBeyondShare(f.model, f.results, {0, false}), (std::vector<int>{1, 2, 3, 4, 6}));
}

TEST(SharpnessCurve, PointsByNumberAndSorted)
{
    Fixture f({SharpnessMeasure{2, 0}, SharpnessMeasure{4, 0}, kUnread, SharpnessMeasure{1, 0},
               SharpnessMeasure{3, SharpnessAtBorder}});
    // After a sort the numbers no longer follow the places; one number is not a number at all.
    f.model.reorder({4, 3, 2, 1, 0});
    f.model.setCell(ListModel::ColNumber, 2, QStringLiteral("x"));  // entry "d", at place 1
    const SharpnessCurves c = sharpnessCurves(f.model, f.results);

    auto xs = [](const std::vector<SharpnessPoint>& curve) {
        std::vector<double> out;
        for (const SharpnessPoint& p : curve)
            out.push_back(p.x);
        return out;
    };
    auto rows = [](const std::vector<SharpnessPoint>& curve) {
        std::vector<int> out;
        for (const SharpnessPoint& p : curve)
            out.push_back(p.row);
        return out;
    };
    // "e" numbered 4 (row 1), "d" read at its place 1 (row 2), "b" numbered 1 (row 4), "a" 0 (row 5).
    EXPECT_EQ(xs(c.byNumber), (std::vector<double>{0, 1, 1, 4}));
    EXPECT_EQ(rows(c.byNumber), (std::vector<int>{5, 2, 4, 1}));
    EXPECT_EQ(xs(c.sorted), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(rows(c.sorted), (std::vector<int>{4, 1, 5, 2}));
    EXPECT_DOUBLE_EQ(c.sorted.front().y, 100);
    EXPECT_DOUBLE_EQ(c.sorted.back().y, 25);

    EXPECT_EQ(nearestPoint(c.sorted, -5), 0);
    EXPECT_EQ(nearestPoint(c.sorted, 1.4), 1);
    EXPECT_EQ(nearestPoint(c.sorted, 1.6), 2);
    EXPECT_EQ(nearestPoint(c.sorted, 99), 3);
    EXPECT_EQ(nearestPoint({}, 1), -1);
    EXPECT_EQ(pointOfRow(c.sorted, 5), 2);
    EXPECT_EQ(pointOfRow(c.sorted, 3), -1);  // the unreadable frame has no point
}

TEST(ListModelMeasure, ReorderKeepsNumbersAndRefusesWhatIsNotAnOrder)
{
    ListModel model;
    model.appendFiles({"/f/a.bmp", "/f/b.bmp", "/f/c.bmp"}, QStringLiteral("0"));
    for (const std::vector<int>& bad : {std::vector<int>{0, 1}, {0, 1, 1}, {0, 1, 3}, {-1, 0, 1}}) {
        EXPECT_FALSE(model.reorder(bad));
        EXPECT_EQ(model.cell(ListModel::ColName, 1), QStringLiteral("a.bmp"));
    }
    // A view's index follows its entry.
    const QPersistentModelIndex onB(model.index(1, ListModel::ColName));
    ASSERT_TRUE(model.reorder({2, 0, 1}));
    QStringList names, numbers;
    for (int row = 1; row <= 3; ++row) {
        names << model.cell(ListModel::ColName, row);
        numbers << model.cell(ListModel::ColNumber, row);
    }
    EXPECT_EQ(names, (QStringList{"c.bmp", "a.bmp", "b.bmp"}));
    EXPECT_EQ(numbers, (QStringList{"0002", "0000", "0001"}));
    EXPECT_EQ(onB.row(), 2);
    EXPECT_EQ(onB.data().toString(), QStringLiteral("b.bmp"));
}

TEST(ListModelMeasure, TheColumnComesAfterTheLastAndStaysOutOfListFiles)
{
    QTemporaryDir dir;
    ListModel model;
    model.appendFiles({"/f/a.bmp", "/f/b.bmp"}, QStringLiteral("1"));
    const QString plain = dir.filePath("plain.lst"), measured = dir.filePath("measured.lst");
    writeListFile(plain, model.entries());
    EXPECT_EQ(model.columnCount(), ListModel::kColumnCount);

    QSignalSpy inserted(&model, &QAbstractItemModel::columnsInserted);
    model.setMeasureColumn(QString::fromUtf8("Netteté"), [](const ListEntry& e) { return e.name.toUpper(); });
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.columnCount(), ListModel::kColumnCount + 1);
    EXPECT_EQ(model.headerData(ListModel::ColMeasure, Qt::Horizontal).toString(), QString::fromUtf8("Netteté"));
    EXPECT_EQ(model.headerData(ListModel::ColExtra, Qt::Horizontal).toString(), QStringLiteral("Extra"));
    EXPECT_EQ(model.data(model.index(1, ListModel::ColMeasure)).toString(), QStringLiteral("B.BMP"));
    EXPECT_EQ(model.data(model.index(2, ListModel::ColMeasure)), QVariant());  // the spare row
    EXPECT_EQ(model.cell(ListModel::ColMeasure, 1), QString());
    writeListFile(measured, model.entries());
    EXPECT_EQ(readAll(measured), readAll(plain));

    QSignalSpy removed(&model, &QAbstractItemModel::columnsRemoved);
    model.setMeasureColumn({}, {});
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(model.columnCount(), ListModel::kColumnCount);
}

TEST(SharpnessResults, ShownInTheListWhileThereAreMeasures)
{
    ListModel model;
    model.appendFiles({"/f/a.bmp", "/f/b.bmp"}, QStringLiteral("1"));
    SharpnessResults results;
    results.showIn(model);
    EXPECT_FALSE(model.hasMeasureColumn());
    results.keepMeasures({"/f/b.bmp"}, {SharpnessMeasure{0.5, 0}});
    ASSERT_TRUE(model.hasMeasureColumn());
    EXPECT_EQ(model.data(model.index(0, ListModel::ColMeasure)).toString(), QString());
    EXPECT_EQ(model.data(model.index(1, ListModel::ColMeasure)).toString(), QStringLiteral("100,0"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    results.keepMeasures({"/f/a.bmp"}, {SharpnessMeasure{1.0, 0}});  // a new scale for every entry
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(1, ListModel::ColMeasure)).toString(), QStringLiteral("50,0"));
    results.forgetAll();
    EXPECT_FALSE(model.hasMeasureColumn());
}

TEST(SharpnessRun, EveryFileOnceAFailureIsUnreadableAndCancelStopsTheRest)
{
    QStringList paths;
    for (int i = 0; i < 500; ++i)
        paths << QString::number(i);
    {
        std::atomic<int> calls{0};
        SharpnessRun run(paths, [&](const QString& p) {
            ++calls;
            return SharpnessMeasure{p.toDouble(), 0};
        });
        const auto results = run.results();
        EXPECT_EQ(run.done(), 500);
        EXPECT_EQ(calls.load(), 500);
        ASSERT_EQ(results.size(), 500u);
        for (int i = 0; i < 500; ++i)
            EXPECT_EQ(results[size_t(i)], (SharpnessMeasure{double(i), 0}));
        EXPECT_TRUE(run.waitFor(0));
    }
    {
        // Each worker blocks on its first file until cancelled: nothing more is started.
        std::atomic<bool> release{false};
        SharpnessRun run(paths, [&](const QString&) {
            while (!release.load())
                std::this_thread::yield();
            return SharpnessMeasure{1, 0};
        }, 2);
        EXPECT_FALSE(run.waitFor(20));
        run.cancel();
        release = true;
        const auto results = run.results();
        EXPECT_EQ(run.done(), 2);
        EXPECT_EQ(std::count_if(results.begin(), results.end(), [](const auto& r) { return r.has_value(); }), 2);
    }
    {
        SharpnessRun run({"1", "boom", "3"}, [](const QString& p) {
            if (p == QLatin1String("boom"))
                throw std::bad_alloc();
            return SharpnessMeasure{p.toDouble(), 0};
        });
        const auto results = run.results();
        EXPECT_EQ(results[1], (SharpnessMeasure{0, SharpnessUnreadable}));
        EXPECT_EQ(results[2], (SharpnessMeasure{3, 0}));
    }
    SharpnessRun empty(QStringList{});
    EXPECT_TRUE(empty.waitFor(1000));
    EXPECT_TRUE(empty.results().empty());
}

}  // namespace
