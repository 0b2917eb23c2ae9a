#pragma once
// The search and sort window "Recherches et Tris de Fichiers": finds files below the directory of
// the directory chooser, shows them as lines and as a table whose rows the user marks, saves,
// reads and prints the results, and hands the marked files to the image list when closed with OK.
// The walk, the results, the marking rules and the print layout are logic (FileSearch,
// SearchResults, ResultPrinting); this window holds the controls and forwards to them.
#include "platform/DirectoryChooser.h"
#include "search/FileSearch.h"
#include "search/SearchResults.h"
#include "search/trecherche.h"

#include <QDialog>
#include <QFont>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QListView;
class QMenuBar;
class QPrinter;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class QTableView;
class ResultLinesModel;
class ResultTableModel;

class TFormRec : public QDialog {
    Q_OBJECT
public:
    explicit TFormRec(QWidget* parent = nullptr);
    ~TFormRec() override;

    // Hand-off to the image list: the filter choices become the eight image masks (the filter
    // text stays), the window runs modally, and the answer is whether it closed with OK. After
    // OK, Results() holds the marked rows (every row when the user chose none). The results of the
    // last search stay, unmarked.
    bool ChoisirImages();
    static const QStringList& ImageFilterChoices();
    void SetFilterChoices(const QStringList& choices);
    const SearchResults& Results() const { return results_; }

    // The directory chooser searched from: the program's own one unless one is given.
    void SetChooser(DirectoryChooser* chooser) { chooser_ = chooser; }
    DirectoryChooser* Chooser() const { return chooser_ ? chooser_ : directoryChooser(); }
    // The directory the next search uses.
    QString SearchDirectory() const;

    // Commands.
    void ParcourirClick();
    void RechercherClick();
    void ToutSelectionnerClick();
    void OkClick();
    void AnnulerClick();
    void NouveauClick();
    void OuvrirClick();
    void EnregistrerClick();
    void EnregistrersousClick();
    void MiseenPageClick();
    void ImprimerClick();
    void SupprimerClick();
    // "&Aide": asks for the program's help viewer (helpWanted), which the start-up shows.
    void AideClick();
    // A left click on table row r (1 = first file) with these keys held.
    void TableClick(int r, Qt::KeyboardModifiers keys);

    bool Searching() const { return searching_; }
    int ProfondeurMax() const { return profondeurMax_; }
    QString ResultsFileName() const { return resultsFile_; }
    QPrinter& Printer();
    QFont PrinterFont() const { return printerFont_; }

    // Controls.
    QMenuBar* Menu = nullptr;
    QLabel* DirectoryBar = nullptr;
    QPushButton* BrowseButton = nullptr;
    QComboBox* FilterBox = nullptr;
    QSpinBox* DepthBox = nullptr;
    QPushButton* SearchButton = nullptr;
    QPushButton* SelectAllButton = nullptr;
    QStackedWidget* ResultArea = nullptr;
    QListView* ListeView = nullptr;
    QTableView* TableauView = nullptr;
    QTabBar* Tabs = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* CountLabel = nullptr;
    QList<QAction*> ResultActions;  // the menu commands that read or replace the results
    QAction* QuitterAction = nullptr;  // closes the window as "Annuler" does
    QAction* AideAction = nullptr;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void helpWanted();

private:
    void buildMenu();
    void setColumnWidths();
    void showCount(int n);
    void setBusy(bool busy);
    void replaceResults(const std::function<void()>& change);

    SearchResults results_;
    trecherche finder_;
    FileSearch walk_{finder_};
    ResultLinesModel* linesModel_ = nullptr;
    ResultTableModel* tableModel_ = nullptr;
    DirectoryChooser* chooser_ = nullptr;  // not owned
    std::unique_ptr<QPrinter> printer_;
    QFont printerFont_;
    QString resultsFile_;
    QString openDirectory_;  // where the results open dialog starts
    int profondeurMax_ = 0;
    bool searching_ = false;
};
