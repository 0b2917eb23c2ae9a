#pragma once
// The command window: the program's main window, a narrow bar on top of all others with the menus,
// the navigation buttons, the tag label and the reference and marker controls.
#include <QMainWindow>

#include <deque>
#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QKeyEvent;
class QLabel;
class QTimer;
class QToolButton;
class QtKeyHook;

class TFormCommande : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate: creates the list, slideshow, thumbnail and zone windows and applies the layout.
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
    // Throws "Erreur de vérification d'étendue" for a negative interval (the timer keeps its pace).
    void SetInterval(int ms);
    void ShowTag(int value, int mode);
    void Demarrer();
    // The key map; returns true when the key was consumed (every key is).
    bool FormKeyDown(QKeyEvent* event);

    // Reference and marker controls.
    void SpeedButtonBaliseClick();
    void SpeedButtonRefClick();
    // Shows the picture of the row's entry in "Image de Référence" (created on first use).
    void ShowReference(int row);

    // Gives the window's keys to FormKeyDown before its controls see them (once per window).
    void HookKeys(QWidget* window);
    bool KeysHooked(const QWidget* window) const;

    // The closing sequence: desktop saved when asked for, then the offer to save a modified list.
    void FormCloseQuery();

    // Controls of the bottom panel.
    QToolButton* SpeedButtonPremier() const { return premier_; }
    QToolButton* SpeedButtonArriereRapide() const { return arriereRapide_; }
    QToolButton* SpeedButtonArriere() const { return arriere_; }
    QToolButton* SpeedButtonPause() const { return pause_; }
    QToolButton* SpeedButtonAtteindre() const { return atteindre_; }
    QToolButton* SpeedButtonJouer() const { return jouer_; }
    QToolButton* SpeedButtonAvant() const { return avant_; }
    QToolButton* SpeedButtonAvantRapide() const { return avantRapide_; }
    QToolButton* SpeedButtonFin() const { return fin_; }
    QButtonGroup* NavigationButtons() const { return navigation_; }
    QToolButton* SpeedButtonRef() const { return ref_; }
    QComboBox* ComboBoxRef() const { return comboRef_; }
    QLabel* LabelChoix() const { return labelChoix_; }
    QToolButton* SpeedButtonBalise() const { return balise_; }
    QComboBox* ComboBoxBalise() const { return comboBalise_; }
    QTimer* Timer1() const { return timer_; }
    // The menu entry whose caption is text (with its "&" marks), nullptr when there is none.
    QAction* MenuAction(const QString& text) const;

signals:
    // The window has closed: the program ends.
    void Closed();

public slots:
    // Navigation buttons.
    void Debut();
    void ArriereRapide();
    void Arriere();
    void Pause();
    void GotoImage();
    void Jouer();
    void Tourne();
    void Avant();
    void AvantRapide();
    void Fin();
    void ComboBoxBaliseChange();
    void ComboBoxRefChange();

    // "&Fichier"
    void NouvelleListe1Click();
    void Ouvrir1Click();
    void OuvriretRenommer1Click();
    void Enregistrersous1Click();
    void Quitter1Click();
    // "&Edition"
    void Ajouter1Click();
    void RechercherImages1Click();
    void ModifierRepertoires1Click();
    void CollerPressepapier1Click();
    void Effacer1Click();
    void ViderlaListe1Click();
    void Renumeroter1Click();
    // "E&xécuter"
    void Diaporama1Click();
    void Vidsplit1Click();
    void Renommer1Click();
    void Trierdanssousrep1Click();
    void SupprimerFichiersScores0Click();
    // "Convertir"
    void ConvertirBmp2JpegClick();
    void ConvertirBmp2FitClick();
    void ConvertirJpeg2BmpClick();
    // "Voir"
    void VoirListe1Click();
    void VoirVignettes1Click();
    void VoirDiaporama1Click();
    void VoirZones1Click();
    void RegenereVignettes1Click();
    void RegenereZones1Click();
    // "&Options"
    void OptionsDiaporama1Click();
    void OptionsVidsplit1Click();
    void OptionRenommerClick();
    void TrierparZones1Click();
    void OptionConvBMP2JPEGClick();
    void OptionConvBMP2FITClick();
    void ConvertirJPEGversBMP1Click();
    void Bureau1Click();
    void OptionsVignettes1Click();
    void OptionsZones1Click();
    void EnregistrerBureau1Click();
    void AfficherBureauUtilisateur1Click();
    void AfficherBureauParDefaut1Click();
    // "&Aide"
    void Aide1Click();
    void APropos1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreatePanel();
    void BringToFront();
    void ShowZoneWindow();

    // Key presses and slideshow ticks run one at a time: a key that arrives while another key, a
    // tick or a panel control is being handled (they let events through while images are shown)
    // waits its turn, so it acts on the entry that is on show once the earlier one is done.
    void RunBusy(const std::function<void()>& command);
    bool HandleKey(QKeyEvent* event);
    void RunPendingKeys();
    int busy_ = 0;
    std::deque<std::unique_ptr<QKeyEvent>> pendingKeys_;

    QtKeyHook* keyHook_ = nullptr;
    QButtonGroup* navigation_ = nullptr;
    QToolButton* premier_ = nullptr;
    QToolButton* arriereRapide_ = nullptr;
    QToolButton* arriere_ = nullptr;
    QToolButton* pause_ = nullptr;
    QToolButton* atteindre_ = nullptr;
    QToolButton* jouer_ = nullptr;
    QToolButton* avant_ = nullptr;
    QToolButton* avantRapide_ = nullptr;
    QToolButton* fin_ = nullptr;
    QToolButton* ref_ = nullptr;
    QComboBox* comboRef_ = nullptr;
    QLabel* labelChoix_ = nullptr;
    QToolButton* balise_ = nullptr;
    QComboBox* comboBalise_ = nullptr;
    QTimer* timer_ = nullptr;
};
