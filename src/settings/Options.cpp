#include "settings/Options.h"

#include "platform/PathUtil.h"
#include "platform/TextCodec.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstring>

const char* const kProductName = "Velmoran";
const char* const kVersionText = "préVersion : 0.56";

namespace {

// Fixed-offset access to a record's byte image. Each record's fields are listed once (the field
// tables below) and the same list drives both directions: the writer copies a field's value into
// the image, the reader fills the field from it. The writer owns a buffer of the block's size; the
// reader checks its bounds, so a short buffer reads as zeros rather than past its end.
class ImageWriter {
public:
    explicit ImageWriter(int size) : bytes_(size, '\0') {}

    void byte(int offset, uint8_t v) { bytes_[offset] = static_cast<char>(v); }
    void byte(int offset, char v) { byte(offset, static_cast<uint8_t>(v)); }
    void flag(int offset, bool v) { byte(offset, uint8_t(v ? 1 : 0)); }
    void int32(int offset, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            byte(offset + i, static_cast<uint8_t>(v >> (8 * i)));
    }
    void int32(int offset, int32_t v) { int32(offset, static_cast<uint32_t>(v)); }
    void place(int offset, const WindowPlace& p)
    {
        int32(offset, p.Top);
        int32(offset + 4, p.Left);
        int32(offset + 8, p.Height);
        int32(offset + 12, p.Width);
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

    uint8_t at(int offset) const
    {
        return offset >= 0 && offset < bytes_.size() ? static_cast<uint8_t>(bytes_[offset]) : 0;
    }
    void byte(int offset, uint8_t& v) const { v = at(offset); }
    void byte(int offset, char& v) const { v = static_cast<char>(at(offset)); }
    void flag(int offset, bool& v) const { v = at(offset) != 0; }
    void int32(int offset, uint32_t& v) const
    {
        v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | at(offset + i);
    }
    void int32(int offset, int32_t& v) const
    {
        uint32_t u = 0;
        int32(offset, u);
        v = static_cast<int32_t>(u);
    }
    void place(int offset, WindowPlace& p) const
    {
        int32(offset, p.Top);
        int32(offset + 4, p.Left);
        int32(offset + 8, p.Height);
        int32(offset + 12, p.Width);
    }
    // A length byte beyond the capacity (a damaged file) is held to the capacity rather than
    // letting the text run into the next field.
    void shortString(int offset, int capacity, QString& v) const
    {
        const int len = std::min<int>(at(offset), capacity);
        QByteArray text(len, '\0');
        for (int i = 0; i < len; ++i)
            text[i] = static_cast<char>(at(offset + 1 + i));
        v = decodeFileText(text);
    }
    template <size_t N>
    void raw(int offset, std::array<uint8_t, N>& a) const
    {
        for (size_t i = 0; i < N; ++i)
            a[i] = at(offset + int(i));
    }

private:
    const QByteArray& bytes_;
};

// The byte layout of each record: offset, kind and field, in file order.
template <class Io, class R> void programFields(Io& io, R& o)
{
    io.shortString(0, 255, o.ProductName);
    io.shortString(256, 255, o.VersionText);
    io.byte(512, o.Reserved512);
    io.raw(513, o.Pad513);
    io.int32(516, o.FitBytesPerPixel);
    io.int32(520, o.FitChannels);
    io.int32(524, o.JpegQuality);
    io.int32(528, o.SlideInterval);
    io.int32(532, o.ShortWait);
    io.int32(536, o.LongWait);
    io.int32(540, o.SlidePosition);
    io.int32(544, o.FastStep);
    io.flag(548, o.SlideLoop);
    io.flag(549, o.SlideFullScreen);
    io.flag(550, o.ShowConverted);
    io.flag(551, o.RenameByBatch);
    io.flag(552, o.MoveToTarget);
    io.flag(553, o.SortMoveToBase);
    io.shortString(554, 255, o.BatchName);
    io.shortString(810, 255, o.TargetDirectory);
    io.shortString(1066, 255, o.SortBaseDirectory);
    io.shortString(1322, 255, o.LastImageDirectory);
    io.shortString(1578, 255, o.LastListFile);
    io.raw(1834, o.Pad1834);
    io.int32(1836, o.RedWeight);
    io.int32(1840, o.GreenWeight);
    io.int32(1844, o.BlueWeight);
    io.byte(1848, o.DefaultScore);
    io.raw(1849, o.Pad1849);
    io.int32(1852, o.MaxScore);
    io.int32(1856, o.SlideBackground);
    io.shortString(1860, 3, o.EndMark);
}

template <class Io, class R> void desktopFields(Io& io, R& o)
{
    io.flag(0, o.AutoSaveDesktop);
    io.raw(1, o.Pad1);
    io.place(4, o.CommandPlace);
    io.place(20, o.SlideshowPlace);
    io.place(36, o.ListPlace);
    io.place(52, o.ZonePlace);
    io.place(68, o.ThumbnailPlace);
    io.place(84, o.ReferencePlace);
    io.flag(100, o.ShowList);
    io.flag(101, o.ShowThumbnails);
    io.flag(102, o.ShowSlideshow);
    io.flag(103, o.ShowZones);
    io.byte(104, o.Reserved104);
    io.raw(105, o.Pad105);
    io.int32(108, o.ThumbPageSize);
    io.int32(112, o.ThumbFirst);
    io.int32(116, o.ThumbPageLimit);
    io.int32(120, o.ThumbCellHeight);
    io.int32(124, o.ThumbCellWidth);
    io.int32(128, o.ZoneCellHeight);
    io.int32(132, o.ZoneCellWidth);
    io.flag(136, o.ThumbDontAsk);
    io.shortString(137, 3, o.EndMark);
    io.raw(141, o.Pad141);
}

template <class Io, class R> void extractorFields(Io& io, R& o)
{
    io.shortString(0, 255, o.ExtractorDirectory);
    io.flag(256, o.ExtractorDontAsk);
}

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
    programFields(w, o);
    return w.take();
}

QByteArray toBytes(const DesktopOptions& o)
{
    ImageWriter w(kDesktopOptionsSize);
    desktopFields(w, o);
    return w.take();
}

QByteArray toBytes(const ExtractorOptions& o)
{
    ImageWriter w(kExtractorOptionsSize);
    extractorFields(w, o);
    return w.take();
}

void fromBytes(ProgramOptions& o, const QByteArray& bytes)
{
    const ImageReader r(bytes);
    programFields(r, o);
}

void fromBytes(DesktopOptions& o, const QByteArray& bytes)
{
    const ImageReader r(bytes);
    desktopFields(r, o);
}

void fromBytes(ExtractorOptions& o, const QByteArray& bytes)
{
    const ImageReader r(bytes);
    extractorFields(r, o);
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
