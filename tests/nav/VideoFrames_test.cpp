// A SER capture reviewed without extracting it: its frames listed as entries, shown from the video,
// the kept ones written into a new SER through the menu, and a video that goes away while listed.
#include "NavFixture.h"
#include "VideoFixture.h"

#include <QAction>

namespace {

class VideoFramesFlowTest : public NavTest {};

TEST_F(VideoFramesFlowTest, AddShowKeepWriteAndLoseAVideo)
{
    desktopOptions().ShowThumbnails = false;
    SerLayout plan;
    plan.frames = 9;
    const QByteArray ser = serBytes(plan);
    const QString video = dir.filePath(QStringLiteral("jupiter.ser"));
    ASSERT_TRUE(writeAll(video, ser));

    liste()->AppendFiles({video});
    liste()->Recount();
    commande->Debut();
    ASSERT_EQ(review().LastRow(), 9);
    EXPECT_EQ(review().EntryPath(7), dir.filePath(QStringLiteral("jupiter.ser#00007")));

    // The frame on show is the video's frame, pixel for pixel (8-bit data shown as it is).
    for (int i = 1; i < 7; ++i)
        key(grid(), Qt::Key_N);
    const QImage shown = review().frame().picture.convertToFormat(QImage::Format_Grayscale8);
    const QByteArray want = serFrame(ser, plan, 7);
    ASSERT_EQ(shown.size(), QSize(plan.width, plan.height));
    for (int y = 0; y < plan.height; ++y)
        ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(shown.constScanLine(y)), plan.width),
                  want.mid(y * plan.width, plan.width));

    // Kept: frames 7, 2 and 5 scored 1 in that order; written in capture order.
    for (const int row : {7, 2, 5})
        review().document().setTag(row, ListModel::ColQuality, QStringLiteral("1"));
    const QString out = dir.filePath(QStringLiteral("kept.ser"));
    scripted.answerSave(out);
    scripted.answerInput(QStringLiteral("1"));
    commande->MenuAction(QStringLiteral("Executer_EnregistrerlesImagesenSER"))->trigger();
    EXPECT_EQ(scripted.messages().last(), QStringLiteral("3 images enregistrées dans ") + out);
    const QByteArray written = readAll(out);
    SerLayout keptLayout = plan;
    keptLayout.frames = 3;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(serFrame(written, keptLayout, i + 1), serFrame(ser, plan, (int[]){2, 5, 7}[i])) << i;
    EXPECT_EQ(readAll(video), ser);  // the source is never touched

    // The video removed while listed: the next move says so, and the program goes on.
    ASSERT_TRUE(QFile::remove(video));
    scripted.clear();
    key(grid(), Qt::Key_N);
    ASSERT_FALSE(scripted.messages().isEmpty());
    EXPECT_TRUE(scripted.messages().last().contains(QStringLiteral("est introuvable"))) << scripted.messages().last().toStdString();
    key(grid(), Qt::Key_Home);
    EXPECT_EQ(review().CurrentRow(), 1);
}

}  // namespace
