#include "archive/etalonnage.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "archive/demi_journees.h"
#include "archive/lecture.h"
#include "archive/resumes.h"
#include "science/nombres.h"

namespace archive {

namespace {

// "2,05", "2,047": three decimals at most, two at least.
std::string Volts(double v) {
    std::string t = science::Point(v, 3);
    if (t.size() > 1 && t.back() == '0') t.pop_back();
    for (char& c : t)
        if (c == '.') c = ',';
    return t;
}

}  // namespace

namespace {

struct Ligne {
    std::string instrument;
    DemiJourneeArchivee demi;
};

std::vector<Ligne> LireTable(Archive& archive, const std::optional<std::string>& instrument) {
    Requete r(archive.Base(),
              "SELECT i.numero, l.jour, l.demi, l.canal, l.v0, l.erreur_type, l.pente, l.r2, "
              "l.points, l.exclus, l.verdict, l.accepte, l.v0_vert_entete, l.vn_vert_entete, "
              "l.v0_rouge_entete, l.vn_rouge_entete FROM langleys l JOIN instruments i ON i.id "
              "= l.instrument WHERE (? IS NULL OR i.numero = ?) ORDER BY i.numero, l.jour, "
              "CASE l.demi WHEN 'matin' THEN 0 ELSE 1 END, l.serie, CASE l.canal WHEN 'vert' "
              "THEN 0 ELSE 1 END");
    r.Lier(1, instrument).Lier(2, instrument);
    std::vector<Ligne> lignes;
    const auto reel = [&](int c) { return r.Nul(c) ? 0.0 : r.Reel(c); };
    while (r.Pas()) {
        const auto date = LireDate(r.Texte(1));
        if (!date) continue;
        DemiJourneeArchivee d;
        d.date = *date;
        d.demi = r.Texte(2) == "matin" ? science::DemiJour::Matin : science::DemiJour::ApresMidi;
        d.voie = r.Texte(3) == "vert" ? science::Voie::Vert : science::Voie::Rouge;
        science::LangleyDemiJour& l = d.langley;
        l.v0 = r.Reel(4);
        l.erreurTypeV0 = r.Reel(5);
        l.pente = r.Reel(6);
        l.r2 = r.Reel(7);
        l.points = static_cast<size_t>(r.Entier(8));
        l.exclus = static_cast<size_t>(r.Entier(9));
        l.verdict = r.Texte(10);
        l.accepte = r.Entier(11) != 0;
        d.enTete = {reel(12), reel(14), reel(13), reel(15)};
        lignes.push_back({r.Texte(0), std::move(d)});
    }
    return lignes;
}

// An archive that cannot be written, its half-days made by another version
// of the computation (or none): made again for this reading only, in the
// table's order.
std::vector<Ligne> Calculer(Archive& archive, const std::optional<std::string>& instrument) {
    std::vector<FichierArchive> fichiers = Fichiers(archive);
    std::sort(fichiers.begin(), fichiers.end(),
              [](const FichierArchive& a, const FichierArchive& b) { return a.id < b.id; });
    std::vector<Ligne> lignes;
    for (const FichierArchive& f : fichiers) {
        const science::Journee j = EnTetesDe(archive, f.id);
        CalculDemiJournees calcul(f.reglages.site.altitude);
        ParcourirResultats(archive, f, j, [&](science::Resultat& r) { calcul.Ajouter(r); });
        for (const DemiJournee& d : calcul.Conclure(j)) {
            if (instrument && d.instrument != *instrument) continue;
            lignes.push_back({d.instrument,
                              {d.date,
                               d.demi,
                               d.voie,
                               d.langley,
                               {d.v0VertEnTete.value_or(0), d.v0RougeEnTete.value_or(0),
                                d.vnVertEnTete.value_or(0), d.vnRougeEnTete.value_or(0)}}});
        }
    }
    std::stable_sort(lignes.begin(), lignes.end(), [](const Ligne& a, const Ligne& b) {
        const auto cle = [](const Ligne& l) {
            return std::tuple(l.instrument, l.demi.date.annee, l.demi.date.mois, l.demi.date.jour,
                              l.demi.demi == science::DemiJour::Matin ? 0 : 1);
        };
        return cle(a) < cle(b);
    });
    return lignes;
}

}  // namespace

std::vector<HistoriqueInstrument> Historiques(Archive& archive,
                                              const std::optional<std::string>& instrument,
                                              bool statuts) {
    const std::vector<Ligne> lignes =
        CalculsAJour(archive) ? LireTable(archive, instrument) : Calculer(archive, instrument);
    std::vector<HistoriqueInstrument> historiques;
    for (const Ligne& l : lignes) {
        if (historiques.empty() || historiques.back().instrument != l.instrument)
            historiques.push_back({l.instrument, {}, {}, {}});
        historiques.back().demiJournees.push_back(l.demi);
    }
    for (HistoriqueInstrument& h : historiques) {
        std::vector<science::ConstantesEtalonnage> constantes;
        for (const DemiJourneeArchivee& d : h.demiJournees) constantes.push_back(d.enTete);
        const std::vector<int> periodes = science::NumeroterPeriodes(constantes);
        for (size_t i = 0; i < h.demiJournees.size(); ++i) {
            const DemiJourneeArchivee& d = h.demiJournees[i];
            h.historique.push_back({science::JourDemiJour(d.date, d.demi), d.demi, d.voie,
                                    d.langley.v0, d.langley.erreurTypeV0, d.langley.accepte,
                                    periodes[i]});
        }
        if (statuts) h.statuts = science::Statuts(h.historique);
    }
    return historiques;
}

std::optional<EtatCanal> EtatRecent(const HistoriqueInstrument& h, science::Voie voie,
                                    const science::ReglagesEtalonnage& reglages) {
    for (size_t i = h.historique.size(); i-- > 0;) {
        const science::LangleyDate& l = h.historique[i];
        if (l.voie != voie) continue;
        EtatCanal e;
        e.voie = voie;
        e.date = h.demiJournees[i].date;
        e.recommandation = science::Recommander(h.historique, voie, l.jour, l.periode, reglages);
        e.derive = science::DeriveTheilSen(h.historique, voie, l.periode, reglages);
        const science::ConstantesEtalonnage& c = h.demiJournees[i].enTete;
        e.v0EnTete = voie == science::Voie::Vert ? c.v0Vert : c.v0Rouge;
        return e;
    }
    return std::nullopt;
}

std::optional<std::string> AvisConstantes(const HistoriqueInstrument& h,
                                          const science::ReglagesEtalonnage& reglages) {
    std::string ecarts;
    for (const science::Voie voie : {science::Voie::Vert, science::Voie::Rouge}) {
        const auto e = EtatRecent(h, voie, reglages);
        if (!e || !e->recommandation || !(e->v0EnTete > 0)) continue;
        const science::Recommandation& r = *e->recommandation;
        if (std::abs(e->v0EnTete - r.v0) <= 2 * r.ecartType) continue;
        if (!ecarts.empty()) ecarts += " ; ";
        ecarts += std::string("V0 ") + (voie == science::Voie::Vert ? "vert " : "rouge ") +
                  Volts(e->v0EnTete) + " V, recommandé " + Volts(r.v0) + " ± " +
                  Volts(r.ecartType) + " V";
    }
    if (ecarts.empty()) return std::nullopt;
    return "le photomètre n°" + h.instrument + " a besoin de nouvelles constantes (" + ecarts + ")";
}

}  // namespace archive
