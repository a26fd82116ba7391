#include "tools/simulator/protocole.h"

#include <algorithm>
#include <cmath>

namespace simulateur {
namespace {

void AjouterMot(std::string& s, uint16_t mot) {
    s.push_back(static_cast<char>(mot >> 8));
    s.push_back(static_cast<char>(mot & 0xFF));
}

std::string Champs(const Identification& id) {
    std::string s;
    s.push_back(static_cast<char>(id.numero));
    s.push_back(static_cast<char>(id.version));
    AjouterMot(s, id.v0Vert);
    AjouterMot(s, id.vnVert);
    AjouterMot(s, id.v0Rouge);
    AjouterMot(s, id.vnRouge);
    return s;
}

}  // namespace

uint16_t CompteDeTension(double volts) {
    const double compte = std::nearbyint(volts / VoltsParCompte);
    return static_cast<uint16_t>(std::clamp(compte, 0.0, 65535.0));
}

double TensionDeCompte(uint16_t compte) {
    return compte * VoltsParCompte;
}

std::string TrameIdentification(const Identification& id) {
    return std::string(1, static_cast<char>(OctetDebut)) + Champs(id);
}

std::string TrameMesure(Mode mode, const Comptes& c) {
    std::string s;
    s.push_back(static_cast<char>(OctetDebut));
    s.push_back(static_cast<char>(mode));
    AjouterMot(s, c.vert);
    AjouterMot(s, c.rouge);
    AjouterMot(s, c.temperature);
    return s;
}

std::string CommandeEcriture(const Identification& id) {
    return std::string{static_cast<char>(OctetDebut), static_cast<char>(CodeEcriture)} + Champs(id);
}

TLecteurRequetes::Requete TLecteurRequetes::Lire(uint8_t octet) {
    switch (etat_) {
        case Etat::Attente:
            if (octet == OctetDebut) etat_ = Etat::ApresDebut;
            return Requete::Aucune;
        case Etat::ApresDebut:
            if (octet == CodeIdentification) {
                etat_ = Etat::Attente;
                return Requete::Identification;
            }
            if (octet == CodeEcriture) {
                etat_ = Etat::Champs;
                recus_ = 0;
            } else if (octet != OctetDebut) {
                etat_ = Etat::Attente;
            }
            return Requete::Aucune;
        case Etat::Champs:
            champs_[recus_++] = octet;
            if (recus_ < TailleChamps) return Requete::Aucune;
            etat_ = Etat::Attente;
            ecriture_.numero = champs_[0];
            ecriture_.version = champs_[1];
            ecriture_.v0Vert = static_cast<uint16_t>(champs_[2] << 8 | champs_[3]);
            ecriture_.vnVert = static_cast<uint16_t>(champs_[4] << 8 | champs_[5]);
            ecriture_.v0Rouge = static_cast<uint16_t>(champs_[6] << 8 | champs_[7]);
            ecriture_.vnRouge = static_cast<uint16_t>(champs_[8] << 8 | champs_[9]);
            return Requete::Ecriture;
    }
    return Requete::Aucune;
}

void TLecteurRequetes::Reinitialiser() {
    etat_ = Etat::Attente;
    recus_ = 0;
}

}  // namespace simulateur
