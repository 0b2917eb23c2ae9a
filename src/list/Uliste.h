#pragma once
// The list window "Liste": a view of the list under review in a grid. The titles are the grid's
// column header; the mark column is its row header, which stays in view and by which rows are
// dragged to another place. It follows the current entry and sends clicks, marks and drags to the
// review; the list operations it is known by are forwards to the list commands.
#include <QWidget>

class ListModel;
class QTableView;
class ReviewController;

class TFormListe : public QWidget {
    Q_OBJECT
public:
    explicit TFormListe(ReviewController& review, QWidget* parent = nullptr);
    ~TFormListe() override;

    ListModel& model();
    QTableView* grid() const { return grid_; }

    // Forwards to the review and the list commands (errors throw ProgramError).
    void ClearList();
    void Recount();
    void SelectRow(int row);
    QString EntryPath(int row) const;
    int EntryScore(int row) const;
    void AddFiles(bool replace);
    void AppendFiles(const QStringList& paths);
    void CollerPressepapier1Click();
    void Effacer1Click();
    void ViderlaListe1Click();
    void Renumeroter1Click();
    void GenereListeZone();
    // True when a list file was chosen (and read, or the error thrown).
    bool Ouvrir1Click();
    bool OuvriretRenommer1Click();
    bool Enregistrersous1Click();

    // Rows of the grid fully in view; the selection pages by it.
    int VisibleRowCount() const;
    // Grid row shown at the top of the view.
    int TopRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpColumns();
    void showCurrentRow(int row);
    void keepHighlightOnCurrent();
    void scrollToPageOf(int row);
    void rowLeftClicked(int row);
    void rowRightClicked(int row);
    void rowHeaderMoved(int logical, int oldVisual, int newVisual);

    ReviewController& review_;
    QTableView* grid_ = nullptr;
    bool showing_ = false;  // showCurrentRow is moving the highlight
};
