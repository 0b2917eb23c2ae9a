#pragma once
// Handing the files chosen in the search window to the image list.
#include "list/ListDocument.h"

#include <QString>

class ListModel;
class SearchResults;

// Appends each marked row of the results' table (rows 1 to count, in table order) after the last
// entry of the list: mark " ", numbers going on from those already in the list, directory and
// name from the row, the given quality, zone and extra " ". Returns how many were appended.
// The window's OK has already marked every row when the user chose none.
int appendFoundFiles(ListModel& list, const SearchResults& results, const QString& quality = ListDocument::defaultQuality());
