#include "app/fond.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "link/photometerline.h"

#include <QtCore/qglobal.h>
#include <type_traits>

#include "app/couleurs.h"
#include "app/description.h"
#include "app/journee_lien.h"
#include "measurement/protocole.h"
#include "solvenare/version.h"

using toolkit::TComboBox;
using toolkit::TControl;
using toolkit::TEdit;
using toolkit::TGauge;
using toolkit::TImage;
using toolkit::TLabel;
using toolkit::TMouseButton;
using toolkit::TPanel;
using toolkit::TPopupMenu;
using toolkit::TProgressBar;
using toolkit::TSaveDialog;
using toolkit::TShiftState;
using toolkit::TTimer;
using toolkit::TWinControl;

using seriallink::ConfigurePhotometerLine;
using seriallink::TComDataPacket;
using seriallink::TComPort;

// The pictures live in this static library: they must be registered by hand.
static void InitialiserRessources() {
    Q_INIT_RESOURCE(resources);
}

TF_Fond::TF_Fond() {
    InitialiserRessources();
    SetCaption(std::string("SOLVENARE v") + solvenare::Version + " - Décembre 2010");
    SetColor(couleurs::Sarcelle);
    SetClientWidth(713);
    SetClientHeight(373);
    SetLeft(639);
    SetTop(116);
    CreerControles();
    CreerComposants();
    OnKeyPress = [this](TObject* s, char& k) { FormKeyPress(s, k); };
    FormCreate(this);
    Journee = std::make_unique<LienJournee>(*this);
    // On a small screen, a projector or a second screen the specified place
    // can leave part of the window off the desktop.
    KeepOnScreen();
}

TF_Fond::~TF_Fond() {
    // The port closes (and its thread ends) before the controls its handlers
    // write to are gone.
    ComDataPacket.reset();
    ComPort.reset();
    // Every line is on disk already; a failing close has nothing left to lose.
    try {
        FichierDonnees.Fermer();
    } catch (...) {
    }
}

void TF_Fond::CreerControles() {
    for (const Description& d : DescriptionFond()) {
        TWinControl* parent =
            d.parent != nullptr ? static_cast<TWinControl*>(this->*d.parent) : this;
        TControl* control = std::visit(
            [&](auto champ) -> TControl* {
                using Pointeur = std::remove_reference_t<decltype(this->*champ)>;
                using Genre = std::remove_pointer_t<Pointeur>;
                auto* c = new Genre(parent, d.nom);
                this->*champ = c;
                if constexpr (std::is_same_v<Genre, TLabel>) {
                    c->SetFont(d.police);
                    c->SetAutoSize(d.autoSize);
                    c->SetAlignment(d.alignement);
                    c->SetLayout(d.disposition);
                    if (d.aCouleur) c->SetColor(d.couleur);
                    c->SetCaption(d.texte);
                    if (d.onClick)
                        c->OnClick = [this, h = d.onClick](TObject* s) { (this->*h)(s); };
                } else if constexpr (std::is_same_v<Genre, TImage>) {
                    c->SetStretch(d.stretch);
                    if (*d.image) c->LoadPicture(d.image);
                    if (d.onClick)
                        c->OnClick = [this, h = d.onClick](TObject* s) { (this->*h)(s); };
                    if (d.onMouseDown)
                        c->OnMouseDown = [this, h = d.onMouseDown](TObject* s, TMouseButton b,
                                                                   TShiftState sh, int x, int y) {
                            (this->*h)(s, b, sh, x, y);
                        };
                    if (d.onMouseUp)
                        c->OnMouseUp = [this, h = d.onMouseUp](TObject* s, TMouseButton b,
                                                               TShiftState sh, int x, int y) {
                            (this->*h)(s, b, sh, x, y);
                        };
                } else if constexpr (std::is_same_v<Genre, TEdit>) {
                    c->SetFont(d.police);
                    if (d.aCouleur) c->SetColor(d.couleur);
                    c->SetMaxLength(d.maxLength);
                    c->SetPasswordChar(d.passwordChar);
                    if (d.tabOrder >= 0) c->SetTabOrder(d.tabOrder);
                    c->SetText(d.texte);
                    if (d.onKeyPress)
                        c->OnKeyPress = [this, h = d.onKeyPress](TObject* s, char& k) {
                            (this->*h)(s, k);
                        };
                    if (d.onChange)
                        c->OnChange = [this, h = d.onChange](TObject* s) { (this->*h)(s); };
                } else if constexpr (std::is_same_v<Genre, TPanel>) {
                    if (d.aCouleur) c->SetColor(d.couleur);
                    c->SetBevelOuter(d.bordure);
                } else if constexpr (std::is_same_v<Genre, TComboBox>) {
                    c->SetFont(d.police);
                    if (d.aCouleur) c->SetColor(d.couleur);
                    if (d.onClick)
                        c->OnClick = [this, h = d.onClick](TObject* s) { (this->*h)(s); };
                } else if constexpr (std::is_same_v<Genre, TProgressBar>) {
                    c->SetMin(0);
                    c->SetMax(d.maximum);
                } else if constexpr (std::is_same_v<Genre, TGauge>) {
                    c->SetMinValue(0);
                    c->SetMaxValue(d.maximum);
                    c->SetForeColor(d.couleurAvant);
                    c->SetBackColor(d.couleur);
                }
                return c;
            },
            d.champ);
        control->SetBounds(d.left, d.top, d.width, d.height);
        control->SetHint(d.hint);
        control->SetCursor(d.curseur);
        control->SetEnabled(d.enabled);
        control->SetVisible(d.visible);
    }
}

void TF_Fond::CreerComposants() {
    const auto timer = [this](int interval, bool enabled, void (TF_Fond::*handler)(TObject*)) {
        auto t = std::make_unique<TTimer>();
        t->SetInterval(interval);
        if (handler != nullptr) t->OnTimer = [this, handler](TObject* s) { (this->*handler)(s); };
        t->SetEnabled(enabled);
        return t;
    };
    T_Etalonnage = timer(50, false, &TF_Fond::T_EtalonnageTimer);
    T_Horloge = timer(1000, true, &TF_Fond::T_HorlogeTimer);
    T_Volet = timer(3, true, &TF_Fond::T_VoletTimer);
    T_LiaisonSerie = timer(500, false, &TF_Fond::T_LiaisonSerieTimer);
    T_Ecriture = timer(500, true, &TF_Fond::T_EcritureTimer);
    T_EcriturePhotometre = timer(500, false, &TF_Fond::T_EcriturePhotometreTimer);

    PM_PortSerie = std::make_unique<TPopupMenu>();
    SD_FichierDonnees = std::make_unique<TSaveDialog>();

    ComPort = std::make_unique<TComPort>();
    ComPort->BeginLoading();
    ComPort->SetPort("COM1");
    ConfigurePhotometerLine(*ComPort);
    ComPort->EndLoading();
    ComPort->OnLineLost = [this](TObject*) { LiaisonPerdue(); };

    ComDataPacket = std::make_unique<TComDataPacket>();
    ComDataPacket->BeginLoading();
    ComDataPacket->SetComPort(ComPort.get());
    ComDataPacket->SetSize(measurement::TailleTrameMesure);
    ComDataPacket->OnPacket = [this](TObject* s, const std::string& str) {
        ComDataPacketPacket(s, str);
    };
    ComDataPacket->EndLoading();

    // Every line is on disk when written; closing the window also closes the
    // port and the data file.
    OnClose = [this](TObject*) {
        ComPort->Close();
        FichierDonnees.Fermer();
    };
}
