#pragma once
#include <QString>
#include <QStringList>

// Directory part of a path: everything up to and including the last '/' (empty when there is none).
QString directoryPart(const QString& path);
// Name part of a path: everything after the last '/'.
QString namePart(const QString& path);
// The directory with a trailing '/' appended when missing.
QString withTrailingSlash(const QString& dir);
// The directory of the running program, with a trailing '/' ("/" when it cannot be told).
QString executableDirectory();
// Creates one directory level (the parent must exist); false when it cannot be made or the name
// is already taken.
bool makeDirectory(const QString& path);

// Why path cannot enter the image list, in French and naming it, or an empty text when it can: a
// line feed or a carriage return in a file or folder name would split the entry's line in a list
// file and shift every value after it.
QString listPathRefusal(const QString& path);
// The paths that may enter a list, in order; refusal receives one message naming those that may
// not (empty when none).
QStringList acceptedForList(const QStringList& paths, QString& refusal);
// One message of several refusals of listPathRefusal: the first ones, then how many more.
QString refusalMessage(QStringList refusals);
