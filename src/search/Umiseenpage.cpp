#include "search/Umiseenpage.h"

#include "platform/Prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QVBoxLayout>

TFormMiseEnPage::TFormMiseEnPage(QPrinter* printer, QWidget* parent) : QDialog(parent), printer_(printer)
{
    setWindowTitle(QStringLiteral("Mise en Page"));
    Sample = new QLabel(QStringLiteral("azerty\nAZERTY\n134567890"), this);
    Sample->setFrameShape(QFrame::StyledPanel);
    Sample->setMinimumSize(220, 90);
    Sample->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FontButton = new QPushButton(QStringLiteral("Fonte.."), this);
    FontName = new QLabel(this);
    PrinterButton = new QPushButton(QStringLiteral("Imprimante.."), this);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    PrintButton = new QPushButton(QStringLiteral("Imprimer.."), this);
    for (QPushButton* b : {FontButton, PrinterButton, CancelButton, PrintButton})
        b->setAutoDefault(false);

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(FontButton);
    fontRow->addWidget(FontName, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(Sample, 1);
    left->addLayout(fontRow);
    left->addWidget(PrinterButton, 0, Qt::AlignLeft);
    auto* right = new QVBoxLayout;
    right->addWidget(OkButton);
    right->addWidget(CancelButton);
    right->addWidget(PrintButton);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(FontButton, &QPushButton::clicked, this, &TFormMiseEnPage::FonteClick);
    connect(PrinterButton, &QPushButton::clicked, this, &TFormMiseEnPage::ImprimanteClick);
    connect(OkButton, &QPushButton::clicked, this, [this] { done(Accepted); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(PrintButton, &QPushButton::clicked, this, [this] { done(kPrintResult); });
    SetFonte(font());
}

void TFormMiseEnPage::SetFonte(const QFont& font)
{
    font_ = font;
    Sample->setFont(font);
    FontName->setText(font.family());
}

void TFormMiseEnPage::FonteClick()
{
    if (const std::optional<QFont> f = prompts().chooseFont(font_))
        SetFonte(*f);
}

void TFormMiseEnPage::ImprimanteClick()
{
    if (!printer_)
        return;
    QPageSetupDialog setup(printer_, this);
    prompts().exec(&setup);
}
