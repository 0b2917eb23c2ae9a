// Shared main of the test executables: a headless QApplication, settings and trash in temporary
// folders so that no test touches the real home.
#include "platform/Picture.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    setPictureMemoryLimit();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
