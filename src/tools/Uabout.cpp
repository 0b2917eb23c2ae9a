#include "tools/Uabout.h"

#include "settings/Options.h"
#include "tools/ProgramIcon.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const char* const kMakerLine1 = "Écrit pour les astronomes amateurs qui trient leurs séries d'images";
const char* const kMakerLine2 = "Logiciel libre, fourni sans aucune garantie";
const char* const kComment = "Tri et Conversion de Fichiers Graphiques";
}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("A propos"));
    setObjectName(QStringLiteral("AboutBox"));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(panel);

    auto label = [panel](const char* name, const QString& text) {
        auto* l = new QLabel(text, panel);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    ProgramIcon = label("ProgramIcon", {});
    ProgramIcon->setPixmap(QPixmap::fromImage(drawProgramIcon(64)));
    ProgramIcon->setFixedSize(64, 64);
    ProductName = label("ProductName", QString::fromUtf8(kProductName));
    Version = label("Version", QString::fromUtf8(kVersionText));
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version->setFont(bold);
    Copyright = label("Copyright", QString::fromUtf8(kMakerLine1));
    Maker = label("Maker", QString::fromUtf8(kMakerLine2));
    Comments = label("Comments", QString::fromUtf8(kComment));
    Comments2 = label("Comments2", {});

    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    names->addStretch(1);
    grid->addWidget(ProgramIcon, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(names, 0, 1);
    grid->addWidget(Copyright, 1, 0, 1, 2);
    grid->addWidget(Maker, 2, 0, 1, 2);
    grid->addWidget(Comments, 3, 0, 1, 2);
    grid->addWidget(Comments2, 4, 0, 1, 2);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    if (QScreen* s = screen()) {
        adjustSize();
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}
