#pragma once
// The star measures of the files of the list, kept in memory beside it (list files do not hold
// them), and the progress of the measure that fills them. Measures are kept by file path, so they
// follow their entries through drags, sorts and deletions; the list being opened again or emptied
// forgets them (forgetAll).
#include "stars/StarMetrics.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class ListModel;

// The columns the list window shows for them, in this order.
enum class StarColumn { Stars, Fwhm, Hfr, Eccentricity, Background, Noise };
constexpr int kStarColumnCount = 6;

class StarResults : public QObject {
    Q_OBJECT
public:
    explicit StarResults(QObject* parent = nullptr);

    bool noneMeasured() const { return measures_.isEmpty(); }
    int measuredCount() const { return int(measures_.size()); }
    // The measure of the file at path; nullptr when it was not measured.
    const StarMetrics* measureOf(const QString& path) const;
    // The measures of the list's entries in list order, nullptr where an entry was not measured:
    // what the criteria and the sort work on.
    std::vector<const StarMetrics*> inListOrder(const ListModel& model) const;

    // Forgets every measure. A measure still running sees the generation change and stops without
    // keeping anything.
    void forgetAll();
    quint64 generation() const { return generation_; }
    // Keeps what a run measured: measures[i] for paths[i], nothing where none came back.
    void keepMeasures(const QStringList& paths, const std::vector<std::optional<StarMetrics>>& measures);

    // "Étoiles", "FWHM", "HFR", "Excentricité", "Fond", "Bruit".
    static QString columnTitle(StarColumn column);
    static QStringList columnTitles();
    // What the list shows for the file in a column: "152", "3,42", "0,31", "1234", "8,71";
    // flagged values with their mark ("0 aucune", "aucune", "sans profil", "illisible"); "" when the
    // file was not measured.
    QString cellText(const QString& path, StarColumn column) const;

    // The measuring pass.
    bool measuring() const { return measuring_; }
    void beginMeasure(int total);
    void reportProgress(int done, int total, double framesPerSecond);
    void endMeasure(int done, int total, double framesPerSecond);

signals:
    // Measures were kept or forgotten.
    void resultsChanged();
    void measureRunning(bool running);
    void measureProgress(int done, int total, double framesPerSecond);

private:
    QHash<QString, StarMetrics> measures_;
    quint64 generation_ = 0;
    bool measuring_ = false;
};

// The short marks of the flags, as the list shows them ("" when none).
QString starMarks(unsigned flags);
