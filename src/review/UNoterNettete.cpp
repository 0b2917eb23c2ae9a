#include "review/UNoterNettete.h"

#include "controller/SharpnessCommands.h"
#include "platform/Prompts.h"
#include "settings/Options.h"
#include "settings/UOptionDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPercentIndex = 0;
}

TFormNoterNettete::TFormNoterNettete(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormNoterNettete"));
    setWindowTitle(QString::fromUtf8("Noter par Netteté:"));
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    layout->addLayout(fields);

    spinGarder_ = new TSpinEdit(1, 100, 1, 10, this);
    spinGarder_->setObjectName(QStringLiteral("SpinEditGarder"));
    comboUnite_ = new QComboBox(this);
    comboUnite_->setObjectName(QStringLiteral("ComboBoxUnite"));
    comboUnite_->addItems({QStringLiteral("%"), QStringLiteral("images")});
    // A percentage stops at 100; a number of frames at any list's length.
    connect(comboUnite_, &QComboBox::currentIndexChanged, this,
            [this](int index) { spinGarder_->setMaximum(index == kPercentIndex ? 100 : 1000000); });
    fields->addWidget(new QLabel(QStringLiteral("Garder les meilleures:"), this), 0, 0);
    fields->addWidget(spinGarder_, 0, 1);
    fields->addWidget(comboUnite_, 0, 2);

    spinMeilleures_ = new TSpinEdit(0, 9, 1, 1, this);
    spinMeilleures_->setObjectName(QStringLiteral("SpinEditScoreMeilleures"));
    fields->addWidget(new QLabel(QStringLiteral("Score des meilleures:"), this), 1, 0);
    fields->addWidget(spinMeilleures_, 1, 1);

    spinScore_ = new TSpinEdit(0, 9, 1, 0, this);
    spinScore_->setObjectName(QStringLiteral("SpinEditScore"));
    fields->addWidget(new QLabel(QStringLiteral("Score des autres:"), this), 2, 0);
    fields->addWidget(spinScore_, 2, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* annuler = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    annuler->setObjectName(QStringLiteral("BitBtnAnnuler"));
    QPushButton* ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BitBtnOk"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormNoterNettete::BitBtnOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::optional<SharpnessScoring> TFormNoterNettete::Ask()
{
    const int maxScore = std::max(0, int(programOptions().MaxScore));
    spinMeilleures_->setMaximum(maxScore);
    spinScore_->setMaximum(maxScore);
    spinMeilleures_->SetValue(std::min(1, maxScore));
    spinScore_->SetValue(0);
    if (prompts().exec(this) != QDialog::Accepted)
        return std::nullopt;
    return answer();
}

void TFormNoterNettete::BitBtnOkClick()
{
    const QString why = sharpnessScoringRefusal(answer());
    if (!why.isEmpty()) {
        prompts().message(why);
        return;
    }
    accept();
}

SharpnessScoring TFormNoterNettete::answer() const
{
    SharpnessScoring s;
    s.keep.amount = spinGarder_->Value();
    s.keep.percent = comboUnite_->currentIndex() == kPercentIndex;
    s.bestScore = spinMeilleures_->Value();
    s.score = spinScore_->Value();
    return s;
}
