#pragma once
// The directory chooser "Choix d'un répertoire cible": one modal dialog shared by every window that
// asks for a target directory. It keeps its directory between uses, whoever used it last.
#include "search/DirectoryChooser.h"

#include <QDialog>

class QComboBox;
class QLabel;
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
    void OkClick();
    void AnnulerClick();

    // Controls.
    QLabel* PathLabel = nullptr;          // the tree's current path, under "&Répertoire :"
    QTreeWidget* DirectoryTree = nullptr; // ancestors of the directory and its subdirectories
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

    QString current_;
    bool confirmed_ = false;
};
