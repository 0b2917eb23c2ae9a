#include "video/FfmpegFrames.h"

#include "platform/PictureLimits.h"
#include "video/Ffmpeg.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// A packet of the video stream as the index keeps it, in decode order.
struct Packet {
    int64_t pts;
    int64_t dts;
    int64_t pos;
    bool key;
};

bool samePacket(const Packet& p, const AVPacket* q)
{
    return p.pos >= 0 && q->pos >= 0 ? p.pos == q->pos : p.dts == q->dts && p.pts == q->pts;
}

}  // namespace

struct FfmpegFrames::State {
    QByteArray path;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* sws = nullptr;
    int stream = -1;

    std::vector<Packet> packets;     // the video's frames in decode order (empty packets left out)
    std::vector<int64_t> numberOf;   // decode index → frame number
    std::vector<int64_t> decodeOf;   // frame number - 1 → decode index
    std::vector<int64_t> keyNumbers; // frame numbers of the key frames, ascending
    // Frame numbers known for every packet (from their pts, or there is no reordering): a frame is
    // told by the number carried through the decoder, and jumps go through key frames. Otherwise
    // (an AVI with B-frames has no pts) frames are counted from the first, and a jump back starts
    // over.
    bool numbered = true;

    // Where decoding stands.
    bool positioned = false;  // the next packet read is decode index nextIndex
    bool draining = false;    // the end was reached and the decoder is giving its last frames
    int64_t nextIndex = 0;
    int64_t lastNumber = 0;   // number of the frame the decoder gave last, 0 for none since positioning

    std::vector<uint8_t> pixels;  // the converted frame, 8 bits a sample, interleaved

    ~State()
    {
        sws_freeContext(sws);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    // Opens the file's container (again, when starting over); the reason on failure.
    int openFormat()
    {
        avformat_close_input(&format);
        int r = avformat_open_input(&format, path.constData(), nullptr, nullptr);
        if (r >= 0)
            r = avformat_find_stream_info(format, nullptr);
        if (r < 0)
            return r;
        if (stream >= 0) {
            if (stream >= int(format->nb_streams))
                return AVERROR_INVALIDDATA;
            // Only the video's packets are wanted: the others are skipped unread where the format allows.
            for (unsigned i = 0; i < format->nb_streams; ++i)
                format->streams[i]->discard = int(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        }
        return 0;
    }

    // The next packet of the video with data, into packet; false at the end (or a read error).
    bool nextVideoPacket()
    {
        for (;;) {
            av_packet_unref(packet);
            if (av_read_frame(format, packet) < 0)
                return false;
            if (packet->stream_index == stream && packet->size > 0)
                return true;
        }
    }

    void buildIndex()
    {
        while (nextVideoPacket())
            packets.push_back({packet->pts, packet->dts, packet->pos, (packet->flags & AV_PKT_FLAG_KEY) != 0});
        av_packet_unref(packet);
        const int64_t n = int64_t(packets.size());
        std::vector<int64_t> order(static_cast<size_t>(n));
        for (int64_t i = 0; i < n; ++i)
            order[size_t(i)] = i;
        const bool allPts = std::all_of(packets.begin(), packets.end(), [](const Packet& p) { return p.pts != AV_NOPTS_VALUE; });
        if (allPts) {
            std::stable_sort(order.begin(), order.end(), [this](int64_t a, int64_t b) { return packets[size_t(a)].pts < packets[size_t(b)].pts; });
            for (int64_t i = 1; i < n && numbered; ++i)
                numbered = packets[size_t(order[size_t(i - 1)])].pts != packets[size_t(order[size_t(i)])].pts;
        } else {
            numbered = format->streams[stream]->codecpar->video_delay == 0 && codec->has_b_frames == 0;
        }
        if (!numbered)
            std::iota(order.begin(), order.end(), 0);
        decodeOf = order;
        numberOf.assign(size_t(n), 0);
        for (int64_t i = 0; i < n; ++i)
            numberOf[size_t(order[size_t(i)])] = i + 1;
        for (int64_t i = 0; i < n; ++i)
            if (packets[size_t(decodeOf[size_t(i)])].key)
                keyNumbers.push_back(i + 1);
    }

    // Decode index of the packet to start from for frame number: the key frame shown last at or
    // before it (frames shown before a key frame may need the one before it), else the first.
    int64_t startFor(int64_t number) const
    {
        if (!numbered)
            return 0;
        const auto it = std::upper_bound(keyNumbers.begin(), keyNumbers.end(), number);
        return it == keyNumbers.begin() ? 0 : decodeOf[size_t(*(it - 1) - 1)];
    }

    // Sends the packet at decode index, carrying its frame number through the decoder.
    int send(int64_t index)
    {
        packet->pts = numberOf[size_t(index)];
        packet->dts = AV_NOPTS_VALUE;
        const int r = avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
        nextIndex = index + 1;
        return r;
    }

    // Places demuxer and decoder at the packet of decode index; the reason on failure.
    int startAt(int64_t index)
    {
        avcodec_flush_buffers(codec);
        positioned = draining = false;
        lastNumber = 0;
        const Packet& want = packets[size_t(index)];
        const int64_t ts = want.dts != AV_NOPTS_VALUE ? want.dts : want.pts;
        if (ts != AV_NOPTS_VALUE && av_seek_frame(format, stream, ts, AVSEEK_FLAG_BACKWARD) >= 0) {
            // The container's seek lands on a key frame at or before the one asked for: read on to it.
            while (nextVideoPacket()) {
                if (samePacket(want, packet)) {
                    positioned = true;
                    return send(index);
                }
                if (want.pos >= 0 && packet->pos > want.pos)
                    break;  // went past it: count from the start instead
            }
        }
        // From the start: the packets come in the order the index counted them.
        if (const int r = openFormat(); r < 0)
            return r;
        for (int64_t i = 0; i <= index; ++i)
            if (!nextVideoPacket())
                return AVERROR_EOF;
        positioned = true;
        return send(index);
    }

    bool convert(LinearImage& out, QString& error)
    {
        const int w = frame->width, h = frame->height;
        if (w <= 0 || h <= 0 || !pictureSizeAllowed(w, h, 3)) {
            error = QStringLiteral("taille d'image impossible (%1 × %2)").arg(w).arg(h);
            return false;
        }
        const bool grey = isGreyFrame(frame);
        sws = frameConversion(sws, frame, grey ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_RGB24);
        if (!sws) {
            error = QStringLiteral("conversion impossible depuis %1")
                        .arg(QString::fromLatin1(av_get_pix_fmt_name(AVPixelFormat(frame->format))));
            return false;
        }
        const int planes = grey ? 1 : 3;
        const int stride = (w * planes + 63) & ~63;
        pixels.resize(size_t(stride) * size_t(h));
        uint8_t* dst[4] = {pixels.data(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {stride, 0, 0, 0};
        sws_scale(sws, frame->data, frame->linesize, 0, h, dst, dstStride);

        out.width = w;
        out.height = h;
        out.planes = planes;
        out.bayer = BayerPattern::None;
        out.nominalMax = 255;
        out.f32.clear();
        out.u16.resize(size_t(w) * size_t(h) * size_t(planes));
        const size_t plane = size_t(w) * size_t(h);
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = pixels.data() + size_t(y) * size_t(stride);
            uint16_t* row = out.u16.data() + size_t(y) * size_t(w);
            for (int p = 0; p < planes; ++p)
                for (int x = 0; x < w; ++x)
                    row[p * plane + size_t(x)] = src[x * planes + p];
        }
        return true;
    }
};

FfmpegFrames::FfmpegFrames() = default;
FfmpegFrames::~FfmpegFrames() = default;

int64_t FfmpegFrames::frameCount() const
{
    return d_ ? int64_t(d_->packets.size()) : 0;
}

bool FfmpegFrames::open(const QString& path, QString& error)
{
    // Our own messages say what went wrong; the libraries' log would only repeat it.
    av_log_set_level(AV_LOG_QUIET);
    d_ = std::make_unique<State>();
    State& d = *d_;
    d.path = QFile::encodeName(path);
    int r = d.openFormat();
    if (r < 0) {
        error = QStringLiteral("vidéo illisible (%1)").arg(avText(r));
        return false;
    }
    const AVCodec* codec = nullptr;
    d.stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (d.stream == AVERROR_DECODER_NOT_FOUND) {
        error = QStringLiteral("format d'image vidéo non pris en charge");
        return false;
    }
    if (d.stream < 0 || !codec) {
        error = QStringLiteral("aucune image vidéo dans ce fichier");
        return false;
    }
    d.codec = avcodec_alloc_context3(codec);
    d.frame = av_frame_alloc();
    d.packet = av_packet_alloc();
    if (!d.codec || !d.frame || !d.packet) {
        error = QStringLiteral("mémoire insuffisante");
        return false;
    }
    r = avcodec_parameters_to_context(d.codec, d.format->streams[d.stream]->codecpar);
    if (r >= 0) {
        // One thread: frame threads would each hold frames back, and every jump would refill them.
        d.codec->thread_count = 1;
        r = avcodec_open2(d.codec, codec, nullptr);
    }
    if (r < 0) {
        error = QStringLiteral("décodeur indisponible (%1)").arg(avText(r));
        return false;
    }
    for (unsigned i = 0; i < d.format->nb_streams; ++i)
        d.format->streams[i]->discard = int(i) == d.stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    d.buildIndex();
    if (d.packets.empty()) {
        error = QStringLiteral("aucune image vidéo dans ce fichier");
        return false;
    }
    return true;
}

bool FfmpegFrames::read(int64_t number, LinearImage& out, QString& error)
{
    State& d = *d_;
    if (number < 1 || number > frameCount()) {
        error = QStringLiteral("l'image %1 n'existe pas (la vidéo en compte %2)").arg(number).arg(frameCount());
        return false;
    }
    // Reading on is cheaper than a jump unless a key frame of the frame asked for lies further ahead
    // than the next packet.
    const int64_t start = d.startFor(number);
    const bool onward = d.positioned && !d.draining && d.lastNumber < number && start <= d.nextIndex;
    if (!onward) {
        const int r = d.startAt(start);
        if (r < 0 && r != AVERROR_INVALIDDATA) {
            d.positioned = false;
            error = QStringLiteral("image %1 illisible (%2)").arg(number).arg(avText(r));
            return false;
        }
    }
    for (;;) {
        int r = avcodec_receive_frame(d.codec, d.frame);
        if (r == 0) {
            const int64_t pts = d.frame->pts != AV_NOPTS_VALUE ? d.frame->pts : d.frame->best_effort_timestamp;
            const int64_t got = d.numbered ? pts : d.lastNumber + 1;
            d.lastNumber = got;
            const bool broken = d.frame->decode_error_flags != 0 || (d.frame->flags & AV_FRAME_FLAG_CORRUPT);
            if (got < number) {
                av_frame_unref(d.frame);
                continue;
            }
            bool ok = false;
            if (got > number)
                error = QStringLiteral("image %1 illisible (le décodeur ne l'a pas donnée)").arg(number);
            else if (broken)
                error = QStringLiteral("image %1 illisible (image abîmée)").arg(number);
            else
                ok = d.convert(out, error);
            av_frame_unref(d.frame);
            return ok;
        }
        if (r == AVERROR(EAGAIN) && !d.draining) {
            if (d.nextIndex < frameCount() && d.nextVideoPacket()) {
                r = d.send(d.nextIndex);
                if (r < 0 && r != AVERROR_INVALIDDATA) {
                    d.positioned = false;
                    error = QStringLiteral("image %1 illisible (%2)").arg(number).arg(avText(r));
                    return false;
                }
            } else {
                avcodec_send_packet(d.codec, nullptr);
                d.draining = true;
            }
            continue;
        }
        // The end came before the frame: the file was shortened since it was indexed, or is damaged.
        d.positioned = false;
        error = QStringLiteral("image %1 illisible (%2)").arg(number).arg(avText(r == AVERROR(EAGAIN) ? AVERROR_EOF : r));
        return false;
    }
}
