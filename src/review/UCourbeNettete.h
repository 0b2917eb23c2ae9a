#pragma once
// The window "Courbe de Netteté": the sharpness of the measured entries against their numbers and
// the same values sorted, with the current entry marked on both. A click on a point makes its entry
// the current one, as a click in the list does.
#include "review/SharpnessCurve.h"

#include <QWidget>

class QChart;
class QComboBox;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;
class ReviewController;

class TFormCourbeNettete : public QWidget {
    Q_OBJECT
public:
    explicit TFormCourbeNettete(ReviewController& review, QWidget* parent = nullptr);
    ~TFormCourbeNettete() override;

    QChartView* chartView() const { return view_; }
    QLineSeries* SeriesNumero() const { return byNumber_; }
    QLineSeries* SeriesTriee() const { return sorted_; }
    // The current entry on each curve (one point, or none).
    QScatterSeries* CurrentOnNumero() const { return currentByNumber_; }
    QScatterSeries* CurrentOnTriee() const { return currentSorted_; }
    const SharpnessCurves& curves() const { return curves_; }
    // The measure drawn: "Netteté" or one of the star measures.
    QComboBox* ComboBoxMesure() const { return mesure_; }
    // The median and the lines at ± 1 and ± 2 robust σ, across the curves.
    QLineSeries* SeriesMediane() const { return bands_[0]; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Rebuilds the curves now when the window is shown, else when it next is.
    void invalidate();
    void rebuild();
    void markCurrent();
    void pointClicked(const std::vector<SharpnessPoint>& curve, double x);

    ReviewController& review_;
    QChart* chart_;
    QChartView* view_;
    QLineSeries* byNumber_;
    QLineSeries* sorted_;
    QScatterSeries* currentByNumber_;
    QScatterSeries* currentSorted_;
    QComboBox* mesure_;
    QLineSeries* bands_[5];  // median, −σ, +σ, −2σ, +2σ
    QValueAxis* axisX_;
    QValueAxis* axisY_;
    SharpnessCurves curves_;
    bool stale_ = true;
};
