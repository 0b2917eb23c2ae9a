#pragma once
// The list window "Liste": shows the ListModel and carries every operation that changes the list
// as a whole. (Being filled in: the operations below are the interface the other windows use.)
#include <QWidget>

class ListModel;

class TFormListe : public QWidget {
    Q_OBJECT
public:
    explicit TFormListe(QWidget* parent = nullptr);
    ~TFormListe() override;

    ListModel& model();

    void SetUpGrid();
    void ClearList();
    void Recount();
    void NumberRow(int row);
    void SelectRow(int row);
    QString EntryPath(int row) const;
    int EntryScore(int row) const;  // throws ProgramError when the quality is not an integer
    void TagEntry(int value, int mode);
    void AddFiles(bool replace);
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

private:
    ListModel* model_ = nullptr;
};
