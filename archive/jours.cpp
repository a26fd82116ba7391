#include "archive/jours.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "archive/cumul.h"
#include "archive/lecture.h"
#include "archive/niveau2.h"
#include "archive/resumes.h"

namespace archive {

namespace {

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

bool Choisi(const ResumeJour& j, const ChoixJours& choix) {
    const auto cle = [](const science::Date& d) { return std::tie(d.annee, d.mois, d.jour); };
    return (!choix.du || cle(j.jour) >= cle(*choix.du)) &&
           (!choix.au || cle(j.jour) <= cle(*choix.au)) &&
           (!choix.instrument || j.instrument == *choix.instrument) &&
           (!choix.site || j.site == *choix.site);
}

// An archive that cannot be written, its summaries made by another version
// of the computation: computed again for this reading only, the level 2.0
// with them.
std::vector<ResumeJour> JoursCalcules(Archive& archive, const ChoixJours& choix) {
    Connexion& base = archive.Base();
    const Niveau2 niveau2(NoeudsActuels(archive));
    Cumul cumul;
    for (const int64_t id : TousLesFichiers(base))
        Cumuler(archive, id, cumul, nullptr, false, &niveau2);
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
    for (auto& [cle, v] : cumul) Ecrire(base, cle, v, false);
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
    for (const Cle& c : jours) Ecrire(base, c, cumul[c], false);
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
    // The level 2.0 an interrupted batch left undone; only for this reading
    // when the archive cannot be written.
    std::map<std::tuple<std::string, std::string, std::string>, ResumeJour> revus;
    if (archive.Ecriture())
        ActualiserNiveau2(archive);
    else
        for (ResumeJour& j : JoursRevus(archive))
            revus[{TexteDate(j.jour), j.site, j.instrument}] = std::move(j);
    Requete r(base,
              "SELECT r.jour, s.nom, r.instrument, r.enregistrements, r.niveau15, r.vert_mediane, "
              "r.vert_min, r.vert_max, r.rouge_mediane, r.rouge_min, r.rouge_max, "
              "r.angstrom_mediane, r.angstrom_min, r.angstrom_max, r.niveau20 FROM resumes_jours r "
              "JOIN sites "
              "s ON s.id = r.site WHERE (? IS NULL OR r.jour >= ?) AND (? IS NULL OR r.jour <= ?) "
              "AND (? IS NULL OR r.instrument = ?) AND (? IS NULL OR s.nom = ?) ORDER BY r.jour, "
              "s.nom, r.instrument");
    r.Lier(1, TexteDate(choix.du))
        .Lier(2, TexteDate(choix.du))
        .Lier(3, TexteDate(choix.au))
        .Lier(4, TexteDate(choix.au));
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
        j.niveau20 = static_cast<int>(r.Entier(14));
        const auto revu = revus.find({r.Texte(0), j.site, j.instrument});
        jours.push_back(revu == revus.end() ? std::move(j) : revu->second);
    }
    return jours;
}

}  // namespace archive
