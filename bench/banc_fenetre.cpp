#include "bench/banc_fenetre.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "link/comdatapacket.h"
#include "measurement/calculs.h"
#include "toolkit/toolkit.h"

using toolkit::TEdit;
using toolkit::TMenuItem;
using toolkit::TSaveDialog;

namespace banc {
namespace {

using namespace std::chrono_literals;

const std::string NomPort = "SIMBANC";

// Counts that differ from one frame to the next, so that every frame
// changes the labels it is shown on.
std::vector<simulateur::Comptes> ComptesVaries() {
    std::vector<simulateur::Comptes> comptes;
    for (int i = 0; i < 1000; ++i)
        comptes.push_back({static_cast<uint16_t>(300 + i * 37 % 700),
                           static_cast<uint16_t>(200 + i * 53 % 700),
                           static_cast<uint16_t>(770 + i % 20)});
    return comptes;
}

}  // namespace

bool CompteurPeintures::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::Paint) peinte_();
    return QObject::eventFilter(objet, evenement);
}

BancFenetre::BancFenetre(const std::string& dossier) : dossier_(dossier) {
    simulateur::Reglages r;
    r.nom = NomPort;
    r.cadence = 0;  // frames only when a measurement asks
    r.silence = 0ms;
    r.comptes = ComptesVaries();
    r.mesureEcrite = [this](int numero, simulateur::Mode mode, const simulateur::Comptes& c,
                            Horloge::time_point ecrite) {
        journal_.Noter(numero, mode, c, ecrite);
    };
    photometre_ = std::make_unique<simulateur::TPhotometreSimule>(r);
    photometre_->Demarrer();

    nomFichier_ = dossier_ + "/mesures.txt";
    TSaveDialog::SetExecuteHook([this](const TSaveDialog&) { return nomFichier_; });
    toolkit::SetErrorDisplayHook([this](const std::string& t) { erreurs.push_back(t); });
    toolkit::SetShowMessageHook(
        [this](const std::string& t) { erreurs.push_back("message: " + t); });

    const auto debut = Horloge::now();
    fenetre_ = std::make_unique<TF_Fond>();
    const auto construite = Horloge::now();
    peintureFenetre_ = std::make_unique<CompteurPeintures>([this] { fenetrePeinte_ = true; });
    fenetre_->Widget()->installEventFilter(peintureFenetre_.get());
    fenetre_->Show();
    const auto montree = Horloge::now();
    while (!fenetrePeinte_ && Horloge::now() - debut < 10s)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const auto peinte = Horloge::now();
    ConstructionSecondes = Secondes(construite - debut);
    AffichageSecondes = Secondes(montree - construite);
    PremierePeintureSecondes = Secondes(peinte - montree);

    // The handler is wrapped, not changed: what comes after it sees the
    // labels as the handler left them.
    auto gestionnaire = fenetre_->ComDataPacket->OnPacket;
    fenetre_->ComDataPacket->OnPacket = [this, gestionnaire](TObject* s, const std::string& p) {
        gestionnaire(s, p);
        if (!arme_) return;
        const auto t = Horloge::now();
        derniereTraitee_ = t;
        const int numero = ++traitees_;
        const auto trame = journal_.Lire(numero);
        if (!trame || p != simulateur::TrameMesure(trame->mode, trame->comptes).substr(1)) {
            ++differences_;
            return;
        }
        if (latencesTraitement) latencesTraitement->Ajouter(t - trame->ecrite);
    };
    peintureLabel_ = std::make_unique<CompteurPeintures>([this] {
        ++peintures_;
        if (!latencesPeinture || traitees_ <= dernierePeinte_) return;
        const auto t = Horloge::now();
        dernierePeinte_ = traitees_;
        if (const auto trame = journal_.Lire(traitees_))
            latencesPeinture->Ajouter(t - trame->ecrite);
    });
    fenetre_->LVVert->Widget()->installEventFilter(peintureLabel_.get());
}

BancFenetre::~BancFenetre() {
    fenetre_.reset();
    photometre_->Arreter();
    TSaveDialog::SetExecuteHook(nullptr);
    toolkit::SetErrorDisplayHook(nullptr);
    toolkit::SetShowMessageHook(nullptr);
}

std::string BancFenetre::AllerJusquALaReception() {
    TF_Fond& f = *fenetre_;
    TMenuItem* entree = nullptr;
    for (int i = 0; i < f.PM_PortSerie->Count(); ++i)
        if (f.PM_PortSerie->Items(i)->Caption() == NomPort) entree = f.PM_PortSerie->Items(i);
    if (entree == nullptr) return "the port menu does not list " + NomPort;
    entree->Click();

    f.IM_Fichiers->Click();
    if (!Boucler([&] { return f.LiaisonOK; }, 10s)) return "the link check never ended";
    for (char k : std::string("1013\r90\r")) {
        TEdit* champ =
            f.SaisieParametres & calibration::SaisiePression ? f.EAngleElevation : f.EPression;
        champ->KeyPress(k);
    }
    if (!f.P_Etalonnages->Visible()) return "the calibration panel did not open";
    if (!Boucler([&] { return !f.T_Etalonnage->Enabled(); }, 10s))
        return "the calibration display never ended";
    char entreeClavier = 13;
    f.Edit1->KeyPress(entreeClavier);
    if (!f.P_ReceptionMesures->Visible()) return "the reception panel did not open";
    if (!photometre_->AttendrePortOuvert(false, 5s)) return "the port stayed open";

    traitees_ = photometre_->MesuresEnvoyees();
    arme_ = true;
    f.IM_Demarrer->Click();
    if (!photometre_->AttendrePortOuvert(true, 5s)) return "DEMARRER did not open the port";
    Pendant(500ms);
    return erreurs.empty() ? "" : "the program reported: " + erreurs.front();
}

bool BancFenetre::Boucler(const std::function<bool()>& fait, std::chrono::milliseconds delai,
                          std::chrono::milliseconds pas) {
    if (fait()) return true;
    const auto fin = Horloge::now() + delai;
    QEventLoop boucle;
    QTimer regard;
    QObject::connect(&regard, &QTimer::timeout, [&] {
        if (fait() || Horloge::now() >= fin) boucle.quit();
    });
    regard.start(pas);
    boucle.exec();
    return fait();
}

void BancFenetre::Pendant(std::chrono::milliseconds duree) {
    QEventLoop boucle;
    QTimer::singleShot(duree, Qt::PreciseTimer, &boucle, &QEventLoop::quit);
    boucle.exec();
}

bool BancFenetre::Vider(std::chrono::milliseconds delai) {
    photometre_->DefinirCadence(0);
    const auto fin = Horloge::now() + delai;
    // Frames already queued in the simulator still go out: wait until the
    // count has stopped moving.
    for (;;) {
        const auto reste =
            std::chrono::duration_cast<std::chrono::milliseconds>(fin - Horloge::now());
        if (reste.count() <= 0) return false;
        if (!Boucler([&] { return traitees_ >= photometre_->MesuresEnvoyees(); }, reste)) continue;
        const int vu = traitees_;
        Pendant(100ms);
        if (traitees_ == vu && traitees_ == photometre_->MesuresEnvoyees()) return true;
    }
}

std::vector<std::string> BancFenetre::VerifierSansPerte() {
    std::vector<std::string> fautes;
    if (!Vider()) fautes.push_back("frames written but never handled");
    const int envoyees = photometre_->MesuresEnvoyees();
    if (traitees_ != envoyees)
        fautes.push_back(std::to_string(envoyees) + " frames sent, " + std::to_string(traitees_) +
                         " handled");
    if (differences_ != 0) fautes.push_back(std::to_string(differences_) + " frames not as sent");
    for (const std::string& e : erreurs) fautes.push_back("the program reported: " + e);
    erreurs.clear();
    return fautes;
}

std::string BancFenetre::VerifierAffichage() {
    TF_Fond& f = *fenetre_;
    const simulateur::Comptes c = photometre_->DerniereMesure();
    const std::string vert = measurement::TexteTension(simulateur::TensionDeCompte(c.vert));
    const std::string rouge = measurement::TexteTension(simulateur::TensionDeCompte(c.rouge));
    std::string ecarts;
    if (f.LVVert->Caption() != vert) ecarts += " LVVert " + f.LVVert->Caption() + " for " + vert;
    if (f.LVRouge->Caption() != rouge)
        ecarts += " LVRouge " + f.LVRouge->Caption() + " for " + rouge;
    if (f.G_Vert->Progress() != c.vert)
        ecarts +=
            " G_Vert " + std::to_string(f.G_Vert->Progress()) + " for " + std::to_string(c.vert);
    if (f.G_Rouge->Progress() != c.rouge)
        ecarts +=
            " G_Rouge " + std::to_string(f.G_Rouge->Progress()) + " for " + std::to_string(c.rouge);
    return ecarts;
}

}  // namespace banc
