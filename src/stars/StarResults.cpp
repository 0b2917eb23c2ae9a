#include "stars/StarResults.h"

#include "list/ListModel.h"

#include <algorithm>
#include <cmath>

namespace {

// A number as the list shows it: a decimal comma, the given decimals.
QString decimal(double v, int decimals)
{
    return QString::number(v, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

// About four significant digits, never an exponent: sky levels run from 0,0123 (normalised data)
// to 60000 (16-bit ADU).
QString level(double v)
{
    if (v == 0 || !std::isfinite(v))
        return QStringLiteral("0");
    const int decimals = std::clamp(3 - int(std::floor(std::log10(std::abs(v)))), 0, 6);
    return decimal(v, decimals);
}

}  // namespace

QString starMarks(unsigned flags)
{
    QStringList marks;
    if (flags & StarsUnreadable)
        marks << QStringLiteral("illisible");
    if (flags & StarsNone)
        marks << QStringLiteral("aucune");
    if (flags & StarsUnfitted)
        marks << QStringLiteral("sans profil");
    return marks.join(QLatin1Char(' '));
}

std::vector<const StarMetrics*> StarResults::inListOrder(const ListModel& model) const
{
    std::vector<const StarMetrics*> out;
    out.reserve(size_t(model.entryCount()));
    for (int i = 0; i < model.entryCount(); ++i)
        out.push_back(measureOf(model.entry(i + ListModel::kFirstRow)));
    return out;
}

QString StarResults::columnTitle(StarColumn column)
{
    switch (column) {
    case StarColumn::Stars:
        return QString::fromUtf8("Étoiles");
    case StarColumn::Fwhm:
        return QStringLiteral("FWHM");
    case StarColumn::Hfr:
        return QStringLiteral("HFR");
    case StarColumn::Eccentricity:
        return QString::fromUtf8("Excentricité");
    case StarColumn::Background:
        return QStringLiteral("Fond");
    case StarColumn::Noise:
        return QStringLiteral("Bruit");
    }
    return {};
}

QStringList StarResults::columnTitles()
{
    QStringList titles;
    for (int c = 0; c < kStarColumnCount; ++c)
        titles << columnTitle(StarColumn(c));
    return titles;
}

QString StarResults::cellText(const QString& path, StarColumn column) const
{
    const StarMetrics* m = measureOf(path);
    if (!m)
        return {};
    if (m->flags & StarsUnreadable)
        return starMarks(StarsUnreadable);
    // The sky is measured whether or not there are stars; the stars' shapes only when fitted.
    const bool shapes = !(m->flags & (StarsNone | StarsUnfitted));
    switch (column) {
    case StarColumn::Stars:
        return m->flags & StarsNone ? QStringLiteral("0 ") + starMarks(StarsNone) : QString::number(m->stars);
    case StarColumn::Fwhm:
        return shapes ? decimal(m->fwhm, 2) : starMarks(m->flags);
    case StarColumn::Hfr:
        return shapes ? decimal(m->hfr, 2) : starMarks(m->flags);
    case StarColumn::Eccentricity:
        return shapes ? decimal(m->eccentricity, 2) : starMarks(m->flags);
    case StarColumn::Background:
        return level(m->background);
    case StarColumn::Noise:
        return level(m->noise);
    }
    return {};
}
