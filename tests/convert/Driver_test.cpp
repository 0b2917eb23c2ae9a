// The batch conversion driver on real files: output directories and names, each kind with its
// options dialog, messages and counts, cancel and an empty list, the stop keys, a converter's error,
// and an output that would replace its own source.
#include "ConvertFixture.h"
#include "controller/KeyMap.h"
#include "controller/ReviewController.h"
#include "convert/ColourFilter.h"
#include "convert/ConversionDriver.h"
#include "convert/ConversionOutputs.h"
#include "convert/Uopbmp2fit.h"
#include "convert/Uopbmp2jpeg.h"
#include "convert/Uopjpeg2bmp.h"
#include "platform/JpegCodec.h"
#include "platform/PathUtil.h"
#include "settings/UOptionDialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>
#include <tuple>
#include <utility>

namespace {

// What the plain-function converters below need from the test.
ReviewController* g_review = nullptr;
std::vector<int> g_rows;        // CurrentRow at each call
std::vector<bool> g_running;    // BatchRunning at each call
int g_stopKey = 0;              // pressed after the second file

bool recordAndConvert(const ProgramOptions& o, const QString& source, const QString& base)
{
    g_rows.push_back(g_review->CurrentRow());
    g_running.push_back(g_review->BatchRunning());
    const bool ok = ConvertBmpToJpeg(o, source, base);
    if (g_rows.size() == 2 && g_stopKey)
        g_review->HandleKey({g_stopKey});
    return ok;
}

// Every file below root (not directories), relative to it, sorted.
QStringList filesUnder(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

class DriverTest : public ConvertTest {
protected:
    void SetUp() override
    {
        ConvertTest::SetUp();
        g_review = &review;
        g_rows.clear();
        g_running.clear();
        g_stopKey = 0;
    }
    void TearDown() override
    {
        review.SetPlaying(false);
        g_review = nullptr;
        ConvertTest::TearDown();
    }

    // Writes each file below root, as JPEG or BMP whatever its name says, each of its own colour.
    static QStringList make(const QString& root, const QStringList& names, bool jpeg)
    {
        QStringList paths;
        int i = 0;
        for (const QString& n : names) {
            const QString p = root + QLatin1Char('/') + n;
            QDir().mkpath(directoryPart(p));
            QImage img(8, 6, QImage::Format_RGB888);
            img.fill(QColor(100 * i++, 90, 200));
            EXPECT_TRUE(img.save(p, jpeg ? "JPEG" : "BMP")) << p.toStdString();
            paths << p;
        }
        return paths;
    }
    void setList(const QStringList& paths)
    {
        review.document().clear();
        review.document().appendFiles(paths);
        review.Recount();
        review.SetListModified(false);
    }
    int run(Converter converter, bool ok = true)
    {
        return ConvertirBmpClick(review, [ok] { return ok; }, converter);
    }
    QStringList cells() const
    {
        QStringList out;
        const ListModel& m = review.document().model();
        for (int row = 1; row <= m.entryCount(); ++row)
            for (int col = 0; col < ListModel::kColumnCount; ++col)
                out << m.cell(col, row);
        return out;
    }
    static QString done(int n) { return QString::fromUtf8("Traitement Terminé: %1 Fichiers Traités").arg(n); }

    ReviewController review;
};

TEST_F(DriverTest, OutputDirectoryAndName)
{
    using Set = std::function<void(ProgramOptions&, const QString& root)>;
    const Set plain = [](ProgramOptions&, const QString&) {};
    const auto moveTo = [](const char* target, bool move = true) {
        return Set([=](ProgramOptions& o, const QString& root) {
            o.MoveToTarget = move;
            o.TargetDirectory = *target ? root + QLatin1Char('/') + QLatin1String(target) : QString();
        });
    };
    struct Case {
        const char* what;
        Converter converter;
        bool jpeg;  // the sources are JPEG files
        QStringList entries;
        Set set;
        QStringList written;  // the new files below the root
        std::function<void(const QString& root)> check = {};
    };
    const Case cases[] = {
        {"the stem stops at the first dot", ConvertBmpToJpeg, false, {"in/frame.12.bmp"}, plain, {"in/frame_090.JPG"}},
        {"a name without a dot is its own stem", ConvertBmpToJpeg, false, {"in/IMAGE"}, plain, {"in/IMAGE_090.JPG"}},
        {"an empty stem gives X", ConvertBmpToJpeg, false, {"in/.bmp"}, plain, {"in/X_090.JPG"}},
        {"a batch name counts the rows", ConvertBmpToJpeg, false, {"in/a.bmp", "in/b.bmp", "in/c.bmp"},
         [](ProgramOptions& o, const QString&) { o.RenameByBatch = true; o.BatchName = QStringLiteral("Lune"); },
         {"in/Lune0001_090.JPG", "in/Lune0002_090.JPG", "in/Lune0003_090.JPG"}},
        {"the target directory takes every output", ConvertJpegToBmp, true, {"in/a.jpg", "in2/b.jpeg"}, moveTo("out/"),
         {"out/a.BMP", "out/b.BMP"}},
        {"a target without its slash", ConvertJpegToBmp, true, {"in/a.jpg"}, moveTo("out"), {"out/a.BMP"}},
        {"an empty target keeps each entry's directory", ConvertJpegToBmp, true, {"in/a.jpg", "in2/b.jpeg"}, moveTo(""),
         {"in/a.BMP", "in2/b.BMP"}},
        {"the target is used only when moving", ConvertJpegToBmp, true, {"in/a.jpg"}, moveTo("out", false), {"in/a.BMP"}},
        {"rename and move together", ConvertBmpToFits, false, {"in/a.bmp", "in/b.bmp"},
         [](ProgramOptions& o, const QString& root) {
             o.RenameByBatch = o.MoveToTarget = true;
             o.BatchName = QStringLiteral("Serie.v");
             o.TargetDirectory = root + QStringLiteral("/out/");
         },
         {"out/Serie.v0001_G.FIT", "out/Serie.v0002_G.FIT"}},
        {"two entries of one stem: the second output takes a free name", ConvertBmpToJpeg, false,
         {"in/a.1.bmp", "in/a.2.bmp"}, plain, {"in/a_090 (2).JPG", "in/a_090.JPG"},
         [](const QString& root) {
             const auto red = [&](const char* name) {
                 return decodeJpeg(readAll(root + QLatin1String(name))).image.pixelColor(4, 3).red();
             };
             EXPECT_NEAR(red("/in/a_090.JPG"), 0, 8);  // the first entry's red is 0, the second's 100
             EXPECT_NEAR(red("/in/a_090 (2).JPG"), 100, 8);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tmp;
        const QString root = tmp.path();
        QDir(root).mkpath(QStringLiteral("out"));
        const QStringList sources = make(root, c.entries, c.jpeg);
        setList(sources);
        ProgramOptions& o = programOptions();
        setDefaults(o);
        o.JpegQuality = 90;
        c.set(o, root);
        const QStringList before = cells();
        sp.clear();

        EXPECT_EQ(run(c.converter), sources.size());
        QStringList written = filesUnder(root);
        for (const QString& e : c.entries)
            written.removeOne(e);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(sp.messages(), QStringList{done(int(sources.size()))});
        // The list window names the last source; the list itself is untouched.
        EXPECT_EQ(review.listCaption(), sources.last());
        EXPECT_EQ(review.CurrentRow(), review.LastRow());
        EXPECT_EQ(cells(), before);
        EXPECT_FALSE(review.ListModified());
        if (c.check)
            c.check(root);
    }
}

TEST_F(DriverTest, TakenOutputNames)
{
    using C = Choice;
    struct Case {
        const char* what;
        Converter converter;
        bool jpeg;
        QStringList entries;
        QStringList before;  // files there before the run
        std::vector<Choice> answers;
        QStringList asked;    // the replace questions, by name
        QStringList written;  // files made or replaced by the run
        int channels = 8;     // BMP to FITS
    };
    const Case cases[] = {
        {"the free name passes over one taken before the run", ConvertBmpToJpeg, false, {"x.1.bmp", "x.2.bmp"},
         {"x_100 (2).JPG"}, {}, {}, {"x_100 (3).JPG", "x_100.JPG"}},
        {"a file there before is replaced on Oui", ConvertJpegToBmp, true, {"planete_01.jpg", "planete_02.jpg"},
         {"planete_02.BMP"}, {C::Yes}, {"planete_02.BMP"}, {"planete_01.BMP", "planete_02.BMP"}},
        {"Non keeps it and the run goes on", ConvertJpegToBmp, true, {"a.jpg", "b.jpg"}, {"a.BMP"}, {C::No},
         {"a.BMP"}, {"b.BMP"}},
        {"Oui pour Tous answers for the rest of the run", ConvertBmpToJpeg, false, {"a.bmp", "b.bmp", "c.bmp"},
         {"a_100.JPG", "c_100.JPG"}, {C::YesToAll}, {"a_100.JPG"}, {"a_100.JPG", "b_100.JPG", "c_100.JPG"}},
        {"Annuler ends the run", ConvertJpegToBmp, true, {"a.jpg", "b.jpg", "c.jpg"}, {"b.BMP"}, {C::Cancel},
         {"b.BMP"}, {"a.BMP"}},
        {"each channel file on its own", ConvertBmpToFits, false, {"a.1.bmp", "a.2.bmp"}, {"a_R.FIT", "a_G.FIT"},
         {C::No, C::Yes, C::Yes}, {"a_R.FIT", "a_G.FIT", "a_R.FIT"}, {"a_G (2).FIT", "a_G.FIT", "a_R.FIT"}, 1 | 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tmp;
        const QString root = tmp.path() + QLatin1Char('/');
        const QStringList sources = make(tmp.path(), c.entries, c.jpeg);
        for (const QString& b : c.before)
            ASSERT_TRUE(writeAll(root + b, "user's " + b.toUtf8()));
        setList(sources);
        setDefaults(programOptions());
        programOptions().FitChannels = c.channels;
        sp.clear();
        for (const Choice a : c.answers)
            sp.answerChoice(a);

        EXPECT_EQ(run(c.converter), c.written.size());
        QStringList asked;
        for (const ScriptedPrompts::Shown& s : sp.shown())
            if (s.kind == ScriptedPrompts::Kind::Choice) {
                EXPECT_EQ(s.caption, QStringLiteral("Confirmation"));
                asked << s.text;
            }
        QStringList expectedAsked;
        for (const QString& a : c.asked)
            expectedAsked << QString::fromUtf8("Le fichier %1 existe déjà. Remplacer?").arg(root + a);
        EXPECT_EQ(asked, expectedAsked);
        EXPECT_TRUE(sp.allAnswered());
        EXPECT_EQ(sp.messages().last(), done(int(c.written.size())));

        QStringList made;
        for (const QString& f : filesUnder(tmp.path()))
            if (!c.entries.contains(f) && readAll(root + f) != "user's " + f.toUtf8())
                made << f;
        EXPECT_EQ(made, c.written);
        for (const QString& b : c.before)
            EXPECT_TRUE(QFile::exists(root + b)) << b.toStdString();
    }
}

TEST_F(DriverTest, EachKindAsksItsDialogAndWritesItsEnding)
{
    const auto tick = [](QDialog* d, const char* name, bool on) {
        d->findChild<QCheckBox*>(QString::fromLatin1(name))->setChecked(on);
    };
    struct Kind {
        std::function<QDialog*()> make;
        Converter converter;
        bool jpeg;
        std::function<void(QDialog*)> fill;
        QString caption;
        QStringList written;
    };
    const Kind kinds[] = {
        {[] { return new TFormOpBmp2Jpeg; }, ConvertBmpToJpeg, false,
         [](QDialog* d) { d->findChild<TSpinEdit*>(QStringLiteral("SpinEditQualite"))->SetValue(75); },
         QStringLiteral("Convertir BMP vers JPEG:"), {"a_075.JPG", "b_075.JPG"}},
        {[] { return new TFormOpBmp2Fit; }, ConvertBmpToFits, false,
         [&](QDialog* d) {
             tick(d, "CheckBoxRouge", true);
             tick(d, "CheckBoxBleu", true);
             tick(d, "CheckBoxGris", false);
         },
         QStringLiteral("Convertir BMP vers FIT:"), {"a_B.FIT", "a_R.FIT", "b_B.FIT", "b_R.FIT"}},
        {[] { return new TFormopJpeg2Bmp; }, ConvertJpegToBmp, true, [](QDialog*) {},
         QStringLiteral("Convertir JPEG vers Bmp:"), {"a.BMP", "b.BMP"}},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.caption.toStdString());
        std::unique_ptr<QDialog> dialog(k.make());
        const auto ask = [&] { return prompts().exec(dialog.get()) == QDialog::Accepted; };
        for (const bool ok : {false, true}) {
            QTemporaryDir tmp;
            const QStringList sources = make(tmp.path(), {"a.x", "b.x"}, k.jpeg);
            setList(sources);
            sp.clear();
            sp.answerDialog([&](QDialog* d) {
                k.fill(d);
                if (ok)
                    QTest::mouseClick(d->findChild<QAbstractButton*>(QStringLiteral("BitBtnOk")), Qt::LeftButton);
            });
            const int files = ok ? int(k.written.size()) : 0;  // a FITS run counts each channel file
            EXPECT_EQ(ConvertirBmpClick(review, ask, k.converter), files);
            ASSERT_FALSE(sp.shown().empty());
            EXPECT_EQ(sp.shown().front().caption, k.caption);
            QStringList written = filesUnder(tmp.path());
            written.removeOne(QStringLiteral("a.x"));
            written.removeOne(QStringLiteral("b.x"));
            EXPECT_EQ(written, ok ? k.written : QStringList());
            EXPECT_EQ(sp.messages(), QStringList{done(files)});
        }
    }
}

TEST_F(DriverTest, RunStateAndTheSlideshow)
{
    const QStringList sources = make(dir.path(), {"a.bmp", "b.bmp", "c.bmp"}, false);
    const QByteArray bitmapB = readAll(sources[1]);
    bool visible = true;
    std::vector<bool> slideshow;  // what the run asked of the slideshow window, in order
    conversionDisplay().showSlideshow = [&](bool shown) {
        slideshow.push_back(shown);
        return std::exchange(visible, shown);
    };
    const auto nothing = [] {};
    struct Case {
        const char* what;
        QStringList list;
        bool ok;
        bool visu;
        bool visibleBefore;
        std::function<void()> prepare;  // files and answers
        std::vector<int> rows;
        std::vector<bool> slideshow;
    };
    const Case cases[] = {
        {"a run without Visu hides the slideshow and gives it back", sources, true, false, true, nothing, {1, 2, 3},
         {false, true}},
        {"a run with Visu shows it", sources, true, true, true, nothing, {1, 2, 3}, {true}},
        {"a run with Visu leaves it shown", sources, true, true, false, nothing, {1, 2, 3}, {true}},
        {"a hidden slideshow stays hidden", sources, true, false, false, nothing, {1, 2, 3}, {false}},
        {"a run ended by Annuler gives it back", sources, true, false, true,
         [&] {
             writeAll(path(QStringLiteral("b_100.JPG")), "there before");
             sp.answerChoice(Choice::Cancel);
         },
         {1, 2}, {false, true}},
        {"a run ended by Non gives it back", sources, true, false, true,
         [&] {
             writeAll(sources[1], "BM not a bitmap");
             sp.answerChoice(Choice::No);
         },
         {1, 2}, {false, true}},
        {"a cancelled dialog converts nothing", sources, false, true, true, nothing, {}, {}},
        {"an empty list converts nothing", {}, true, true, true, nothing, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setList(c.list);
        programOptions().ShowConverted = c.visu;
        programOptions().SlideInterval = 0;
        review.setListCaption(QString());
        for (const char* written : {"a_100.JPG", "b_100.JPG", "c_100.JPG"})
            QFile::remove(path(QLatin1String(written)));  // each run starts without the last one's files
        writeAll(sources[1], bitmapB);
        g_rows.clear();
        g_running.clear();
        slideshow.clear();
        visible = c.visibleBefore;
        sp.clear();
        c.prepare();
        const int files = run(recordAndConvert, c.ok);
        EXPECT_EQ(g_rows, c.rows);
        EXPECT_EQ(g_running, std::vector<bool>(c.rows.size(), true));
        EXPECT_FALSE(review.BatchRunning());
        EXPECT_EQ(slideshow, c.slideshow);
        EXPECT_EQ(visible, c.visibleBefore || c.visu);
        EXPECT_TRUE(sp.messages().last().startsWith(done(files))) << sp.messages().last().toStdString();
        EXPECT_TRUE(sp.allAnswered());
        EXPECT_EQ(review.listCaption(), c.rows.empty() ? QString() : sources[qsizetype(c.rows.size()) - 1]);
    }
}

TEST_F(DriverTest, StopKeysEndTheRunBeforeTheNextEntry)
{
    for (const int key : {vk::Space, vk::Escape}) {
        SCOPED_TRACE(key);
        QTemporaryDir tmp;
        setList(make(tmp.path(), {"a.bmp", "b.bmp", "c.bmp"}, false));
        g_rows.clear();
        g_stopKey = key;
        sp.clear();
        EXPECT_EQ(run(recordAndConvert), 2);
        review.SetPlaying(false);
        EXPECT_EQ(filesUnder(tmp.path()), (QStringList{"a.bmp", "a_100.JPG", "b.bmp", "b_100.JPG", "c.bmp"}));
        EXPECT_EQ(sp.messages(), QStringList{done(2)});
        EXPECT_FALSE(review.BatchRunning());
    }
}

// A source that cannot be converted asks whether to go on, with the system's reason in French;
// the closing message counts the files written.
TEST_F(DriverTest, FailingEntries)
{
    const QString longName = QString(250, QLatin1Char('x'));  // its JPEG's name would be too long
    struct Case {
        const char* what;
        Converter converter;
        bool jpeg;
        QStringList entries;
        std::function<void(const QString& root)> spoil;
        std::vector<Choice> answers;  // to "Voulez-vous Continuer?"
        std::vector<std::pair<QString, QString>> asked;  // the failing entry's name, the reason
        QStringList written;
        int failed = 1;
    };
    using C = Choice;
    const auto corrupt = [](const char* name) {
        return [=](const QString& root) { writeAll(root + QLatin1String(name), "BM not a bitmap"); };
    };
    const Case cases[] = {
        {"a corrupt bitmap first: the others are converted", ConvertBmpToJpeg, false, {"a.bmp", "b.bmp", "c.bmp"},
         corrupt("a.bmp"), {C::Yes}, {{"a.bmp", "Image bitmap incorrecte"}}, {"b_100.JPG", "c_100.JPG"}},
        {"Non ends the run there", ConvertBmpToJpeg, false, {"a.bmp", "b.bmp", "c.bmp"}, corrupt("a.bmp"), {C::No},
         {{"a.bmp", "Image bitmap incorrecte"}}, {}},
        {"Annuler too", ConvertBmpToJpeg, false, {"a.bmp", "b.bmp", "c.bmp"}, corrupt("b.bmp"), {C::Cancel},
         {{"b.bmp", "Image bitmap incorrecte"}}, {"a_100.JPG"}},
        {"Oui pour Tous goes on without asking again", ConvertBmpToJpeg, false, {"a.bmp", "b.bmp", "c.bmp", "d.bmp"},
         [&](const QString& root) {
             corrupt("a.bmp")(root);
             corrupt("c.bmp")(root);
         },
         {C::YesToAll}, {{"a.bmp", "Image bitmap incorrecte"}}, {"b_100.JPG", "d_100.JPG"}, 2},
        {"a missing file third", ConvertJpegToBmp, true, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"},
         [](const QString& root) { QFile::remove(root + QStringLiteral("c.jpg")); }, {C::Yes},
         {{"c.jpg", "Fichier introuvable"}}, {"a.BMP", "b.BMP", "d.BMP"}},
        {"a name too long for its output", ConvertBmpToJpeg, false, {"a.bmp", longName, "c.bmp"}, [](const QString&) {},
         {C::Yes}, {{longName, "Nom de fichier trop long"}}, {"a_100.JPG", "c_100.JPG"}},
        {"a FITS file that cannot be made", ConvertBmpToFits, false, {"a.bmp", "b.bmp", "c.bmp"},
         [](const QString& root) { QDir(root).mkdir(QStringLiteral("b_G.FIT")); }, {C::Yes},
         {{"b.bmp", QString::fromUtf8("C'est un répertoire")}}, {"a_G.FIT", "c_G.FIT"}},
        // A JPEG named c.BMP converted to BMP without renaming would be replaced by its own conversion.
        {"an output that names its own source", ConvertJpegToBmp, true, {"a.jpg", "b.jpg", "c.BMP"},
         [](const QString&) {}, {C::Yes}, {{"c.BMP", "Le fichier converti remplacerait le fichier source"}},
         {"a.BMP", "b.BMP"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tmp;
        const QString root = tmp.path() + QLatin1Char('/');
        const QStringList sources = make(tmp.path(), c.entries, c.jpeg);
        c.spoil(root);
        std::map<QString, QByteArray> kept;
        for (const QString& s : sources)
            kept[s] = readAll(s);
        setList(sources);
        sp.clear();
        for (const Choice a : c.answers)
            sp.answerChoice(a);

        EXPECT_EQ(run(c.converter), c.written.size());
        QStringList written = filesUnder(tmp.path());
        for (const QString& e : c.entries)
            written.removeOne(e);
        EXPECT_EQ(written, c.written);
        std::vector<std::tuple<ScriptedPrompts::Kind, QString, QString>> shown, expected;
        for (const ScriptedPrompts::Shown& s : sp.shown())
            shown.emplace_back(s.kind, s.caption, s.text);
        for (const auto& [name, reason] : c.asked)
            expected.emplace_back(ScriptedPrompts::Kind::Choice,
                                  QStringLiteral("Impossible de Traiter le Fichier: ") + root + name,
                                  reason + QStringLiteral("\nVoulez-vous Continuer?"));
        // The closing message adds the failures and the first one's reason.
        const auto& [firstName, firstReason] = c.asked.front();
        expected.emplace_back(ScriptedPrompts::Kind::Message, QString(),
                              done(int(c.written.size())) + QLatin1Char('\n') + QString::number(c.failed)
                                  + QString::fromUtf8(c.failed > 1 ? " Échecs, le premier : " : " Échec : ")
                                  + firstReason + QStringLiteral(" : ") + root + firstName);
        EXPECT_EQ(shown, expected);
        for (const auto& [path, bytes] : kept)
            EXPECT_EQ(readAll(path), bytes) << path.toStdString();
        EXPECT_FALSE(review.BatchRunning());
    }
}

TEST_F(DriverTest, EditShownPictureChangesThePictureOnShow)
{
    QSignalSpy changed(&review, &ReviewController::frameChanged);
    int edits = 0;
    const auto grey = [&](QImage& p) {
        ++edits;
        applyGreyFilter(p, ColourWeights{});
    };
    EXPECT_FALSE(review.EditShownPicture(grey));  // nothing on show
    const QString bad = path(QStringLiteral("bad.bmp"));
    writeAll(bad, "BM");
    ASSERT_TRUE(review.ShowImage(bad));  // shows only the background
    EXPECT_FALSE(review.EditShownPicture(grey));
    EXPECT_EQ(edits, 0);

    const QString red = solidBmp(QStringLiteral("red.bmp"), 4, 3, Qt::red);
    ASSERT_TRUE(review.ShowImage(red));
    changed.clear();
    EXPECT_TRUE(review.EditShownPicture(grey));
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(review.frame().caption, red);
    EXPECT_EQ(review.frame().picture.pixelColor(3, 2), QColor(76, 76, 76));
}

}  // namespace
