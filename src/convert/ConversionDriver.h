#pragma once
// The batch conversion driver: asks for the options of a conversion, then hands every entry of the
// list, in order, to a one-file converter with an output path built from the rename and move
// options, and reports how many files were converted. The list itself is not changed; the
// converted files are new files beside the sources or in the target directory.
#include "convert/Converters.h"

#include <functional>

class ReviewController;

// Runs one conversion over the review's list.
// - askOptions shows the conversion's options dialog modally (through prompts()) and tells whether
//   it was closed with "Ok"; otherwise nothing is converted.
// - Each entry in turn becomes current, the list window's caption names its source, and the
//   converter gets the source and the output path without extension (conversionOutputBase).
// - A source that cannot be converted (the converter throws ProgramError with the reason in French,
//   or returns false): the question "Impossible de Traiter le Fichier: " + the source's path, the
//   reason and "Voulez-vous Continuer?", as the batch passes ask it; "Oui pour Tous" goes on
//   without asking again, Non or Annuler end the run. A SilentAbort ends the run without any box
//   (the slideshow has told why).
// - Outputs follow ConversionOutputs: no file written twice in one run, no file that was there
//   before replaced without the user's answer; "Annuler" there ends the run.
// - Escape or Space end the run before the next entry.
// - At the end, also after a cancel, a stop or on an empty list: "Traitement Terminé: " + n +
//   " Fichiers Traités", n the number of files written; after failures, a second line with their
//   number and the first one's reason and path.
// Returns the number of files written.
int ConvertirBmpClick(ReviewController& review, const std::function<bool()>& askOptions, Converter converter);

// The output path without extension for the source of the entry at row (counted from 1):
// - directory: TargetDirectory when MoveToTarget is set and it is not empty, else the source's own
//   directory; with a trailing "/";
// - name: BatchName + the row on four digits when RenameByBatch is set; else the source's name up to
//   its first "." (the whole name when it has none), or "X" when that leaves nothing; for a frame
//   of a video, the video's name so cut + "_" + the frame number on five digits ("jupiter_00042").
QString conversionOutputBase(const ProgramOptions& options, const QString& source, int row);
