#include "search/Urepdialog.h"

#include "platform/PathUtil.h"
#include "platform/Prompts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>


namespace {
constexpr int kPathRole = Qt::UserRole;

QString cleanAbsolute(const QString& dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}
}  // namespace

TRepDialog::TRepDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Choix d'un répertoire cible"));
    setModal(true);

    auto* dirLabel = new QLabel(QString::fromUtf8("&Répertoire :"), this);
    PathLabel = new QLabel(this);
    PathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PathLabel->setMinimumWidth(260);
    PathLabel->setMaximumWidth(260);
    DirectoryTree = new QTreeWidget(this);
    DirectoryTree->setHeaderHidden(true);
    DirectoryTree->setColumnCount(1);
    DirectoryTree->setRootIsDecorated(false);
    DirectoryTree->setIndentation(12);
    DirectoryTree->setFixedSize(260, 220);
    DirectoryTree->installEventFilter(this);
    dirLabel->setBuddy(DirectoryTree);

    auto* driveLabel = new QLabel(QStringLiteral("&Lecteur :"), this);
    DriveList = new QComboBox(this);
    DriveList->setFixedWidth(260);
    driveLabel->setBuddy(DriveList);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    NewDirButton = new QPushButton(QString::fromUtf8("Nouveau répertoire"), this);
    NewDirButton->setToolTip(QString::fromUtf8("Créer un sous-répertoire"));
    NewDirButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(dirLabel);
    left->addWidget(PathLabel);
    left->addWidget(DirectoryTree);
    left->addWidget(driveLabel);
    left->addWidget(DriveList);
    auto* right = new QVBoxLayout;
    right->addWidget(OkButton);
    right->addWidget(CancelButton);
    right->addSpacing(12);
    right->addWidget(NewDirButton);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // the dialog can't be resized

    connect(OkButton, &QPushButton::clicked, this, &TRepDialog::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TRepDialog::AnnulerClick);
    connect(NewDirButton, &QPushButton::clicked, this, &TRepDialog::NouveauRepertoireClick);
    // The tree is rebuilt on entering a directory: do it after the view is done with the click.
    connect(DirectoryTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QString path = item->data(0, kPathRole).toString();
        QTimer::singleShot(0, this, [this, path] { SetRepertoire(path); });
    });
    connect(DriveList, &QComboBox::activated, this, [this](int index) {
        SetRepertoire(DriveList->itemData(index).toString());
    });

    fillDrives();
    SetRepertoire(QDir::currentPath());
}

QString TRepDialog::RepertoireChoisi() const { return current_; }

void TRepDialog::SetRepertoire(const QString& dir)
{
    QString d = cleanAbsolute(dir.isEmpty() ? QStringLiteral("/") : dir);
    // A directory removed elsewhere: fall back to the nearest one still there.
    while (!QFileInfo(d).isDir() && d != QLatin1String("/"))
        d = cleanAbsolute(d + QStringLiteral("/.."));
    current_ = d;
    PathLabel->setText(fontMetrics().elidedText(current_, Qt::ElideMiddle, PathLabel->maximumWidth()));
    PathLabel->setToolTip(current_);
    fillTree();
    selectDriveOfCurrent();
}

void TRepDialog::fillTree()
{
    DirectoryTree->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The chain of ancestors from the root down to the current directory.
    QStringList parts = current_.split('/', Qt::SkipEmptyParts);
    auto* item = new QTreeWidgetItem(DirectoryTree, QStringList(QStringLiteral("/")));
    item->setData(0, kPathRole, QStringLiteral("/"));
    item->setIcon(0, open);
    QString path;
    for (const QString& part : parts) {
        path += '/' + part;
        auto* child = new QTreeWidgetItem(item, QStringList(part));
        child->setData(0, kPathRole, path);
        child->setIcon(0, open);
        item->setExpanded(true);
        item = child;
    }
    // Its subdirectories, read from disk now.
    const QStringList subdirs =
        QDir(current_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const QString base = withTrailingSlash(current_);
    for (const QString& name : subdirs) {
        auto* child = new QTreeWidgetItem(item, QStringList(name));
        child->setData(0, kPathRole, base + name);
        child->setIcon(0, closed);
    }
    item->setExpanded(true);
    DirectoryTree->setCurrentItem(item);
    DirectoryTree->scrollToItem(item);
}

void TRepDialog::fillDrives()
{
    const QSignalBlocker block(DriveList);
    DriveList->clear();
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && !roots.contains(v.rootPath()))
            roots << v.rootPath();
    if (!roots.contains(QStringLiteral("/")))
        roots << QStringLiteral("/");
    roots.sort();
    for (const QString& r : roots)
        DriveList->addItem(r, r);
}

void TRepDialog::selectDriveOfCurrent()
{
    const QSignalBlocker block(DriveList);
    const int i = DriveList->findData(QStorageInfo(current_).rootPath());
    DriveList->setCurrentIndex(i >= 0 ? i : DriveList->findData(QStringLiteral("/")));
}

void TRepDialog::NouveauRepertoireClick()
{
    const std::optional<QString> name = prompts().inputBox(QString::fromUtf8("Créer un nouveau sous-répertoire"),
                                                           QString::fromUtf8("Sous-répertoire :"), QString());
    if (!name || name->isEmpty())
        return;
    const QString path = withTrailingSlash(current_) + *name;
    // One level only: a missing parent is a failure, as is a name already taken.
    if (!makeDirectory(path)) {
        prompts().error(QString::fromUtf8("Impossible de créer le répertoire."));
        return;
    }
    SetRepertoire(path);
}

bool TRepDialog::Choisir() { return prompts().exec(this) == QDialog::Accepted; }

void TRepDialog::OkClick()
{
    confirmed_ = true;
    accept();
}

void TRepDialog::AnnulerClick() { reject(); }

void TRepDialog::reject()
{
    confirmed_ = false;
    QDialog::reject();
}

void TRepDialog::showEvent(QShowEvent* event)
{
    confirmed_ = false;
    // Volumes and directories may have changed since the last use.
    fillDrives();
    SetRepertoire(current_);
    if (QScreen* s = screen()) {
        adjustSize();
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

bool TRepDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DirectoryTree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter opens the highlighted directory rather than ending the dialog.
            if (QTreeWidgetItem* item = DirectoryTree->currentItem()) {
                const QString path = item->data(0, kPathRole).toString();
                if (path != current_) {
                    QTimer::singleShot(0, this, [this, path] { SetRepertoire(path); });
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
