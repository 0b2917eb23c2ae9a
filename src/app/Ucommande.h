#pragma once
// The command window: the program's main window, a narrow bar on top of all others with the menus,
// the navigation buttons, the tag label and the reference and marker controls. Its panel shows the
// review's state and sends the review its requests; its menus carry the program's commands
// (UcommandeMenus.cpp), the only place besides the start-up that reaches the other windows.
#include <QMainWindow>

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QProgressBar;
class QTimer;
class QToolButton;
class QtKeyHook;
class ReviewController;
enum class ReviewView;
enum class ListOutcome;

class TFormCommande : public QMainWindow {
    Q_OBJECT
public:
    // Caption, menus and panel; the view windows are created by the start-up next and placed by
    // ApplyLayout.
    explicit TFormCommande(ReviewController& review, QWidget* parent = nullptr);
    ~TFormCommande() override;

    ReviewController& review() { return review_; }

    // Views.
    void ApplyLayout();
    void AffiListe();
    void AffiDiapo();
    void AffiZone();
    void AffiVignette();
    // ClearPage on the thumbnail and zone windows, then AffiZone and AffiVignette.
    void RefreshPages();
    // The files chosen in the search window join the list (the search window's hand-off).
    void AddFoundFiles(bool replace);
    // A view the review asked for.
    void ShowView(ReviewView view);
    void BringToFront();

    // Desktop commands.
    void SaveDesktop();
    void AfficherBureauUtilisateur();
    void AfficherBureauParDefaut();

    // Gives the window's keys to the key map before its controls see them (once per window).
    void HookKeys(QWidget* window);
    bool KeysHooked(const QWidget* window) const;

    // The closing sequence: desktop saved when asked for, then the offer to save a modified list.
    // False when the program is to stay open: "Annuler", or a save cancelled or failed.
    bool FormCloseQuery();

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
    // The progress of a sharpness measure, with its frames per second.
    QProgressBar* ProgressNettete() const { return progressNettete_; }
    QTimer* Timer1() const;
    // The menu entry of that object name (menuEntryName), nullptr when there is none.
    QAction* MenuAction(const QString& name) const;

signals:
    // The window has closed: the program ends.
    void Closed();

public slots:
    // Panel controls that tests drive by name: forwards to the review.
    void Debut();
    void GotoImage();
    void SpeedButtonBaliseClick();
    // The panel's lists: the item chosen goes to the review.
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
    void AnnulerTraitement1Click();
    void TrierNettete1Click();
    void NoterNettete1Click();
    // "E&xécuter"
    void Diaporama1Click();
    void MesurerNettete1Click();
    void EnregistrerSer1Click();
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
    void CourbeNettete1Click();
    void RegenereVignettes1Click();
    void RegenereZones1Click();
    void EtirementLie1Click();
    void EtirementParImage1Click();
    void SansEtirement1Click();
    void RecalculerEtirement1Click();
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
    // The checked stretch entry of "Voir" follows the review's mode.
    void showStretchMode();
    // After a list file was read (or not): its pages and zones.
    void OpenedList(ListOutcome outcome);
    void CreatePanel();
    void BindReview();
    // Runs a panel command one at a time with the keys (see ReviewController::RunBusy).
    void panelCommand(void (ReviewController::*command)());

    ReviewController& review_;
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
    QProgressBar* progressNettete_ = nullptr;
    QProgressBar* progressTravail_ = nullptr;  // a write of kept frames
};

// A menu entry's stable object name, whatever its French caption: its menu's and its own caption in
// ASCII letters and digits, joined by "_" ("Fichier_OuvrirListe" for "&Ouvrir Liste..." of "&Fichier").
QString menuEntryName(const QString& menu, const QString& caption);
