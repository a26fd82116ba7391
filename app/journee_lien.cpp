#include "app/journee_lien.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QShortcut>
#include <QToolTip>
#include <cmath>
#include <filesystem>

#include "app/fond.h"
#include "calibration/etalonnages.h"
#include "measurement/protocole.h"
#include "platform/numbers.h"
#include "science/site.h"
#include "science/soleil.h"

using toolkit::ShowMessage;

namespace {

std::string Rogne(std::string texte) {
    while (!texte.empty() && texte.back() == ' ') texte.pop_back();
    while (!texte.empty() && texte.front() == ' ') texte.erase(0, 1);
    return texte;
}

int64_t Maintenant() {
    return QDateTime::currentSecsSinceEpoch();
}

}  // namespace

std::optional<int> ElevationSaisie(double elevation) {
    if (!std::isfinite(elevation)) return std::nullopt;
    const long arrondi = std::lround(elevation);
    if (arrondi < 1) return std::nullopt;
    return static_cast<int>(std::min(arrondi, 90L));
}

LienJournee::LienJournee(TF_Fond& fond) : fond_(fond) {
    raccourci_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_J), fond.Widget());
    raccourci_->setContext(Qt::WindowShortcut);
    connect(raccourci_, &QShortcut::activated, this, [this] {
        if (!OuvrirJournee())
            ShowMessage("Impossible de lancer la vue de la journée (solvenare-journee).");
    });
    fond.EAngleElevation->LineEdit()->installEventFilter(this);
    connect(&serveur_, &QLocalServer::newConnection, this, [this] { Connexion(); });
    Ecouter(journee::NomLienV0());
}

LienJournee::~LienJournee() = default;

bool LienJournee::Ecouter(const std::string& nom) {
    serveur_.close();
    const QString q = QString::fromStdString(nom);
    QLocalSocket essai;
    essai.connectToServer(q);
    if (essai.waitForConnected(200)) return false;  // another main window has it
    QLocalServer::removeServer(q);                  // left by one that ended badly
    serveur_.setSocketOptions(QLocalServer::UserAccessOption);
    return serveur_.listen(q);
}

void LienJournee::Connexion() {
    while (QLocalSocket* socket = serveur_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A line longer than any message is no message.
                if (socket->bytesAvailable() > 4096) socket->abort();
                return;
            }
            const std::string ligne = socket->readLine().toStdString();
            const auto report = journee::LireMessageV0(ligne);
            const journee::Reponse reponse =
                report ? RecevoirV0(*report)
                       : journee::Reponse{false, "Message incompris de la vue de la journée."};
            socket->write(QByteArray::fromStdString(journee::MessageReponse(reponse)));
            socket->disconnectFromServer();
        });
    }
}

journee::Reponse LienJournee::RecevoirV0(const journee::ReportV0& r) {
    if (fond_.Etat != EtatExpert || !fond_.P_Etalonnages->Visible() || !fond_.EV0Vert->Visible())
        return {false,
                "La fenêtre principale n'est pas en mode expert : ouvrez l'étalonnage, puis Xper "
                "et le mot de passe, avant de reporter les V0."};
    const std::string ici = Rogne(fond_.LIdentificationPhotometre->Caption());
    const std::string fichier = Rogne(r.photometre);
    if (!fichier.empty() && fichier != ici)
        return {false, "Le fichier vient du photomètre n°" + fichier +
                           " ; la fenêtre principale est reliée au photomètre n°" + ici + "."};
    for (const auto& [v0, voie] : {std::pair{r.v0Vert, "verte"}, std::pair{r.v0Rouge, "rouge"}})
        if (!(v0 > 0) || v0 > measurement::TensionLimite)
            return {false, std::string("V0 ") + voie + " de " + FormatFixe(v0, 2) +
                               " V : hors de ce que le mode expert accepte (jusqu'à 5 V)."};
    const std::string vert = FormatFixe(r.v0Vert, 2), rouge = FormatFixe(r.v0Rouge, 2);
    fond_.EV0Vert->SetText(vert);
    fond_.EV0Rouge->SetText(rouge);
    return {true, "V0 reportés dans le mode expert : verte " + vert + " V, rouge " + rouge +
                      " V. Vérifiez-les, puis validez l'étalonnage dans la fenêtre principale "
                      "pour les écrire dans le photomètre."};
}

std::string LienJournee::CheminSite() const {
    return fond_.DossierProgramme + "/" + science::NomFichierSite;
}

std::optional<std::string> LienJournee::ErreurSite() const {
    // Anything under the name counts, a folder or a dangling link included:
    // only an absent file means there is no site to speak of.
    std::error_code ignoree;
    if (!std::filesystem::exists(std::filesystem::symlink_status(CheminSite(), ignoree)))
        return std::nullopt;
    try {
        science::LireSite(CheminSite());
    } catch (const science::ErreurSite& e) {
        return "Élévation du soleil inconnue : " + std::string(science::NomFichierSite) +
               " est à corriger (vue de la journée, Ctrl+J, onglet Site).\n" + e.Message() + ".";
    }
    return std::nullopt;
}

std::optional<double> LienJournee::ElevationMaintenant(int64_t utc) const {
    science::Site site;
    try {
        site = science::LireSite(CheminSite());
    } catch (const science::ErreurSite&) {
        return std::nullopt;
    }
    science::Meteo meteo;
    // The pressure typed, when there is one, refracts a little better.
    try {
        const long long pression = StrToInt(fond_.EPression->Text());
        if (pression >= calibration::PressionMinimale && pression <= calibration::PressionMaximale)
            meteo.pressionHpa = static_cast<double>(pression);
    } catch (const EConvertError&) {
    }
    return science::CalculerPositionSoleil(static_cast<double>(utc), site, meteo)
        .elevationApparente;
}

std::optional<std::string> LienJournee::InfoBulleElevation(int64_t utc) const {
    const auto elevation = ElevationMaintenant(utc);
    if (!elevation) return ErreurSite();
    const auto saisie = ElevationSaisie(*elevation);
    if (!saisie) return "Soleil à " + FormatFixe(*elevation, 1) + "° : trop bas pour une mesure.";
    return "Élévation du soleil maintenant : " + FormatFixe(*elevation, 1) + "° (F2 inscrit " +
           std::to_string(*saisie) + ").";
}

bool LienJournee::RemplirElevation(int64_t utc) {
    const auto elevation = ElevationMaintenant(utc);
    const auto saisie = elevation ? ElevationSaisie(*elevation) : std::nullopt;
    if (!saisie) return false;
    fond_.EAngleElevation->SetText(std::to_string(*saisie));
    return true;
}

std::string LienJournee::RaisonSansElevation(int64_t utc) const {
    if (const auto texte = InfoBulleElevation(utc)) return *texte;
    return "Aucun site de mesure : enregistrez-le dans la vue de la journée (Ctrl+J, onglet "
           "Site), et F2 inscrira l'élévation du soleil.";
}

bool LienJournee::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        const auto texte = InfoBulleElevation(Maintenant());
        if (!texte) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), QString::fromStdString(*texte),
                           static_cast<QWidget*>(objet));
        return true;
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F2 &&
        static_cast<QKeyEvent*>(e)->modifiers() == Qt::NoModifier) {
        const int64_t utc = Maintenant();
        if (!RemplirElevation(utc)) ShowMessage(RaisonSansElevation(utc));
        return true;
    }
    return QObject::eventFilter(objet, e);
}

bool LienJournee::OuvrirJournee() {
    QString chemin = QString::fromStdString(programme);
    if (chemin.isEmpty()) {
        const QString ici = QCoreApplication::applicationDirPath();
        // Installed side by side; in the build tree, in the next folder.
        for (const QString& candidat :
             {ici + "/solvenare-journee", ici + "/../journee/solvenare-journee"})
            if (QFileInfo(candidat).isExecutable()) {
                chemin = candidat;
                break;
            }
        if (chemin.isEmpty()) chemin = "solvenare-journee";
    }
    QStringList arguments;
    if (!fond_.NomFichier.empty()) arguments << QString::fromStdString(fond_.NomFichier);
    return QProcess::startDetached(chemin, arguments,
                                   QString::fromStdString(fond_.DossierProgramme));
}
