#pragma once
// The command window: the program's main window, a narrow bar on top of all others with the menus,
// the navigation buttons, the tag label and the reference and marker controls.
#include <QMainWindow>

class QKeyEvent;

class TFormCommande : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormCommande(QWidget* parent = nullptr);
    ~TFormCommande() override;

    // Views.
    void ApplyLayout();
    void AffiListe();
    void AffiDiapo();
    void AffiZone();
    void AffiVignette();
    // ClearPage on the thumbnail and zone windows, then AffiZone and AffiVignette.
    void RefreshPages();

    // Desktop commands.
    void SaveDesktop();
    void AfficherBureauUtilisateur();
    void AfficherBureauParDefaut();

    // Navigation and tagging.
    void GotoRow(int row);
    void ShowCurrent(int row);
    void SetPlaying(bool playing);
    void SetInterval(int ms);
    void ShowTag(int value, int mode);
    void Demarrer();
    // The key map; returns true when the key was consumed.
    bool FormKeyDown(QKeyEvent* event);

    // Reference and marker controls.
    void SpeedButtonBaliseClick();
    void SpeedButtonRefClick();
};
