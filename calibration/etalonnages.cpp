#include "calibration/etalonnages.h"

#include <cmath>
#include <utility>

#include "measurement/protocole.h"
#include "platform/numbers.h"

namespace calibration {

bool EntreeParametre(uint32_t& saisie, uint32_t drapeau) {
    saisie |= drapeau;
    return saisie == SaisieComplete;
}

JugementParametres JugerParametres(bool fichierChoisi, const std::string& pression,
                                   const std::string& angle) {
    JugementParametres j;
    if (!fichierChoisi) j.refus.push_back({"Vous devez choisir ou crée un fichier !", {}});
    if (pression == "----" || pression.empty()) {
        j.refus.push_back(
            {"Vous devez entrer la pression atmosphérique !", ChampParametre::Pression});
    } else {
        long long hpa = 0;
        try {
            hpa = StrToInt(pression);
        } catch (const EConvertError& e) {
            j.erreurConversion = e.Message();
            return j;
        }
        if (hpa < PressionMinimale || hpa > PressionMaximale)
            j.refus.push_back({"La pression atmosphérique doit être comprise entre " +
                                   std::to_string(PressionMinimale) + " et " +
                                   std::to_string(PressionMaximale) + " hPa !",
                               ChampParametre::Pression});
    }
    if (angle == "--" || angle.empty()) {
        j.refus.push_back(
            {"Vous devez entrer l'angle d'élévation solaire !", ChampParametre::Angle});
    } else {
        long long degres = 0;
        try {
            degres = StrToInt(angle);
        } catch (const EConvertError& e) {
            j.erreurConversion = e.Message();
            return j;
        }
        if (degres > 90) {
            j.angleEcrit = "90";
        } else if (degres < 1) {
            j.refus.push_back(
                {"L'angle d'élévation solaire doit être compris entre 1 et 90 degrés !",
                 ChampParametre::Angle});
        }
    }
    j.accepte = j.refus.empty();
    return j;
}

Etape EtapeAffichage(int32_t etape, const Constantes& v) {
    Etape e;
    // The steps follow the order of the labels: number, version, then the
    // four constants.
    const double constantes[] = {v.v0Vert, v.vnVert, v.v0Rouge, v.vnRouge};
    if (etape >= 1 && etape <= 6) {
        e.champ = static_cast<Champ>(etape);
        e.texte = etape == 1   ? TexteEntier(v.numero)
                  : etape == 2 ? FormatFixe(v.versionFois10 / 10.0, 1)
                               : FormatFixe(constantes[etape - 3], 2);
    }
    e.suivante = etape + 1;
    e.finie = e.suivante == 7;
    if (e.finie) e.suivante = 0;
    return e;
}

Jugement JugerSaisieExpert(const SaisieExpert& s) {
    // 5,0 V would be sent as the count 1024, which the photometer reports
    // back as 5,00 V: its identification would then never be accepted.
    const std::pair<Entree, double> constantes[] = {{Entree::V0Vert, s.v0Vert},
                                                    {Entree::VnVert, s.vnVert},
                                                    {Entree::V0Rouge, s.v0Rouge},
                                                    {Entree::VnRouge, s.vnRouge}};
    Refus incoherentes{
        "Valeurs d'étalonnages incohérentes. Revenez en mode simple ou vérifiez votre câble.", {}};
    for (const auto& [entree, valeur] : constantes)
        if (!(valeur < measurement::TensionLimite)) incoherentes.focus.push_back(entree);
    if (!incoherentes.focus.empty()) return {std::nullopt, incoherentes};
    if (s.numero < 0 || s.numero > 255)
        return {std::nullopt,
                Refus{"Numéro de photomètre incorrect (0 à 255) !", {Entree::Numero}}};
    const double dixiemes = std::trunc(s.version * 10);
    if (!(dixiemes >= 0 && dixiemes <= 255))
        return {std::nullopt, Refus{"Version incorrecte (0,0 à 25,5) !", {Entree::Version}}};
    return {Constantes{static_cast<uint8_t>(s.numero), static_cast<uint8_t>(dixiemes), s.v0Vert,
                       s.vnVert, s.v0Rouge, s.vnRouge},
            std::nullopt};
}

}  // namespace calibration
