#pragma once
// List files: a header of six lines, then six lines per entry (number, directory, name, quality,
// zone, extra), Latin-1 text, CR LF line ends. Files without a header are read too.
#include "list/ListModel.h"
#include "platform/SafeWrite.h"  // saveFileSafely and fileErrorText, used with list files

#include <QByteArray>
#include <QString>
#include <vector>

// Entries of a list file's bytes, numbered 0000, 0001, ... by their position. A header line 1, 4
// or 5 that is not an integer throws ProgramError with the integer message.
std::vector<ListEntry> parseListFile(const QByteArray& bytes);
// Reads the whole file and parses it; throws ProgramError with the file error or integer message.
std::vector<ListEntry> readListFile(const QString& path);

// The bytes of the list file for these entries.
QByteArray formatListFile(const std::vector<ListEntry>& entries);
// Writes the list file through a temporary file, so a failure leaves the old file as it was;
// throws ProgramError with the file error.
void writeListFile(const QString& path, const std::vector<ListEntry>& entries);

// The name a list is saved under: ".LST" appended when the name holds no "." anywhere.
QString listFileName(const QString& name);
