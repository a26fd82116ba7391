#include "journee/bulle_mesure.h"

#include <optional>
#include <utility>

#include "journee/apparence.h"
#include "journee/langley.h"

namespace journee {

bool Ecarte(const science::Resultat& r) {
    using science::Critere;
    return r.critere && *r.critere != Critere::Aucun && *r.critere != Critere::SansValeur;
}

QString RaisonEcart(science::Critere c) {
    using science::Critere;
    static const std::pair<Critere, const char*> Raisons[] = {
        {Critere::Triplet, "trop variable d'une mesure à l'autre en quelques minutes"},
        {Critere::Effectif, "trop peu de mesures dans la série pour en juger"},
        {Critere::Lissage, "la série n'est pas lisse autour de cette mesure"},
        {Critere::TroisSigma, "à plus de trois écarts-types de la moyenne de la série"},
    };
    for (const auto& [critere, phrase] : Raisons)
        if (c == critere) return phrase;
    return Q(science::NomCritere(c));
}

QString TexteBulle(const PointJournee& p, const science::Resultat& r, bool site, size_t series) {
    const auto valeur = [](const std::optional<double>& v, int d) {
        return v ? Virgule(*v, d) : QString("—");
    };
    QString texte = QString("<b>Ligne %1</b>, %2, %3<br>")
                        .arg(p.ligne)
                        .arg(Q(TexteHeure(r.secondesHorloge)))
                        .arg(p.mode == science::Mode::Simple ? "mesure simple" : "mesure continue");
    // With its uncertainty where there is one.
    const auto incertaine = [&](const std::optional<double>& v, const std::optional<double>& u,
                                int d) {
        QString t = valeur(v, d);
        if (v && u && site) t += " ± " + Virgule(*u, d);
        return t;
    };
    texte += "EO verte : " + incertaine(p.eoVert, r.uEoVert, 3) +
             " — EO rouge : " + incertaine(p.eoRouge, r.uEoRouge, 3) +
             "<br>α : " + incertaine(p.angstrom, r.uAngstrom, 2) +
             "<br>V verte : " + valeur(r.vVert, 3) + " V — V rouge : " + valeur(r.vRouge, 3) + " V";
    if (Ecarte(r))
        texte += "<br><i>Écartée par le filtrage des nuages (niveau 1,0) :</i> " +
                 RaisonEcart(*r.critere).toHtmlEscaped();
    else if (r.critere == science::Critere::Aucun)
        texte += "<br>Niveau 1,5 : ciel clair";
    if (p.elevation)
        texte += "<br>Élévation : " + valeur(p.elevation, 1) +
                 "° — masse d'air : " + valeur(r.masseAir, 2);
    if (series > 1) texte += QString("<br>Série %1").arg(p.serie + 1);
    return texte;
}

}  // namespace journee
