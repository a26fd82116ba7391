#include "archivage/commandes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "archive/archive.h"
#include "archive/demi_journees.h"
#include "archive/entretien.h"
#include "archive/etalonnage.h"
#include "archive/export.h"
#include "archive/fusion.h"
#include "archive/importation.h"
#include "archive/jours.h"
#include "archive/lecture.h"
#include "archive/lieu.h"
#include "archive/niveau2.h"
#include "journee/cible_csv.h"
#include "platform/commande.h"
#include "platform/fichier_atomique.h"
#include "platform/flux_descripteur.h"
#include "platform/localisation.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "science/fuseau.h"
#include "science/nombres.h"
#include "science/site.h"

namespace archivage {

namespace {

constexpr char Programme[] = "solvenare-archive : ";
using Arret = platform::ArretCommande;
using platform::LecteurParti;
using platform::SortieStandard;

void Verifier(std::ostream& flux, const std::string& nom) {
    platform::VerifierSortie(flux, nom, SortieFichier);
}

void Terminer(std::ostream& flux, const std::string& nom) {
    platform::TerminerSortie(flux, nom, SortieFichier);
}

// The site as solvenare-journee finds it; the archive needs one to date
// the records.
science::Site ChoisirSite(const Options& o, std::ostream& erreurs) {
    science::Site site;
    if (o.site) {
        try {
            site = science::SiteDepuisArgument(*o.site);
        } catch (const science::ErreurSite& e) {
            throw Arret{SortieArguments, "--site : " + e.Message()};
        }
    } else {
        try {
            site = science::LireSite(science::NomFichierSite);
        } catch (const science::ErreurSite& e) {
            throw Arret{SortieFichier, e.Message() + " (ou donnez --site LAT,LON)"};
        }
    }
    if (o.fuseau) site.fuseau = *o.fuseau;
    try {
        science::Fuseau verification(site.fuseau);
    } catch (const science::ErreurFuseau& e) {
        throw Arret{o.fuseau ? SortieArguments : SortieFichier, e.Message()};
    }
    if (site.fuseau.empty()) {
        // The archive keeps the zone's name: read on another machine, its
        // days must stay where they were.
        const std::string systeme = platform::FuseauSysteme();
        erreurs << Programme
                << (o.site
                        ? std::string("pas de --fuseau")
                        : std::string(science::NomFichierSite) + " ne donne pas de fuseau horaire")
                << " : celui du système est utilisé"
                << (systeme.empty() ? "" : " (" + systeme + ")") << "\n";
        site.fuseau = systeme;
    }
    return site;
}

std::string Chemin(const Options& o) {
    return o.archive ? *o.archive : ArchiveParDefaut();
}

int Importer(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    archive::ReglagesImport reglages;
    reglages.site = ChoisirSite(o, erreurs);
    reglages.annee = o.annee;
    reglages.ozone = o.ozone;
    std::vector<archive::BilanImport> ignores;
    std::vector<std::string> fichiers;
    for (const std::string& chemin : o.chemins) {
        try {
            const auto trouves = archive::FichiersAImporter({chemin}, ignores);
            fichiers.insert(fichiers.end(), trouves.begin(), trouves.end());
        } catch (const EInOutError& e) {
            throw Arret{SortieFichier, "Impossible de lire « " + chemin + " » : " + e.Message()};
        }
    }
    // The archive itself, found in a folder given, is no data file.
    const std::string chemin = Chemin(o);
    archive::Archive a(chemin, archive::Acces::Ecriture);
    int code = SortieSucces;
    size_t importes = 0;
    std::vector<std::string> instruments;
    for (const std::string& f : fichiers) {
        if (journee::MemeFichier(f, chemin)) continue;
        archive::BilanImport b;
        try {
            b = archive::ImporterFichier(a, f, reglages);
        } catch (const EInOutError& e) {
            erreurs << Programme << "Impossible de lire « " << f << " » : " << e.Message() << "\n";
            code = SortieFichier;
            continue;
        } catch (const archive::ErreurArchive& e) {
            throw Arret{SortieFichier, e.Message() + " ; l'import de « " + f +
                                           " » est annulé, l'archive est restée comme avant lui"};
        }
        sortie << "« " << f << " » : ";
        switch (b.issue) {
            case archive::Issue::Nouveau:
                sortie << "importé, " << b.ajoutes << " enregistrement(s)";
                break;
            case archive::Issue::DejaLa:
                sortie << "déjà dans l'archive, rien de nouveau";
                if (!b.raison.empty()) sortie << " (" << b.raison << ")";
                break;
            case archive::Issue::Agrandi:
                sortie << "a grandi, " << b.ajoutes << " enregistrement(s) ajouté(s)";
                break;
            case archive::Issue::Remplace:
                sortie << "importé à nouveau en entier (" << b.raison << "), " << b.ajoutes
                       << " enregistrement(s)";
                break;
            case archive::Issue::Ignore:
                break;
        }
        if (b.anomalies > 0)
            sortie << " ; " << b.anomalies
                   << " ligne(s) ignorée(s) ou signalée(s) (solvenare-journee --resume les "
                      "détaille)";
        sortie << "\n";
        if (b.issue != archive::Issue::DejaLa) ++importes;
        for (const std::string& i : b.instruments)
            if (std::find(instruments.begin(), instruments.end(), i) == instruments.end())
                instruments.push_back(i);
        Verifier(sortie, SortieStandard);
    }
    // The batch's calibration knots and the level 2.0 of the days they
    // reach, once for all its files.
    archive::ActualiserNiveau2(a);
    // The instruments whose history changed, checked against it once.
    for (const std::string& i : instruments)
        for (const archive::HistoriqueInstrument& h : archive::Historiques(a, i))
            if (const auto avis = archive::AvisConstantes(h)) sortie << *avis << "\n";
    for (const archive::BilanImport& b : ignores)
        sortie << "« " << b.chemin << " » : ignoré, " << b.raison << "\n";
    sortie << fichiers.size() << " fichier(s) de mesures, " << importes
           << " importé(s) ou complété(s), " << ignores.size()
           << " autre(s) fichier(s) ignoré(s)\n";
    Terminer(sortie, SortieStandard);
    return code;
}

std::string Valeur(const std::optional<archive::Plage>& p) {
    if (!p) return ";;";
    return science::Point(p->mediane, 4) + ";" + science::Point(p->min, 4) + ";" +
           science::Point(p->max, 4);
}

int Jours(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    archive::Archive a(Chemin(o), archive::Acces::Lecture);
    archive::ChoixJours choix;
    choix.du = o.du;
    choix.au = o.au;
    choix.instrument = o.instrument;
    const auto jours = archive::Jours(a, choix);
    for (const archive::ResumeJour& j : jours) {
        sortie << "jour;" << archive::TexteDate(j.jour) << ';' << j.site << ';' << j.instrument
               << ';' << j.enregistrements << ';' << j.niveau15 << ';' << Valeur(j.vert) << ';'
               << Valeur(j.rouge) << ';' << Valeur(j.angstrom) << ';' << j.niveau20 << ';'
               << (j.NiveauDeux() ? "2.0" : "1.5") << '\n';
        Verifier(sortie, SortieStandard);
    }
    if (jours.empty()) erreurs << Programme << "aucun jour dans l'archive pour ce choix\n";
    Terminer(sortie, SortieStandard);
    return SortieSucces;
}

int Exporter(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    const std::string chemin = Chemin(o);
    const bool fichier = *o.csv != "-";
    if (fichier && journee::MemeFichier(*o.csv, chemin))
        throw Arret{SortieArguments, "--csv : « " + *o.csv +
                                         " » est l'archive elle-même : elle ne sera pas écrasée"};
    if (fichier)
        if (const auto refus = journee::RefusCible(*o.csv, chemin, platform::DossiersProgramme()))
            throw Arret{SortieArguments, *refus};
    archive::Archive a(chemin, archive::Acces::Lecture);
    archive::ChoixExport choix;
    choix.du = o.du;
    choix.au = o.au;
    choix.instrument = o.instrument;
    platform::FichierAtomique cible;
    std::optional<platform::FluxDescripteur> tampon;
    std::optional<std::ostream> flux;
    std::ostream* out = &sortie;
    std::string nom = SortieStandard;
    if (fichier) {
        if (const int erreur = cible.Ouvrir(*o.csv))
            throw Arret{SortieFichier, "Impossible d'écrire « " + *o.csv +
                                           " » : " + platform::TexteErreurSysteme(erreur)};
        tampon.emplace(cible.Get());
        flux.emplace(&*tampon);
        out = &*flux;
        nom = *o.csv;
    }
    const size_t lignes = archive::Exporter(a, choix, *out, [&] { Verifier(*out, nom); });
    Terminer(*out, nom);
    if (fichier)
        if (const int erreur = cible.Valider())
            throw Arret{SortieFichier, "Impossible d'écrire « " + *o.csv +
                                           " » : " + platform::TexteErreurSysteme(erreur)};
    if (lignes == 0) erreurs << Programme << "aucune mesure dans l'archive pour ce choix\n";
    return SortieSucces;
}

const char* TexteStatut(science::StatutLangley s) {
    switch (s) {
        case science::StatutLangley::Accepte:
            return "accepte";
        case science::StatutLangley::Aberrant:
            return "aberrant";
        case science::StatutLangley::Rejete:
            break;
    }
    return "rejete";
}

int Etalonnage(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    archive::Archive a(Chemin(o), archive::Acces::Lecture);
    const auto historiques = archive::Historiques(a, o.instrument);
    std::vector<science::Voie> voies;
    if (!o.canal || *o.canal == "vert") voies.push_back(science::Voie::Vert);
    if (!o.canal || *o.canal == "rouge") voies.push_back(science::Voie::Rouge);
    const auto choisie = [&](science::Voie v) {
        return std::find(voies.begin(), voies.end(), v) != voies.end();
    };
    size_t lignes = 0;
    for (const archive::HistoriqueInstrument& h : historiques) {
        for (size_t i = 0; i < h.demiJournees.size(); ++i) {
            const archive::DemiJourneeArchivee& d = h.demiJournees[i];
            if (!choisie(d.voie)) continue;
            const science::LangleyDemiJour& l = d.langley;
            sortie << "langley;" << h.instrument << ';' << archive::TexteDate(d.date) << ';'
                   << archive::NomDemi(d.demi) << ';' << archive::NomVoie(d.voie) << ';'
                   << science::Point(l.v0, 4) << ';' << science::Point(l.erreurTypeV0, 4) << ';'
                   << science::Point(l.pente, 5) << ';' << science::Point(l.r2, 5) << ';'
                   << l.points << ';' << l.exclus << ';' << l.verdict << ';'
                   << TexteStatut(h.statuts[i]) << '\n';
            ++lignes;
            Verifier(sortie, SortieStandard);
        }
        for (const science::Voie v : voies) {
            const auto e = archive::EtatRecent(h, v);
            if (!e) continue;
            sortie << "recommande;" << archive::NomVoie(v) << ';' << archive::TexteDate(e->date)
                   << ';';
            if (const auto& r = e->recommandation)
                sortie << science::Point(r->v0, 4) << ';' << science::Point(r->ecartType, 4) << ';'
                       << r->nombre << ';';
            else
                sortie << ";;0;";
            if (e->derive) sortie << science::Point(e->derive->pourCentParAn, 2);
            sortie << '\n';
        }
    }
    if (lignes == 0)
        erreurs << Programme << "aucune demi-journée de Langley dans l'archive pour ce choix\n";
    Terminer(sortie, SortieStandard);
    return SortieSucces;
}

int Fusionner(const Options& o, std::ostream& sortie) {
    const std::string chemin = Chemin(o);
    if (journee::MemeFichier(o.chemins[0], chemin))
        throw Arret{SortieArguments,
                    "fusionner : « " + o.chemins[0] + " » est l'archive elle-même"};
    archive::Archive autre(o.chemins[0], archive::Acces::Lecture);
    archive::Archive a(chemin, archive::Acces::Ecriture);
    const archive::BilanFusion b = archive::Fusionner(a, autre);
    sortie << "« " << o.chemins[0] << " » : " << b.fichiers << " fichier(s) ajouté(s), "
           << b.enregistrements << " enregistrement(s) ; " << b.dejaLa
           << " fichier(s) déjà dans l'archive\n";
    archive::ActualiserNiveau2(a);
    // The same warning as an import's, for the histories the merge changed.
    for (const std::string& i : b.instruments)
        for (const archive::HistoriqueInstrument& h : archive::Historiques(a, i))
            if (const auto avis = archive::AvisConstantes(h)) sortie << *avis << "\n";
    Terminer(sortie, SortieStandard);
    return SortieSucces;
}

int Sauvegarder(const Options& o, std::ostream& sortie) {
    const std::string chemin = Chemin(o);
    const std::string& cible = o.chemins[0];
    if (journee::MemeFichier(cible, chemin))
        throw Arret{SortieArguments, "sauvegarder : « " + cible + " » est l'archive elle-même"};
    if (const auto refus = journee::RefusCible(cible, chemin, platform::DossiersProgramme()))
        throw Arret{SortieArguments, "sauvegarder" + refus->substr(5)};
    archive::Archive a(chemin, archive::Acces::Lecture);
    archive::Sauvegarder(a, cible);
    sortie << "L'archive « " << chemin << " » est copiée dans « " << cible << " »\n";
    Terminer(sortie, SortieStandard);
    return SortieSucces;
}

int VerifierArchive(const Options& o, std::ostream& sortie) {
    const std::string chemin = Chemin(o);
    archive::Archive a(chemin, archive::Acces::Lecture);
    const auto defauts = archive::Verifier(a);
    for (const std::string& d : defauts) sortie << "« " << chemin << " » : " << d << "\n";
    if (defauts.empty()) sortie << "L'archive « " << chemin << " » est saine\n";
    Terminer(sortie, SortieStandard);
    return defauts.empty() ? SortieSucces : SortieFichier;
}

int Lancer(const Options& o, std::ostream& sortie, std::ostream& erreurs) {
    if (o.commande == "importer") return Importer(o, sortie, erreurs);
    if (o.commande == "jours") return Jours(o, sortie, erreurs);
    if (o.commande == "exporter") return Exporter(o, sortie, erreurs);
    if (o.commande == "etalonnage") return Etalonnage(o, sortie, erreurs);
    if (o.commande == "fusionner") return Fusionner(o, sortie);
    if (o.commande == "sauvegarder") return Sauvegarder(o, sortie);
    if (o.commande == "verifier") return VerifierArchive(o, sortie);
    sortie << TexteUsage();
    Terminer(sortie, SortieStandard);
    return SortieSucces;
}

}  // namespace

std::string ArchiveParDefaut() {
    return archive::ArchiveParDefaut();
}

int Executer(const Options& options, std::ostream& sortie, std::ostream& erreurs) {
    try {
        if (options.aide) {
            sortie << TexteUsage();
            Terminer(sortie, SortieStandard);
            return SortieSucces;
        }
        return Lancer(options, sortie, erreurs);
    } catch (const Arret& a) {
        erreurs << Programme << a.message << "\n";
        return a.code;
    } catch (const LecteurParti&) {
        return SortieSucces;
    } catch (const archive::ErreurArchive& e) {
        erreurs << Programme << e.Message() << "\n";
    } catch (const std::bad_alloc&) {
        erreurs << Programme << "mémoire insuffisante\n";
    } catch (const std::exception& e) {
        erreurs << Programme << e.what() << "\n";
    }
    return SortieFichier;
}

}  // namespace archivage
