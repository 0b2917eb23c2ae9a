// A settings write that fails says so, with the file and the system's reason, and leaves the old
// file whole: "Enregistrer Bureau" (F8), an option dialog's "Enregistrer", the desktop saved on
// closing.
#include "DialogsFixture.h"
#include "TestFiles.h"
#include "platform/SystemCalls.h"
#include "review/Uoptionsdiapo.h"
#include "review/Uopzone.h"

#include <QAction>

#include <cerrno>
#include <functional>

namespace {

using SettingsWriteTest = DialogsTest;

TEST_F(SettingsWriteTest, AFailedWriteIsToldWithThePathAndTheReason)
{
    struct Case {
        const char* what;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"Enregistrer Bureau", [&] { commande->MenuAction("Options_EnregistrerBureau")->trigger(); }},
        {"Enregistrer of the slideshow options",
         [&] {
             sp.answerDialog([](QDialog* d) { click(d, "BitBtnEnregistrer"); });
             prompts().exec(appWindows().OptionsDiapo);
         }},
        {"Enregistrer of the zone options",
         [&] {
             sp.answerDialog([](QDialog* d) { click(d, "BitBtnEnregistrer"); });
             prompts().exec(appWindows().OpZone);
         }},
        // Last: it ends the program.
        {"the desktop saved on closing", [&] { commande->close(); }},
    };
    const QString path = optionsFilePath();
    for (const Case& c : cases) {
        sp.clear();
        ASSERT_TRUE(SaveDesktop({}));
        const QByteArray before = readAll(path);
        ASSERT_EQ(before.size(), kOptionsFileSize);
        // The disk fills up while the new file is written.
        setSystemCallFault([](SystemCall call) { return call == SystemCall::Write ? ENOSPC : 0; });
        c.write();
        setSystemCallFault({});
        EXPECT_EQ(sp.messages(),
                  QStringList{"Impossible d'enregistrer les réglages dans le fichier " + path + " : Disque plein"})
            << c.what;
        EXPECT_EQ(readAll(path), before) << c.what << ": the old file stays whole";
        EXPECT_TRUE(sp.allAnswered());
    }
}

}  // namespace
