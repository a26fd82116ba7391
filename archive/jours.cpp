#include "archive/jours.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "archive/demi_journees.h"
#include "archive/lecture.h"
#include "archive/resumes.h"

namespace archive {

namespace {

struct Cle {
    std::string jour;
    int64_t site = 0;
    std::string instrument;
    auto operator<=>(const Cle&) const = default;
};

struct Valeurs {
    int enregistrements = 0, niveau15 = 0;
    std::vector<double> vert, rouge, angstrom;
};

using Cumul = std::map<Cle, Valeurs>;

// Each record of the file in its day, when `garder` holds the day or is empty.
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
        if (m.vert) v.vert.push_back(*m.vert);
        if (m.rouge) v.rouge.push_back(*m.rouge);
        if (m.angstrom) v.angstrom.push_back(*m.angstrom);
    }
    return cles;
}

// The same read from the archive, a record at a time; the file's half-day
// Langleys made again from the same records when asked.
std::set<Cle> Cumuler(Archive& archive, int64_t id, Cumul& cumul, const std::set<Cle>* garder,
                      bool demiJournees = false) {
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
    ParcourirResultats(archive, f, j, [&](science::Resultat& r) {
        lot.push_back({r.serie, DateLocale(r), r.critere == science::Critere::Aucun, r.eoVert,
                       r.eoRouge, r.angstrom});
        if (demiJournees) demis.Ajouter(r);
        if (lot.size() >= 4096) vider();
    });
    vider();
    if (demiJournees) EcrireDemiJournees(archive.Base(), id, demis.Conclure(j));
    return cles;
}

std::optional<Plage> PlageDe(std::vector<double>& x) {
    if (x.empty()) return std::nullopt;
    std::sort(x.begin(), x.end());
    const size_t n = x.size();
    return Plage{n % 2 == 1 ? x[n / 2] : (x[n / 2 - 1] + x[n / 2]) / 2, x.front(), x.back()};
}

void Ecrire(Connexion& base, const Cle& cle, Valeurs& v) {
    Requete efface(base,
                   "DELETE FROM resumes_jours WHERE jour = ? AND site = ? AND instrument = ?");
    efface.Lier(1, cle.jour).Lier(2, cle.site).Lier(3, cle.instrument).Executer();
    if (v.enregistrements == 0) return;
    Requete ajoute(base,
                   "INSERT INTO resumes_jours (jour, site, instrument, enregistrements, niveau15, "
                   "vert_mediane, vert_min, vert_max, rouge_mediane, rouge_min, rouge_max, "
                   "angstrom_mediane, angstrom_min, angstrom_max) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                   "?, ?, ?, ?, ?, ?)");
    ajoute.Lier(1, cle.jour).Lier(2, cle.site).Lier(3, cle.instrument);
    ajoute.Lier(4, v.enregistrements).Lier(5, v.niveau15);
    int i = 6;
    for (auto* x : {&v.vert, &v.rouge, &v.angstrom}) {
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

int VersionResumes(Connexion& base) {
    Requete r(base, "SELECT valeur FROM reglages WHERE cle = 'version_calcul'");
    return r.Pas() ? std::stoi(r.Texte(0)) : 0;
}

std::vector<int64_t> TousLesFichiers(Connexion& base) {
    std::vector<int64_t> ids;
    Requete r(base, "SELECT id FROM fichiers ORDER BY id");
    while (r.Pas()) ids.push_back(r.Entier(0));
    return ids;
}

std::optional<Plage> Lire(const Requete& r, int c) {
    if (r.Nul(c)) return std::nullopt;
    return Plage{r.Reel(c), r.Reel(c + 1), r.Reel(c + 2)};
}

ResumeJour Resume(const Cle& cle, const std::string& site, Valeurs& v) {
    ResumeJour j;
    j.jour = LireDate(cle.jour).value_or(science::Date{});
    j.site = site;
    j.instrument = cle.instrument;
    j.enregistrements = v.enregistrements;
    j.niveau15 = v.niveau15;
    j.vert = PlageDe(v.vert);
    j.rouge = PlageDe(v.rouge);
    j.angstrom = PlageDe(v.angstrom);
    return j;
}

bool Choisi(const ResumeJour& j, const ChoixJours& choix) {
    const auto cle = [](const science::Date& d) { return std::tie(d.annee, d.mois, d.jour); };
    return (!choix.du || cle(j.jour) >= cle(*choix.du)) &&
           (!choix.au || cle(j.jour) <= cle(*choix.au)) &&
           (!choix.instrument || j.instrument == *choix.instrument) &&
           (!choix.site || j.site == *choix.site);
}

// An archive that cannot be written, its summaries made by another version
// of the computation: computed again for this reading only.
std::vector<ResumeJour> JoursCalcules(Archive& archive, const ChoixJours& choix) {
    Connexion& base = archive.Base();
    Cumul cumul;
    for (const int64_t id : TousLesFichiers(base)) Cumuler(archive, id, cumul, nullptr);
    std::map<int64_t, std::string> sites;
    Requete r(base, "SELECT id, nom FROM sites");
    while (r.Pas()) sites[r.Entier(0)] = r.Texte(1);
    std::vector<ResumeJour> jours;
    for (auto& [cle, v] : cumul) {
        ResumeJour j = Resume(cle, sites[cle.site], v);
        if (Choisi(j, choix)) jours.push_back(std::move(j));
    }
    std::sort(jours.begin(), jours.end(), [](const ResumeJour& a, const ResumeJour& b) {
        return std::tie(a.jour.annee, a.jour.mois, a.jour.jour, a.site, a.instrument) <
               std::tie(b.jour.annee, b.jour.mois, b.jour.jour, b.site, b.instrument);
    });
    return jours;
}

}  // namespace

namespace {

// Every day again, but for the files the caller does next.
void Refaire(Archive& archive, const std::vector<int64_t>& exclus) {
    Connexion& base = archive.Base();
    Requete(base, "DELETE FROM resumes_jours").Executer();
    Requete(base, "DELETE FROM jours_fichiers").Executer();
    Cumul cumul;
    for (const int64_t id : TousLesFichiers(base))
        if (std::find(exclus.begin(), exclus.end(), id) == exclus.end())
            NoterFichier(base, id, Cumuler(archive, id, cumul, nullptr, true));
    for (auto& [cle, v] : cumul) Ecrire(base, cle, v);
    Requete version(base,
                    "INSERT INTO reglages (cle, valeur) VALUES ('version_calcul', ?) ON CONFLICT "
                    "(cle) DO UPDATE SET valeur = excluded.valeur");
    version.Lier(1, std::to_string(VersionCalcul)).Executer();
}

struct Calcule {
    const science::Journee& journee;
    const std::vector<MesureResumee>& mesures;
};

void Actualiser(Archive& archive, const std::vector<int64_t>& fichiers,
                const std::optional<Calcule>& calcule) {
    Connexion& base = archive.Base();
    // The others' days made again first; these files' records, which the
    // caller may hold computed already, are then added as usual.
    if (VersionResumes(base) != VersionCalcul) Refaire(archive, fichiers);
    // The days these files held before, and hold now.
    std::set<Cle> jours;
    Requete avant(base, "SELECT jour, site, instrument FROM jours_fichiers WHERE fichier = ?");
    for (const int64_t id : fichiers) {
        avant.Lier(1, id);
        while (avant.Pas()) jours.insert({avant.Texte(0), avant.Entier(1), avant.Texte(2)});
        avant.Reprendre();
    }
    Cumul cumul;
    for (const int64_t id : fichiers) {
        std::set<Cle> cles;
        if (calcule) {
            Requete site(base, "SELECT site FROM fichiers WHERE id = ?");
            site.Lier(1, id);
            if (!site.Pas()) continue;
            cles = Cumuler(site.Entier(0), calcule->journee, calcule->mesures, cumul, nullptr);
        } else {
            cles = Cumuler(archive, id, cumul, nullptr, true);
        }
        NoterFichier(base, id, cles);
        jours.insert(cles.begin(), cles.end());
    }
    // Other files with records on those days.
    std::set<int64_t> autres;
    Requete qui(
        base, "SELECT fichier FROM jours_fichiers WHERE jour = ? AND site = ? AND instrument = ?");
    for (const Cle& c : jours) {
        qui.Lier(1, c.jour).Lier(2, c.site).Lier(3, c.instrument);
        while (qui.Pas()) autres.insert(qui.Entier(0));
        qui.Reprendre();
    }
    for (const int64_t id : fichiers) autres.erase(id);
    for (const int64_t id : autres) Cumuler(archive, id, cumul, &jours);
    for (const Cle& c : jours) Ecrire(base, c, cumul[c]);
}

}  // namespace

bool CalculsAJour(Archive& archive) {
    return VersionResumes(archive.Base()) == VersionCalcul;
}

void RecalculerResumes(Archive& archive) {
    Refaire(archive, {});
}

void ActualiserResumes(Archive& archive, const std::vector<int64_t>& fichiers) {
    Actualiser(archive, fichiers, std::nullopt);
}

void ActualiserResumes(Archive& archive, int64_t fichier, const science::Journee& journee,
                       const std::vector<MesureResumee>& mesures) {
    Actualiser(archive, {fichier}, Calcule{journee, mesures});
}

std::vector<ResumeJour> Jours(Archive& archive, const ChoixJours& choix) {
    Connexion& base = archive.Base();
    if (VersionResumes(base) != VersionCalcul) {
        if (!archive.Ecriture()) return JoursCalcules(archive, choix);
        Transaction t(base);
        RecalculerResumes(archive);
        t.Valider();
    }
    Requete r(base,
              "SELECT r.jour, s.nom, r.instrument, r.enregistrements, r.niveau15, r.vert_mediane, "
              "r.vert_min, r.vert_max, r.rouge_mediane, r.rouge_min, r.rouge_max, "
              "r.angstrom_mediane, r.angstrom_min, r.angstrom_max FROM resumes_jours r JOIN sites "
              "s ON s.id = r.site WHERE (? IS NULL OR r.jour >= ?) AND (? IS NULL OR r.jour <= ?) "
              "AND (? IS NULL OR r.instrument = ?) AND (? IS NULL OR s.nom = ?) ORDER BY r.jour, "
              "s.nom, r.instrument");
    const auto date = [](const std::optional<science::Date>& d) -> std::optional<std::string> {
        if (!d) return std::nullopt;
        return TexteDate(*d);
    };
    r.Lier(1, date(choix.du))
        .Lier(2, date(choix.du))
        .Lier(3, date(choix.au))
        .Lier(4, date(choix.au));
    r.Lier(5, choix.instrument).Lier(6, choix.instrument).Lier(7, choix.site).Lier(8, choix.site);
    std::vector<ResumeJour> jours;
    while (r.Pas()) {
        ResumeJour j;
        j.jour = LireDate(r.Texte(0)).value_or(science::Date{});
        j.site = r.Texte(1);
        j.instrument = r.Texte(2);
        j.enregistrements = static_cast<int>(r.Entier(3));
        j.niveau15 = static_cast<int>(r.Entier(4));
        j.vert = Lire(r, 5);
        j.rouge = Lire(r, 8);
        j.angstrom = Lire(r, 11);
        jours.push_back(std::move(j));
    }
    return jours;
}

}  // namespace archive
