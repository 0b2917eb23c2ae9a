// After a pass over the list, and after a row was dragged, the entry on show, the highlighted row,
// the go-to caption and the tag keys all name the same entry.
#include "NavFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>

namespace {

class AfterPassesTest : public NavTest {
protected:
    static int highlightedRow()
    {
        const QModelIndexList rows = liste()->grid()->selectionModel()->selectedRows(ListModel::ColNumber);
        return rows.size() == 1 ? rows.first().row() + 1 : -1;
    }
    // One entry in every view: current, highlighted, counted and shown.
    void expectOnShow(int row)
    {
        EXPECT_EQ(review().CurrentRow(), row);
        EXPECT_EQ(highlightedRow(), row);
        EXPECT_EQ(liste()->grid()->selectionModel()->currentIndex().row() + 1, row);
        EXPECT_EQ(caption(), QStringLiteral("%1//%2").arg(row - 1).arg(review().LastRow() - row));
        EXPECT_EQ(diapo()->windowTitle(), review().EntryPath(row));
    }
    static void clickOk(QDialog* d) { d->findChild<QAbstractButton*>(QStringLiteral("BitBtnOk"))->click(); }
};

TEST_F(AfterPassesTest, TheEntryOnShowStaysTheOneTheKeysWriteTo)
{
    fill(12, 12);
    desktopOptions().ShowThumbnails = false;
    key(grid(), Qt::Key_PageDown);
    key(grid(), Qt::Key_Right);
    expectOnShow(5);

    struct Pass {
        const char* what;
        const char* menu;
        std::function<void()> before;
        ScriptedPrompts::DialogScript options;
    };
    const Pass passes[] = {
        {"conversion showing each picture", "Convertir_ConvertirBMPversJPEG", [] {},
         [](QDialog* d) {
             d->findChild<QCheckBox*>(QStringLiteral("CheckBoxVisu"))->setChecked(true);
             clickOk(d);
         }},
        {"renaming", "Executer_RenommerDeplacer",
         [] {
             programOptions().RenameByBatch = true;
             programOptions().BatchName = QStringLiteral("Serie");
         },
         [](QDialog* d) { clickOk(d); }},
    };
    int tagged = 0;
    for (const Pass& p : passes) {
        SCOPED_TRACE(p.what);
        p.before();
        scripted.clear();
        scripted.answerDialog(p.options);
        commande->MenuAction(QString::fromUtf8(p.menu))->trigger();
        EXPECT_TRUE(scripted.allAnswered());
        ASSERT_EQ(scripted.messages().size(), 1u) << scripted.messages().join('|').toStdString();
        expectOnShow(5);

        key(grid(), Qt::Key_1 + tagged, Qt::ShiftModifier);
        EXPECT_EQ(quality(5), QString::number(1 + tagged));
        EXPECT_EQ(label(), QStringLiteral("S=%1").arg(1 + tagged));
        for (int row : {1, 4, 6, 12})
            EXPECT_EQ(quality(row), "0") << row;
        ++tagged;
    }
    EXPECT_TRUE(review().EntryPath(5).endsWith("Serie0005.bmp"));

    // A row dragged by its handle: the entry on show goes with it, or makes room for it.
    const QString onShow = review().EntryPath(5);
    ASSERT_TRUE(liste()->model().moveEntry(5, 1));
    expectOnShow(1);
    EXPECT_EQ(review().EntryPath(1), onShow);
    ASSERT_TRUE(liste()->model().moveEntry(3, 1));
    expectOnShow(2);
    EXPECT_EQ(review().EntryPath(2), onShow);
    key(grid(), Qt::Key_0, Qt::ShiftModifier);
    EXPECT_EQ(quality(2), "0");
    EXPECT_EQ(quality(1), "0");

    // A drag over the rows with the button held moves the highlight alone: it comes back.
    QTableView* view = liste()->grid();
    view->selectionModel()->setCurrentIndex(view->model()->index(7, ListModel::ColNumber),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    expectOnShow(2);
}

}  // namespace
