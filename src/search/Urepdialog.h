#pragma once
// The directory chooser "Choix d'un répertoire cible": one modal dialog shared by every window that
// asks for a target directory. It keeps its directory between uses, whoever used it last.
//
// The tree shows the whole disk from its root, opened down to the chosen directory; every folder
// can be opened (its subfolders are read when it is). The highlighted folder is the chosen one, and
// a path can be typed in the line above the tree.
#include "platform/DirectoryChooser.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class TRepDialog : public QDialog, public DirectoryChooser {
    Q_OBJECT
public:
    explicit TRepDialog(QWidget* parent = nullptr);

    QString RepertoireChoisi() const override;
    void SetRepertoire(const QString& dir) override;
    bool Choisir() override;
    // Whether the dialog was last ended with "OK".
    bool Confirmed() const { return confirmed_; }

    void NouveauRepertoireClick();
    // Takes the typed path when it was changed (a directory that does not exist: the error box, and
    // the dialog stays), else the highlighted folder, and ends the dialog with OK.
    void OkClick();
    void AnnulerClick();

    // Controls.
    QLineEdit* PathEdit = nullptr;        // the chosen path, under "&Répertoire :"; may be typed
    QTreeWidget* DirectoryTree = nullptr; // the folders from the root, opened down to the chosen one
    QComboBox* DriveList = nullptr;       // the mounted volumes, under "&Lecteur :"
    QPushButton* NewDirButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillTree();
    void fillDrives();
    void selectDriveOfCurrent();
    void showCurrent();
    // Reads the subfolders of item once, when it is first opened.
    void loadChildren(QTreeWidgetItem* item);
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& name, const QString& path);
    // Moves to the typed path; false, after the error box, when it names no directory.
    bool goToTyped();

    QString current_;
    bool confirmed_ = false;
};
