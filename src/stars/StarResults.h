#pragma once
// The star measures of the files of the list, kept beside it like the sharpness.
#include "list/ListMeasures.h"
#include "stars/StarMetrics.h"

#include <QString>
#include <QStringList>

#include <vector>

class ListModel;

// The columns the list window shows for them, in this order.
enum class StarColumn { Stars, Fwhm, Hfr, Eccentricity, Background, Noise };
constexpr int kStarColumnCount = 6;

class StarResults : public ListMeasures<StarMetrics> {
public:
    using ListMeasures::ListMeasures;

    // The measures of the list's entries in list order, nullptr where an entry was not measured:
    // what the criteria and the sort work on.
    std::vector<const StarMetrics*> inListOrder(const ListModel& model) const;

    // "Étoiles", "FWHM", "HFR", "Excentricité", "Fond", "Bruit".
    static QString columnTitle(StarColumn column);
    static QStringList columnTitles();
    // What the list shows for the file in a column: "152", "3,42", "0,31", "1234", "8,71";
    // flagged values with their mark ("0 aucune", "aucune", "sans profil", "illisible"); "" when the
    // file was not measured.
    QString cellText(const QString& path, StarColumn column) const;
};

// The short marks of the flags, as the list shows them ("" when none).
QString starMarks(unsigned flags);
