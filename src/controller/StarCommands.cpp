#include "controller/StarCommands.h"

#include "controller/MeasurePass.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "list/ListModel.h"
#include "platform/Picture.h"
#include "platform/Prompts.h"
#include "stars/StarResults.h"

#include <algorithm>

namespace {

// An 8-bit picture's grey level as linear data of range 255.
LinearImage greyOf(const QImage& picture)
{
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    LinearImage img;
    img.width = grey.width();
    img.height = grey.height();
    img.nominalMax = 255;
    img.u16.resize(size_t(img.planeSize()));
    for (int y = 0; y < img.height; ++y) {
        const uchar* s = grey.constScanLine(y);
        uint16_t* d = img.u16.data() + size_t(y) * size_t(img.width);
        for (int x = 0; x < img.width; ++x)
            d[x] = s[x];
    }
    return img;
}

}  // namespace

StarMetrics measureStarsOfFile(const QString& path)
{
    const PictureResult r = loadPictureData(path);
    if (!r.ok()) {
        StarMetrics m;
        m.flags = StarsUnreadable;
        return m;
    }
    return r.linear ? measureStars(*r.linear) : measureStars(greyOf(r.image));
}

void StarCommands::Mesurer()
{
    StarMetrics failed;
    failed.flags = StarsUnreadable;
    runMeasurePass<StarMetrics>(review_, review_.stars(), measureStarsOfFile, failed);
}

bool StarCommands::Trier(const SortChoice& choice)
{
    std::vector<int> order;
    int measured = 0;
    if (choice.sharpness) {
        if (review_.sharpness().noneMeasured()) {
            prompts().message(QString::fromUtf8("Aucune Netteté mesurée: lancez d'abord \"Mesurer la Netteté\""));
            return false;
        }
        order = sharpnessOrder(review_.model(), review_.sharpness());
        for (int row = review_.FirstRow(); row <= review_.LastRow(); ++row)
            measured += review_.sharpness().measureOf(review_.EntryPath(row)) ? 1 : 0;
    } else {
        if (review_.stars().noneMeasured()) {
            prompts().message(QString::fromUtf8("Aucune étoile mesurée: lancez d'abord \"Mesurer les Étoiles\""));
            return false;
        }
        const std::vector<const StarMetrics*> measures = review_.stars().inListOrder(review_.model());
        order = starOrder(measures, choice.measure);
        measured = int(std::count_if(measures.begin(), measures.end(), [](const StarMetrics* m) { return m; }));
    }
    // The worst first: the measured entries turned round, those without a measure still last.
    if (!choice.bestFirst)
        std::reverse(order.begin(), order.begin() + measured);
    review_.model().reorder(order);
    review_.SetListModified(true);
    review_.Recount();
    return true;
}

void StarCommands::Noter(const std::function<std::optional<StarCriteria>(const std::vector<const StarMetrics*>&)>& ask)
{
    if (review_.stars().noneMeasured()) {
        prompts().message(QString::fromUtf8("Aucune étoile mesurée: lancez d'abord \"Mesurer les Étoiles\""));
        return;
    }
    const std::vector<const StarMetrics*> measures = review_.stars().inListOrder(review_.model());
    const std::optional<StarCriteria> criteria = ask(measures);
    if (!criteria)
        return;
    std::set<int> protectedEntries;
    for (int row = review_.FirstRow(); row <= review_.LastRow(); ++row)
        if (review_.keyScored().contains(review_.EntryPath(row)))
            protectedEntries.insert(row - review_.FirstRow());
    const CriteriaScores scores = scoreByCriteria(measures, *criteria, protectedEntries);
    for (const auto& [entry, score] : scores.scores)
        review_.document().setTag(entry + review_.FirstRow(), ListModel::ColQuality, QString::number(score));
    review_.SetListModified(true);
    review_.RefreshScore();
    prompts().message(QString::fromUtf8("Traitement Terminé: %1 images rejetées au score %2, %3 gardées au score %4, "
                                        "%5 notées au clavier laissées telles quelles")
                          .arg(scores.rejected)
                          .arg(criteria->rejectScore)
                          .arg(scores.kept)
                          .arg(criteria->keepScore)
                          .arg(scores.protectedLeft));
}
