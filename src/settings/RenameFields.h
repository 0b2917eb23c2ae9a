#pragma once
// How the shared "Renommer:" controls (rename and move options) are read into the settings: the
// base name and the target directory as typed, with the program's corrections.
#include <QString>

constexpr int kRenameFieldLength = 255;

// The base name as typed, cut to 255 characters; when cutAtDot, also cut before its first "."
// (the rename dialog and the JPEG-to-BMP dialog do; the others keep it as typed).
QString batchNameFromText(const QString& text, bool cutAtDot);

// The target directory as typed, cut to 255 characters; empty becomes "/", and a "/" is appended
// when it does not end with one. Also applied before the directory is shown.
QString targetDirectoryFromText(const QString& text);
