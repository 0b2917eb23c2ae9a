#pragma once
// Shared set-up of the dialog and slideshow tests: the started program with defaults in the live
// records, no settings file and scripted prompts; its slideshow window at a small size.
#include "ScriptedPrompts.h"
#include "controller/ReviewController.h"
#include "app/Ucommande.h"
#include "app/Ustartup.h"
#include "app/Windows.h"
#include "review/UDiapo.h"
#include "settings/OptionsFile.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(optionsFilePath());
        resetLiveOptions();
        setPrompts(&sp);
        commande = startProgram();
        setDefaults(programOptions());
        setDesktopDefaults(desktopOptions());
        setDefaults(extractorOptions());
        diapo = appWindows().Diapo;
        diapo->resize(200, 150);
    }
    void TearDown() override
    {
        stopProgram();
        setPrompts(nullptr);
        QFile::remove(optionsFilePath());
    }

    static ReviewController& review() { return programReview(); }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Clicks the named button of a dialog.
    static void click(QWidget* dialog, const char* name)
    {
        auto* b = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    ScriptedPrompts sp;
    QTemporaryDir dir;
    TFormDiapo* diapo = nullptr;
    TFormCommande* commande = nullptr;
};
