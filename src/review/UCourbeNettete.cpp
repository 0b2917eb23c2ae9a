#include "review/UCourbeNettete.h"

#include "controller/ReviewController.h"
#include "platform/ProgramError.h"

#include "stars/StarCriteria.h"

#include <QChart>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPen>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QList<QPointF> pointsOf(const std::vector<SharpnessPoint>& curve)
{
    QList<QPointF> points;
    points.reserve(qsizetype(curve.size()));
    for (const SharpnessPoint& p : curve)
        points << QPointF(p.x, p.y);
    return points;
}

constexpr StarMeasure kStarMeasures[] = {StarMeasure::Stars,      StarMeasure::Fwhm,  StarMeasure::Hfr,
                                         StarMeasure::Eccentricity, StarMeasure::Background,
                                         StarMeasure::Noise,      StarMeasure::SnrWeight};

std::optional<double> starValue(const StarMetrics* m, StarMeasure measure)
{
    if (!m || m->flagged())
        return std::nullopt;
    switch (measure) {
    case StarMeasure::Stars: return m->stars;
    case StarMeasure::Fwhm: return m->fwhm;
    case StarMeasure::Hfr: return m->hfr;
    case StarMeasure::Eccentricity: return m->eccentricity;
    case StarMeasure::Background: return m->background;
    case StarMeasure::Noise: return m->noise;
    case StarMeasure::SnrWeight: return m->snrWeight;
    }
    return std::nullopt;
}

// More stars and a higher weight are better; for the rest, less is better.
bool lowerIsBetter(StarMeasure m) { return m != StarMeasure::Stars && m != StarMeasure::SnrWeight; }

}  // namespace

TFormCourbeNettete::TFormCourbeNettete(ReviewController& review, QWidget* parent)
    : QWidget(parent, Qt::Window), review_(review), chart_(new QChart), byNumber_(new QLineSeries),
      sorted_(new QLineSeries), currentByNumber_(new QScatterSeries), currentSorted_(new QScatterSeries),
      axisX_(new QValueAxis), axisY_(new QValueAxis)
{
    setObjectName(QStringLiteral("FormCourbeNettete"));
    setWindowTitle(QString::fromUtf8("Courbe de Netteté"));
    byNumber_->setName(QString::fromUtf8("Netteté par numéro"));
    sorted_->setName(QString::fromUtf8("Netteté triée"));
    for (QScatterSeries* s : {currentByNumber_, currentSorted_}) {
        s->setName(QStringLiteral("Image courante"));
        s->setMarkerSize(11);
        s->setColor(Qt::red);
    }
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{byNumber_, sorted_, currentByNumber_, currentSorted_}) {
        chart_->addSeries(s);
    }
    const char* bandNames[5] = {"Médiane", "± 1 σ", "", "± 2 σ", ""};
    for (int k = 0; k < 5; ++k) {
        bands_[k] = new QLineSeries;
        bands_[k]->setName(QString::fromUtf8(bandNames[k]));
        QPen pen(k == 0 ? QColor(90, 90, 90) : k < 3 ? QColor(60, 140, 60) : QColor(200, 140, 40));
        pen.setStyle(k == 0 ? Qt::SolidLine : Qt::DashLine);
        bands_[k]->setPen(pen);
        chart_->addSeries(bands_[k]);
    }
    axisX_->setTitleText(QString::fromUtf8("Numéro (rang pour la courbe triée)"));
    axisX_->setLabelFormat(QStringLiteral("%d"));
    axisX_->setTickType(QValueAxis::TicksDynamic);
    axisY_->setTitleText(QString::fromUtf8("Netteté (100 = la meilleure)"));
    axisY_->setRange(0, 100);
    const AxisScale empty = wholeNumberAxis(0, 0);
    axisX_->setTickInterval(empty.step);
    axisX_->setRange(empty.min, empty.max);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (QAbstractSeries* s : chart_->series()) {
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }
    // One legend entry for the current image, and for each pair of bands, is enough.
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(currentSorted_), static_cast<QAbstractSeries*>(bands_[2]),
                               static_cast<QAbstractSeries*>(bands_[4])})
        for (QLegendMarker* m : chart_->legend()->markers(s))
            m->setVisible(false);

    mesure_ = new QComboBox(this);
    mesure_->setObjectName(QStringLiteral("ComboBoxMesure"));
    mesure_->addItem(QString::fromUtf8("Netteté"));
    for (StarMeasure m : kStarMeasures)
        mesure_->addItem(starMeasureTitle(m));
    connect(mesure_, &QComboBox::currentIndexChanged, this, &TFormCourbeNettete::invalidate);
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(6, 4, 6, 0);
    top->addWidget(new QLabel(QStringLiteral("Mesure:"), this));
    top->addWidget(mesure_);
    top->addStretch();
    layout->addLayout(top);
    layout->addWidget(view_);
    resize(640, 400);

    connect(byNumber_, &QXYSeries::clicked, this, [this](const QPointF& p) { pointClicked(curves_.byNumber, p.x()); });
    connect(sorted_, &QXYSeries::clicked, this, [this](const QPointF& p) { pointClicked(curves_.sorted, p.x()); });

    // The curves follow the measures and the list's order; the marks follow the current entry.
    connect(&review_.sharpness(), &SharpnessResults::resultsChanged, this, &TFormCourbeNettete::invalidate);
    connect(&review_.stars(), &StarResults::resultsChanged, this, &TFormCourbeNettete::invalidate);
    const QAbstractItemModel* model = &review_.model();
    connect(model, &QAbstractItemModel::modelReset, this, &TFormCourbeNettete::invalidate);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TFormCourbeNettete::invalidate);
    connect(model, &QAbstractItemModel::rowsMoved, this, &TFormCourbeNettete::invalidate);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TFormCourbeNettete::invalidate);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TFormCourbeNettete::invalidate);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                // Renumbering and re-pointed directories move points; tags do not.
                if (from.column() <= ListModel::ColName && to.column() >= ListModel::ColNumber)
                    invalidate();
            });
    connect(&review_, &ReviewController::currentRowChanged, this, [this] {
        if (isVisible() && !stale_)
            markCurrent();
    });
}

TFormCourbeNettete::~TFormCourbeNettete() = default;

void TFormCourbeNettete::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_)
        rebuild();
}

void TFormCourbeNettete::invalidate()
{
    stale_ = true;
    if (isVisible())
        rebuild();
}

void TFormCourbeNettete::rebuild()
{
    stale_ = false;
    const int chosen = mesure_->currentIndex();
    const bool sharpness = chosen <= 0;
    if (sharpness) {
        curves_ = sharpnessCurves(review_.model(), review_.sharpness());
    } else {
        const StarMeasure measure = kStarMeasures[chosen - 1];
        const StarResults& stars = review_.stars();
        const ListModel& model = review_.model();
        curves_ = valueCurves(
            model,
            [&](int row) {
                const ListEntry e = model.entry(row);
                return starValue(stars.measureOf(e), measure);
            },
            lowerIsBetter(measure));
    }
    byNumber_->replace(pointsOf(curves_.byNumber));
    sorted_->replace(pointsOf(curves_.sorted));
    double lo = 0, hi = 0;
    if (!curves_.byNumber.empty()) {
        lo = std::min(0.0, curves_.byNumber.front().x);
        hi = std::max({1.0, curves_.byNumber.back().x, curves_.sorted.back().x});
    }
    // Numbers and ranks are whole: ticks on whole steps, so that no label reads "0" twice.
    const AxisScale x = wholeNumberAxis(lo, hi);
    axisX_->setTickAnchor(0);
    axisX_->setTickInterval(x.step);
    axisX_->setRange(x.min, x.max);
    // Sharpness on its 0..100 scale; a star measure on the span of its values, so that the bands
    // show.
    double top = sharpness ? 100 : -1e300, bottom = sharpness ? 0 : 1e300;
    for (const SharpnessPoint& p : curves_.sorted) {
        top = std::max(top, p.y);  // flagged frames may pass the sharpest unflagged one
        bottom = std::min(bottom, p.y);
    }
    if (curves_.sorted.empty())
        top = 1, bottom = 0;
    if (!sharpness) {
        const double pad = std::max((top - bottom) * 0.1, std::max(std::fabs(top) * 0.01, 1e-3));
        top += pad;
        bottom -= pad;
    }
    axisY_->setRange(bottom, top);
    axisY_->setTitleText(sharpness ? QString::fromUtf8("Netteté (100 = la meilleure)") : mesure_->currentText());
    byNumber_->setName(mesure_->currentText() + QString::fromUtf8(" par numéro"));
    sorted_->setName(mesure_->currentText() + QString::fromUtf8(sharpness ? " triée" : " triée (meilleures d'abord)"));
    const std::optional<RobustBands> bands = robustBands(curves_.byNumber);
    const double offsets[5] = {0, -1, 1, -2, 2};
    for (int k = 0; k < 5; ++k) {
        QList<QPointF> line;
        if (bands)
            line << QPointF(x.min, bands->median + offsets[k] * bands->sigma)
                 << QPointF(x.max, bands->median + offsets[k] * bands->sigma);
        bands_[k]->replace(line);
    }
    chart_->setTitle(curves_.byNumber.empty() ? (sharpness ? QString::fromUtf8("Aucune Netteté mesurée")
                                                           : QString::fromUtf8("Aucune étoile mesurée"))
                                              : QString());
    markCurrent();
}

void TFormCourbeNettete::markCurrent()
{
    const int row = review_.CurrentRow();
    auto mark = [row](QScatterSeries* series, const std::vector<SharpnessPoint>& curve) {
        const int k = pointOfRow(curve, row);
        QList<QPointF> one;
        if (k >= 0)
            one << QPointF(curve[size_t(k)].x, curve[size_t(k)].y);
        series->replace(one);
    };
    mark(currentByNumber_, curves_.byNumber);
    mark(currentSorted_, curves_.sorted);
}

void TFormCourbeNettete::pointClicked(const std::vector<SharpnessPoint>& curve, double x)
{
    const int k = nearestPoint(curve, x);
    if (k < 0)
        return;
    const int row = curve[size_t(k)].row;
    runGuarded([&] { review_.ClickRow(row); });
}
