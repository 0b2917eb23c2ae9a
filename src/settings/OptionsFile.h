#pragma once
// The settings file: $XDG_CONFIG_HOME/velmoran/Velmoran.INI (default ~/.config/velmoran/).
// Reads fall back to defaults without a word. A write that fails leaves the old file whole and
// returns false; the commands that write tell the user through reportOptionsWrite.
#include "settings/Options.h"

#include <functional>

QString optionsFilePath();

// The file exists, opens and its header names this program and version.
bool FileIsValid();
// Reads size bytes at offset into bytes; true only when the header is valid and the whole block was read.
bool ReadBlock(QByteArray& bytes, int size, int offset);
// Writes the block at offset (into the valid file, or into a new file after offset zero bytes);
// true only when the whole block was written. The file is replaced through a temporary file.
bool WriteBlock(const QByteArray& bytes, int offset);

// Loads of each block, falling back to the block's defaults.
void loadProgramOptions(ProgramOptions& o);
void loadDesktopOptions(DesktopOptions& o);
void loadExtractorOptions(ExtractorOptions& o);
// Saves of each block.
bool saveProgramOptions(const ProgramOptions& o);
bool saveDesktopOptions(const DesktopOptions& o);
bool saveExtractorOptions(const ExtractorOptions& o);

// Start-up load of the three live records.
void loadAllOptions();

// "Enregistrer Bureau": writes the live ProgramOptions as block 1, lets captureWindowPlaces store the
// windows' places into the live DesktopOptions, then writes block 2 and block 3. The file is replaced
// once, with exactly the bytes the three block writes in turn would leave. False when the file could
// not be written (the old file is then left as it was).
bool SaveDesktop(const std::function<void(DesktopOptions&)>& captureWindowPlaces);

// errno of the last write of the file when it failed, 0 when it succeeded.
int lastOptionsWriteError();
// "Impossible d'enregistrer les réglages dans le fichier <path> : <the system's reason>".
QString optionsWriteFailureText(const QString& path, int errnum);
// When ok is false, the error box of the last failed write, with the file's path and the system's
// reason; returns ok.
bool reportOptionsWrite(bool ok);
