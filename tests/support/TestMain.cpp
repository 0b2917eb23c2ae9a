// Shared main of the test executables: a headless QApplication, settings and trash in temporary
// folders so that no test touches the real home.
#include "platform/Picture.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// libsep 1.2.1 allocates two of a catalog's arrays twice in sep_extract and frees one of each (8 bytes
// per source per search): the library's, not a fault of the star measure, so the leak check of every
// test that measures stars leaves it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libsep.so\n"; }

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
