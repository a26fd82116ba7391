#include "journee/journee.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <new>
#include <sstream>

#include "journee/cible_csv.h"
#include "platform/fichier_atomique.h"
#include "platform/flux_descripteur.h"
#include "platform/localisation.h"
#include "platform/numbers.h"
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

// The reader of standard output stopped early (| head): nothing is wrong.
struct LecteurParti {};

constexpr char SortieStandard[] = "la sortie standard";

// "Fichier introuvable" as the program says it; the system's own text for
// the rest, so the user learns the cause.
std::string TexteErreur(int erreur) {
    if (erreur == ENOENT) return EInOutError(erreur).Message();
    return localisation::SystemErrorText(erreur);
}

// After a write: a failed stream ends the run, naming what could not be written.
void Verifier(std::ostream& flux, const std::string& nom) {
    if (flux) return;
    const auto* tampon = dynamic_cast<platform::FluxDescripteur*>(flux.rdbuf());
    const int erreur = tampon != nullptr && tampon->Erreur() != 0 ? tampon->Erreur() : EIO;
    if (erreur == EPIPE && nom == SortieStandard) throw LecteurParti{};
    throw Arret{SortieFichier,
                nom == SortieStandard
                    ? "Impossible d'écrire sur la sortie standard : " + TexteErreur(erreur)
                    : "Impossible d'écrire « " + nom + " » : " + TexteErreur(erreur)};
}

void Terminer(std::ostream& flux, const std::string& nom) {
    flux.flush();
    if (auto* tampon = dynamic_cast<platform::FluxDescripteur*>(flux.rdbuf()))
        if (tampon->Vider() != 0) flux.setstate(std::ios::badbit);
    Verifier(flux, nom);
}

// The data file must exist and be a plain file: a pipe, a device or a
// folder would hang the reading or never end it.
void VerifierEntree(const std::string& chemin) {
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0)
        throw Arret{SortieFichier, "Impossible de lire « " + chemin + " » : " + TexteErreur(errno)};
    if (S_ISDIR(st.st_mode))
        throw Arret{SortieFichier, "Impossible de lire « " + chemin + " » : c'est un dossier"};
    if (!S_ISREG(st.st_mode))
        throw Arret{SortieFichier, "Impossible de lire « " + chemin +
                                       " » : ce n'est pas un fichier ordinaire (tube, "
                                       "périphérique…)"};
}

// The folders that may hold the program's own files: the current one and
// the installed program's.
std::vector<std::string> DossiersProgramme() {
    std::vector<std::string> dossiers = {"."};
    if (const char* reglage = std::getenv("SOLVENARE_DOSSIER"); reglage && *reglage)
        dossiers.push_back(reglage);
    else if (const char* maison = std::getenv("HOME"); maison && *maison)
        dossiers.push_back(std::string(maison) + "/Solvenare");
    return dossiers;
}

// The system's zone by name, where the system tells it.
std::string FuseauSysteme() {
    if (const char* tz = std::getenv("TZ"); tz && *tz) return tz;
    char lien[256];
    const ssize_t n = readlink("/etc/localtime", lien, sizeof lien - 1);
    if (n <= 0) return "";
    const std::string chemin(lien, static_cast<size_t>(n));
    const auto zoneinfo = chemin.find("zoneinfo/");
    return zoneinfo == std::string::npos ? "" : chemin.substr(zoneinfo + 9);
}

// The site, or nothing with the reason when a summary can do without one.
struct SiteChoisi {
    std::optional<Site> site;
    std::string absence;
};

SiteChoisi ChoisirSite(const Options& o, bool facultatif, std::ostream& erreurs) {
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
            if (facultatif) return {std::nullopt, e.Message()};
            throw Arret{SortieFichier, e.Message() + " (ou donnez --site LAT,LON)"};
        }
    }
    if (o.fuseau) site.fuseau = *o.fuseau;
    try {
        Fuseau verification(site.fuseau);
    } catch (const ErreurFuseau& e) {
        throw Arret{o.fuseau ? SortieArguments : SortieFichier, e.Message()};
    }
    if (site.fuseau.empty()) {
        const std::string systeme = FuseauSysteme();
        erreurs << "solvenare-journee : "
                << (o.site ? std::string("pas de --fuseau")
                           : std::string(NomFichierSite) + " ne donne pas de fuseau horaire")
                << " : celui du système est utilisé"
                << (systeme.empty() ? "" : " (" + systeme + ")") << "\n";
    }
    return {site, ""};
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

// What the summary keeps of a series: a few figures, whatever its length.
struct Bilan {
    size_t enregistrements = 0;
    std::optional<int> debut, fin;  // the clock's first and last times
    std::optional<double> basse, haute;
};

// The CSV rows, written a few at a time as the records are computed.
class ExportCsv {
  public:
    ExportCsv(std::ostream& flux, std::string nom, const Site& site)
        : flux_(flux), nom_(std::move(nom)), site_(site) {
        EcrireCsv(flux_, {}, site_);
        Verifier(flux_, nom_);
    }
    void Ajouter(const Resultat& r) {
        lot_.push_back(r);
        if (lot_.size() >= 256) Vider();
    }
    void Vider() {
        if (lot_.empty()) return;
        // The science writes whole tables: its header line is dropped.
        texte_.str("");
        EcrireCsv(texte_, lot_, site_);
        const std::string lignes = texte_.str();
        flux_.write(lignes.data() + EnTeteLongueur,
                    static_cast<std::streamsize>(lignes.size() - EnTeteLongueur));
        lot_.clear();
        Verifier(flux_, nom_);
    }

  private:
    static constexpr size_t EnTeteLongueur = sizeof EnTeteCsv - 1 + 2;
    std::ostream& flux_;
    std::string nom_;
    Site site_;
    std::vector<Resultat> lot_;
    std::ostringstream texte_;
};

// The series with the most records in the range: a Langley fit belongs to
// one set of constants.
std::optional<size_t> SerieLangley(const std::vector<Resultat>& resultats) {
    std::map<size_t, size_t> compte;
    for (const Resultat& r : resultats) ++compte[r.serie];
    if (compte.empty()) return std::nullopt;
    return std::max_element(compte.begin(), compte.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

void Langley(const Journee& j, const std::vector<Resultat>& resultats, std::pair<int, int> plage,
             std::ostream& sortie, std::ostream& erreurs) {
    const auto serie = SerieLangley(resultats);
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
    Verifier(sortie, SortieStandard);
}

void Resume(const Options& o, const SiteChoisi& choix, const Journee& j,
            const std::vector<Bilan>& bilans, size_t enregistrements, size_t anomalies,
            std::ostream& sortie) {
    sortie << "Fichier : " << o.fichier << "\n";
    if (const auto& site = choix.site)
        sortie << "Site : latitude " << FormatFixe(site->latitude, 6) << "°, longitude "
               << FormatFixe(site->longitude, 6) << "°, altitude " << FormatFixe(site->altitude, 0)
               << " m, fuseau " << (site->fuseau.empty() ? "du système" : site->fuseau) << "\n";
    else
        sortie << "Site : aucun (" << choix.absence
               << ") ; la hauteur du soleil n'est pas calculée (--site LAT,LON pour l'avoir)\n";
    sortie << j.series.size() << " série(s), " << enregistrements << " enregistrement(s), "
           << anomalies << " ligne(s) ignorée(s) ou signalée(s)\n";
    for (size_t s = 0; s < j.series.size(); ++s) {
        const EnTeteSerie& e = j.series[s].enTete;
        const Bilan b = s < bilans.size() ? bilans[s] : Bilan{};
        sortie << "Série " << s + 1 << " (ligne " << e.ligne << ") : " << Date(e)
               << ", photomètre n°" << e.photometre << ", "
               << (e.pression ? std::to_string(*e.pression) + " hPa" : "pression inconnue") << ", "
               << b.enregistrements << " enregistrement(s)";
        if (b.debut) sortie << ", de " << Heure(*b.debut) << " à " << Heure(*b.fin);
        if (b.basse)
            sortie << ", soleil de " << FormatFixe(*b.basse, 1) << "° à " << FormatFixe(*b.haute, 1)
                   << "°";
        sortie << "\n";
        Verifier(sortie, SortieStandard);
    }
    sortie << "(--csv SORTIE pour les mesures recalculées, --langley HH:MM-HH:MM pour une "
              "droite de Langley)\n";
    Verifier(sortie, SortieStandard);
}

int Lancer(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    // The missing file first: no other complaint makes sense before it.
    VerifierEntree(o.fichier);
    const bool resumeSeul = !o.csv && !o.langley;
    const SiteChoisi choix = ChoisirSite(o, resumeSeul, erreurs);
    ReglagesRecalcul reglages;
    if (choix.site) reglages.site = *choix.site;
    reglages.annee = o.annee;
    reglages.lambdaVert = o.lambdaVert;
    reglages.lambdaRouge = o.lambdaRouge;
    if (!o.annee) {
        try {
            reglages.modification = DateModification(o.fichier);
        } catch (const EInOutError& e) {
            throw Arret{SortieFichier,
                        "Impossible de lire « " + o.fichier + " » : " + TexteErreur(e.ErrorCode())};
        }
    }

    // The export goes to a file beside its target, put in place once whole.
    const bool csvFichier = o.csv && *o.csv != "-";
    if (csvFichier) {
        if (const auto refus = RefusCible(*o.csv, o.fichier, DossiersProgramme()))
            throw Arret{SortieArguments, *refus};
    }
    platform::FichierAtomique fichierCsv;
    std::optional<platform::FluxDescripteur> tamponCsv;
    std::optional<std::ostream> fluxCsv;
    std::optional<ExportCsv> csv;
    if (csvFichier) {
        if (const int erreur = fichierCsv.Ouvrir(*o.csv))
            throw Arret{SortieFichier,
                        "Impossible d'écrire « " + *o.csv + " » : " + TexteErreur(erreur)};
        tamponCsv.emplace(fichierCsv.Get());
        fluxCsv.emplace(&*tamponCsv);
        csv.emplace(*fluxCsv, *o.csv, *choix.site);
    } else if (o.csv) {
        csv.emplace(sortie, SortieStandard, *choix.site);
    }

    Journee j;
    try {
        j = LireFichierJournee(o.fichier);
    } catch (const EInOutError& e) {
        throw Arret{SortieFichier, "Impossible de lire « " + o.fichier + " » : " + e.Message()};
    }
    std::vector<Anomalie> anomalies = j.anomalies;
    Recalculateur calcul(reglages);
    std::vector<Bilan> bilans(j.series.size());
    std::vector<Resultat> plage;  // only the records a Langley fit may use
    size_t enregistrements = 0;
    for (size_t s = 0; s < j.series.size(); ++s) {
        calcul.Annee(j.series[s].enTete, &anomalies);
        for (const Enregistrement& r : j.series[s].enregistrements) {
            Bilan& b = bilans[s];
            ++b.enregistrements;
            ++enregistrements;
            if (!b.debut) b.debut = r.secondes;
            b.fin = r.secondes;
            if (!choix.site) continue;
            const Resultat x = calcul.Calculer(j, s, r);
            if (x.elevation) {
                b.basse = std::min(b.basse.value_or(*x.elevation), *x.elevation);
                b.haute = std::max(b.haute.value_or(*x.elevation), *x.elevation);
            }
            if (csv) csv->Ajouter(x);
            if (o.langley && x.secondesHorloge >= o.langley->first &&
                x.secondesHorloge <= o.langley->second)
                plage.push_back(x);
        }
    }
    std::stable_sort(anomalies.begin(), anomalies.end(),
                     [](const Anomalie& a, const Anomalie& b) { return a.ligne < b.ligne; });
    for (const Anomalie& a : anomalies)
        erreurs << o.fichier << ", ligne " << a.ligne << " : " << a.message << "\n";

    if (csv) csv->Vider();
    if (csvFichier) {
        Terminer(*fluxCsv, *o.csv);
        if (const int erreur = fichierCsv.Valider())
            throw Arret{SortieFichier,
                        "Impossible d'écrire « " + *o.csv + " » : " + TexteErreur(erreur)};
    }
    if (o.langley) Langley(j, plage, *o.langley, sortie, erreurs);
    if (resumeSeul) Resume(o, choix, j, bilans, enregistrements, anomalies.size(), sortie);
    Terminer(sortie, SortieStandard);
    return SortieSucces;
}

}  // namespace

int Executer(const Options& options, std::ostream& sortie, std::ostream& erreurs) {
    try {
        if (options.aide) {
            sortie << TexteUsage();
            Terminer(sortie, SortieStandard);
            return SortieSucces;
        }
        return Lancer(options, sortie, erreurs);
    } catch (const Arret& a) {
        erreurs << "solvenare-journee : " << a.message << "\n";
        return a.code;
    } catch (const LecteurParti&) {
        return SortieSucces;
    } catch (const std::bad_alloc&) {
        erreurs << "solvenare-journee : mémoire insuffisante\n";
    } catch (const std::exception& e) {
        erreurs << "solvenare-journee : " << e.what() << "\n";
    }
    return SortieFichier;
}

}  // namespace journee
