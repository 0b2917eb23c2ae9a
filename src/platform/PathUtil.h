#pragma once
#include <QString>

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
