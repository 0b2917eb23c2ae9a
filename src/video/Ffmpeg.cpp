#include "video/Ffmpeg.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cerrno>

QString avText(int err)
{
    struct Known {
        int code;
        const char* text;
    };
    static const Known known[] = {
        {AVERROR_INVALIDDATA, "données invalides"},
        {AVERROR_EOF, "fin de fichier inattendue"},
        {AVERROR_DEMUXER_NOT_FOUND, "format de fichier inconnu"},
        {AVERROR_DECODER_NOT_FOUND, "décodeur introuvable"},
        {AVERROR_PATCHWELCOME, "variante du format non prise en charge"},
        {AVERROR(ENOENT), "fichier introuvable"},
        {AVERROR(EACCES), "accès au fichier refusé"},
        {AVERROR(ENOMEM), "mémoire insuffisante"},
    };
    for (const Known& k : known)
        if (k.code == err)
            return QString::fromUtf8(k.text);
    if (err == AVERROR(EIO))
        return QStringLiteral("Erreur E/S %1").arg(EIO);
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, buf, sizeof buf);
    return QString::fromLocal8Bit(buf);
}

SwsContext* frameConversion(SwsContext* cached, const AVFrame* frame, AVPixelFormat to)
{
    const int w = frame->width, h = frame->height;
    SwsContext* sws = sws_getCachedContext(cached, w, h, AVPixelFormat(frame->format), w, h, to, SWS_BICUBIC,
                                           nullptr, nullptr, nullptr);
    if (!sws)
        return nullptr;
    int* inv = nullptr;
    int* table = nullptr;
    int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >= 0) {
        const int space = frame->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame->colorspace);
        if (frame->color_range == AVCOL_RANGE_JPEG)
            srcRange = 1;
        sws_setColorspaceDetails(sws, sws_getCoefficients(space), srcRange, table, dstRange, brightness, contrast,
                                 saturation);
    }
    return sws;
}

bool isGreyFrame(const AVFrame* frame)
{
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (!d)
        return false;
    if (d->nb_components == 1 && !(d->flags & AV_PIX_FMT_FLAG_PAL))
        return true;
    if (!(d->flags & AV_PIX_FMT_FLAG_PAL) || !frame->data[1])
        return false;
    // An 8-bit capture with a palette of greys (a DIB-style mono video).
    const uint32_t* palette = reinterpret_cast<const uint32_t*>(frame->data[1]);
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = palette[i];
        if (((c >> 16) & 0xFF) != ((c >> 8) & 0xFF) || ((c >> 8) & 0xFF) != (c & 0xFF))
            return false;
    }
    return true;
}
