// Videos other than SER, through FFmpeg's libraries: demuxed and decoded one frame at a time,
// converted to BGR (grey for grey videos) as the ffmpeg tool converts frames it writes as BMP.
#include "video/FrameSource.h"
#include "video/Ffmpeg.h"

#include "platform/PictureLimits.h"
#include "platform/ProgramError.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstring>

namespace {

class VideoSource : public FrameSource {
public:
    VideoSource(const QString& path, const SourceOptions& options) : path_(path), options_(options)
    {
        // Our own messages say what went wrong; the libraries' log would only repeat it.
        av_log_set_level(AV_LOG_QUIET);
        const QByteArray name = QFile::encodeName(path);
        int r = avformat_open_input(&format_, name.constData(), nullptr, nullptr);
        if (r < 0)
            fail(QStringLiteral("vidéo illisible (%1)").arg(avText(r)));
        r = avformat_find_stream_info(format_, nullptr);
        if (r < 0)
            fail(QStringLiteral("vidéo illisible (%1)").arg(avText(r)));
        const AVCodec* codec = nullptr;
        stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
        if (stream_ == AVERROR_DECODER_NOT_FOUND)
            fail(QStringLiteral("format d'image vidéo non pris en charge"));
        if (stream_ < 0 || !codec)
            fail(QStringLiteral("aucune image vidéo dans ce fichier"));
        codec_ = avcodec_alloc_context3(codec);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!codec_ || !frame_ || !packet_)
            fail(QStringLiteral("mémoire insuffisante"));
        AVStream* s = format_->streams[stream_];
        r = avcodec_parameters_to_context(codec_, s->codecpar);
        if (r >= 0) {
            codec_->thread_count = 0;  // as many as the machine has; the frames come out the same
            r = avcodec_open2(codec_, codec, nullptr);
        }
        if (r < 0)
            fail(QStringLiteral("décodeur indisponible (%1)").arg(avText(r)));
        if (s->nb_frames > 0) {
            count_ = s->nb_frames;
        } else if (format_->duration > 0 && s->avg_frame_rate.num > 0 && s->avg_frame_rate.den > 0) {
            count_ = av_rescale_q(format_->duration, AVRational{1, AV_TIME_BASE}, av_inv_q(s->avg_frame_rate));
        }
    }

    int64_t frameCount() const override { return count_; }
    bool countIsExact() const override { return false; }
    int64_t lastNumber() const override { return number_; }
    QString endError() const override { return endError_; }

    void seek(int64_t number) override
    {
        // Inter-coded videos only decode from a key frame, and seeking by time is not exact to the
        // frame: decode up to the frame asked for instead.
        while (number_ + 1 < number) {
            QString error;
            if (decodeNext(error) == FrameRead::End)
                return;
        }
    }

    FrameRead read(Frame8& out, QString& error) override
    {
        const FrameRead r = decodeNext(error);
        if (r == FrameRead::Frame && !convert(out, error))
            return FrameRead::Broken;
        return r;
    }

private:
    [[noreturn]] void fail(const QString& reason) { throw ProgramError(videoMessage(path_, reason)); }

    // The next frame into frame_, or why it could not be had.
    FrameRead decodeNext(QString& error)
    {
        for (;;) {
            int r = avcodec_receive_frame(codec_, frame_);
            if (r == 0) {
                ++number_;
                if (frame_->decode_error_flags != 0 || (frame_->flags & AV_FRAME_FLAG_CORRUPT)) {
                    error = QStringLiteral("image abîmée");
                    return FrameRead::Broken;
                }
                return FrameRead::Frame;
            }
            if (r == AVERROR_EOF)
                return FrameRead::End;
            if (r != AVERROR(EAGAIN)) {
                ++number_;
                error = avText(r);
                return FrameRead::Broken;
            }
            if (drained_)
                return FrameRead::End;
            if (!pending_) {
                r = av_read_frame(format_, packet_);
                if (r < 0) {
                    if (r != AVERROR_EOF)
                        endError_ = QStringLiteral("lecture interrompue (%1)").arg(avText(r));
                    avcodec_send_packet(codec_, nullptr);
                    drained_ = true;
                    continue;
                }
                if (packet_->stream_index != stream_) {
                    av_packet_unref(packet_);
                    continue;
                }
                pending_ = true;
            }
            r = avcodec_send_packet(codec_, packet_);
            if (r == AVERROR(EAGAIN))
                continue;  // the decoder has frames to give first; the packet waits
            pending_ = false;
            av_packet_unref(packet_);
            if (r < 0) {
                ++number_;
                error = avText(r);
                return FrameRead::Broken;
            }
        }
    }

    bool convert(Frame8& out, QString& error)
    {
        const int w = frame_->width, h = frame_->height;
        if (w <= 0 || h <= 0 || !pictureSizeAllowed(w, h, 3)) {
            error = QStringLiteral("taille d'image impossible (%1 × %2)").arg(w).arg(h);
            return false;
        }
        const AVPixelFormat to = isGreyFrame(frame_) ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_BGR24;
        sws_ = frameConversion(sws_, frame_, to);
        if (!sws_) {
            error = QStringLiteral("conversion impossible depuis %1")
                        .arg(QString::fromLatin1(av_get_pix_fmt_name(AVPixelFormat(frame_->format))));
            return false;
        }
        if (w != bgrWidth_ || h != bgrHeight_) {
            av_freep(&bgr_[0]);
            if (av_image_alloc(bgr_, bgrStride_, w, h, AV_PIX_FMT_BGR24, 64) < 0) {
                error = QStringLiteral("mémoire insuffisante");
                bgrWidth_ = bgrHeight_ = 0;
                return false;
            }
            bgrWidth_ = w;
            bgrHeight_ = h;
        }
        sws_scale(sws_, frame_->data, frame_->linesize, 0, h, bgr_, bgrStride_);
        // A grey video gives grey frames, written as 8-bit files.
        const int channels = to == AV_PIX_FMT_GRAY8 ? 1 : 3;
        out.reset(w, h, channels);
        for (int y = 0; y < h; ++y)
            std::memcpy(out.row(y), bgr_[0] + int64_t(y) * bgrStride_[0], size_t(w) * size_t(channels));
        if (options_.grey)
            makeGrey(out);
        return true;
    }

    // The libraries' objects, freed by one member, so that a constructor that throws frees them too.
    struct Handles {
        AVFormatContext* format = nullptr;
        AVCodecContext* codec = nullptr;
        AVFrame* frame = nullptr;
        AVPacket* packet = nullptr;
        SwsContext* sws = nullptr;
        uint8_t* bgr[4] = {};
        ~Handles()
        {
            sws_freeContext(sws);
            av_freep(&bgr[0]);
            av_packet_free(&packet);
            av_frame_free(&frame);
            avcodec_free_context(&codec);
            avformat_close_input(&format);
        }
    };

    QString path_;
    SourceOptions options_;
    Handles av_;
    AVFormatContext*& format_ = av_.format;
    AVCodecContext*& codec_ = av_.codec;
    AVFrame*& frame_ = av_.frame;
    AVPacket*& packet_ = av_.packet;
    SwsContext*& sws_ = av_.sws;
    uint8_t* (&bgr_)[4] = av_.bgr;
    int bgrStride_[4] = {};
    int bgrWidth_ = 0, bgrHeight_ = 0;
    int stream_ = -1;
    int64_t count_ = -1;
    int64_t number_ = 0;
    bool pending_ = false;
    bool drained_ = false;
    QString endError_;
};

}  // namespace

std::unique_ptr<FrameSource> openFfmpegSource(const QString& path, const SourceOptions& options)
{
    return std::make_unique<VideoSource>(path, options);
}
