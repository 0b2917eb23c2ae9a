#pragma once
// The started program with a list of real pictures: entries cycle over a few small BMP files.
#include "../app/ProgramFixture.h"
#include "list/ListModel.h"
#include "list/Uliste.h"
#include "review/UDiapo.h"
#include "review/Uref.h"
#include "review/Uvignette.h"
#include "review/UPageGrid.h"
#include "review/Uzone.h"

#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class NavTest : public ProgramTest {
protected:
    // Fills the list with n entries over `distinct` pictures of 16 x 12 and shows the first one.
    QStringList fill(int n, int distinct = 3)
    {
        QStringList files;
        for (int i = 0; i < distinct; ++i) {
            const QString f = dir.filePath(QStringLiteral("img%1.bmp").arg(i));
            EXPECT_TRUE(writeTestImage(f, 16, 12, QColor(40 * i, 100, 200)));
            files << f;
        }
        QStringList paths;
        for (int i = 0; i < n; ++i)
            paths << files[i % distinct];
        fillWith(paths);
        return paths;
    }
    void fillWith(const QStringList& paths)
    {
        liste()->AppendFiles(paths);
        liste()->Recount();
        if (!paths.isEmpty())
            commande->Debut();
    }

    static TFormListe* liste() { return appWindows().Liste; }
    static TFormDiapo* diapo() { return appWindows().Diapo; }
    // The grid of the list window: where the user types most of the time.
    static QWidget* grid() { return appWindows().Liste->grid(); }
    static QString cell(int column, int row) { return liste()->model().cell(column, row); }
    static QString quality(int row) { return cell(ListModel::ColQuality, row); }
    static QString zone(int row) { return cell(ListModel::ColZone, row); }
    static QString extra(int row) { return cell(ListModel::ColExtra, row); }

    QString caption() const { return commande->SpeedButtonAtteindre()->text(); }
    QString label() const { return commande->LabelChoix()->text(); }
    static QStringList items(const QComboBox* combo)
    {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }

    void key(QWidget* target, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(target, Qt::Key(k), mods);
    }

    QTemporaryDir dir;
};
