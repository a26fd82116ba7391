#include "journee/journee.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <new>

#include "journee/cible_csv.h"
#include "journee/rangs_differes.h"
#include "platform/commande.h"
#include "platform/fichier_atomique.h"
#include "platform/flux_descripteur.h"
#include "platform/localisation.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "science/export_csv.h"
#include "science/fichier_journee.h"
#include "science/filtrage_nuages.h"
#include "science/langley.h"
#include "science/nombres.h"
#include "science/recalcul.h"
#include "science/site.h"
#include "science/sous_horizon.h"
#include "science/verdict_langley.h"

namespace journee {

using namespace science;

namespace {

using Arret = platform::ArretCommande;
using platform::LecteurParti;
using platform::SortieStandard;

void Verifier(std::ostream& flux, const std::string& nom) {
    platform::VerifierSortie(flux, nom, SortieFichier);
}

void Terminer(std::ostream& flux, const std::string& nom) {
    platform::TerminerSortie(flux, nom, SortieFichier);
}

// The data file must exist and be a plain file: a pipe, a device or a
// folder would hang the reading or never end it.
void VerifierEntree(const std::string& chemin) {
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0)
        throw Arret{SortieFichier, "Impossible de lire « " + chemin +
                                       " » : " + platform::TexteErreurSysteme(errno)};
    if (S_ISDIR(st.st_mode))
        throw Arret{SortieFichier, "Impossible de lire « " + chemin + " » : c'est un dossier"};
    if (!S_ISREG(st.st_mode))
        throw Arret{SortieFichier, "Impossible de lire « " + chemin +
                                       " » : ce n'est pas un fichier ordinaire (tube, "
                                       "périphérique…)"};
}

// The folder for temporary files: $TMPDIR, else /tmp.
std::string DossierTemporaire() {
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) return tmp;
    return "/tmp";
}

std::string DossierDe(const std::string& chemin) {
    const size_t slash = chemin.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : chemin.substr(0, slash);
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
        const std::string systeme = platform::FuseauSysteme();
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

// A Langley fit belongs to one set of constants: the series with the most
// records in the range. Series come one after the other, so only the best so
// far and the current one are kept, and of them only their points, the ozone
// taken out with the site's altitude as the calibration history does.
class PlageSeries {
  public:
    PlageSeries(std::pair<int, int> plage, double altitude) : plage_(plage), altitude_(altitude) {}
    void Ajouter(const Resultat& r) {
        if (r.secondesHorloge < plage_.first || r.secondesHorloge > plage_.second) return;
        if (!courante_ || courante_->serie != r.serie) {
            Clore();
            courante_ = Points{r.serie, 0, {}, {}};
        }
        ++courante_->compte;
        const std::vector<Resultat> un = {r};
        for (const Voie voie : {Voie::Vert, Voie::Rouge})
            for (const PointLangley& p :
                 PointsLangley(un, r.serie, voie, plage_.first, plage_.second, altitude_))
                (voie == Voie::Vert ? courante_->vert : courante_->rouge).push_back(p);
    }
    struct Points {
        size_t serie = 0, compte = 0;
        std::vector<PointLangley> vert, rouge;
    };
    // The series chosen, once every record has been given.
    const std::optional<Points>& Meilleure() {
        Clore();
        return meilleure_;
    }

  private:
    void Clore() {
        if (courante_ && (!meilleure_ || courante_->compte > meilleure_->compte))
            meilleure_ = std::move(courante_);
        courante_.reset();
    }
    std::pair<int, int> plage_;
    double altitude_;
    std::optional<Points> meilleure_, courante_;
};

void Langley(const Journee& j, PlageSeries& series, std::pair<int, int> plage, std::ostream& sortie,
             std::ostream& erreurs) {
    const auto& serie = series.Meilleure();
    if (serie)
        erreurs << "Langley : série de la ligne " << j.series[serie->serie].enTete.ligne << " ("
                << Date(j.series[serie->serie].enTete) << ")\n";
    else
        erreurs << "Langley : aucun enregistrement entre " << Heure(plage.first) << " et "
                << Heure(plage.second) << "\n";
    for (const Voie voie : {Voie::Vert, Voie::Rouge}) {
        const bool vert = voie == Voie::Vert;
        const char* nom = vert ? "vert" : "rouge";
        // The day view's checks: a fit that fails them is printed, and said.
        const VoieLangley c =
            AjusterVoie(serie ? (vert ? serie->vert : serie->rouge) : std::vector<PointLangley>{});
        const auto defauts = DefautsLangley(c, vert ? "voie verte" : "voie rouge");
        if (serie)
            for (const DefautLangley& d : defauts) erreurs << "Langley : " << d.texte << "\n";
        if (const auto& a = c.ajustement)
            sortie << "langley;" << nom << ';' << Point(a->v0, 4) << ';'
                   << Point(a->erreurTypeV0, 4) << ';' << Point(a->pente, 5) << ';'
                   << Point(a->r2, 5) << ';' << a->points << ';' << a->exclus << ';';
        else
            sortie << "langley;" << nom << ";;;;;0;0;";
        sortie << CodeVerdict(defauts) << '\n';
    }
    Verifier(sortie, SortieStandard);
}

void Resume(const Options& o, const SiteChoisi& choix, const Journee& j,
            const std::vector<Bilan>& bilans, size_t enregistrements, size_t anomalies,
            const SousHorizon& nuit, std::ostream& sortie) {
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
    // A night's records would otherwise read as a failure of the computation.
    if (const std::string phrase = nuit.Phrase(); !phrase.empty()) sortie << phrase << "\n";
    sortie << "(--csv SORTIE pour les mesures recalculées, --langley HH:MM-HH:MM pour une "
              "droite de Langley)\n";
    Verifier(sortie, SortieStandard);
}

int Lancer(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    // The missing file first: no other complaint makes sense before it.
    VerifierEntree(o.fichier);
    const bool csvFichier = o.csv && *o.csv != "-";
    if (csvFichier)
        if (const auto refus = RefusCible(*o.csv, o.fichier, platform::DossiersProgramme()))
            throw Arret{SortieArguments, *refus};
    const bool resumeSeul = !o.csv && !o.langley;
    const SiteChoisi choix = ChoisirSite(o, resumeSeul, erreurs);
    ReglagesRecalcul reglages;
    if (choix.site) reglages.site = *choix.site;
    reglages.annee = o.annee;
    reglages.lambdaVert = o.lambdaVert;
    reglages.lambdaRouge = o.lambdaRouge;
    reglages.pression = o.pression;
    reglages.ozone = o.ozone;
    reglages.formuleProgramme = o.formuleProgramme;
    if (!o.annee) {
        try {
            reglages.modification = DateModification(o.fichier);
        } catch (const EInOutError& e) {
            throw Arret{SortieFichier, "Impossible de lire « " + o.fichier +
                                           " » : " + platform::TexteErreurSysteme(e.ErrorCode())};
        }
    }

    // The export goes to a file beside its target, put in place once whole.
    platform::FichierAtomique fichierCsv;
    std::optional<platform::FluxDescripteur> tamponCsv;
    std::optional<std::ostream> fluxCsv;
    std::ostream* sortieCsv = &sortie;
    std::string nomCsv = SortieStandard;
    // The rows wait for the cloud screening, beside the export (the same
    // disk) or, for standard output, in the temporary folder.
    std::optional<RangsDifferes> csv;
    std::string dossierRangs = DossierTemporaire();
    if (csvFichier) {
        if (const int erreur = fichierCsv.Ouvrir(*o.csv))
            throw Arret{SortieFichier, "Impossible d'écrire « " + *o.csv +
                                           " » : " + platform::TexteErreurSysteme(erreur)};
        tamponCsv.emplace(fichierCsv.Get());
        fluxCsv.emplace(&*tamponCsv);
        sortieCsv = &*fluxCsv;
        nomCsv = *o.csv;
    }
    const bool rangsACote = !fichierCsv.Temporaire().empty();
    if (rangsACote) dossierRangs = DossierDe(fichierCsv.Temporaire());
    const auto erreurRangs = [&](int erreur) {
        return Arret{SortieFichier,
                     (rangsACote ? "Impossible d'écrire « " + *o.csv + " » : "
                                 : "Impossible d'écrire un fichier temporaire dans « " +
                                       dossierRangs + " » : ") +
                         platform::TexteErreurSysteme(erreur)};
    };
    if (o.csv) {
        csv.emplace(*choix.site);
        if (const int erreur = csv->Ouvrir(dossierRangs)) throw erreurRangs(erreur);
    }

    // The file as a stream: each record computed, its row set aside and the
    // record forgotten; only a summary's figures, a Langley range's results
    // and the screening's byte a record are kept.
    size_t anomalies = 0;
    const auto signaler = [&](const Anomalie& a) {
        erreurs << o.fichier << ", ligne " << a.ligne << " : " << a.message << "\n";
        ++anomalies;
    };
    LecteurJournee lecteur;
    Recalculateur calcul(reglages);
    calcul.OnAnomalie = signaler;
    std::vector<Bilan> bilans;
    std::optional<PlageSeries> plage;
    // A Langley range always comes with a site: ChoisirSite required one.
    if (o.langley) plage.emplace(*o.langley, choix.site->altitude);
    size_t enregistrements = 0;
    SousHorizon nuit;
    lecteur.OnAnomalie = signaler;
    lecteur.OnEnregistrement = [&](size_t s, const Enregistrement& r) {
        if (bilans.size() <= s) bilans.resize(s + 1);
        Bilan& b = bilans[s];
        ++enregistrements;
        if (b.enregistrements++ == 0) {
            b.debut = r.secondes;
            // Without a site nothing is computed: the year is said here.
            if (!choix.site)
                if (const auto annee = calcul.Annee(lecteur.journee.series[s].enTete);
                    annee.remarque)
                    signaler({lecteur.journee.series[s].enTete.ligne, *annee.remarque});
        }
        b.fin = r.secondes;
        if (!choix.site) return;
        Resultat x = calcul.Calculer(lecteur.journee, s, r);
        if (x.elevation) {
            b.basse = std::min(b.basse.value_or(*x.elevation), *x.elevation);
            b.haute = std::max(b.haute.value_or(*x.elevation), *x.elevation);
        }
        nuit.Ajouter(x);
        if (csv)
            if (const int erreur = csv->Ajouter(x)) throw erreurRangs(erreur);
        if (plage) plage->Ajouter(x);
    };
    try {
        LireFichierJournee(o.fichier, lecteur);
    } catch (const EInOutError& e) {
        throw Arret{SortieFichier, "Impossible de lire « " + o.fichier + " » : " + e.Message()};
    }
    const Journee& j = lecteur.journee;

    if (csv)
        if (const int erreur = csv->Recopier(*sortieCsv, [&] { Verifier(*sortieCsv, nomCsv); }))
            throw erreurRangs(erreur);
    if (csvFichier) {
        Terminer(*fluxCsv, *o.csv);
        if (const int erreur = fichierCsv.Valider())
            throw Arret{SortieFichier, "Impossible d'écrire « " + *o.csv +
                                           " » : " + platform::TexteErreurSysteme(erreur)};
    }
    if (plage) Langley(j, *plage, *o.langley, sortie, erreurs);
    if (resumeSeul) Resume(o, choix, j, bilans, enregistrements, anomalies, nuit, sortie);
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
