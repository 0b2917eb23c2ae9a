#include "controller/SharpnessCommands.h"

#include "controller/MeasurePass.h"
#include "controller/ReviewController.h"
#include "list/ListModel.h"
#include "platform/Prompts.h"
#include "review/SharpnessRun.h"

#include <algorithm>

void SharpnessCommands::Mesurer()
{
    runMeasurePass<SharpnessMeasure>(review_, review_.sharpness(), measureSharpnessOfFile,
                                     SharpnessMeasure{0, SharpnessUnreadable});
}

bool SharpnessCommands::haveMeasure()
{
    if (!review_.sharpness().noneMeasured())
        return true;
    prompts().message(QString::fromUtf8("Aucune Netteté mesurée: lancez d'abord \"Mesurer la Netteté\""));
    return false;
}

void SharpnessCommands::Trier()
{
    if (!haveMeasure())
        return;
    review_.model().reorder(sharpnessOrder(review_.model(), review_.sharpness()));
    review_.SetListModified(true);
    review_.Recount();
}

void SharpnessCommands::Noter(const std::function<std::optional<SharpnessScoring>()>& ask)
{
    if (!haveMeasure())
        return;
    const std::optional<SharpnessScoring> answer = ask();
    if (!answer)
        return;
    if (const QString why = sharpnessScoringRefusal(*answer); !why.isEmpty()) {
        prompts().message(why);
        return;
    }
    const SharpnessScoreRows rows = sharpnessScoreRows(review_.model(), review_.sharpness(), answer->keep);
    const QString best = QString::number(answer->bestScore);
    const QString others = QString::number(answer->score);
    for (int row : rows.best)
        review_.document().setTag(row, ListModel::ColQuality, best);
    for (int row : rows.others)
        review_.document().setTag(row, ListModel::ColQuality, others);
    review_.SetListModified(true);
    review_.RefreshScore();
    prompts().message(QString::fromUtf8("Traitement Terminé: %1 Fichiers Traités (%2 meilleures au score %3, %4 autres au score %5)")
                          .arg(rows.best.size() + rows.others.size())
                          .arg(rows.best.size())
                          .arg(answer->bestScore)
                          .arg(rows.others.size())
                          .arg(answer->score));
}

SharpnessScoreRows sharpnessScoreRows(const ListModel& model, const SharpnessResults& results, KeepShare share)
{
    // The order puts the entries not measured last: the measured ones are its head.
    const std::vector<int> order = sharpnessOrder(model, results);
    size_t measured = 0;
    while (measured < order.size()) {
        const ListEntry e = model.entry(order[measured] + ListModel::kFirstRow);
        if (!results.measureOf(e))
            break;
        ++measured;
    }
    const size_t kept = size_t(keptCount(share, int(measured)));
    SharpnessScoreRows rows;
    for (size_t k = 0; k < measured; ++k)
        (k < kept ? rows.best : rows.others).push_back(order[k] + ListModel::kFirstRow);
    std::sort(rows.best.begin(), rows.best.end());
    std::sort(rows.others.begin(), rows.others.end());
    return rows;
}

QString sharpnessScoringRefusal(const SharpnessScoring& scoring)
{
    if (scoring.bestScore == scoring.score)
        return QString::fromUtf8("Score des meilleures et score des autres identiques: choisissez deux scores différents");
    return {};
}
