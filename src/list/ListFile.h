#pragma once
// List files: a header of six lines, then six lines per entry (number, directory, name, quality,
// zone, extra), Latin-1 text, CR LF line ends. Files without a header are read too.
//
// An entry whose lines are all empty (its number line and its values) is not an entry: the
// program never writes one (a blank value is written as " ", a number is never empty), and a file
// padded with line ends would otherwise become millions of entries that name no file.
#include "list/ListModel.h"
#include "platform/SafeWrite.h"  // saveFileSafely and fileErrorText, used with list files

#include <QByteArray>
#include <QString>
#include <vector>

// Entries of a list file's bytes, numbered 0000, 0001, ... by their position. A header line 1, 4
// or 5 that is not an integer throws ProgramError with the integer message.
void parseListFile(const QByteArray& bytes, ListStore& store);
std::vector<ListEntry> parseListFile(const QByteArray& bytes);
// Reads the file as it goes (its bytes are never all in memory at once) and parses it into
// store, which is emptied first; throws ProgramError with the file error or integer message,
// std::bad_alloc when memory runs out.
void readListFile(const QString& path, ListStore& store);
std::vector<ListEntry> readListFile(const QString& path);

// The bytes of the list file for these entries.
QByteArray formatListFile(const std::vector<ListEntry>& entries);
QByteArray formatListStore(const ListStore& entries);
// Writes the list file through a temporary file, so a failure leaves the old file as it was;
// throws ProgramError with the file error.
void writeListFile(const QString& path, const std::vector<ListEntry>& entries);
void writeListStore(const QString& path, const ListStore& entries);

// The name a list is saved under: ".LST" appended when the name holds no "." anywhere.
QString listFileName(const QString& name);
