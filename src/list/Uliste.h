#pragma once
// The list window "Liste": shows the ListModel in a grid and carries every operation that changes
// the list as a whole. The titles are the grid's column header; the mark column is its row header,
// which stays in view and by which rows are dragged to another place.
//
// Operations that read or write files (Ouvrir1Click, OuvriretRenommer1Click, Enregistrersous1Click,
// CollerPressepapier1Click) and EntryScore throw ProgramError; menu handlers run them under
// runGuarded.
#include <QWidget>

class ListModel;
class QTableView;

class TFormListe : public QWidget {
    Q_OBJECT
public:
    explicit TFormListe(QWidget* parent = nullptr);
    ~TFormListe() override;

    ListModel& model();
    QTableView* grid() const { return grid_; }

    void SetUpGrid();
    void ClearList();
    void Recount();
    void NumberRow(int row);
    void SelectRow(int row);
    QString EntryPath(int row) const;
    int EntryScore(int row) const;  // throws ProgramError when the quality is not an integer
    void TagEntry(int value, int mode);
    void AddFiles(bool replace);
    // Appends one entry per file after the last one (numbered by their rows, quality DefaultScore,
    // zone and extra blank), without recounting: the caller recounts when it is done.
    void AppendFiles(const QStringList& paths);
    void CollerPressepapier1Click();
    void Effacer1Click();
    void ViderlaListe1Click();
    void Renumeroter1Click();
    void GenereListeZone();
    // List files.
    void Ouvrir1Click();
    void OuvriretRenommer1Click();
    void Enregistrersous1Click();
    void ModifierRepertoires1Click();
    bool ListOpened = false;

    // Rows of the grid fully in view; SelectRow pages by it.
    int VisibleRowCount() const;
    // Grid row shown at the top of the view.
    int TopRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpColumns();
    void scrollToPageOf(int row);
    void rowLeftClicked(int row);
    void rowRightClicked(int row);
    void rowHeaderMoved(int logical, int oldVisual, int newVisual);
    QString defaultQuality() const;

    ListModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QString openedPath_;  // the list file last read by Ouvrir1Click
};
