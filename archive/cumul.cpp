#include "archive/cumul.h"

#include <algorithm>

#include "archive/demi_journees.h"
#include "archive/lecture.h"
#include "archive/niveau2.h"

namespace archive {

namespace {

std::optional<Plage> PlageDe(std::vector<double>& x) {
    if (x.empty()) return std::nullopt;
    std::sort(x.begin(), x.end());
    const size_t n = x.size();
    return Plage{n % 2 == 1 ? x[n / 2] : (x[n / 2 - 1] + x[n / 2]) / 2, x.front(), x.back()};
}

// Each value has one level: the day's level 2.0 when it has any.
std::vector<double>& Vert(Valeurs& v) {
    return v.niveau20 > 0 ? v.vert20 : v.vert;
}
std::vector<double>& Rouge(Valeurs& v) {
    return v.niveau20 > 0 ? v.rouge20 : v.rouge;
}
std::vector<double>& Angstrom(Valeurs& v) {
    return v.niveau20 > 0 ? v.angstrom20 : v.angstrom;
}

}  // namespace

std::set<Cle> Cumuler(int64_t site, const science::Journee& j,
                      const std::vector<MesureResumee>& mesures, Cumul& cumul,
                      const std::set<Cle>* garder) {
    std::set<Cle> cles;
    for (const MesureResumee& m : mesures) {
        if (!m.jour) continue;
        Cle cle{TexteDate(*m.jour), site, j.series[m.serie].enTete.photometre};
        cles.insert(cle);
        if (garder != nullptr && !garder->contains(cle)) continue;
        Valeurs& v = cumul[cle];
        ++v.enregistrements;
        if (!m.niveau15) continue;
        ++v.niveau15;
        if (m.niveau20) ++v.niveau20;
        if (m.vert) (m.niveau20 ? v.vert20 : v.vert).push_back(*m.vert);
        if (m.rouge) (m.niveau20 ? v.rouge20 : v.rouge).push_back(*m.rouge);
        if (m.angstrom) (m.niveau20 ? v.angstrom20 : v.angstrom).push_back(*m.angstrom);
    }
    return cles;
}

std::set<Cle> Cumuler(Archive& archive, int64_t id, Cumul& cumul, const std::set<Cle>* garder,
                      bool demiJournees, const Niveau2* niveau2) {
    const FichierArchive f = Fichier(archive, id);
    const science::Journee j = EnTetesDe(archive, id);
    CalculDemiJournees demis(f.reglages.site.altitude);
    std::set<Cle> cles;
    std::vector<MesureResumee> lot;
    lot.reserve(4096);
    const auto vider = [&] {
        const std::set<Cle> vues = Cumuler(f.site, j, lot, cumul, garder);
        cles.insert(vues.begin(), vues.end());
        lot.clear();
    };
    const auto mesure = [&](science::Resultat& r) {
        // The half-days are the header's constants' own.
        if (demiJournees) demis.Ajouter(r);
        if (niveau2 != nullptr) niveau2->Appliquer(r, j.series[r.serie].enTete, f.reglages);
        lot.push_back({r.serie, DateLocale(r), r.critere == science::Critere::Aucun, r.niveau20,
                       r.eoVert, r.eoRouge, r.angstrom});
        if (lot.size() >= 4096) vider();
    };
    if (niveau2 == nullptr) {
        ParcourirResultats(archive, f, j, mesure);
    } else {
        // The level 2.0 computes many files again at once: each record is
        // computed once, the file's results held (the same results as a
        // reading in two passes, which computes every record twice).
        for (science::Resultat& r : Resultats(f, JourneeDe(archive, id))) mesure(r);
    }
    vider();
    if (demiJournees) EcrireDemiJournees(archive.Base(), id, demis.Conclure(j));
    return cles;
}

void Ecrire(Connexion& base, const Cle& cle, Valeurs& v, bool niveau2Fait) {
    Requete efface(base,
                   "DELETE FROM resumes_jours WHERE jour = ? AND site = ? AND instrument = ?");
    efface.Lier(1, cle.jour).Lier(2, cle.site).Lier(3, cle.instrument).Executer();
    if (v.enregistrements == 0) return;
    Requete ajoute(base,
                   "INSERT INTO resumes_jours (jour, site, instrument, enregistrements, niveau15, "
                   "niveau20, a_revoir, vert_mediane, vert_min, vert_max, rouge_mediane, "
                   "rouge_min, rouge_max, angstrom_mediane, angstrom_min, angstrom_max) VALUES "
                   "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    ajoute.Lier(1, cle.jour).Lier(2, cle.site).Lier(3, cle.instrument);
    ajoute.Lier(4, v.enregistrements).Lier(5, v.niveau15).Lier(6, v.niveau20);
    const bool revoir = !niveau2Fait && v.niveau15 > 0 && NoeudsProches(base, cle);
    ajoute.Lier(7, revoir ? 1 : 0);
    int i = 8;
    for (auto* x : {&Vert(v), &Rouge(v), &Angstrom(v)}) {
        const auto p = PlageDe(*x);
        ajoute.Lier(i++, p ? std::optional<double>(p->mediane) : std::nullopt);
        ajoute.Lier(i++, p ? std::optional<double>(p->min) : std::nullopt);
        ajoute.Lier(i++, p ? std::optional<double>(p->max) : std::nullopt);
    }
    ajoute.Executer();
}

void NoterFichier(Connexion& base, int64_t fichier, const std::set<Cle>& cles) {
    Requete efface(base, "DELETE FROM jours_fichiers WHERE fichier = ?");
    efface.Lier(1, fichier).Executer();
    Requete ajoute(
        base, "INSERT INTO jours_fichiers (fichier, jour, site, instrument) VALUES (?, ?, ?, ?)");
    for (const Cle& c : cles) {
        ajoute.Lier(1, fichier).Lier(2, c.jour).Lier(3, c.site).Lier(4, c.instrument);
        ajoute.Executer();
    }
}

ResumeJour Resume(const Cle& cle, const std::string& site, Valeurs& v) {
    ResumeJour j;
    j.jour = LireDate(cle.jour).value_or(science::Date{});
    j.site = site;
    j.instrument = cle.instrument;
    j.enregistrements = v.enregistrements;
    j.niveau15 = v.niveau15;
    j.niveau20 = v.niveau20;
    j.vert = PlageDe(Vert(v));
    j.rouge = PlageDe(Rouge(v));
    j.angstrom = PlageDe(Angstrom(v));
    return j;
}

}  // namespace archive
