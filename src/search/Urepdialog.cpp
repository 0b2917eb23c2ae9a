#include "search/Urepdialog.h"

#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "search/NaturalOrder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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
constexpr int kLoadedRole = Qt::UserRole + 1;  // the subfolders have been read

QString cleanAbsolute(const QString& dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}

QString pathOf(const QTreeWidgetItem* item) { return item->data(0, kPathRole).toString(); }

// A typed path: "~" is the home directory, and a relative path starts from the chosen directory.
QString typedDirectory(const QString& typed, const QString& from)
{
    QString t = typed;
    if (t == QLatin1String("~") || t.startsWith(QLatin1String("~/")))
        t = QDir::homePath() + t.mid(1);
    return QDir::cleanPath(QDir(from).absoluteFilePath(t));
}
}  // namespace

TRepDialog::TRepDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Choix d'un répertoire cible"));
    setModal(true);

    auto* dirLabel = new QLabel(QString::fromUtf8("&Répertoire :"), this);
    PathEdit = new QLineEdit(this);
    PathEdit->setObjectName(QStringLiteral("PathEdit"));
    PathEdit->setFixedWidth(300);
    DirectoryTree = new QTreeWidget(this);
    DirectoryTree->setHeaderHidden(true);
    DirectoryTree->setColumnCount(1);
    DirectoryTree->setIndentation(14);
    DirectoryTree->setExpandsOnDoubleClick(false);  // a double click opens; the arrow closes
    DirectoryTree->setFixedSize(300, 260);
    DirectoryTree->installEventFilter(this);
    dirLabel->setBuddy(DirectoryTree);

    auto* driveLabel = new QLabel(QStringLiteral("&Lecteur :"), this);
    DriveList = new QComboBox(this);
    DriveList->setFixedWidth(300);
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
    left->addWidget(PathEdit);
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
    // The highlighted folder is the chosen one.
    connect(DirectoryTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        current_ = pathOf(item);
        showCurrent();
    });
    connect(DirectoryTree, &QTreeWidget::itemExpanded, this, &TRepDialog::loadChildren);
    connect(DirectoryTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        DirectoryTree->setCurrentItem(item);
        item->setExpanded(true);
    });
    PathEdit->installEventFilter(this);
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
    fillTree();
    showCurrent();
}

void TRepDialog::showCurrent()
{
    PathEdit->setText(current_);
    PathEdit->setToolTip(current_);
    selectDriveOfCurrent();
}

QTreeWidgetItem* TRepDialog::addFolder(QTreeWidgetItem* parent, const QString& name, const QString& path)
{
    auto* item = parent ? new QTreeWidgetItem(parent, QStringList(name)) : new QTreeWidgetItem(DirectoryTree, QStringList(name));
    item->setData(0, kPathRole, path);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    // Whether it holds folders is known once it is opened; reading every folder shown would be slow.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void TRepDialog::loadChildren(QTreeWidgetItem* item)
{
    if (!item || item->data(0, kLoadedRole).toBool())
        return;
    item->setData(0, kLoadedRole, true);
    const QString path = pathOf(item);
    const QStringList subdirs = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    const QString base = withTrailingSlash(path);
    // In the order the search shows a directory's files: nuit2 before nuit10.
    for (int i : naturalOrder(subdirs))
        addFolder(item, subdirs[i], base + subdirs[i]);
    item->setChildIndicatorPolicy(subdirs.isEmpty() ? QTreeWidgetItem::DontShowIndicatorWhenChildless
                                                    : QTreeWidgetItem::ShowIndicator);
}

void TRepDialog::fillTree()
{
    const QSignalBlocker block(DirectoryTree);
    DirectoryTree->clear();
    // From the root down to the chosen directory, each folder open on its subfolders, read now.
    QTreeWidgetItem* item = addFolder(nullptr, QStringLiteral("/"), QStringLiteral("/"));
    QString path;
    for (const QString& part : current_.split('/', Qt::SkipEmptyParts)) {
        loadChildren(item);
        item->setExpanded(true);
        path += '/' + part;
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0) == part)
                next = item->child(i);
        // A hidden folder is not listed, but may be the one chosen.
        if (!next) {
            next = addFolder(item, part, path);
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        item = next;
    }
    loadChildren(item);
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

bool TRepDialog::goToTyped()
{
    const QString typed = PathEdit->text().trimmed();
    const QString dir = typed.isEmpty() ? QString() : typedDirectory(typed, current_);
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        prompts().error(QString::fromUtf8("Le répertoire %1 n'existe pas.").arg(typed));
        PathEdit->setFocus();
        return false;
    }
    if (dir != current_)
        SetRepertoire(dir);
    return true;
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
    // A path typed and not yet gone to is the choice.
    if (PathEdit->text() != current_ && !goToTyped())
        return;
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
    // The tree has its size only once shown: bring the chosen folder into view then.
    QTimer::singleShot(0, this, [this] {
        if (QTreeWidgetItem* item = DirectoryTree->currentItem())
            DirectoryTree->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    });
}

bool TRepDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter in the path line goes to the typed directory without ending the dialog.
    if (watched == PathEdit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        goToTyped();
        return true;
    }
    if (watched == DirectoryTree) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter opens or closes the highlighted folder rather than ending the dialog.
            if (QTreeWidgetItem* item = DirectoryTree->currentItem()) {
                item->setExpanded(!item->isExpanded());
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
