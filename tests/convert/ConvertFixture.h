#pragma once
// Shared set-up of the conversion tests: defaults in the live records, no settings file, scripted
// prompts, nothing shown, and a temporary directory for the files.
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "convert/Converters.h"
#include "settings/Options.h"
#include "settings/OptionsFile.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(optionsFilePath());
        resetLiveOptions();
        setDefaults(programOptions());
        setDefaults(options);
        setPrompts(&sp);
        conversionDisplay() = ConversionDisplay();
    }
    void TearDown() override
    {
        conversionDisplay() = ConversionDisplay();
        setPrompts(nullptr);
        QFile::remove(optionsFilePath());
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // A picture of one colour written as a 24-bit BMP by Qt's own writer.
    QString solidBmp(const QString& name, int w, int h, QColor c)
    {
        QImage img(w, h, QImage::Format_RGB888);
        img.fill(c);
        const QString p = path(name);
        EXPECT_TRUE(img.save(p, "BMP"));
        return p;
    }

    ProgramOptions options;
    ScriptedPrompts sp;
    QTemporaryDir dir;
};
