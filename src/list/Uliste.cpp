// Placeholder bodies until the list window is built.
#include "list/Uliste.h"

TFormListe::TFormListe(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Liste"));
}
TFormListe::~TFormListe() = default;
ListModel& TFormListe::model() { return *model_; }
void TFormListe::SetUpGrid() {}
void TFormListe::ClearList() {}
void TFormListe::Recount() {}
void TFormListe::NumberRow(int) {}
void TFormListe::SelectRow(int) {}
QString TFormListe::EntryPath(int) const { return {}; }
int TFormListe::EntryScore(int) const { return 0; }
void TFormListe::TagEntry(int, int) {}
void TFormListe::AddFiles(bool) {}
void TFormListe::CollerPressepapier1Click() {}
void TFormListe::Effacer1Click() {}
void TFormListe::ViderlaListe1Click() {}
void TFormListe::Renumeroter1Click() {}
void TFormListe::GenereListeZone() {}
void TFormListe::Ouvrir1Click() {}
void TFormListe::OuvriretRenommer1Click() {}
void TFormListe::Enregistrersous1Click() {}
void TFormListe::ModifierRepertoires1Click() {}
