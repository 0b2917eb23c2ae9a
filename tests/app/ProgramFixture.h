#pragma once
// A started program for each test: no settings file, fresh shared state and live settings, the
// answers of the test's Prompts; everything torn down afterwards.
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "controller/ReviewController.h"
#include "app/Ucommande.h"
#include "app/Ustartup.h"
#include "app/Windows.h"
#include "settings/Options.h"
#include "settings/OptionsFile.h"

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

// Answers every question the way a user who cancels everything would, and records what was asked.
class CancellingPrompts : public Prompts {
public:
    struct Shown {
        QString kind;  // "message", "error", "confirm", "input", "open", "save", "dialog", ...
        QString text;
    };
    std::vector<Shown> shown;
    QStringList of(const QString& kind) const
    {
        QStringList out;
        for (const Shown& s : shown)
            if (s.kind == kind)
                out << s.text;
        return out;
    }

    void message(const QString& t) override { shown.push_back({"message", t}); }
    void error(const QString& t) override { shown.push_back({"error", t}); }
    bool confirm(const QString& t) override
    {
        shown.push_back({"confirm", t});
        return false;
    }
    bool okCancel(const QString&, const QString& t) override
    {
        shown.push_back({"okcancel", t});
        return false;
    }
    bool question(const QString& c, const QString& t) override
    {
        shown.push_back({"question", c + "|" + t});
        return false;
    }
    Choice choice(const QString& c, const QString& t, bool) override
    {
        shown.push_back({"choice", c + "|" + t});
        return Choice::Cancel;
    }
    std::optional<QString> inputBox(const QString& c, const QString&, const QString&) override
    {
        shown.push_back({"input", c});
        return std::nullopt;
    }
    QStringList openFiles(const FileDialogRequest& r) override
    {
        shown.push_back({"open", r.filter});
        return {};
    }
    std::optional<QString> saveFile(const FileDialogRequest& r) override
    {
        shown.push_back({"save", r.filter});
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    int exec(QDialog* d) override
    {
        shown.push_back({"dialog", d ? d->windowTitle() : QString()});
        return QDialog::Rejected;
    }
};

inline void removeSettingsFile() { QFile::remove(optionsFilePath()); }

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeSettingsFile();
        resetLiveOptions();
        setPrompts(&scripted);
        commande = startProgram();
        settle();
    }
    void TearDown() override
    {
        stopProgram();
        setPrompts(nullptr);
        removeSettingsFile();
    }
    void restart()
    {
        stopProgram();
        commande = startProgram();
        settle();
    }
    // The review of the started program.
    static ReviewController& review() { return programReview(); }

    // Lets the window system's activation through: shortcuts act only while a window of the
    // program is active.
    void settle() { ASSERT_TRUE(QTest::qWaitForWindowActive(commande)); }

    ScriptedPrompts scripted;
    TFormCommande* commande = nullptr;
};

inline QSize screenSize() { return QGuiApplication::primaryScreen()->geometry().size(); }

// The default places of the five windows on a W x H screen, as the settings file documents them.
struct DefaultPlaces {
    WindowPlace command, slideshow, list, zone, thumbnail;
};
inline DefaultPlaces defaultPlaces(QSize screen)
{
    const int W = screen.width(), H = screen.height();
    return {{0, (W - 640) / 2, 80, 640},
            {H - 256, (W - 512) / 2, 256, 512},
            {80, (W - 512) / 2, 256, 512},
            {80, W - 120, 512, 120},
            {80, 0, 512, 120}};
}

inline int32_t int32At(const QByteArray& bytes, int offset)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(bytes.at(offset + i));
    return int32_t(v);
}
// The WindowPlace stored at a file offset: Top, Left, Height, Width.
inline WindowPlace placeAt(const QByteArray& bytes, int offset)
{
    return {int32At(bytes, offset), int32At(bytes, offset + 4), int32At(bytes, offset + 8),
            int32At(bytes, offset + 12)};
}

inline std::ostream& operator<<(std::ostream& os, const WindowPlace& p)
{
    return os << "{top " << p.Top << ", left " << p.Left << ", height " << p.Height << ", width " << p.Width
              << "}";
}
