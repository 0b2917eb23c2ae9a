// Deep-sky frames judged by their stars in the started program: measured through the menu, shown
// as columns, sorted, and scored by criteria with the keyboard's scores left alone.
#include "NavFixture.h"
#include "StarFields.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>

#include <fitsio.h>

namespace {

QString writeFrame(const QString& path, const StarFieldPlan& plan)
{
    const StarFieldFrame f = makeStarField(plan);
    fitsfile* file = nullptr;
    int status = 0;
    long naxes[2] = {f.image.width, f.image.height};
    fits_create_file(&file, ("!" + path.toLocal8Bit()).constData(), &status);
    fits_create_img(file, USHORT_IMG, 2, naxes, &status);
    fits_write_img(file, TUSHORT, 1, LONGLONG(f.image.u16.size()), const_cast<uint16_t*>(f.image.u16.data()), &status);
    fits_close_file(file, &status);
    EXPECT_EQ(status, 0);
    return path;
}

class StarReviewTest : public NavTest {};

TEST_F(StarReviewTest, MeasureShowSortAndScoreByCriteria)
{
    desktopOptions().ShowThumbnails = false;
    QStringList frames;
    for (int i = 0; i < 5; ++i) {
        StarFieldPlan plan;
        plan.width = plan.height = 400;
        plan.stars = 150;
        plan.seed = unsigned(i + 1);
        if (i == 3) {  // thin cloud: the stars dimmed, the sky lit
            plan.starScale = 0.6;
            plan.sky = 1400;
        }
        frames << writeFrame(dir.filePath(QStringLiteral("light_%1.fits").arg(i)), plan);
    }
    fillWith(frames);
    // The user scores frame 2 by eye.
    key(grid(), Qt::Key_N);
    key(grid(), Qt::Key_2);
    ASSERT_EQ(quality(2), QStringLiteral("2"));

    commande->MenuAction(QStringLiteral("Executer_MesurerlesEtoiles"))->trigger();
    const ListModel& model = liste()->model();
    QStringList titles;
    for (int c = ListModel::ColMeasure; c < model.columnCount(); ++c)
        titles << model.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{QString::fromUtf8("Étoiles"), "FWHM", "HFR", QString::fromUtf8("Excentricité"),
                                   "Fond", "Bruit"}));

    // The sky's brightness, worst first: the clouded frame leads.
    scripted.answerDialog([](QDialog* d) {
        d->findChild<QComboBox*>(QStringLiteral("ComboBoxMesure"))->setCurrentText("Fond");
        d->findChild<QComboBox*>(QStringLiteral("ComboBoxSens"))->setCurrentIndex(1);
        d->accept();
    });
    commande->MenuAction(QStringLiteral("Edition_Trierpar"))->trigger();
    EXPECT_EQ(review().EntryPath(1), frames[3]);

    scripted.answerDialog([](QDialog* d) {
        d->findChild<QCheckBox*>(QStringLiteral("CheckBoxRegle2"))->setChecked(true);  // Fond > médiane + k σ
        d->findChild<QDoubleSpinBox*>(QStringLiteral("SpinRegle2"))->setValue(3);
        EXPECT_TRUE(d->findChild<QLabel*>(QStringLiteral("LabelCompte"))->text().startsWith("Ensemble: 1 rejetées sur 5"));
        d->findChild<QAbstractButton*>(QStringLiteral("BitBtnOk"))->click();
    });
    commande->MenuAction(QStringLiteral("Edition_NoterparCriteres"))->trigger();
    for (int row = 1; row <= 5; ++row) {
        const QString path = review().EntryPath(row);
        const QString want = path == frames[3] ? "0" : path == frames[1] ? "2" : "1";
        EXPECT_EQ(quality(row), want) << path.toStdString();
    }
    EXPECT_TRUE(scripted.messages().last().contains(QString::fromUtf8("1 notées au clavier")));
}

}  // namespace
