#include "archive/lecture.h"

#include <cmath>
#include <cstdio>

#include "science/filtrage_nuages.h"

namespace archive {

namespace {

constexpr char ChoixFichier[] =
    "SELECT f.id, f.chemin, f.site, s.nom, s.latitude, s.longitude, s.altitude, s.fuseau, "
    "f.annee, f.ozone, f.modification FROM fichiers f JOIN sites s ON s.id = f.site";

FichierArchive LireFichier(const Requete& r) {
    FichierArchive f;
    f.id = r.Entier(0);
    f.chemin = r.Texte(1);
    f.site = r.Entier(2);
    f.nomSite = r.Texte(3);
    f.reglages.site.latitude = r.Reel(4);
    f.reglages.site.longitude = r.Reel(5);
    f.reglages.site.altitude = r.Reel(6);
    f.reglages.site.fuseau = r.Texte(7);
    if (const auto annee = r.EntierOuRien(8)) f.reglages.annee = static_cast<int>(*annee);
    f.reglages.ozone = r.ReelOuRien(9);
    if (const auto date = LireDate(r.Texte(10))) f.reglages.modification = *date;
    return f;
}

}  // namespace

int64_t Millioniemes(double valeur) {
    return std::llround(valeur * 1e6);
}
double DepuisMillioniemes(int64_t valeur) {
    return static_cast<double>(valeur) / 1e6;
}

std::string TexteDate(const science::Date& d) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "%04d-%02d-%02d", d.annee, d.mois, d.jour);
    return texte;
}

std::optional<std::string> TexteDate(const std::optional<science::Date>& d) {
    if (!d) return std::nullopt;
    return TexteDate(*d);
}

std::optional<science::Date> LireDate(const std::string& texte) {
    science::Date d;
    char reste = 0;
    if (std::sscanf(texte.c_str(), "%4d-%2d-%2d%c", &d.annee, &d.mois, &d.jour, &reste) != 3)
        return std::nullopt;
    if (!science::DateValide(d)) return std::nullopt;
    return d;
}

std::vector<FichierArchive> Fichiers(Archive& archive) {
    // In the order of their first day, whatever the order of their import.
    Requete r(archive.Base(), std::string(ChoixFichier) +
                                  " ORDER BY (SELECT min(annee * 10000 + mois * 100 + jour) FROM "
                                  "series WHERE fichier = f.id), f.id");
    std::vector<FichierArchive> fichiers;
    while (r.Pas()) fichiers.push_back(LireFichier(r));
    return fichiers;
}

FichierArchive Fichier(Archive& archive, int64_t id) {
    Requete r(archive.Base(), std::string(ChoixFichier) + " WHERE f.id = ?");
    r.Lier(1, id);
    if (!r.Pas())
        throw ErreurArchive("Le fichier n°" + std::to_string(id) + " manque à l'archive « " +
                            archive.Chemin() + " »");
    return LireFichier(r);
}

namespace {

// The file's series' rows, in line order.
std::vector<int64_t> Series(Archive& archive, int64_t fichier, science::Journee* enTetes) {
    std::vector<int64_t> ids;
    Requete s(archive.Base(),
              "SELECT s.id, s.ligne, s.bloc, s.date, s.jour_semaine, s.jour, s.mois, i.numero, "
              "i.version, s.pression, s.angle, s.v0_vert, s.vn_vert, s.v0_rouge, s.vn_rouge, "
              "s.valeurs_refusees, s.pression_refusee FROM series s JOIN instruments i ON i.id = "
              "s.instrument WHERE s.fichier = ? ORDER BY s.ligne");
    s.Lier(1, fichier);
    while (s.Pas()) {
        ids.push_back(s.Entier(0));
        if (enTetes == nullptr) continue;
        science::EnTeteSerie e;
        e.ligne = static_cast<size_t>(s.Entier(1));
        const std::string bloc = s.Texte(2);
        e.bloc = bloc.empty() ? '?' : bloc[0];
        e.date = s.Texte(3);
        e.jourSemaine = static_cast<int>(s.Entier(4));
        e.jour = static_cast<int>(s.Entier(5));
        e.mois = static_cast<int>(s.Entier(6));
        e.photometre = s.Texte(7);
        e.logiciel = s.Texte(8);
        if (const auto p = s.EntierOuRien(9)) e.pression = static_cast<int>(*p);
        if (const auto a = s.EntierOuRien(10)) e.angle = static_cast<int>(*a);
        e.v0Vert = s.ReelOuRien(11);
        e.vnVert = s.ReelOuRien(12);
        e.v0Rouge = s.ReelOuRien(13);
        e.vnRouge = s.ReelOuRien(14);
        e.valeursRefusees = s.Entier(15) != 0;
        e.pressionRefusee = s.Entier(16) != 0;
        enTetes->series.push_back({e, {}});
    }
    return ids;
}

}  // namespace

science::Journee EnTetesDe(Archive& archive, int64_t fichier) {
    science::Journee j;
    Series(archive, fichier, &j);
    return j;
}

void ParcourirMesures(Archive& archive, int64_t fichier,
                      const std::function<void(size_t, const science::Enregistrement&)>& mesure) {
    const std::vector<int64_t> ids = Series(archive, fichier, nullptr);
    Requete m(archive.Base(),
              "SELECT ligne, mode, jours, secondes, v_vert, eo_vert, v_rouge, eo_rouge, "
              "temperature FROM mesures WHERE serie = ? ORDER BY ligne");
    const auto valeur = [&m](int c) -> std::optional<double> {
        if (m.Nul(c)) return std::nullopt;
        return DepuisMillioniemes(m.Entier(c));
    };
    for (size_t i = 0; i < ids.size(); ++i) {
        m.Lier(1, ids[i]);
        while (m.Pas()) {
            science::Enregistrement r;
            r.ligne = static_cast<size_t>(m.Entier(0));
            r.mode = m.Entier(1) != 0 ? science::Mode::Continu : science::Mode::Simple;
            r.jours = static_cast<int>(m.Entier(2));
            r.secondes = static_cast<int>(m.Entier(3));
            r.vVert = valeur(4);
            r.eoVert = valeur(5);
            r.vRouge = valeur(6);
            r.eoRouge = valeur(7);
            if (const auto t = m.EntierOuRien(8)) r.temperature = static_cast<int>(*t);
            mesure(i, r);
        }
        m.Reprendre();
    }
}

science::Journee JourneeDe(Archive& archive, int64_t fichier) {
    science::Journee j = EnTetesDe(archive, fichier);
    ParcourirMesures(archive, fichier, [&j](size_t s, const science::Enregistrement& r) {
        j.series[s].enregistrements.push_back(r);
    });
    return j;
}

void ParcourirResultats(Archive& archive, const FichierArchive& fichier,
                        const science::Journee& enTetes,
                        const std::function<void(science::Resultat&)>& resultat) {
    // The screening judges a record against its whole series: a first
    // reading gives it every record, the second asks for the verdicts.
    science::FiltreNuages filtre;
    {
        science::Recalculateur calcul(fichier.reglages);
        ParcourirMesures(archive, fichier.id, [&](size_t s, const science::Enregistrement& r) {
            filtre.Ajouter(calcul.Calculer(enTetes, s, r));
        });
    }
    filtre.Conclure();
    science::Recalculateur calcul(fichier.reglages);
    ParcourirMesures(archive, fichier.id, [&](size_t s, const science::Enregistrement& r) {
        science::Resultat x = calcul.Calculer(enTetes, s, r);
        filtre.Marquer(x);
        resultat(x);
    });
}

std::vector<science::Resultat> Resultats(const FichierArchive& fichier,
                                         const science::Journee& journee) {
    std::vector<science::Resultat> resultats = science::Recalculer(journee, fichier.reglages);
    science::MarquerNiveaux(resultats);
    return resultats;
}

std::optional<science::Date> DateLocale(const science::Resultat& r) {
    if (!r.utc) return std::nullopt;
    // Days since 1970 to a civil date (Hinnant's algorithm).
    const int64_t local = *r.utc + r.decalage;
    int64_t z = (local >= 0 ? local : local - 86399) / 86400 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    science::Date d;
    d.jour = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.mois = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.annee = static_cast<int>(yoe + era * 400 + (d.mois <= 2 ? 1 : 0));
    return d;
}

}  // namespace archive
