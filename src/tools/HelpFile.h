#pragma once
// The help file: plain text named after the program with ".HLP", shown as it is. It is looked for
// in the current directory first, as the program has always done, then in the program's own data
// directories, so that a program started from a desktop menu finds its help too.
#include <QString>
#include <QStringList>

// The help file's directory below a data directory, and the data directory of an installed program
// relative to the directory of its executable.
extern const char* const kHelpSubdirectory;      // "velmoran"
extern const char* const kDataFromExecutable;    // "../share/velmoran"

// Where fileName is found: the current directory; else <executable's directory>/../share/velmoran/;
// else velmoran/ below $XDG_DATA_HOME and each directory of $XDG_DATA_DIRS. Empty when it is
// nowhere.
QString findHelpFile(const QString& fileName);

// A help text is some pages; far beyond that a file is no help, and showing it would only take
// the memory and the time of millions of lines.
constexpr qint64 kMaxHelpBytes = qint64(256) << 10;

// The lines of a help text: CR LF, a lone LF or a lone CR end a line; each line is Latin-1, or
// UTF-8 when it is valid UTF-8 with a multi-byte sequence. A run of lines that hold nothing (or
// only spaces) shows as one empty line: it separates two paragraphs, and no more is needed.
QStringList parseHelpLines(const QByteArray& bytes);
// The lines of the help file fileName (looked for by findHelpFile), read afresh at every call.
// Throws ProgramError "Impossible d'ouvrir le fichier %s" with fileName, or with the path found
// when that file cannot be read; "Le fichier %s est trop gros pour un fichier d'aide (plus de
// 256 Ko)." past kMaxHelpBytes.
QStringList readHelpFile(const QString& fileName);
