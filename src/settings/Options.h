#pragma once
// The three settings records and the settings file Velmoran.INI that holds their byte images:
// block 1 ProgramOptions (1864 bytes at 0), block 2 DesktopOptions (144 bytes at 1864),
// block 3 ExtractorOptions (257 bytes at 2008).
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

constexpr int kProgramOptionsSize = 1864;
constexpr int kDesktopOptionsSize = 144;
constexpr int kExtractorOptionsSize = 257;
constexpr int kProgramOptionsOffset = 0;
constexpr int kDesktopOptionsOffset = 1864;
constexpr int kExtractorOptionsOffset = 2008;
constexpr int kOptionsFileSize = 2265;

extern const char* const kProductName;   // "Velmoran"
extern const char* const kVersionText;   // "préVersion : 0.56" (UTF-8 in the source)
constexpr uint32_t kDesktopBackgroundColor = 0x80000001u;

// Outer frame of a window in screen pixels, stored as Top, Left, Height, Width.
struct WindowPlace {
    int32_t Top = 0, Left = 0, Height = 0, Width = 0;
    bool operator==(const WindowPlace&) const = default;
};

struct ProgramOptions {
    QString ProductName;
    QString VersionText;
    uint8_t Reserved512 = 0;
    int32_t FitBytesPerPixel = 0;
    int32_t FitChannels = 0;
    int32_t JpegQuality = 0;
    int32_t SlideInterval = 0;
    int32_t ShortWait = 0;
    int32_t LongWait = 0;
    int32_t SlidePosition = 0;
    int32_t FastStep = 0;
    bool SlideLoop = false;
    bool SlideFullScreen = false;
    bool ShowConverted = false;
    bool RenameByBatch = false;
    bool MoveToTarget = false;
    bool SortMoveToBase = false;
    QString BatchName;
    QString TargetDirectory;
    QString SortBaseDirectory;
    QString LastImageDirectory;
    QString LastListFile;
    int32_t RedWeight = 0;
    int32_t GreenWeight = 0;
    int32_t BlueWeight = 0;
    char DefaultScore = 0;
    int32_t MaxScore = 0;
    uint32_t SlideBackground = 0;
    QString EndMark;
    // Padding bytes kept as read, so a record read and written back is unchanged.
    std::array<uint8_t, 3> Pad513{};
    std::array<uint8_t, 2> Pad1834{};
    std::array<uint8_t, 3> Pad1849{};

    bool operator==(const ProgramOptions&) const = default;
};

struct DesktopOptions {
    bool AutoSaveDesktop = false;
    WindowPlace CommandPlace;
    WindowPlace SlideshowPlace;
    WindowPlace ListPlace;
    WindowPlace ZonePlace;
    WindowPlace ThumbnailPlace;
    WindowPlace ReferencePlace;
    bool ShowList = false;
    bool ShowThumbnails = false;
    bool ShowSlideshow = false;
    bool ShowZones = false;
    uint8_t Reserved104 = 0;
    int32_t ThumbPageSize = 0;
    int32_t ThumbFirst = 0;
    int32_t ThumbPageLimit = 0;
    int32_t ThumbCellHeight = 0;
    int32_t ThumbCellWidth = 0;
    int32_t ZoneCellHeight = 0;
    int32_t ZoneCellWidth = 0;
    bool ThumbDontAsk = false;
    QString EndMark;
    std::array<uint8_t, 3> Pad1{};
    std::array<uint8_t, 3> Pad105{};
    std::array<uint8_t, 3> Pad141{};

    bool operator==(const DesktopOptions&) const = default;
};

struct ExtractorOptions {
    QString ExtractorDirectory;
    bool ExtractorDontAsk = false;

    bool operator==(const ExtractorOptions&) const = default;
};

// Defaults. Desktop defaults depend on the screen size (width W, height H).
void setDefaults(ProgramOptions& o);
void setDefaults(DesktopOptions& o, int screenWidth, int screenHeight);
void setDefaults(ExtractorOptions& o);
// Desktop defaults for the primary screen (a 1024 × 768 screen when there is none).
void setDesktopDefaults(DesktopOptions& o);

// Byte images of the records, exactly as the file holds them.
QByteArray toBytes(const ProgramOptions& o);
QByteArray toBytes(const DesktopOptions& o);
QByteArray toBytes(const ExtractorOptions& o);
// Fill a record from its byte image (size must be the block's size).
void fromBytes(ProgramOptions& o, const QByteArray& bytes);
void fromBytes(DesktopOptions& o, const QByteArray& bytes);
void fromBytes(ExtractorOptions& o, const QByteArray& bytes);

// The live, process-wide records.
ProgramOptions& programOptions();
DesktopOptions& desktopOptions();
ExtractorOptions& extractorOptions();
// Puts the three live records back to their zeroed start-up state (tests).
void resetLiveOptions();
