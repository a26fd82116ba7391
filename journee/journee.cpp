#include "journee/journee.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "platform/textfile.h"
#include "science/export_csv.h"
#include "science/fichier_journee.h"
#include "science/langley.h"
#include "science/nombres.h"
#include "science/recalcul.h"
#include "science/site.h"

namespace journee {

using namespace science;

namespace {

// An error that ends the run with its exit code.
struct Arret {
    int code;
    std::string message;
};

Site ChoisirSite(const Options& o) {
    Site site;
    if (o.site) {
        try {
            site = SiteDepuisArgument(*o.site);
        } catch (const ErreurSite& e) {
            throw Arret{SortieArguments, "--site : " + e.Message()};
        }
    } else {
        try {
            site = LireSite(NomFichierSite);
        } catch (const ErreurSite& e) {
            throw Arret{SortieFichier, e.Message() + " (ou donnez --site LAT,LON)"};
        }
    }
    if (o.fuseau) site.fuseau = *o.fuseau;
    try {
        Fuseau verification(site.fuseau);
    } catch (const ErreurFuseau& e) {
        throw Arret{o.fuseau ? SortieArguments : SortieFichier, e.Message()};
    }
    return site;
}

// "Lundi 7 Décembre", without the dash the clock label ends with.
std::string Date(const EnTeteSerie& e) {
    std::string date = e.date;
    while (!date.empty() && (date.back() == ' ' || date.back() == '-')) date.pop_back();
    return date;
}

std::string Heure(int secondes) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "%02d:%02d:%02d", secondes / 3600, secondes / 60 % 60,
                  secondes % 60);
    return texte;
}

// The series with the most records in the range: a Langley fit belongs to
// one set of constants.
std::optional<size_t> SerieLangley(const std::vector<Resultat>& resultats, int debut, int fin) {
    std::map<size_t, size_t> compte;
    for (const Resultat& r : resultats) {
        const int t = r.secondesHorloge;
        if (debut <= fin ? t >= debut && t <= fin : t >= debut || t <= fin) ++compte[r.serie];
    }
    if (compte.empty()) return std::nullopt;
    return std::max_element(compte.begin(), compte.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

void Langley(const Journee& j, const std::vector<Resultat>& resultats, std::pair<int, int> plage,
             std::ostream& sortie, std::ostream& erreurs) {
    const auto serie = SerieLangley(resultats, plage.first, plage.second);
    if (serie)
        erreurs << "Langley : série de la ligne " << j.series[*serie].enTete.ligne << " ("
                << Date(j.series[*serie].enTete) << ")\n";
    else
        erreurs << "Langley : aucun enregistrement entre " << Heure(plage.first) << " et "
                << Heure(plage.second) << "\n";
    for (const Canal canal : {Canal::Vert, Canal::Rouge}) {
        const char* nom = canal == Canal::Vert ? "vert" : "rouge";
        const auto a =
            serie
                ? AjusterLangley(PointsLangley(resultats, *serie, canal, plage.first, plage.second))
                : std::nullopt;
        if (!a) {
            if (serie) erreurs << "Langley " << nom << " : moins de trois points utilisables\n";
            sortie << "langley;" << nom << ";;;;;0;0\n";
            continue;
        }
        sortie << "langley;" << nom << ';' << Point(a->v0, 4) << ';' << Point(a->erreurTypeV0, 4)
               << ';' << Point(a->pente, 5) << ';' << Point(a->r2, 5) << ';' << a->points << ';'
               << a->exclus << '\n';
    }
}

void Resume(const Options& o, const Site& site, const Journee& j,
            const std::vector<Resultat>& resultats, std::ostream& sortie) {
    sortie << "Fichier : " << o.fichier << "\n"
           << "Site : latitude " << Point(site.latitude, 6) << "°, longitude "
           << Point(site.longitude, 6) << "°, altitude " << Point(site.altitude, 0) << " m, fuseau "
           << (site.fuseau.empty() ? "du système" : site.fuseau) << "\n"
           << j.series.size() << " série(s), " << resultats.size() << " enregistrement(s), "
           << j.anomalies.size() << " ligne(s) ignorée(s) ou signalée(s)\n";
    for (size_t s = 0; s < j.series.size(); ++s) {
        const EnTeteSerie& e = j.series[s].enTete;
        sortie << "Série " << s + 1 << " (ligne " << e.ligne << ") : " << Date(e)
               << ", photomètre n°" << e.photometre << ", "
               << (e.pression ? std::to_string(*e.pression) + " hPa" : "pression inconnue") << ", "
               << j.series[s].enregistrements.size() << " enregistrement(s)";
        std::optional<double> basse, haute;
        for (const Resultat& r : resultats)
            if (r.serie == s && r.elevation) {
                basse = std::min(basse.value_or(*r.elevation), *r.elevation);
                haute = std::max(haute.value_or(*r.elevation), *r.elevation);
            }
        const auto& enr = j.series[s].enregistrements;
        if (!enr.empty())
            sortie << ", de " << Heure(enr.front().secondes) << " à " << Heure(enr.back().secondes);
        if (basse)
            sortie << ", soleil de " << Point(*basse, 1) << "° à " << Point(*haute, 1) << "°";
        sortie << "\n";
    }
    sortie << "(--csv SORTIE pour les mesures recalculées, --langley HH:MM-HH:MM pour une "
              "droite de Langley)\n";
}

int Lancer(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    const Site site = ChoisirSite(o);
    ReglagesRecalcul reglages;
    reglages.site = site;
    reglages.annee = o.annee;
    reglages.lambdaVert = o.lambdaVert;
    reglages.lambdaRouge = o.lambdaRouge;
    Journee j;
    try {
        j = LireFichierJournee(o.fichier);
        if (!o.annee) reglages.modification = DateModification(o.fichier);
    } catch (const EInOutError& e) {
        throw Arret{SortieFichier, "Impossible de lire « " + o.fichier + " » : " + e.Message()};
    }
    std::vector<Anomalie> anomalies = j.anomalies;
    const std::vector<Resultat> resultats = Recalculer(j, reglages, &anomalies);
    std::stable_sort(anomalies.begin(), anomalies.end(),
                     [](const Anomalie& a, const Anomalie& b) { return a.ligne < b.ligne; });
    for (const Anomalie& a : anomalies)
        erreurs << o.fichier << ", ligne " << a.ligne << " : " << a.message << "\n";

    if (o.csv) {
        if (*o.csv == "-") {
            EcrireCsv(sortie, resultats, site);
        } else {
            std::ofstream fichier(*o.csv, std::ios::binary | std::ios::trunc);
            if (fichier) EcrireCsv(fichier, resultats, site);
            fichier.close();
            if (!fichier) throw Arret{SortieFichier, "Impossible d'écrire « " + *o.csv + " »"};
        }
    }
    if (o.langley) Langley(j, resultats, *o.langley, sortie, erreurs);
    if (!o.csv && !o.langley) Resume(o, site, j, resultats, sortie);
    return SortieSucces;
}

}  // namespace

int Executer(const Options& options, std::ostream& sortie, std::ostream& erreurs) {
    if (options.aide) {
        sortie << TexteUsage();
        return SortieSucces;
    }
    try {
        return Lancer(options, sortie, erreurs);
    } catch (const Arret& a) {
        erreurs << "solvenare-journee : " << a.message << "\n";
        return a.code;
    }
}

}  // namespace journee
