// Placeholder bodies until the command window is built.
#include "app/Ucommande.h"

TFormCommande::TFormCommande(QWidget* parent) : QMainWindow(parent) { setWindowTitle("Velmoran"); }
TFormCommande::~TFormCommande() = default;
void TFormCommande::ApplyLayout() {}
void TFormCommande::AffiListe() {}
void TFormCommande::AffiDiapo() {}
void TFormCommande::AffiZone() {}
void TFormCommande::AffiVignette() {}
void TFormCommande::RefreshPages() {}
void TFormCommande::SaveDesktop() {}
void TFormCommande::AfficherBureauUtilisateur() {}
void TFormCommande::AfficherBureauParDefaut() {}
void TFormCommande::GotoRow(int) {}
void TFormCommande::ShowCurrent(int) {}
void TFormCommande::SetPlaying(bool) {}
void TFormCommande::SetInterval(int) {}
void TFormCommande::ShowTag(int, int) {}
void TFormCommande::Demarrer() {}
bool TFormCommande::FormKeyDown(QKeyEvent*) { return false; }
void TFormCommande::SpeedButtonBaliseClick() {}
void TFormCommande::SpeedButtonRefClick() {}
