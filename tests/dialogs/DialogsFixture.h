#pragma once
// Shared set-up of the dialog and slideshow tests: defaults in the live records, no settings file,
// scripted prompts, and a real slideshow window registered as appWindows().Diapo.
#include "ScriptedPrompts.h"
#include "app/Ucommande.h"
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
        savedWindows_ = appWindows();
        appWindows() = AppWindows();
        QFile::remove(optionsFilePath());
        resetLiveOptions();
        setDefaults(programOptions());
        setDesktopDefaults(desktopOptions());
        setDefaults(extractorOptions());
        setPrompts(&sp);
        ownDiapo_ = std::make_unique<TFormDiapo>();
        diapo = ownDiapo_.get();
        diapo->resize(200, 150);
        appWindows().Diapo = diapo;
    }
    void TearDown() override
    {
        commande.reset();
        ownDiapo_.reset();
        appWindows() = savedWindows_;
        setPrompts(nullptr);
        QFile::remove(optionsFilePath());
    }

    // A real command window, with the slideshow window it creates in place of the test's own.
    void useCommande()
    {
        appWindows().Diapo = nullptr;
        ownDiapo_.reset();
        commande = std::make_unique<TFormCommande>();
        diapo = appWindows().Diapo;
        ASSERT_NE(diapo, nullptr);
        diapo->resize(200, 150);
    }

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
    std::unique_ptr<TFormCommande> commande;

private:
    std::unique_ptr<TFormDiapo> ownDiapo_;
    AppWindows savedWindows_;
};
