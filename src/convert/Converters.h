#pragma once
// The one-file converters of the batch conversions. Each takes the options that configured it, a
// source path and an output path without extension; it adds its own ending, writes its file(s)
// through a temporary file and a rename, and returns true when it is done. In a run, every output
// goes through the run's ConversionOutputs (a free name, or the user's answer, for a taken name).
//
// - ProgramError: this source cannot be converted, with the reason in French ("Image bitmap
//   incorrecte", "Fichier introuvable", "Nom de fichier trop long", or an output that would
//   replace the source file itself, ...). Files written before stay.
// - RunCancelled: "Annuler" to a replace question.
// - SilentAbort: the run ends without a message (the slideshow could not show a picture and has
//   already said why).
#include <QImage>
#include <QString>
#include <functional>

struct ProgramOptions;

using Converter = bool (*)(const ProgramOptions& options, const QString& source, const QString& outputBase);

// outputBase + "_" + quality on three digits + ".JPG" (quality held to 0..100).
bool ConvertBmpToJpeg(const ProgramOptions& options, const QString& source, const QString& outputBase);
// outputBase + ".BMP", 24 bits per pixel.
bool ConvertJpegToBmp(const ProgramOptions& options, const QString& source, const QString& outputBase);
// outputBase + "_R.FIT", "_V.FIT", "_B.FIT", "_G.FIT", in that order, for the channels chosen.
bool ConvertBmpToFits(const ProgramOptions& options, const QString& source, const QString& outputBase);

// A source named as a frame of a video ("jupiter.ser#00042", FrameEntry.h) is decoded from the
// video in place and written as a picture of its own values: BMP to JPEG and JPEG to BMP extract it
// (the video is only read), BMP to FITS refuses it ("Image de vidéo non convertible en FITS").
bool isFrameSource(const QString& source);

// The name BMP to JPEG writes for a quality.
QString jpegOutputPath(const QString& outputBase, int quality);

// Waits steps × 100 ms while the interface goes on handling events. No wait for steps ≤ 0.
void Pause(int steps);

// The slideshow window as the conversions and the colour filter see it. The start-up composition
// fills it in; left empty (tests, benchmarks) nothing is shown.
struct ConversionDisplay {
    // Shows a picture file in the slideshow window (ShowImage). False when the file could not be
    // read: the slideshow has shown its error box and the run must stop.
    std::function<bool(const QString& path)> showImage;
    // Lets `edit` change the picture on show, then repaints. False when no picture is on show.
    std::function<bool(const std::function<void(QImage&)>& edit)> editShownPicture;
    // Shows or hides the slideshow window ("Visu" or not at the start of a conversion run); tells
    // whether it was shown before, so that the run can give it back as it found it.
    std::function<bool(bool shown)> showSlideshow;
};
ConversionDisplay& conversionDisplay();

// Reads a whole source file; throws ProgramError with the system's reason in French.
QByteArray readSourceFile(const QString& path);
