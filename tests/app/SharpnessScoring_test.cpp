// "Noter par Netteté..." without its dialog: which entries get the best score, which the other,
// which keep theirs, and an answer with one score for both refused.
#include "ScriptedPrompts.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "list/ListModel.h"
#include "review/SharpnessResults.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

namespace {

TEST(SharpnessScoring, TheShareGetsTheBestScoreTheOtherMeasuredOnesTheOther)
{
    // Rows 1..6: values 5, 1, flagged 9, 3, not measured, 4; every entry added with score "0".
    const std::vector<std::optional<SharpnessMeasure>> measures = {
        SharpnessMeasure{5, 0}, SharpnessMeasure{1, 0}, SharpnessMeasure{9, SharpnessAtBorder},
        SharpnessMeasure{3, 0}, std::nullopt,           SharpnessMeasure{4, 0}};
    struct Case {
        const char* name;
        SharpnessScoring answer;
        QStringList qualities;  // rows 1..6 afterwards
        const char* message;
    };
    const Case cases[] = {
        {"40 % of five: two kept", {{40, true}, 0, 1}, {"1", "0", "0", "0", "0", "1"},
         "Traitement Terminé: 5 Fichiers Traités (2 meilleures au score 1, 3 autres au score 0)"},
        {"three frames at 3, the others 1", {{3, false}, 1, 3}, {"3", "1", "1", "3", "0", "3"},
         "Traitement Terminé: 5 Fichiers Traités (3 meilleures au score 3, 2 autres au score 1)"},
        {"more frames than measured", {{9, false}, 0, 2}, {"2", "2", "2", "2", "0", "2"},
         "Traitement Terminé: 5 Fichiers Traités (5 meilleures au score 2, 0 autres au score 0)"},
        {"a best score below the others'", {{1, false}, 4, 0}, {"0", "4", "4", "4", "0", "4"},
         "Traitement Terminé: 5 Fichiers Traités (1 meilleures au score 0, 4 autres au score 4)"},
        {"one score for both", {{40, true}, 1, 1}, {"0", "0", "0", "0", "0", "0"},
         "Score des meilleures et score des autres identiques: choisissez deux scores différents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetLiveOptions();
        setDefaults(programOptions());
        programOptions().DefaultScore = '0';
        ScriptedPrompts scripted;
        setPrompts(&scripted);
        ReviewController review;
        QStringList paths;
        for (size_t i = 0; i < measures.size(); ++i)
            paths << QStringLiteral("/nuit/f%1.bmp").arg(i);
        review.document().appendFiles(paths);
        review.Recount();
        review.SetListModified(false);
        review.sharpness().keepMeasures(paths, measures);

        SharpnessCommands(review).Noter([&] { return std::optional<SharpnessScoring>(c.answer); });
        QStringList got;
        for (int row = 1; row <= 6; ++row)
            got << review.model().cell(ListModel::ColQuality, row);
        EXPECT_EQ(got, c.qualities);
        EXPECT_EQ(scripted.messages(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(review.ListModified(), c.answer.score != c.answer.bestScore);
        setPrompts(nullptr);
    }
}

}  // namespace
