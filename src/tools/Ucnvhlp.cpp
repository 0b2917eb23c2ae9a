#include "tools/Ucnvhlp.h"

#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/ScopeExit.h"
#include "tools/HelpFile.h"
#include "tools/HelpPrinting.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

TCnvHlp::TCnvHlp(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Aide"));
    setObjectName(QStringLiteral("CnvHlp"));

    auto* layout = new QVBoxLayout(this);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Memo, 1);

    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    BitBtnImprimer = new QPushButton(QStringLiteral("Imprimer.."), this);
    BitBtnImprimer->setObjectName(QStringLiteral("BitBtnImprimer"));
    BitBtnImprimer->setAutoDefault(false);
    BitBtnFermer = new QPushButton(QStringLiteral("Fermer"), this);
    BitBtnFermer->setObjectName(QStringLiteral("BitBtnFermer"));
    BitBtnFermer->setDefault(true);
    bar->addWidget(BitBtnImprimer);
    bar->addWidget(BitBtnFermer);
    layout->addLayout(bar);
    resize(640, 480);

    connect(BitBtnImprimer, &QPushButton::clicked, this, [this] { runGuarded([this] { ImprimerClick(); }); });
    connect(BitBtnFermer, &QPushButton::clicked, this, &QDialog::accept);
}

TCnvHlp::~TCnvHlp() = default;

void TCnvHlp::AfficherAide(const QString& baseName)
{
    QStringList lines;
    try {
        lines = readHelpFile(baseName + QStringLiteral(".HLP"));
    } catch (const ProgramError& e) {
        prompts().error(e.text());
        return;
    }
    Memo->setPlainText(lines.join(QLatin1Char('\n')));
    Memo->verticalScrollBar()->setValue(0);
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    prompts().exec(this);
    // The text is read again at the next opening: closed, the viewer keeps none of it.
    Memo->clear();
}

void TCnvHlp::showEvent(QShowEvent* event)
{
    if (QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

QPrinter& TCnvHlp::Printer()
{
    // Made on first use: looking for the default printer costs time at start-up.
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TCnvHlp::ImprimerClick()
{
    QPrinter& printer = Printer();
    QPrintDialog dialog(&printer, this);
    if (prompts().exec(&dialog) != QDialog::Accepted)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ScopeExit restoreCursor([] { QApplication::restoreOverrideCursor(); });

    // Each copy is a page of its own here, so the printer must not multiply them again.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    ScopeExit keepCopies([&printer, copies] { printer.setCopyCount(copies); });
    printer.setDocName(QString::fromUtf8(kHelpPrintTitle));
    QStringList lines = Memo->toPlainText().split(QLatin1Char('\n'));
    // A printer that refuses the job ends the printing without a message.
    printHelpPages(printer, Memo->font(), lines, copies);
}
