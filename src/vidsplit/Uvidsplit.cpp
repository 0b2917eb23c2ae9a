#include "vidsplit/Uvidsplit.h"

#include "platform/EventPump.h"
#include "platform/Prompts.h"
#include "search/Urepdialog.h"
#include "vidsplit/FramePreview.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <new>

namespace {

constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;

QString listText(const QString& listFile)
{
    return listFile.isEmpty() ? QStringLiteral("(nouvelle liste à côté des images)") : listFile;
}

}  // namespace

TFormVidsplit::TFormVidsplit(const QString& listFile, QWidget* parent) : QWidget(parent), listFile_(listFile)
{
    setWindowTitle(QStringLiteral("Vidsplit"));
    auto* grid = new QGridLayout(this);

    grid->addWidget(new QLabel(QStringLiteral("Liste:")), 0, 0);
    ListLabel = new QLabel(listText(listFile));
    grid->addWidget(ListLabel, 0, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Vidéo:")), 1, 0);
    VideoEdit = new QLineEdit;
    grid->addWidget(VideoEdit, 1, 1);
    VideoBrowseButton = new QPushButton(QStringLiteral("Parcourir..."));
    grid->addWidget(VideoBrowseButton, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Répertoire:")), 2, 0);
    DirectoryEdit = new QLineEdit(QDir::currentPath());
    grid->addWidget(DirectoryEdit, 2, 1);
    DirectoryBrowseButton = new QPushButton(QStringLiteral("Parcourir..."));
    grid->addWidget(DirectoryBrowseButton, 2, 2);

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Première image:")));
    FirstSpin = new QSpinBox;
    FirstSpin->setRange(1, INT_MAX);
    range->addWidget(FirstSpin);
    range->addWidget(new QLabel(QStringLiteral("Nombre:")));
    CountSpin = new QSpinBox;
    CountSpin->setRange(0, INT_MAX);
    CountSpin->setSpecialValueText(QStringLiteral("Toutes"));
    range->addWidget(CountSpin);
    GreyCheck = new QCheckBox(QStringLiteral("Niveaux de gris"));
    range->addWidget(GreyCheck);
    range->addWidget(new QLabel(QStringLiteral("Octets 16 bits:")));
    ByteOrderCombo = new QComboBox;
    ByteOrderCombo->addItems({QStringLiteral("Automatique"), QStringLiteral("Poids faible d'abord"),
                              QStringLiteral("Poids fort d'abord")});
    range->addWidget(ByteOrderCombo);
    range->addStretch();
    grid->addLayout(range, 3, 0, 1, 3);

    Preview = new QLabel;
    Preview->setFixedSize(kPreviewWidth, kPreviewHeight);
    Preview->setAlignment(Qt::AlignCenter);
    Preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(Preview, 4, 0, 1, 3, Qt::AlignHCenter);

    auto* run = new QHBoxLayout;
    ExtraireButton = new QPushButton(QStringLiteral("Extraire"));
    ArreterButton = new QPushButton(QStringLiteral("Arrêter"));
    ArreterButton->setEnabled(false);
    Progress = new QProgressBar;
    RateLabel = new QLabel;
    RateLabel->setMinimumWidth(110);
    run->addWidget(ExtraireButton);
    run->addWidget(ArreterButton);
    run->addWidget(Progress, 1);
    run->addWidget(RateLabel);
    grid->addLayout(run, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(VideoBrowseButton, &QPushButton::clicked, this, &TFormVidsplit::VideoBrowseClick);
    connect(DirectoryBrowseButton, &QPushButton::clicked, this, &TFormVidsplit::DirectoryBrowseClick);
    connect(ExtraireButton, &QPushButton::clicked, this, &TFormVidsplit::ExtraireClick);
    connect(ArreterButton, &QPushButton::clicked, this, &TFormVidsplit::ArreterClick);
    connect(VideoEdit, &QLineEdit::editingFinished, this, &TFormVidsplit::UpdatePreview);
    connect(FirstSpin, &QSpinBox::editingFinished, this, &TFormVidsplit::UpdatePreview);
    connect(GreyCheck, &QCheckBox::toggled, this, &TFormVidsplit::UpdatePreview);
    connect(ByteOrderCombo, &QComboBox::currentIndexChanged, this, &TFormVidsplit::UpdatePreview);
}

ExtractOptions TFormVidsplit::options() const
{
    ExtractOptions o;
    o.video = VideoEdit->text().trimmed();
    o.outDir = DirectoryEdit->text().trimmed();
    o.listFile = listFile_;
    o.first = FirstSpin->value();
    o.count = CountSpin->value() == 0 ? -1 : CountSpin->value();
    o.grey = GreyCheck->isChecked();
    static constexpr ByteOrder kOrders[] = {ByteOrder::Auto, ByteOrder::Little, ByteOrder::Big};
    o.byteOrder = kOrders[std::clamp(ByteOrderCombo->currentIndex(), 0, 2)];
    return o;
}

void TFormVidsplit::VideoBrowseClick()
{
    FileDialogRequest r;
    r.caption = QStringLiteral("Vidéo");
    r.filter = QStringLiteral("Vidéos (*.ser;*.avi;*.mp4;*.mov;*.mkv)|*.ser;*.avi;*.mp4;*.mov;*.mkv|Tous fichiers (*.*)|*.*");
    r.directory = QFileInfo(VideoEdit->text()).absolutePath();
    const QStringList files = prompts().openFiles(r);
    if (files.isEmpty())
        return;
    VideoEdit->setText(files.first());
    UpdatePreview();
}

void TFormVidsplit::DirectoryBrowseClick()
{
    TRepDialog dialog(this);
    dialog.SetRepertoire(DirectoryEdit->text());
    prompts().exec(&dialog);
    if (dialog.Confirmed())
        DirectoryEdit->setText(dialog.RepertoireChoisi());
}

void TFormVidsplit::UpdatePreview()
{
    const ExtractOptions o = options();
    Preview->clear();
    if (o.video.isEmpty())
        return;
    QString error;
    const QImage img = readFrameImage(o.video, o.first, SourceOptions{o.byteOrder, o.grey}, error);
    if (img.isNull()) {
        Preview->setText(error);
        Preview->setWordWrap(true);
        return;
    }
    Preview->setPixmap(QPixmap::fromImage(img.scaled(Preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TFormVidsplit::ExtraireClick()
{
    if (running())
        return;
    Extraction extraction(options());
    extraction.onProgress([this](const ExtractProgress& p) { showProgress(p); });
    extraction_ = &extraction;
    ExtraireButton->setEnabled(false);
    ArreterButton->setEnabled(true);
    Progress->setValue(0);
    RateLabel->clear();
    try {
        lastResult_ = extraction.run();
    } catch (const std::bad_alloc&) {
        lastResult_ = ExtractResult();
        lastResult_.problems << QString::fromUtf8("Mémoire insuffisante");
    }
    extraction_ = nullptr;
    ExtraireButton->setEnabled(true);
    ArreterButton->setEnabled(false);

    const QString done = QStringLiteral("Traitement Terminé: %1 Fichiers Traités").arg(lastResult_.written);
    if (lastResult_.problems.isEmpty())
        prompts().message(done);
    else
        prompts().error(lastResult_.problems.join('\n') + '\n' + done);
}

void TFormVidsplit::ArreterClick()
{
    if (extraction_)
        extraction_->stop();
}

void TFormVidsplit::showProgress(const ExtractProgress& p)
{
    if (p.total > 0) {
        Progress->setMaximum(int(std::min<int64_t>(p.total, INT_MAX)));
        Progress->setValue(int(std::min(p.done, p.total)));
    } else {
        Progress->setMaximum(0);  // a busy bar when the video does not say its length
    }
    RateLabel->setText(QStringLiteral("%1 images/s").arg(p.framesPerSecond, 0, 'f', 0));
    pumpEvents();
}

void TFormVidsplit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && extraction_) {
        extraction_->stop();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormVidsplit::closeEvent(QCloseEvent* event)
{
    ArreterClick();
    QWidget::closeEvent(event);
}
