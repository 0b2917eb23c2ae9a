#include "convert/Ubalance.h"

#include "convert/ColourFilter.h"
#include "convert/Converters.h"
#include "settings/Options.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

TFormBalance::TFormBalance(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Filtrage des Couleurs:"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    // Each slider has its colour's name above it, and beside the name the colour's share, which
    // replaces the share label's caption once the dialog is shown.
    auto add = [&](int index, const char* sliderName, const char* labelName, const char* caption,
                   QSlider*& slider, QLabel*& label) {
        auto* name = new QLabel(QString::fromUtf8(caption), this);
        name->setObjectName(QStringLiteral("LabelNom") + QLatin1Char(labelName[5]));
        label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("100")));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* percent = new QLabel(QStringLiteral("%"), this);
        slider = new QSlider(Qt::Horizontal, this);
        name->setBuddy(slider);
        slider->setObjectName(QString::fromLatin1(sliderName));
        slider->setRange(0, kSliderScale);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(8);
        slider->setSingleStep(1);
        slider->setPageStep(8);
        slider->setMinimumWidth(260);
        grid->addWidget(name, 2 * index, 0);
        grid->addWidget(label, 2 * index, 1, Qt::AlignRight);
        grid->addWidget(percent, 2 * index, 2);
        grid->addWidget(slider, 2 * index + 1, 0, 1, 3);
        connect(slider, &QSlider::valueChanged, this, &TFormBalance::TrackBarChange);
    };
    add(0, "TrackBarR", "LabelR", "Rouge:", TrackBarR, LabelR);
    add(1, "TrackBarV", "LabelV", "Vert:", TrackBarV, LabelV);
    add(2, "TrackBarB", "LabelB", "Bleu:", TrackBarB, LabelB);
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);

    auto* row = new QHBoxLayout;
    auto button = [&](const char* name, const QString& caption, void (TFormBalance::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        row->addWidget(b);
        return b;
    };
    button("BitBtnDefaut", QString::fromUtf8("Défaut"), &TFormBalance::BitBtnDefautClick);
    button("BitBtnAppliquer", QStringLiteral("Appliquer"), &TFormBalance::BitBtnAppliquerClick);
    row->addStretch(1);
    button("BitBtnAnnuler", QStringLiteral("Annuler"), &TFormBalance::BitBtnAnnulerClick);
    button("BitBtnOk", QStringLiteral("Ok"), &TFormBalance::BitBtnOkClick)->setDefault(true);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormBalance::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TFormBalance::FormActivate()
{
    const ColourWeights w = weightsOf(programOptions());
    setPositions(sliderFromWeight(w.red), sliderFromWeight(w.green), sliderFromWeight(w.blue));
}

void TFormBalance::setPositions(int r, int g, int b)
{
    {
        const QSignalBlocker br(TrackBarR), bg(TrackBarV), bb(TrackBarB);
        TrackBarR->setValue(r);
        TrackBarV->setValue(g);
        TrackBarB->setValue(b);
    }
    TrackBarChange();
}

void TFormBalance::TrackBarChange()
{
    const int r = TrackBarR->value(), g = TrackBarV->value(), b = TrackBarB->value();
    const int s = sliderSum(r, g, b);
    LabelR->setText(shareText(r, s));
    LabelV->setText(shareText(g, s));
    LabelB->setText(shareText(b, s));
}

void TFormBalance::BitBtnDefautClick()
{
    const ColourWeights d;
    setPositions(d.red, d.green, d.blue);
}

void TFormBalance::BitBtnAppliquerClick()
{
    // The preview uses the weights last confirmed with "Ok", not the sliders as they stand.
    const ColourWeights w = weightsOf(programOptions());
    if (const auto& edit = conversionDisplay().editShownPicture)
        edit([&](QImage& picture) { applyGreyFilter(picture, w); });
}

void TFormBalance::BitBtnOkClick()
{
    storeWeights(programOptions(), weightsFromSliders(TrackBarR->value(), TrackBarV->value(), TrackBarB->value()));
    TrackBarChange();
    accept();
}

void TFormBalance::BitBtnAnnulerClick() { reject(); }
