#include "measurement/reception.h"

#include "measurement/calculs.h"

namespace measurement {
namespace {

std::optional<std::string> TexteTemperatureDe(int32_t compte) {
    const auto t = Temperature(compte);
    if (!t) return std::nullopt;
    return TexteTemperature(*t);
}

Canal CanalSimple(double v, const std::string& eo) {
    return {TexteTension(v), eo, 0, std::nullopt};
}

Canal CanalContinu(double v, int compte, const std::string& eo, double& vMax) {
    Canal canal{TexteTension(v), eo, compte, std::nullopt};
    if (v > vMax) {
        vMax = v;
        // The optical depth of the current voltage, which is the new maximum.
        canal.maximum = Maximum{TexteTension(v), eo};
    }
    return canal;
}

Affichage AfficherSimple(const Mesure& m, const Conditions& c) {
    return {CanalSimple(m.vVert, TexteEOVert(m.vVert, c)),
            CanalSimple(m.vRouge, TexteEORouge(m.vRouge, c)),
            TexteTemperatureDe(m.temperatureBrute), false};
}

Affichage AfficherContinu(EtatReception& e, const Mesure& m, const Conditions& c) {
    Affichage a{CanalContinu(m.vVert, m.compteVert, TexteEOVert(m.vVert, c), e.vMaxVert),
                CanalContinu(m.vRouge, m.compteRouge, TexteEORouge(m.vRouge, c), e.vMaxRouge),
                std::nullopt, false};
    // A temperature without a value does not enter the mean.
    const auto t = Temperature(m.temperatureBrute);
    if (!t) return a;
    e.sommeTemperatures += *t;
    e.nombreTemperatures += 1;
    if (e.nombreTemperatures == TemperaturesMoyennees) {
        a.temperature = TexteTemperature(e.sommeTemperatures / TemperaturesMoyennees);
        a.basculerThermometre = true;
        e.nombreTemperatures = 0;
        e.sommeTemperatures = 0;
    }
    return a;
}

}  // namespace

void PasserMode(EtatReception& e, int32_t mode) {
    if (mode == EtatSimple) e.vMaxVert = e.vMaxRouge = 0;
    e.etat = mode;
}

std::string TexteEOVert(double v, const Conditions& c) {
    return TexteEO(EpaisseurOptique(v, c.v0Vert, c.vnVert, TauRayleighVert, c.distanceTerreSoleil,
                                    c.rapportPression, c.masseAir));
}

std::string TexteEORouge(double v, const Conditions& c) {
    return TexteEO(EpaisseurOptique(v, c.v0Rouge, c.vnRouge, TauRayleighRouge,
                                    c.distanceTerreSoleil, c.rapportPression, c.masseAir));
}

Decision RecevoirPaquet(EtatReception& e, const Conditions& c, const std::string& payload) {
    Decision d;
    // A packet shorter than its layout is not decoded; its first byte still
    // gives the mode of the following frames, so a stray mode byte cannot
    // leave the reception stuck.
    if (e.etat == EtatVerificationLiaison) {
        d.identification = DecoderIdentification(payload);
        if (d.identification) {
            e.liaisonOK = d.identification->acceptee;
            if (e.liaisonOK) {
                e.etat = EtatRepos;
                d.liaisonEtablie = true;
            }
        }
    } else if (!e.receptionOuverte) {
        // A photometer already measuring while the parameters are typed or
        // the calibration read: its frames wait for the reception panel.
    } else if (e.liaisonOK && (e.etat == EtatSimple || e.etat == EtatContinu)) {
        d.mesure = DecoderMesure(payload);
        if (d.mesure) {
            d.modeAvant = e.etat;
            PasserMode(e, e.etat);
            d.enregistrer = e.etat == EtatSimple;
            d.affichage =
                d.enregistrer ? AfficherSimple(*d.mesure, c) : AfficherContinu(e, *d.mesure, c);
        }
    }

    if (!e.liaisonOK) {
        // Every packet before the link is verified, and every refused
        // identification, is answered by a new request.
        d.demanderIdentification = true;
        return d;
    }
    // The identification just accepted leaves the state at rest: its first
    // byte is the photometer's number, not a mode.
    if (d.liaisonEtablie || payload.empty() || !e.receptionOuverte) return d;
    // The mode byte says how the next frames are shown, nothing more. A byte
    // that names the link check or expert mode (a count, in frames cut at 11
    // bytes while the calibration panel keeps the port open) would move the
    // user's road there: it is an unknown mode instead.
    const int32_t mode = static_cast<uint8_t>(payload[0]);
    e.etat = mode == EtatVerificationLiaison || mode == EtatExpert ? EtatRepos : mode;
    if (e.etat == EtatSimple || e.etat == EtatContinu) {
        d.modeApres = e.etat;
        PasserMode(e, e.etat);
    }
    return d;
}

}  // namespace measurement
