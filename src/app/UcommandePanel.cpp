#include "app/Ucommande.h"

#include "controller/ReviewController.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

// The bottom panel: the navigation buttons, the go-to button, the tag label and the reference and
// marker lists, drawn from the review's state; each control sends the review one request. Under
// them, once a sharpness measure has started, its progress and pace.

namespace {

enum class Glyph { First, FastBack, Back, Pause, Play, Forward, FastForward, Last };

QIcon glyphIcon(Glyph g)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(g == Glyph::Play ? QColor(0, 128, 0) : QColor(0, 0, 0));
    auto triangle = [&p](qreal from, qreal to, bool right) {
        QPainterPath path;
        path.moveTo(right ? from : to, 3);
        path.lineTo(right ? to : from, 8);
        path.lineTo(right ? from : to, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    auto bar = [&p](qreal x, qreal w) { p.drawRect(QRectF(x, 3, w, 10)); };
    switch (g) {
    case Glyph::First: bar(3, 2); triangle(5, 12, false); break;
    case Glyph::FastBack: triangle(1, 8, false); triangle(8, 15, false); break;
    case Glyph::Back: triangle(5, 11, false); break;
    case Glyph::Pause: bar(4, 3); bar(9, 3); break;
    case Glyph::Play: triangle(4, 13, true); break;
    case Glyph::Forward: triangle(5, 11, true); break;
    case Glyph::FastForward: triangle(1, 8, true); triangle(8, 15, true); break;
    case Glyph::Last: triangle(4, 11, true); bar(11, 2); break;
    }
    return QIcon(pm);
}

// The drop-down list shows a list of the review; programmatic changes never reach its handler.
void showList(QComboBox* combo, const PositionList& list)
{
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(list.items);
    combo->setCurrentIndex(list.selected);
}

}  // namespace

void TFormCommande::CreatePanel()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addStretch(1);

    auto* panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("PanelBas"));
    panel->setFixedHeight(42);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(4, 0, 4, 0);
    column->setSpacing(1);
    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    column->addStretch(1);
    column->addLayout(row);
    progressNettete_ = new QProgressBar(panel);
    progressNettete_->setObjectName(QStringLiteral("ProgressNettete"));
    progressNettete_->setFixedHeight(14);
    progressNettete_->setAlignment(Qt::AlignCenter);
    progressNettete_->setFocusPolicy(Qt::NoFocus);
    progressNettete_->hide();
    column->addWidget(progressNettete_);
    progressTravail_ = new QProgressBar(panel);
    progressTravail_->setObjectName(QStringLiteral("ProgressTravail"));
    progressTravail_->setFixedHeight(14);
    progressTravail_->setAlignment(Qt::AlignCenter);
    progressTravail_->setFocusPolicy(Qt::NoFocus);
    progressTravail_->hide();
    column->addWidget(progressTravail_);
    column->addStretch(1);
    outer->addWidget(panel);
    setCentralWidget(central);

    navigation_ = new QButtonGroup(this);
    navigation_->setExclusive(true);
    auto navButton = [&](const char* name, Glyph glyph, const QString& hint, void (ReviewController::*command)()) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(glyphIcon(glyph));
        b->setCheckable(true);
        b->setFixedSize(23, 22);
        b->setFocusPolicy(Qt::NoFocus);
        if (!hint.isEmpty())
            b->setToolTip(hint);
        navigation_->addButton(b);
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, command] { panelCommand(command); });
        return b;
    };
    premier_ = navButton("SpeedButtonPremier", Glyph::First, QStringLiteral("Premier"), &ReviewController::Debut);
    arriereRapide_ = navButton("SpeedButtonArriereRapide", Glyph::FastBack, {}, &ReviewController::ArriereRapide);
    arriere_ = navButton("SpeedButtonArriere", Glyph::Back, QString::fromUtf8("Précédent"), &ReviewController::Arriere);
    pause_ = navButton("SpeedButtonPause", Glyph::Pause, QStringLiteral("Pause"), &ReviewController::Pause);

    atteindre_ = new QToolButton(panel);
    atteindre_->setObjectName(QStringLiteral("SpeedButtonAtteindre"));
    atteindre_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    atteindre_->setText(QStringLiteral("0"));
    atteindre_->setToolTip(QStringLiteral("Atteindre.."));
    atteindre_->setCheckable(true);
    atteindre_->setFixedSize(105, 22);
    atteindre_->setFocusPolicy(Qt::NoFocus);
    navigation_->addButton(atteindre_);
    row->addWidget(atteindre_);
    connect(atteindre_, &QToolButton::clicked, this, [this] { panelCommand(&ReviewController::GotoImage); });

    jouer_ = navButton("SpeedButtonJouer", Glyph::Play, QStringLiteral("Diaporama.."), &ReviewController::Demarrer);
    avant_ = navButton("SpeedButtonAvant", Glyph::Forward, QStringLiteral("Suivant"), &ReviewController::Avant);
    avantRapide_ = navButton("SpeedButtonAvantRapide", Glyph::FastForward, {}, &ReviewController::AvantRapide);
    fin_ = navButton("SpeedButtonFin", Glyph::Last, QStringLiteral("Dernier"), &ReviewController::Fin);
    pause_->setChecked(true);

    row->addSpacing(6);
    ref_ = new QToolButton(panel);
    ref_->setObjectName(QStringLiteral("SpeedButtonRef"));
    ref_->setText(QString::fromUtf8("Référence"));
    ref_->setFixedHeight(22);
    ref_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(ref_);
    connect(ref_, &QToolButton::clicked, this, [this] { panelCommand(&ReviewController::SpeedButtonRefClick); });

    comboRef_ = new QComboBox(panel);
    comboRef_->setObjectName(QStringLiteral("ComboBoxRef"));
    comboRef_->setInsertPolicy(QComboBox::InsertAlphabetically);
    comboRef_->setFixedWidth(56);
    // Focus only when clicked: activating the bar must not hand the review keys to a list.
    comboRef_->setFocusPolicy(Qt::ClickFocus);
    row->addWidget(comboRef_);
    // Only the user's choice (activated) acts; programmatic changes do not.
    connect(comboRef_, &QComboBox::activated, this, [this] { review_.RunBusy([this] { ComboBoxRefChange(); }); });

    labelChoix_ = new QLabel(review_.tagLabel(), panel);
    labelChoix_->setObjectName(QStringLiteral("LabelChoix"));
    labelChoix_->setAlignment(Qt::AlignCenter);
    labelChoix_->setMinimumWidth(64);
    row->addWidget(labelChoix_, 1);

    balise_ = new QToolButton(panel);
    balise_->setObjectName(QStringLiteral("SpeedButtonBalise"));
    balise_->setText(QStringLiteral("Balise"));
    balise_->setFixedHeight(22);
    balise_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(balise_);
    connect(balise_, &QToolButton::clicked, this, [this] { panelCommand(&ReviewController::SpeedButtonBaliseClick); });

    comboBalise_ = new QComboBox(panel);
    comboBalise_->setObjectName(QStringLiteral("ComboBoxBalise"));
    comboBalise_->setInsertPolicy(QComboBox::InsertAlphabetically);
    comboBalise_->setFixedWidth(56);
    comboBalise_->setFocusPolicy(Qt::ClickFocus);
    comboBalise_->addItem(QStringLiteral("0"));
    row->addWidget(comboBalise_);
    connect(comboBalise_, &QComboBox::activated, this, [this] { review_.RunBusy([this] { ComboBoxBaliseChange(); }); });
}

void TFormCommande::BindReview()
{
    ReviewController* r = &review_;
    connect(r, &ReviewController::positionTextChanged, atteindre_, &QToolButton::setText);
    connect(r, &ReviewController::tagLabelChanged, this, [this](const QString& text) {
        labelChoix_->setText(text);
        labelChoix_->repaint();
    });
    connect(r, &ReviewController::playingChanged, this,
            [this](bool playing) { (playing ? jouer_ : pause_)->setChecked(true); });
    connect(r, &ReviewController::markersChanged, this, [this] { showList(comboBalise_, review_.markers()); });
    connect(r, &ReviewController::referencesChanged, this, [this] { showList(comboRef_, review_.references()); });
    showList(comboBalise_, review_.markers());
    showList(comboRef_, review_.references());

    // The sharpness measure: shown from its start, kept with its last figures until the measures
    // are forgotten.
    SharpnessResults* sharpness = &r->sharpness();
    connect(sharpness, &SharpnessResults::measureRunning, progressNettete_, [this](bool running) {
        if (running)
            progressNettete_->show();
    });
    connect(sharpness, &SharpnessResults::measureProgress, progressNettete_, [this](int done, int total, double fps) {
        progressNettete_->setMaximum(std::max(1, total));
        progressNettete_->setValue(done);
        progressNettete_->setFormat(
            QString::fromUtf8("Netteté: %1 / %2 — %3 images/s").arg(done).arg(total).arg(qRound(fps)));
    });
    connect(sharpness, &SharpnessResults::resultsChanged, progressNettete_, [this] {
        if (review_.sharpness().noneMeasured() && !review_.sharpness().measuring())
            progressNettete_->hide();
    });
}

void TFormCommande::panelCommand(void (ReviewController::*command)())
{
    ReviewController& review = review_;
    review.RunBusy([&review, command] { (review.*command)(); });
}

void TFormCommande::Debut() { review_.Debut(); }
void TFormCommande::GotoImage() { review_.GotoImage(); }
void TFormCommande::SpeedButtonBaliseClick() { review_.SpeedButtonBaliseClick(); }
void TFormCommande::ComboBoxBaliseChange() { review_.ChooseMarker(comboBalise_->currentIndex()); }
void TFormCommande::ComboBoxRefChange() { review_.ChooseReference(comboRef_->currentIndex()); }
