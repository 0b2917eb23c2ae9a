#include "video/SerFile.h"

#include "platform/PictureLimits.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr char kFileId[] = "LUCAM-RECORDER";
constexpr int kFileIdSize = 14;
constexpr int kTextSize = 40;
// 100 ns ticks from 0001-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochTicks = 621355968000000000LL;
// Rows looked at per frame when choosing the byte order: enough to decide, cheap on big frames.
constexpr int kOrderSampleRows = 256;

int32_t le32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

int64_t le64(const uint8_t* p)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | p[i];
    return int64_t(v);
}

void put32(uint8_t* p, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(uint32_t(v) >> (8 * i));
}

void put64(uint8_t* p, int64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(uint64_t(v) >> (8 * i));
}

QString text(const uint8_t* p)
{
    int n = kTextSize;
    while (n > 0 && (p[n - 1] == 0 || p[n - 1] == ' '))
        --n;
    return QString::fromLatin1(reinterpret_cast<const char*>(p), n);
}

void putText(uint8_t* p, const QString& s)
{
    const QByteArray b = s.toLatin1().left(kTextSize);
    std::memset(p, 0, kTextSize);
    std::memcpy(p, b.constData(), size_t(b.size()));
}

// Colour of a Bayer site: 0 red, 1 green, 2 blue, by ColorID and the site's parities.
int bayerColour(int colorId, int x, int y)
{
    static constexpr int kPatterns[4][4] = {
        {0, 1, 1, 2},  // RGGB
        {1, 0, 2, 1},  // GRBG
        {1, 2, 0, 1},  // GBRG
        {2, 1, 1, 0},  // BGGR
    };
    return kPatterns[colorId - 8][(y & 1) * 2 + (x & 1)];
}

}  // namespace

SerHeader parseSerHeader(const uint8_t* b)
{
    SerHeader h;
    h.luId = le32(b + 14);
    h.colorId = le32(b + 18);
    h.littleEndian = le32(b + 22);
    h.width = le32(b + 26);
    h.height = le32(b + 30);
    h.pixelDepth = le32(b + 34);
    h.frameCount = le32(b + 38);
    h.observer = text(b + 42);
    h.instrument = text(b + 82);
    h.telescope = text(b + 122);
    h.dateTime = le64(b + 162);
    h.dateTimeUtc = le64(b + 170);
    return h;
}

void formatSerHeader(const SerHeader& h, uint8_t* b)
{
    std::memcpy(b, kFileId, kFileIdSize);
    put32(b + 14, h.luId);
    put32(b + 18, h.colorId);
    put32(b + 22, h.littleEndian);
    put32(b + 26, h.width);
    put32(b + 30, h.height);
    put32(b + 34, h.pixelDepth);
    put32(b + 38, h.frameCount);
    putText(b + 42, h.observer);
    putText(b + 82, h.instrument);
    putText(b + 122, h.telescope);
    put64(b + 162, h.dateTime);
    put64(b + 170, h.dateTimeUtc);
}

int64_t serTicksFromUnixNanos(int64_t unixNanos)
{
    return kUnixEpochTicks + unixNanos / 100;
}

std::optional<int64_t> unixNanosFromSerTicks(int64_t ticks)
{
    // 2200-01-01 is 7258118400 s after the Unix epoch.
    constexpr int64_t kLast = kUnixEpochTicks + 7258118400LL * 10000000LL;
    if (ticks < kUnixEpochTicks || ticks >= kLast)
        return std::nullopt;
    return (ticks - kUnixEpochTicks) * 100;
}

bool SerReader::open(const uint8_t* data, int64_t size, QString& error, ByteOrder order)
{
    data_ = data;
    fd_ = -1;
    size_ = size;
    return openLayout(error, order);
}

bool SerReader::openFile(int fd, int64_t size, QString& error, ByteOrder order)
{
    data_ = nullptr;
    fd_ = fd;
    size_ = size;
    return openLayout(error, order);
}

bool SerReader::fetch(int64_t offset, size_t n, uint8_t* dst) const
{
    if (offset < 0 || offset > size_ || int64_t(n) > size_ - offset)
        return false;
    if (data_) {
        std::memcpy(dst, data_ + offset, n);
        return true;
    }
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, dst + done, n - done, off_t(offset + int64_t(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = 0;  // the file ends before its size said: shortened meanwhile
            return false;
        }
        done += size_t(got);
    }
    return true;
}

const uint8_t* SerReader::bytesAt(int64_t offset, size_t n, std::vector<uint8_t>& buf) const
{
    if (data_)
        return offset >= 0 && offset <= size_ && int64_t(n) <= size_ - offset ? data_ + offset : nullptr;
    buf.resize(n);
    return fetch(offset, n, buf.data()) ? buf.data() : nullptr;
}

bool SerReader::openLayout(QString& error, ByteOrder order)
{
    const int64_t size = size_;
    frameCount_ = 0;
    if (size <= 0) {
        error = QStringLiteral("fichier vide");
        return false;
    }
    uint8_t head[kSerHeaderSize] = {};
    const bool haveId = size >= kFileIdSize && fetch(0, kFileIdSize, head);
    if (!haveId || std::memcmp(head, kFileId, kFileIdSize) != 0) {
        error = QStringLiteral("ce n'est pas une vidéo SER (pas d'identifiant LUCAM-RECORDER)");
        return false;
    }
    if (size < kSerHeaderSize || !fetch(0, kSerHeaderSize, head)) {
        error = QStringLiteral("fichier SER tronqué (en-tête incomplet)");
        return false;
    }
    header_ = parseSerHeader(head);
    const SerHeader& h = header_;
    const int id = h.colorId;
    if (id == 100 || id == 101)
        planes_ = 3;
    else if (id == 0 || (id >= 8 && id <= 11) || (id >= 16 && id <= 19))
        planes_ = 1;
    else {
        error = QStringLiteral("type de couleur SER %1 inconnu").arg(id);
        return false;
    }
    if (h.width <= 0 || h.height <= 0 || !pictureSizeAllowed(h.width, h.height, 3)) {
        error = QStringLiteral("taille d'image impossible (%1 × %2)").arg(h.width).arg(h.height);
        return false;
    }
    if (h.pixelDepth < 1 || h.pixelDepth > 16) {
        error = QStringLiteral("profondeur de %1 bits par plan non prise en charge").arg(h.pixelDepth);
        return false;
    }
    bytesPerSample_ = h.pixelDepth > 8 ? 2 : 1;
    frameBytes_ = int64_t(h.width) * h.height * planes_ * bytesPerSample_;
    const int64_t fit = (size - kSerHeaderSize) / frameBytes_;
    if (fit == 0) {
        error = QStringLiteral("fichier SER tronqué (aucune image complète)");
        return false;
    }
    countRecomputed_ = h.frameCount <= 0 || h.frameCount > fit;
    frameCount_ = countRecomputed_ ? fit : h.frameCount;
    hasTrailer_ = size - kSerHeaderSize - frameCount_ * frameBytes_ >= frameCount_ * 8;
    if (!chooseByteOrder(order) || !findSignificantBits()) {
        frameCount_ = 0;
        error = QStringLiteral("fichier SER tronqué pendant la lecture");
        return false;
    }
    return true;
}

std::optional<int64_t> SerReader::frameTicks(int64_t index) const
{
    if (!hasTrailer_ || index < 0 || index >= frameCount_)
        return std::nullopt;
    uint8_t ticks[8];
    if (!fetch(kSerHeaderSize + frameCount_ * frameBytes_ + 8 * index, sizeof ticks, ticks))
        return std::nullopt;
    return le64(ticks);
}

std::optional<int64_t> SerReader::frameTime(int64_t index) const
{
    const std::optional<int64_t> ticks = frameTicks(index);
    return ticks ? unixNanosFromSerTicks(*ticks) : std::nullopt;
}

bool SerReader::chooseByteOrder(ByteOrder order)
{
    bigEndian_ = false;
    if (bytesPerSample_ == 1 || order == ByteOrder::Little)
        return true;
    if (order == ByteOrder::Big) {
        bigEndian_ = true;
        return true;
    }
    // Real data varies smoothly in its high byte and noisily in its low byte, whether it fills the
    // 16 bits or only the low 10 to 12: sum, for either order, how much the would-be high byte
    // changes between neighbouring samples of the same plane.
    uint64_t spreadLittle = 0, spreadBig = 0;
    const int64_t rowSamples = int64_t(header_.width) * planes_;
    const int rowStep = std::max(1, header_.height / kOrderSampleRows);
    for (const int64_t f : {int64_t(0), frameCount_ / 2, frameCount_ - 1}) {
        for (int y = 0; y < header_.height; y += rowStep) {
            const uint8_t* row = bytesAt(frameOffset(f) + int64_t(y) * rowSamples * 2, size_t(rowSamples) * 2, wide_);
            if (!row)
                return false;
            for (int64_t i = planes_; i < rowSamples; ++i) {
                const uint8_t* a = row + 2 * i;
                const uint8_t* b = row + 2 * (i - planes_);
                spreadLittle += unsigned(std::abs(int(a[1]) - int(b[1])));
                spreadBig += unsigned(std::abs(int(a[0]) - int(b[0])));
            }
        }
    }
    // A tie (a blank frame, say) keeps little-endian, what nearly every capture program writes.
    bigEndian_ = spreadBig < spreadLittle;
    return true;
}

unsigned SerReader::sample(const uint8_t* p) const
{
    return bigEndian_ ? unsigned(p[0]) << 8 | p[1] : unsigned(p[1]) << 8 | p[0];
}

bool SerReader::findSignificantBits()
{
    bits_ = 8;
    if (bytesPerSample_ == 1)
        return true;
    unsigned top = 0;
    const int64_t samples = frameBytes_ / 2;
    for (const int64_t f : {int64_t(0), frameCount_ / 2, frameCount_ - 1}) {
        const uint8_t* p = bytesAt(frameOffset(f), size_t(frameBytes_), wide_);
        if (!p)
            return false;
        for (int64_t i = 0; i < samples; ++i)
            top = std::max(top, sample(p + 2 * i));
    }
    bits_ = std::max(8, int(std::bit_width(top)));
    return true;
}

bool SerReader::readFrame(int64_t index, Frame8& out, bool grey) const
{
    const int64_t offset = frameOffset(index);
    const int w = header_.width, h = header_.height;
    const int64_t samples = int64_t(w) * h * planes_;
    const int id = header_.colorId;
    const bool demosaic = isBayer() && !grey;
    if (bytesPerSample_ == 1 && planes_ == 1 && !demosaic) {
        if (data_) {
            const uint8_t* src = bytesAt(offset, size_t(frameBytes_), wide_);
            if (!src)
                return false;
            out.viewOf(src, w, h, 1);  // already what a frame holds: no copy
            return true;
        }
        out.reset(w, h, 1);
        return fetch(offset, size_t(frameBytes_), out.pixels.data());
    }

    // 8-bit samples, straight into the output when no demosaicing follows.
    uint8_t* dst;
    if (demosaic) {
        mosaic_.resize(size_t(samples));
        dst = mosaic_.data();
    } else {
        out.reset(w, h, planes_);
        dst = out.pixels.data();
    }
    if (bytesPerSample_ == 1) {
        if (!fetch(offset, size_t(samples), dst))
            return false;
    } else {
        const uint8_t* src = bytesAt(offset, size_t(frameBytes_), wide_);
        if (!src)
            return false;
        const int shift = bits_ - 8;
        if (bigEndian_) {
            for (int64_t i = 0; i < samples; ++i)
                dst[i] = uint8_t(std::min(255u, (unsigned(src[2 * i]) << 8 | src[2 * i + 1]) >> shift));
        } else {
            for (int64_t i = 0; i < samples; ++i)
                dst[i] = uint8_t(std::min(255u, (unsigned(src[2 * i + 1]) << 8 | src[2 * i]) >> shift));
        }
    }

    if (demosaic) {
        demosaicBilinear(mosaic_.data(), w, h, id, out);
        return true;
    }
    if (planes_ == 3) {
        if (id == 100) {  // RGB on disk, BGR in frames
            uint8_t* p = out.pixels.data();
            for (int64_t i = 0; i < samples; i += 3)
                std::swap(p[i], p[i + 2]);
        }
        if (grey)
            makeGrey(out);
    }
    return true;
}

namespace {

// One site by the general rule: each missing colour is the mean of that colour's samples among
// the neighbours that exist (fewer on the borders).
void demosaicSite(const uint8_t* mosaic, int w, int h, int colorId, int x, int y, uint8_t* o)
{
    const int own = bayerColour(colorId, x, y);
    unsigned sum[3] = {0, 0, 0}, count[3] = {0, 0, 0};
    for (int dy = -1; dy <= 1; ++dy) {
        const int yy = y + dy;
        if (yy < 0 || yy >= h)
            continue;
        const uint8_t* row = mosaic + int64_t(yy) * w;
        for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx;
            if (xx < 0 || xx >= w || (dx == 0 && dy == 0))
                continue;
            const int c = bayerColour(colorId, xx, yy);
            sum[c] += row[xx];
            ++count[c];
        }
    }
    const uint8_t self = mosaic[int64_t(y) * w + x];
    for (int c = 0; c < 3; ++c) {
        uint8_t v = self;  // a frame one pixel wide or high lacks some colour around the site
        if (c != own && count[c] > 0)
            v = uint8_t((sum[c] + count[c] / 2) / count[c]);
        o[2 - c] = v;  // BGR
    }
}

}  // namespace

void demosaicBilinear(const uint8_t* mosaic, int w, int h, int colorId, Frame8& out)
{
    out.reset(w, h, 3);
    for (int y = 0; y < h; ++y) {
        uint8_t* o = out.row(y);
        const bool inner = y > 0 && y < h - 1;
        if (!inner || w < 3) {
            for (int x = 0; x < w; ++x)
                demosaicSite(mosaic, w, h, colorId, x, y, o + 3 * x);
            continue;
        }
        // Away from the borders every site has all eight neighbours: the same means, written out.
        demosaicSite(mosaic, w, h, colorId, 0, y, o);
        const uint8_t* n = mosaic + int64_t(y - 1) * w;
        const uint8_t* c = mosaic + int64_t(y) * w;
        const uint8_t* s = mosaic + int64_t(y + 1) * w;
        for (int x = 1; x < w - 1; ++x) {
            const unsigned cross = (unsigned(n[x]) + s[x] + c[x - 1] + c[x + 1] + 2) / 4;
            const unsigned diagonal = (unsigned(n[x - 1]) + n[x + 1] + s[x - 1] + s[x + 1] + 2) / 4;
            const unsigned across = (unsigned(c[x - 1]) + c[x + 1] + 1) / 2;
            const unsigned upDown = (unsigned(n[x]) + s[x] + 1) / 2;
            unsigned rgb[3];
            const int own = bayerColour(colorId, x, y);
            rgb[own] = c[x];
            if (own != 1) {  // red or blue: green around, the other one on the diagonals
                rgb[1] = cross;
                rgb[2 - own] = diagonal;
            } else {  // green: the colour of this row left and right, the other one above and below
                const int side = bayerColour(colorId, x + 1, y);
                rgb[side] = across;
                rgb[2 - side] = upDown;
            }
            uint8_t* p = o + 3 * x;
            p[0] = uint8_t(rgb[2]);
            p[1] = uint8_t(rgb[1]);
            p[2] = uint8_t(rgb[0]);
        }
        demosaicSite(mosaic, w, h, colorId, w - 1, y, o + 3 * (w - 1));
    }
}
