// The program installed like a desktop program, its Debian package, and a real start of the
// extractor (a stand-in written here) by "Vidsplit...".
#include "ToolsFixture.h"
#include "list/ListDocument.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>
#include <sys/types.h>

namespace {

const QString kBuildDir = QStringLiteral(VELMORAN_BUILD_DIR);
const QString kSourceDir = QStringLiteral(VELMORAN_SOURCE_DIR);

struct Outcome {
    int code = -1;
    QString out;  // standard output and error together
};

Outcome run(const QString& program, const QStringList& args, const QString& cwd = {},
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(env);
    if (!cwd.isEmpty())
        p.setWorkingDirectory(cwd);
    p.start(program, args);
    Outcome r;
    if (!p.waitForStarted(20000)) {
        r.out = program + ": " + p.errorString();
        return r;
    }
    p.waitForFinished(300000);
    r.out = QString::fromLocal8Bit(p.readAll());
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

bool haveTool(const char* name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

// Under a virtual X server: starts program in cwd, waits for its command window, presses F1 there
// and says what came up: "aide" (the help viewer), "boite" (a second window titled Velmoran, the
// error box) or "rien".
const char* const kPressF1 = R"SH(
"$1" >program.log 2>&1 & pid=$!
trap 'kill $pid 2>/dev/null' EXIT
w=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velmoran$' | head -1)
if [ -z "$w" ]; then
  kill -0 $pid 2>/dev/null && echo "programme en marche" || { wait $pid; echo "programme fini: $?"; }
  cat program.log; xdotool search --name . getwindowname %@ 2>&1 | head -20
  echo "pas de fenetre"; exit 3
fi
timeout 10 xdotool windowfocus --sync "$w"
xdotool key F1
i=0
while [ $i -lt 100 ]; do
  if xdotool search --onlyvisible --name '^Aide$' >/dev/null; then echo aide; exit 0; fi
  if [ "$(xdotool search --onlyvisible --name '^Velmoran$' | wc -l)" -ge 2 ]; then echo boite; exit 0; fi
  sleep 0.1; i=$((i+1))
done
echo rien
)SH";

class InstallTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return tmp.filePath(name); }

    // F1 in the installed program, started headless in a directory without help and with no
    // data directory of the machine's or the user's in sight.
    // The last line of the script's output says what came up; the whole output goes with a failure.
    QString f1InInstalledProgram(const QString& prefix)
    {
        const QString script = path("f1.sh");
        writeAll(script, kPressF1);
        QDir().mkpath(path("ailleurs"));
        QDir().mkpath(path("config"));
        QDir().mkpath(path("donnees"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_DATA_HOME", path("donnees"));
        env.insert("XDG_DATA_DIRS", path("donnees"));
        const Outcome r = run("xvfb-run", {"-a", "-s", "-screen 0 1280x1024x24", "sh", script, prefix + "/bin/velmoran"},
                          path("ailleurs"), env);
        const QString last = r.out.trimmed().split('\n').last();
        if (last != "aide" && last != "boite")
            ADD_FAILURE() << r.out.toStdString();
        return last;
    }

    QTemporaryDir tmp;
};

TEST_F(InstallTest, InstallPutsTheProgramsItsHelpAnEntryAndAnIconWhereTheDesktopFindsThem)
{
    ASSERT_TRUE(haveTool("desktop-file-validate")) << "desktop-file-utils is not installed";
    ASSERT_TRUE(haveTool("xvfb-run") && haveTool("xdotool")) << "xvfb and xdotool are needed";
    const QString prefix = path("prefixe");
    const Outcome install = run(CMAKE_EXE, {"--install", kBuildDir, "--prefix", prefix});
    ASSERT_EQ(install.code, 0) << install.out.toStdString();

    for (const char* program : {"bin/velmoran", "bin/vidsplit"})
        EXPECT_TRUE(QFileInfo(prefix + "/" + program).isExecutable()) << program;
    const QByteArray help = readAll(prefix + "/share/velmoran/Velmoran.HLP");
    EXPECT_EQ(help, readAll(kSourceDir + "/data/Velmoran.HLP"));
    EXPECT_GT(help.size(), 5000);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon(QString("%1/share/icons/hicolor/%2x%2/apps/velmoran.png").arg(prefix).arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }

    const QString entry = prefix + "/share/applications/velmoran.desktop";
    const Outcome validate = run("desktop-file-validate", {entry});
    EXPECT_EQ(validate.code, 0) << validate.out.toStdString();
    EXPECT_FALSE(validate.out.contains("error")) << validate.out.toStdString();
    const QStringList lines = QString::fromUtf8(readAll(entry)).split('\n');
    EXPECT_TRUE(lines.contains("Name=Velmoran"));
    EXPECT_TRUE(lines.contains("Exec=velmoran"));
    EXPECT_TRUE(lines.contains("Icon=velmoran"));
    const QStringList categories = lines.filter(QRegularExpression("^Categories="));
    ASSERT_EQ(categories.size(), 1);
    EXPECT_TRUE(categories[0].contains("Graphics;") && categories[0].contains("Astronomy;"));
    EXPECT_EQ(lines.filter(QRegularExpression("^Comment=.*images")).size(), 1);

    // Started from elsewhere, the installed program finds its help beside it; without it, F1 says so.
    EXPECT_EQ(f1InInstalledProgram(prefix), "aide");
    ASSERT_TRUE(QFile::remove(prefix + "/share/velmoran/Velmoran.HLP"));
    EXPECT_EQ(f1InInstalledProgram(prefix), "boite");
}

TEST_F(InstallTest, TheDebianPackageHoldsTheSameFilesAndDeclaresItsDependencies)
{
    ASSERT_TRUE(haveTool("dpkg-deb") && haveTool("dpkg-shlibdeps")) << "dpkg-dev is not installed";
    const Outcome pack = run(CPACK_EXE, {"-G", "DEB", "--config", kBuildDir + "/CPackConfig.cmake", "-B", path("paquet")});
    ASSERT_EQ(pack.code, 0) << pack.out.toStdString();
    const QStringList debs = QDir(path("paquet")).entryList({"*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1);
    const QString deb = path("paquet/" + debs[0]);

    EXPECT_EQ(run("dpkg-deb", {"-f", deb, "Package"}).out.trimmed(), "velmoran");
    EXPECT_EQ(run("dpkg-deb", {"-f", deb, "Version"}).out.trimmed(), "0.56");
    const QString depends = run("dpkg-deb", {"-f", deb, "Depends"}).out;
    for (const char* dep : {"libqt6widgets6", "libqt6printsupport6", "libjpeg62-turbo", "libavformat",
                            "libwmf", "qt6-qpa-plugins", "qt6-translations-l10n"})
        EXPECT_TRUE(depends.contains(dep)) << dep << " in " << depends.toStdString();
    const QString contents = run("dpkg-deb", {"-c", deb}).out;
    for (const char* file : {"./usr/bin/velmoran", "./usr/bin/vidsplit", "./usr/share/velmoran/Velmoran.HLP",
                             "./usr/share/applications/velmoran.desktop",
                             "./usr/share/icons/hicolor/48x48/apps/velmoran.png"})
        EXPECT_TRUE(contents.contains(QString(file) + "\n")) << file;
}

// A stand-in for the extractor that waits for the test's word before it tells what it received,
// so that the program cannot have waited for it.
const char* const kStandIn = R"SH(#!/bin/sh
i=0
while [ ! -e '%1/go' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done
{ echo "$#"; for a in "$@"; do printf '%s\n' "$a"; done; pwd -P; } > '%1/recu.tmp'
mv '%1/recu.tmp' '%1/recu.txt'
)SH";

using RealStartTest = ToolsTest;

TEST_F(RealStartTest, TheExtractorReceivesExactlyTheTwoArgumentsAndTheWorkingDirectory)
{
    setLauncher(nullptr);  // the real one
    const QString tools = path("outils vidéo");
    const QString images = path("images d'essai");
    const QString list = path("mes listes/nuit du 3.LST");
    for (const QString& dir : {tools, images, path("mes listes")})
        ASSERT_TRUE(QDir().mkpath(dir));
    ListDocument doc;
    doc.appendFiles({images + "/img0001.bmp"});
    doc.writeTo(list);
    ASSERT_TRUE(writeAll(tools + "/vidsplit", QString(kStandIn).arg(tmp.path()).toUtf8()));
    ASSERT_TRUE(QFile::setPermissions(tools + "/vidsplit", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    programOptions().LastListFile = list;
    programOptions().LastImageDirectory = images + "/";
    extractorOptions().ExtractorDirectory = tools + "/";
    extractorOptions().ExtractorDontAsk = true;
    commande->MenuAction("Executer_Vidsplit")->trigger();
    EXPECT_TRUE(scripted.shown().empty());
    EXPECT_FALSE(QFile::exists(path("recu.txt"))) << "the program went on without waiting";

    ASSERT_TRUE(writeAll(path("go"), ""));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path("recu.txt")); }, 30000));
    const QStringList received = QString::fromUtf8(readAll(path("recu.txt"))).split('\n');
    EXPECT_EQ(received, (QStringList{"2", "/VELMORAN", list, QFileInfo(images).canonicalFilePath(), ""}));

    // A tool that is not there: said with its path, nothing breaks.
    extractorOptions().ExtractorDirectory = path("nulle part/");
    commande->MenuAction("Executer_Vidsplit")->trigger();
    EXPECT_EQ(scripted.messages(),
              QStringList{QString::fromUtf8("Impossible de Démarrer: \"%1\"").arg(path("nulle part/vidsplit"))});
}

}  // namespace

namespace {

// The processes whose command line is exactly argv, by their pid.
QList<qint64> processesWithArguments(const QStringList& argv)
{
    QList<qint64> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QStringList args = QString::fromLocal8Bit(readAll("/proc/" + entry + "/cmdline")).split(QChar('\0'));
        if (!args.isEmpty() && args.last().isEmpty())
            args.removeLast();
        if (args == argv)
            found << pid;
    }
    return found;
}

}  // namespace

// With the default extractor directory "/", the companion built beside the program is the one that
// starts: the real vidsplit, with the list and the working directory the program gives it.
TEST_F(RealStartTest, TheCompanionBuiltBesideTheProgramStartsWithTheList)
{
    setLauncher(nullptr);
    const QString images = path("images");
    const QString list = path("série du soir.LST");
    ASSERT_TRUE(QDir().mkpath(images));
    ListDocument doc;
    doc.appendFiles({images + "/img0001.bmp"});
    doc.writeTo(list);
    ASSERT_FALSE(QFile::exists("/vidsplit"));
    const QString companion = QDir(VELMORAN_BUILD_DIR).filePath("vidsplit");
    ASSERT_TRUE(QFileInfo(companion).isExecutable());

    programOptions().LastListFile = list;
    programOptions().LastImageDirectory = images + "/";
    extractorOptions().ExtractorDirectory = "/";
    extractorOptions().ExtractorDontAsk = true;
    commande->MenuAction("Executer_Vidsplit")->trigger();
    EXPECT_TRUE(scripted.shown().empty());

    const QStringList argv{QFileInfo(companion).absoluteFilePath(), "/VELMORAN", list};
    QList<qint64> pids;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(pids = processesWithArguments(argv)).isEmpty(); }, 20000))
        << "no process " << argv.join(' ').toStdString();
    EXPECT_EQ(QFileInfo("/proc/" + QString::number(pids[0]) + "/cwd").canonicalFilePath(),
              QFileInfo(images).canonicalFilePath());
    for (qint64 pid : pids)
        ::kill(pid_t(pid), SIGKILL);
}
