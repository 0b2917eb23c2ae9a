#include "review/UEtoiles.h"

#include "platform/Prompts.h"
#include "settings/Options.h"
#include "settings/UOptionDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Ok and Annuler, named as every dialog of the program names them.
QDialogButtonBox* okCancel(QDialog* d)
{
    auto* buttons = new QDialogButtonBox(d);
    QPushButton* annuler = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    annuler->setObjectName(QStringLiteral("BitBtnAnnuler"));
    QPushButton* ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BitBtnOk"));
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return buttons;
}

constexpr StarMeasure kSortMeasures[] = {StarMeasure::Stars,      StarMeasure::Fwhm,  StarMeasure::Hfr,
                                         StarMeasure::Eccentricity, StarMeasure::Background,
                                         StarMeasure::Noise,      StarMeasure::SnrWeight};

struct RuleText {
    const char* before;
    const char* after;
    double min, max, step;
};
// In the order of StarRuleId.
constexpr RuleText kRules[kStarRuleCount] = {
    {"FWHM > médiane +", "σ", 0, 10, 0.5},
    {"Étoiles <", "% de la médiane", 0, 100, 5},
    {"Fond > médiane +", "σ", 0, 10, 0.5},
    {"Excentricité >", "", 0, 1, 0.05},
};

}  // namespace

TFormTrierPar::TFormTrierPar(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormTrierPar"));
    setWindowTitle(QStringLiteral("Trier par:"));
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    layout->addLayout(fields);
    mesure_ = new QComboBox(this);
    mesure_->setObjectName(QStringLiteral("ComboBoxMesure"));
    mesure_->addItem(QString::fromUtf8("Netteté"));
    for (StarMeasure m : kSortMeasures)
        mesure_->addItem(starMeasureTitle(m));
    sens_ = new QComboBox(this);
    sens_->setObjectName(QStringLiteral("ComboBoxSens"));
    sens_->addItems({QStringLiteral("Meilleures d'abord"), QStringLiteral("Moins bonnes d'abord")});
    fields->addWidget(new QLabel(QStringLiteral("Mesure:"), this), 0, 0);
    fields->addWidget(mesure_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Ordre:"), this), 1, 0);
    fields->addWidget(sens_, 1, 1);
    QDialogButtonBox* buttons = okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

std::optional<SortChoice> TFormTrierPar::Ask()
{
    if (prompts().exec(this) != QDialog::Accepted)
        return std::nullopt;
    SortChoice c;
    c.sharpness = mesure_->currentIndex() == 0;
    if (!c.sharpness)
        c.measure = kSortMeasures[mesure_->currentIndex() - 1];
    c.bestFirst = sens_->currentIndex() == 0;
    return c;
}

TFormNoterCriteres::TFormNoterCriteres(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormNoterCriteres"));
    setWindowTitle(QString::fromUtf8("Noter par Critères:"));
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    layout->addLayout(fields);
    const StarCriteria defaults;
    for (int r = 0; r < kStarRuleCount; ++r) {
        checks_[size_t(r)] = new QCheckBox(QString::fromUtf8(kRules[r].before), this);
        checks_[size_t(r)]->setObjectName(QStringLiteral("CheckBoxRegle%1").arg(r));
        values_[size_t(r)] = new QDoubleSpinBox(this);
        values_[size_t(r)]->setObjectName(QStringLiteral("SpinRegle%1").arg(r));
        values_[size_t(r)]->setRange(kRules[r].min, kRules[r].max);
        values_[size_t(r)]->setSingleStep(kRules[r].step);
        values_[size_t(r)]->setValue(defaults.rules[size_t(r)].value);
        counts_[size_t(r)] = new QLabel(this);
        fields->addWidget(checks_[size_t(r)], r, 0);
        fields->addWidget(values_[size_t(r)], r, 1);
        fields->addWidget(new QLabel(QString::fromUtf8(kRules[r].after), this), r, 2);
        fields->addWidget(counts_[size_t(r)], r, 3);
        connect(checks_[size_t(r)], &QCheckBox::toggled, this, [this] { recount(); });
        connect(values_[size_t(r)], &QDoubleSpinBox::valueChanged, this, [this] { recount(); });
    }
    rejet_ = new TSpinEdit(0, 9, 1, 0, this);
    rejet_->setObjectName(QStringLiteral("SpinEditRejet"));
    garde_ = new TSpinEdit(0, 9, 1, 1, this);
    garde_->setObjectName(QStringLiteral("SpinEditGarde"));
    fields->addWidget(new QLabel(QStringLiteral("Score des rejetées:"), this), kStarRuleCount, 0);
    fields->addWidget(rejet_, kStarRuleCount, 1);
    fields->addWidget(new QLabel(QStringLiteral("Score des autres:"), this), kStarRuleCount + 1, 0);
    fields->addWidget(garde_, kStarRuleCount + 1, 1);
    compte_ = new QLabel(this);
    compte_->setObjectName(QStringLiteral("LabelCompte"));
    layout->addWidget(compte_);
    QDialogButtonBox* buttons = okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormNoterCriteres::BitBtnOkClick);
    layout->addWidget(buttons);
}

std::optional<StarCriteria> TFormNoterCriteres::Ask(const std::vector<const StarMetrics*>& measures)
{
    measures_ = measures;
    const int maxScore = std::max(0, int(programOptions().MaxScore));
    rejet_->setMaximum(maxScore);
    garde_->setMaximum(maxScore);
    rejet_->SetValue(0);
    garde_->SetValue(std::min(1, maxScore));
    recount();
    if (prompts().exec(this) != QDialog::Accepted)
        return std::nullopt;
    return answer();
}

void TFormNoterCriteres::BitBtnOkClick()
{
    const StarCriteria c = answer();
    if (c.rejectScore == c.keepScore) {
        prompts().message(QString::fromUtf8("Les deux scores doivent différer"));
        return;
    }
    if (!c.anyOn()) {
        prompts().message(QString::fromUtf8("Choisissez au moins un critère"));
        return;
    }
    accept();
}

StarCriteria TFormNoterCriteres::answer() const
{
    StarCriteria c;
    for (int r = 0; r < kStarRuleCount; ++r)
        c.rules[size_t(r)] = {checks_[size_t(r)]->isChecked(), values_[size_t(r)]->value()};
    c.rejectScore = rejet_->Value();
    c.keepScore = garde_->Value();
    return c;
}

void TFormNoterCriteres::recount()
{
    const RejectionCounts n = countRejections(measures_, answer());
    for (int r = 0; r < kStarRuleCount; ++r)
        counts_[size_t(r)]->setText(QString::fromUtf8("%1 rejetées").arg(n.byRule[size_t(r)]));
    compte_->setText(QString::fromUtf8("Ensemble: %1 rejetées sur %2 mesurées").arg(n.all).arg(n.measured));
}
