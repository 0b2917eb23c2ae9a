#include "settings/Options.h"

#include "platform/PathUtil.h"
#include "platform/TextCodec.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstring>

const char* const kProductName = "Velmoran";
const char* const kVersionText = "préVersion : 0.56";

namespace {

// Fixed-offset access to a record's byte image. The writer always owns a buffer of the block's size;
// the reader checks its bounds, so a short buffer reads as zeros rather than past its end.
class ImageWriter {
public:
    explicit ImageWriter(int size) : bytes_(size, '\0') {}

    void byte(int offset, uint8_t v) { bytes_[offset] = static_cast<char>(v); }
    void flag(int offset, bool v) { byte(offset, v ? 1 : 0); }
    void int32(int offset, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            byte(offset + i, static_cast<uint8_t>(v >> (8 * i)));
    }
    void place(int offset, const WindowPlace& p)
    {
        int32(offset, static_cast<uint32_t>(p.Top));
        int32(offset + 4, static_cast<uint32_t>(p.Left));
        int32(offset + 8, static_cast<uint32_t>(p.Height));
        int32(offset + 12, static_cast<uint32_t>(p.Width));
    }
    // Length byte then the text, cut to the capacity in bytes; the rest of the field stays zero.
    void shortString(int offset, int capacity, const QString& text)
    {
        const QByteArray enc = truncateEncoded(encodeFileText(text), capacity);
        byte(offset, static_cast<uint8_t>(enc.size()));
        std::memcpy(bytes_.data() + offset + 1, enc.constData(), size_t(enc.size()));
    }
    template <size_t N>
    void raw(int offset, const std::array<uint8_t, N>& a)
    {
        for (size_t i = 0; i < N; ++i)
            byte(offset + int(i), a[i]);
    }

    QByteArray take() { return std::move(bytes_); }

private:
    QByteArray bytes_;
};

class ImageReader {
public:
    explicit ImageReader(const QByteArray& bytes) : bytes_(bytes) {}

    uint8_t byte(int offset) const
    {
        return offset >= 0 && offset < bytes_.size() ? static_cast<uint8_t>(bytes_[offset]) : 0;
    }
    bool flag(int offset) const { return byte(offset) != 0; }
    uint32_t uint32(int offset) const
    {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | byte(offset + i);
        return v;
    }
    int32_t int32(int offset) const { return static_cast<int32_t>(uint32(offset)); }
    WindowPlace place(int offset) const
    {
        return {int32(offset), int32(offset + 4), int32(offset + 8), int32(offset + 12)};
    }
    // A length byte beyond the capacity (a damaged file) is held to the capacity rather than
    // letting the text run into the next field.
    QString shortString(int offset, int capacity) const
    {
        const int len = std::min<int>(byte(offset), capacity);
        QByteArray text(len, '\0');
        for (int i = 0; i < len; ++i)
            text[i] = static_cast<char>(byte(offset + 1 + i));
        return decodeFileText(text);
    }
    template <size_t N>
    void raw(int offset, std::array<uint8_t, N>& a) const
    {
        for (size_t i = 0; i < N; ++i)
            a[i] = byte(offset + int(i));
    }

private:
    const QByteArray& bytes_;
};

ProgramOptions g_program;
DesktopOptions g_desktop;
ExtractorOptions g_extractor;

}  // namespace

void setDefaults(ProgramOptions& o)
{
    const QString exeDir = executableDirectory();
    o.ProductName = QString::fromUtf8(kProductName);
    o.VersionText = QString::fromUtf8(kVersionText);
    o.Reserved512 = 1;
    o.FitBytesPerPixel = 1;
    o.FitChannels = 8;
    o.JpegQuality = 100;
    o.SlideInterval = 500;
    o.ShortWait = 500;
    o.LongWait = 1500;
    o.SlidePosition = 0;
    o.FastStep = 3;
    o.SlideLoop = false;
    o.SlideFullScreen = false;
    o.ShowConverted = false;
    o.RenameByBatch = false;
    o.MoveToTarget = false;
    o.SortMoveToBase = false;
    o.BatchName = QStringLiteral("Image");
    o.TargetDirectory = exeDir;
    o.SortBaseDirectory = exeDir;
    o.LastImageDirectory = exeDir;
    o.LastListFile = exeDir + QStringLiteral("defaut.lst");
    o.RedWeight = 77;
    o.GreenWeight = 151;
    o.BlueWeight = 28;
    o.DefaultScore = '0';
    o.MaxScore = 2;
    o.SlideBackground = kDesktopBackgroundColor;
    o.EndMark = QStringLiteral("FIN");
}

void setDefaults(DesktopOptions& o, int W, int H)
{
    // Plain int division truncates toward zero, as the layout expects on screens narrower than a window.
    o.AutoSaveDesktop = true;
    o.CommandPlace = {0, (W - 640) / 2, 80, 640};
    o.SlideshowPlace = {H - 256, (W - 512) / 2, 256, 512};
    o.ListPlace = {80, (W - 512) / 2, 256, 512};
    o.ZonePlace = {80, W - 120, 512, 120};
    o.ThumbnailPlace = {80, 0, 512, 120};
    o.ReferencePlace = {H / 2, W / 2, 100, 100};
    o.ShowList = true;
    o.ShowThumbnails = true;
    o.ShowSlideshow = true;
    o.ShowZones = true;
    o.Reserved104 = 1;
    o.ThumbPageSize = 10;
    o.ThumbFirst = 0;
    o.ThumbPageLimit = 100;
    o.ThumbCellHeight = 75;
    o.ThumbCellWidth = 75;
    o.ZoneCellHeight = 75;
    o.ZoneCellWidth = 75;
    o.ThumbDontAsk = false;
    o.EndMark = QStringLiteral("FIN");
}

void setDefaults(ExtractorOptions& o)
{
    o.ExtractorDirectory = QStringLiteral("/");
    o.ExtractorDontAsk = false;
}

void setDesktopDefaults(DesktopOptions& o)
{
    int w = 1024, h = 768;
    // primaryScreen() needs a GUI application; a console-only process takes the fallback size.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            w = screen->geometry().width();
            h = screen->geometry().height();
        }
    }
    setDefaults(o, w, h);
}

QByteArray toBytes(const ProgramOptions& o)
{
    ImageWriter w(kProgramOptionsSize);
    w.shortString(0, 255, o.ProductName);
    w.shortString(256, 255, o.VersionText);
    w.byte(512, o.Reserved512);
    w.raw(513, o.Pad513);
    w.int32(516, static_cast<uint32_t>(o.FitBytesPerPixel));
    w.int32(520, static_cast<uint32_t>(o.FitChannels));
    w.int32(524, static_cast<uint32_t>(o.JpegQuality));
    w.int32(528, static_cast<uint32_t>(o.SlideInterval));
    w.int32(532, static_cast<uint32_t>(o.ShortWait));
    w.int32(536, static_cast<uint32_t>(o.LongWait));
    w.int32(540, static_cast<uint32_t>(o.SlidePosition));
    w.int32(544, static_cast<uint32_t>(o.FastStep));
    w.flag(548, o.SlideLoop);
    w.flag(549, o.SlideFullScreen);
    w.flag(550, o.ShowConverted);
    w.flag(551, o.RenameByBatch);
    w.flag(552, o.MoveToTarget);
    w.flag(553, o.SortMoveToBase);
    w.shortString(554, 255, o.BatchName);
    w.shortString(810, 255, o.TargetDirectory);
    w.shortString(1066, 255, o.SortBaseDirectory);
    w.shortString(1322, 255, o.LastImageDirectory);
    w.shortString(1578, 255, o.LastListFile);
    w.raw(1834, o.Pad1834);
    w.int32(1836, static_cast<uint32_t>(o.RedWeight));
    w.int32(1840, static_cast<uint32_t>(o.GreenWeight));
    w.int32(1844, static_cast<uint32_t>(o.BlueWeight));
    w.byte(1848, static_cast<uint8_t>(o.DefaultScore));
    w.raw(1849, o.Pad1849);
    w.int32(1852, static_cast<uint32_t>(o.MaxScore));
    w.int32(1856, o.SlideBackground);
    w.shortString(1860, 3, o.EndMark);
    return w.take();
}

QByteArray toBytes(const DesktopOptions& o)
{
    ImageWriter w(kDesktopOptionsSize);
    w.flag(0, o.AutoSaveDesktop);
    w.raw(1, o.Pad1);
    w.place(4, o.CommandPlace);
    w.place(20, o.SlideshowPlace);
    w.place(36, o.ListPlace);
    w.place(52, o.ZonePlace);
    w.place(68, o.ThumbnailPlace);
    w.place(84, o.ReferencePlace);
    w.flag(100, o.ShowList);
    w.flag(101, o.ShowThumbnails);
    w.flag(102, o.ShowSlideshow);
    w.flag(103, o.ShowZones);
    w.byte(104, o.Reserved104);
    w.raw(105, o.Pad105);
    w.int32(108, static_cast<uint32_t>(o.ThumbPageSize));
    w.int32(112, static_cast<uint32_t>(o.ThumbFirst));
    w.int32(116, static_cast<uint32_t>(o.ThumbPageLimit));
    w.int32(120, static_cast<uint32_t>(o.ThumbCellHeight));
    w.int32(124, static_cast<uint32_t>(o.ThumbCellWidth));
    w.int32(128, static_cast<uint32_t>(o.ZoneCellHeight));
    w.int32(132, static_cast<uint32_t>(o.ZoneCellWidth));
    w.flag(136, o.ThumbDontAsk);
    w.shortString(137, 3, o.EndMark);
    w.raw(141, o.Pad141);
    return w.take();
}

QByteArray toBytes(const ExtractorOptions& o)
{
    ImageWriter w(kExtractorOptionsSize);
    w.shortString(0, 255, o.ExtractorDirectory);
    w.flag(256, o.ExtractorDontAsk);
    return w.take();
}

void fromBytes(ProgramOptions& o, const QByteArray& bytes)
{
    const ImageReader r(bytes);
    o.ProductName = r.shortString(0, 255);
    o.VersionText = r.shortString(256, 255);
    o.Reserved512 = r.byte(512);
    r.raw(513, o.Pad513);
    o.FitBytesPerPixel = r.int32(516);
    o.FitChannels = r.int32(520);
    o.JpegQuality = r.int32(524);
    o.SlideInterval = r.int32(528);
    o.ShortWait = r.int32(532);
    o.LongWait = r.int32(536);
    o.SlidePosition = r.int32(540);
    o.FastStep = r.int32(544);
    o.SlideLoop = r.flag(548);
    o.SlideFullScreen = r.flag(549);
    o.ShowConverted = r.flag(550);
    o.RenameByBatch = r.flag(551);
    o.MoveToTarget = r.flag(552);
    o.SortMoveToBase = r.flag(553);
    o.BatchName = r.shortString(554, 255);
    o.TargetDirectory = r.shortString(810, 255);
    o.SortBaseDirectory = r.shortString(1066, 255);
    o.LastImageDirectory = r.shortString(1322, 255);
    o.LastListFile = r.shortString(1578, 255);
    r.raw(1834, o.Pad1834);
    o.RedWeight = r.int32(1836);
    o.GreenWeight = r.int32(1840);
    o.BlueWeight = r.int32(1844);
    o.DefaultScore = static_cast<char>(r.byte(1848));
    r.raw(1849, o.Pad1849);
    o.MaxScore = r.int32(1852);
    o.SlideBackground = r.uint32(1856);
    o.EndMark = r.shortString(1860, 3);
}

void fromBytes(DesktopOptions& o, const QByteArray& bytes)
{
    const ImageReader r(bytes);
    o.AutoSaveDesktop = r.flag(0);
    r.raw(1, o.Pad1);
    o.CommandPlace = r.place(4);
    o.SlideshowPlace = r.place(20);
    o.ListPlace = r.place(36);
    o.ZonePlace = r.place(52);
    o.ThumbnailPlace = r.place(68);
    o.ReferencePlace = r.place(84);
    o.ShowList = r.flag(100);
    o.ShowThumbnails = r.flag(101);
    o.ShowSlideshow = r.flag(102);
    o.ShowZones = r.flag(103);
    o.Reserved104 = r.byte(104);
    r.raw(105, o.Pad105);
    o.ThumbPageSize = r.int32(108);
    o.ThumbFirst = r.int32(112);
    o.ThumbPageLimit = r.int32(116);
    o.ThumbCellHeight = r.int32(120);
    o.ThumbCellWidth = r.int32(124);
    o.ZoneCellHeight = r.int32(128);
    o.ZoneCellWidth = r.int32(132);
    o.ThumbDontAsk = r.flag(136);
    o.EndMark = r.shortString(137, 3);
    r.raw(141, o.Pad141);
}

void fromBytes(ExtractorOptions& o, const QByteArray& bytes)
{
    const ImageReader r(bytes);
    o.ExtractorDirectory = r.shortString(0, 255);
    o.ExtractorDontAsk = r.flag(256);
}

ProgramOptions& programOptions() { return g_program; }
DesktopOptions& desktopOptions() { return g_desktop; }
ExtractorOptions& extractorOptions() { return g_extractor; }

void resetLiveOptions()
{
    g_program = ProgramOptions();
    g_desktop = DesktopOptions();
    g_extractor = ExtractorOptions();
}
