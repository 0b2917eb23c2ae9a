#pragma once
// A measure of every entry of the list on worker threads ("Mesurer la Netteté", "Mesurer les
// Étoiles"), while the interface answers keys: the progress goes to the results, Escape or Space
// stop it keeping what was measured, and measures of an earlier run are forgotten first. Results is
// the store kept beside the list (SharpnessResults, StarResults).
#include "controller/ReviewController.h"
#include "controller/StopScope.h"
#include "platform/ScopeExit.h"
#include "review/MeasureRun.h"

#include <QElapsedTimer>

template <typename Measure, typename Results>
void runMeasurePass(ReviewController& review, Results& results, typename MeasureRun<Measure>::Work job,
                    Measure failed)
{
    // How long the interface thread waits for the workers between two looks at the keys.
    constexpr int kPollMs = 5;
    // A second measure asked for while one runs (the menus stay live) would only slow it down.
    if (results.measuring() || review.listIsEmpty())
        return;
    QStringList paths;
    paths.reserve(review.entryCount());
    for (int row = review.FirstRow(); row <= review.LastRow(); ++row)
        paths << review.EntryPath(row);
    results.forgetAll();
    const quint64 generation = results.generation();

    StopScope scope(review.stopFlag());
    QElapsedTimer clock;
    clock.start();
    MeasureRun<Measure> run(paths, std::move(job), std::move(failed));
    auto rate = [&] {
        const qint64 ms = clock.elapsed();
        return ms > 0 ? 1000.0 * run.done() / double(ms) : 0.0;
    };
    results.beginMeasure(run.total());
    ScopeExit end([&] { results.endMeasure(run.done(), run.total(), rate()); });
    while (!run.waitFor(kPollMs)) {
        results.reportProgress(run.done(), run.total(), rate());
        // The list opened again or emptied meanwhile: these measures belong to no list any more.
        if (!scope.keepGoing() || results.generation() != generation) {
            run.cancel();
            break;
        }
    }
    const std::vector<std::optional<Measure>> measures = run.results();
    if (results.generation() == generation)
        results.keepMeasures(paths, measures);
}
