#include "saisons/series_etalonnage.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"
#include "saisons/texte_jour.h"
#include "science/verdict_langley.h"

namespace saisons {

namespace {

const char* NomVoie(science::Voie voie) {
    return voie == science::Voie::Vert ? "verte" : "rouge";
}

}  // namespace

CanalEtalonnage SeriesEtalonnage(const archive::HistoriqueInstrument& h, science::Voie voie) {
    CanalEtalonnage c;
    c.voie = voie;
    for (size_t i = 0; i < h.historique.size() && i < h.statuts.size(); ++i) {
        const science::LangleyDate& l = h.historique[i];
        if (l.voie == voie) c.points.push_back({l.jour, l.v0, l.erreurTypeV0, h.statuts[i], i});
    }
    for (const science::RecommandationDatee& r : science::Recommandations(h.historique, voie)) {
        if (c.periodes.empty() || c.periodes.back().periode != r.periode)
            c.periodes.push_back({r.periode, {}, std::nullopt, r.jour, r.jour});
        PeriodeV0& p = c.periodes.back();
        p.noeuds.push_back({r.jour, r.recommandation.v0, r.recommandation.ecartType});
        p.fin = r.jour;
    }
    for (PeriodeV0& p : c.periodes)
        p.derive = science::DeriveTheilSen(h.historique, voie, p.periode);

    double bas = INFINITY, haut = -INFINITY;
    const auto ajouter = [&](double v, double marge) {
        bas = std::min(bas, v - marge);
        haut = std::max(haut, v + marge);
    };
    for (const PointV0& p : c.points)
        if (p.statut == science::StatutLangley::Accepte) ajouter(p.v0, p.erreurType);
    for (const PeriodeV0& p : c.periodes)
        for (const NoeudV0& n : p.noeuds) ajouter(n.v0, n.ecartType);
    // Nothing accepted: every half-day, or the scale would show none.
    if (!(bas <= haut))
        for (const PointV0& p : c.points) ajouter(p.v0, p.erreurType);
    if (bas <= haut) {
        // A few millivolts at least, so that a steady instrument is no flat line.
        const double milieu = (bas + haut) / 2, demi = std::max((haut - bas) / 2, 0.01);
        c.yMin = milieu - demi * 1.2;
        c.yMax = milieu + demi * 1.2;
    }
    if (!c.points.empty()) {
        c.xMin = c.points.front().x;
        c.xMax = c.points.front().x;
        for (const PointV0& p : c.points) {
            c.xMin = std::min(c.xMin, p.x);
            c.xMax = std::max(c.xMax, p.x);
        }
    }
    return c;
}

std::string TexteDerive(const std::optional<science::Derive>& d) {
    if (!d) return "dérive : —";
    const double p = d->pourCentParAn;
    // "+0,0" and "-0,0" alike read as no drift.
    const std::string texte = FormatFixe(std::abs(p), 1);
    const bool nulle = texte == FormatFixe(0, 1);
    return "dérive : " + std::string(nulle ? "" : p > 0 ? "+" : "−") + texte + " %/an";
}

std::string TexteStatut(science::StatutLangley statut) {
    switch (statut) {
        case science::StatutLangley::Accepte:
            return "accepté";
        case science::StatutLangley::Aberrant:
            return "aberrant";
        case science::StatutLangley::Rejete:
            break;
    }
    return "rejeté";
}

std::string TexteDemiJournee(const archive::DemiJourneeArchivee& d, science::StatutLangley statut) {
    const science::LangleyDemiJour& l = d.langley;
    std::string sort = TexteStatut(statut);
    if (statut == science::StatutLangley::Aberrant)
        sort += " : trop loin du V0 recommandé, laissé hors de la moyenne";
    else if (statut == science::StatutLangley::Rejete)
        sort += " : le verdict a échoué";
    return DateEnFrancais(d.date) + ", " +
           (d.demi == science::DemiJour::Matin ? "matin" : "après-midi") + " — voie " +
           NomVoie(d.voie) + "\nV0 = " + FormatFixe(l.v0, 3) + " ± " +
           FormatFixe(l.erreurTypeV0, 3) + " V (à 1 UA)\npente " + FormatFixe(l.pente, 3) +
           ", R² = " + FormatFixe(l.r2, 4) + "\n" + std::to_string(l.points) + " points retenus, " +
           std::to_string(l.exclus) + " écartés\nverdict : " + science::TexteVerdict(l.verdict) +
           "\n" + sort;
}

ReportRecommande V0ARecommander(const archive::HistoriqueInstrument& h) {
    ReportRecommande r;
    double v0[2] = {};
    std::string dates;
    for (const science::Voie voie : {science::Voie::Vert, science::Voie::Rouge}) {
        const auto e = archive::EtatRecent(h, voie);
        const std::string nom = std::string("voie ") + NomVoie(voie);
        if (!e) {
            r.texte = "Aucun V0 à reporter : pas de demi-journée de Langley pour la " + nom + ".";
            return r;
        }
        if (!e->recommandation) {
            r.texte = "Aucun V0 à reporter : pas de V0 recommandé pour la " + nom + " au " +
                      DateEnFrancais(e->date) +
                      " (il faut trois demi-journées acceptées de la même période dans les "
                      "60 jours).";
            return r;
        }
        v0[voie == science::Voie::Vert ? 0 : 1] = e->recommandation->v0;
        const std::string date = DateEnFrancais(e->date);
        if (dates.find(date) == std::string::npos) dates += (dates.empty() ? "" : " et ") + date;
    }
    r.report = journee::ReportV0{h.instrument, v0[0], v0[1]};
    r.texte = "V0 recommandés au " + dates + " : vert " + FormatFixe(v0[0], 3) + " V, rouge " +
              FormatFixe(v0[1], 3) + " V.";
    return r;
}

std::optional<size_t> PointProche(const std::vector<PointV0>& points, double x, double y,
                                  double parX, double parY, double rayon) {
    std::optional<size_t> proche;
    double meilleure = rayon * rayon;
    for (size_t i = 0; i < points.size(); ++i) {
        const double dx = (points[i].x - x) * parX, dy = (points[i].v0 - y) * parY;
        if (const double d = dx * dx + dy * dy; d <= meilleure) {
            meilleure = d;
            proche = i;
        }
    }
    return proche;
}

}  // namespace saisons

namespace saisons {

HistoriqueChoisi ChoisirHistorique(const std::vector<archive::HistoriqueInstrument>& historiques,
                                   const std::optional<std::string>& instrument) {
    const std::string aucune = "L'archive ne contient encore aucune demi-journée de Langley.";
    if (!instrument) {
        if (historiques.size() == 1) return {&historiques.front(), ""};
        if (historiques.empty()) return {nullptr, aucune};
        return {nullptr,
                "L'étalonnage est celui d'un photomètre : choisissez un instrument (liste "
                "Instrument, en haut)."};
    }
    for (const archive::HistoriqueInstrument& h : historiques)
        if (h.instrument == *instrument) return {&h, ""};
    return {nullptr, "Aucune demi-journée de Langley pour le photomètre n°" + *instrument +
                         " dans l'archive."};
}

std::string AvisInstruments(const std::vector<archive::HistoriqueInstrument>& historiques,
                            const std::optional<std::string>& instrument) {
    std::string texte;
    for (const archive::HistoriqueInstrument& h : historiques) {
        if (instrument && h.instrument != *instrument) continue;
        auto avis = archive::AvisConstantes(h);
        if (!avis) continue;
        if (avis->starts_with("le ")) (*avis)[0] = 'L';
        texte += (texte.empty() ? "" : "\n") + *avis + ".";
    }
    return texte;
}

}  // namespace saisons
