// libFuzzer entry over the settings reader, fed the bytes of one settings file. Each of the three
// records is read from its block (or takes its defaults when the file is not the program's), saved
// back as "Enregistrer Bureau" does and read again: every record must come back equal, and the
// file written must read as the program's own.
#include "settings/OptionsFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

struct Records {
    ProgramOptions program;
    DesktopOptions desktop;
    ExtractorOptions extractor;
    bool operator==(const Records&) const = default;
};

Records loaded()
{
    resetLiveOptions();
    loadAllOptions();
    return {programOptions(), desktopOptions(), extractorOptions()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The settings file lives in a folder of this run's own, in memory when /dev/shm is there.
    const char* base = QDir(QStringLiteral("/dev/shm")).exists() ? "/dev/shm/velmoran-fuzz-XXXXXX"
                                                                  : "/tmp/velmoran-fuzz-XXXXXX";
    static char dir[64];
    std::snprintf(dir, sizeof dir, "%s", base);
    if (!::mkdtemp(dir))
        std::abort();
    ::setenv("XDG_CONFIG_HOME", dir, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = optionsFilePath();
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    {
        QFile f(path);
        require(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    const Records first = loaded();

    // Each block alone, from its bytes: reading the image a record writes gives the record back.
    ProgramOptions p;
    fromBytes(p, toBytes(first.program));
    require(p == first.program);
    DesktopOptions d;
    fromBytes(d, toBytes(first.desktop));
    require(d == first.desktop);
    ExtractorOptions x;
    fromBytes(x, toBytes(first.extractor));
    require(x == first.extractor);

    require(SaveDesktop(nullptr));
    require(FileIsValid());
    const Records second = loaded();
    require(second == first);
    return 0;
}
