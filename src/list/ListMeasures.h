#pragma once
// Measures of the files of the list (sharpness, stars), kept in memory beside it (list files do not
// hold them), and the progress of the measuring pass that fills them. Measures are kept by file
// path, so they follow their entries through drags, sorts and deletions; the list being opened
// again or emptied forgets them (forgetAll).
#include "list/ListStore.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

// What every store of measures tells the windows, whatever it measures.
class MeasureProgress : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Changes when the measures are forgotten: a measure still running sees it and stops without
    // keeping anything.
    quint64 generation() const { return generation_; }

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

protected:
    void nextGeneration() { ++generation_; }

private:
    quint64 generation_ = 0;
    bool measuring_ = false;
};

template <typename Measure>
class ListMeasures : public MeasureProgress {
public:
    using MeasureProgress::MeasureProgress;

    bool noneMeasured() const { return measures_.isEmpty(); }
    int measuredCount() const { return int(measures_.size()); }
    // The measure of the file at path, or of the entry's file; nullptr when it was not measured.
    const Measure* measureOf(const QString& path) const
    {
        const auto it = measures_.constFind(path);
        return it == measures_.cend() ? nullptr : &it.value();
    }
    const Measure* measureOf(const ListEntry& e) const { return measureOf(e.directory + e.name); }

    // Forgets every measure (see generation).
    void forgetAll()
    {
        nextGeneration();
        if (measures_.isEmpty())
            return;
        measures_.clear();
        measuresChanged();
        emit resultsChanged();
    }
    // Keeps what a run measured: measures[i] for paths[i], nothing where none came back.
    void keepMeasures(const QStringList& paths, const std::vector<std::optional<Measure>>& measures)
    {
        const size_t n = std::min(size_t(paths.size()), measures.size());
        bool any = false;
        for (size_t i = 0; i < n; ++i)
            if (measures[i]) {
                measures_.insert(paths[qsizetype(i)], *measures[i]);
                any = true;
            }
        if (!any)
            return;
        measuresChanged();
        emit resultsChanged();
    }

protected:
    const QHash<QString, Measure>& measures() const { return measures_; }
    // For a store that derives something from all its measures (the sharpness scale).
    virtual void measuresChanged() {}

private:
    QHash<QString, Measure> measures_;
};
