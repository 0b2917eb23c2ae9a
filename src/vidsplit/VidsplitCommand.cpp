#include "vidsplit/VidsplitCommand.h"

#include "platform/ProgramError.h"
#include "platform/ScopeExit.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <csignal>
#include <new>

namespace {

constexpr qint64 kProgressEveryMs = 1000;

Extraction* volatile g_running = nullptr;

void stopRunning(int)
{
    if (Extraction* e = g_running)
        e->stop();
}

// A whole number of at least 1.
bool positive(const QString& text, int64_t& value)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < 1)
        return false;
    value = v;
    return true;
}

CommandLine invalid(const QString& why)
{
    CommandLine c;
    c.mode = CommandLine::Mode::Invalid;
    c.error = why;
    return c;
}

CommandLine parseJoin(const QStringList& args)
{
    CommandLine c;
    c.mode = CommandLine::Mode::Join;
    QStringList plain;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--min-score")) {
            int s = 0;
            if (i + 1 >= args.size() || !parseInteger(args[i + 1], s))
                return invalid(QStringLiteral("--min-score attend un nombre entier"));
            c.join.minScore = s;
            ++i;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return invalid(QStringLiteral("option inconnue : %1").arg(args[i]));
        } else {
            plain << args[i];
        }
    }
    if (plain.size() != 2)
        return invalid(QStringLiteral("--join attend une liste et un fichier SER"));
    c.join.listFile = plain[0];
    c.join.outFile = plain[1];
    return c;
}

CommandLine parseExtract(const QStringList& args)
{
    CommandLine c;
    c.mode = CommandLine::Mode::Extract;
    ExtractOptions& o = c.extract;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const QString value = hasValue ? args[i + 1] : QString();
        if (a == QLatin1String("--grey")) {
            o.grey = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            if (!o.video.isEmpty())
                return invalid(QStringLiteral("une seule vidéo à la fois (%1 et %2)").arg(o.video, a));
            o.video = a;
            continue;
        }
        if (!hasValue)
            return invalid(QStringLiteral("%1 attend une valeur").arg(a));
        ++i;
        if (a == QLatin1String("--out")) {
            o.outDir = value;
        } else if (a == QLatin1String("--list")) {
            o.listFile = value;
        } else if (a == QLatin1String("--first")) {
            if (!positive(value, o.first))
                return invalid(QStringLiteral("--first attend un numéro d'image à partir de 1"));
        } else if (a == QLatin1String("--count")) {
            if (!positive(value, o.count))
                return invalid(QStringLiteral("--count attend un nombre d'images d'au moins 1"));
        } else if (a == QLatin1String("--byte-order")) {
            if (value == QLatin1String("auto"))
                o.byteOrder = ByteOrder::Auto;
            else if (value == QLatin1String("little"))
                o.byteOrder = ByteOrder::Little;
            else if (value == QLatin1String("big"))
                o.byteOrder = ByteOrder::Big;
            else
                return invalid(QStringLiteral("--byte-order attend auto, little ou big"));
        } else {
            return invalid(QStringLiteral("option inconnue : %1").arg(a));
        }
    }
    if (o.video.isEmpty())
        return invalid(QStringLiteral("aucune vidéo indiquée"));
    return c;
}

int runExtract(const ExtractOptions& options, QTextStream& err)
{
    Extraction extraction(options);
    QElapsedTimer sinceReport;
    sinceReport.start();
    extraction.onProgress([&](const ExtractProgress& p) {
        if (sinceReport.elapsed() < kProgressEveryMs)
            return;
        sinceReport.restart();
        err << "vidsplit: " << p.done;
        if (p.total >= 0)
            err << '/' << p.total;
        err << QStringLiteral(" images (%1 images/s)").arg(p.framesPerSecond, 0, 'f', 0) << Qt::endl;
    });
    g_running = &extraction;
    struct sigaction action {}, oldInt {}, oldTerm {};
    action.sa_handler = stopRunning;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    ExtractResult r;
    {
        const ScopeExit restore([&] {
            sigaction(SIGINT, &oldInt, nullptr);
            sigaction(SIGTERM, &oldTerm, nullptr);
            g_running = nullptr;
        });
        r = extraction.run();
    }

    for (const QString& p : r.problems)
        err << "vidsplit: " << p << Qt::endl;
    if (r.stopped)
        err << "vidsplit: " << QStringLiteral("arrêté") << Qt::endl;
    err << "vidsplit: " << QStringLiteral("%1 images écrites").arg(r.written);
    if (!r.listFile.isEmpty())
        err << QStringLiteral(", ajoutées à %1").arg(r.listFile);
    err << Qt::endl;
    return r.complete() ? 0 : 1;
}

int runJoin(const JoinOptions& options, QTextStream& err)
{
    try {
        const JoinResult r = joinToSer(options);
        err << "vidsplit: " << QStringLiteral("%1 images %2 dans %3").arg(r.frames).arg(r.mono ? "mono" : "RGB", r.outFile)
            << Qt::endl;
        return 0;
    } catch (const ProgramError& e) {
        err << "vidsplit: " << e.text() << Qt::endl;
        return 1;
    }
}

int runCommandLine(const CommandLine& c, QTextStream& err)
{
    switch (c.mode) {
    case CommandLine::Mode::Extract:
        return runExtract(c.extract, err);
    case CommandLine::Mode::Join:
        return runJoin(c.join, err);
    case CommandLine::Mode::Help:
        err << usageText();
        return 0;
    case CommandLine::Mode::Invalid:
        err << "vidsplit: " << c.error << Qt::endl << usageText();
        return 2;
    case CommandLine::Mode::Window:
        break;
    }
    return 2;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& args)
{
    if (args.isEmpty())
        return {};
    if (args[0].compare(QLatin1String("/VELMORAN"), Qt::CaseInsensitive) == 0) {
        if (args.size() > 2)
            return invalid(QStringLiteral("/VELMORAN attend une seule liste"));
        CommandLine c;
        c.listFile = args.value(1);
        return c;
    }
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        CommandLine c;
        c.mode = CommandLine::Mode::Help;
        return c;
    }
    if (args[0] == QLatin1String("--join"))
        return parseJoin(args);
    return parseExtract(args);
}

QString usageText()
{
    return QStringLiteral(
        "Usage :\n"
        "  vidsplit [/VELMORAN LISTE]\n"
        "      ouvre la fenêtre, avec la liste donnée par Velmoran\n"
        "  vidsplit VIDEO [--out REP] [--list LISTE] [--first N] [--count M] [--grey] [--byte-order auto|little|big]\n"
        "      écrit les images N à N+M-1 (toutes par défaut) de VIDEO en BMP dans REP (le répertoire courant)\n"
        "      et les ajoute à LISTE (par défaut une liste nom_de_la_video.LST à côté des images)\n"
        "  vidsplit --join LISTE SORTIE.ser [--min-score S]\n"
        "      réunit les images de la liste (de qualité au moins S) en une vidéo SER 8 bits,\n"
        "      dans l'ordre de la prise de vue (les numéros à la fin des noms)\n");
}

int runCommand(const CommandLine& c, QTextStream& err)
{
    // Memory can run out anywhere (a huge list, a frame too large for what is left): the command
    // ends with the program's words instead of an abort.
    try {
        return runCommandLine(c, err);
    } catch (const std::bad_alloc&) {
        err << "vidsplit: " << QString::fromUtf8("Mémoire insuffisante") << Qt::endl;
        return 1;
    }
}
