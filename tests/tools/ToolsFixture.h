#pragma once
// The started program with scripted prompts and a launcher that records what would be started.
#include "../app/ProgramFixture.h"
#include "../list/QtPrinters.h"
#include "platform/Launcher.h"

#include <QAbstractButton>
#include <QTemporaryDir>

#include <vector>

inline std::ostream& operator<<(std::ostream& os, const LaunchCommand& c)
{
    os << "{program \"" << c.program.toStdString() << "\", arguments {";
    for (const QString& a : c.arguments)
        os << '"' << a.toStdString() << "\" ";
    return os << "}, working directory \"" << c.workingDirectory.toStdString() << "\"}";
}

class RecordingLauncher : public Launcher {
public:
    std::vector<LaunchCommand> started;
    bool launchDetached(const LaunchCommand& command) override
    {
        started.push_back(command);
        return true;
    }
};

class ToolsTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        setLauncher(&recorder);
        ASSERT_TRUE(tmp.isValid());
    }
    void TearDown() override
    {
        setLauncher(nullptr);
        ProgramTest::TearDown();
    }

    // Clicks the named button of a dialog (an object name of the program's windows).
    static void click(QWidget* dialog, const char* name)
    {
        auto* b = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    QString path(const QString& name) const { return tmp.filePath(name); }

    RecordingLauncher recorder;
    QTemporaryDir tmp;
};
