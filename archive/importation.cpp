#include "archive/importation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "archive/empreinte.h"
#include "archive/lecture.h"
#include "archive/resumes.h"
#include "platform/exception.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "science/lignes_fichier.h"
#include "science/nombres.h"
#include "science/recalcul.h"

namespace archive {

namespace fs = std::filesystem;

namespace {

std::string Lire(const std::string& chemin) {
    const platform::Descripteur f = science::OuvrirFichierOrdinaire(chemin);
    std::string octets;
    std::string bloc(64 * 1024, '\0');
    for (;;) {
        const ssize_t n = ::read(f.Get(), bloc.data(), bloc.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EInOutError(errno);
        if (n == 0) break;
        octets.append(bloc.data(), static_cast<size_t>(n));
    }
    return octets;
}

// The bytes up to the last line end: a torn last line is left for later.
size_t FinLignesCompletes(const std::string& octets) {
    const size_t lf = octets.rfind('\n');
    if (lf != std::string::npos) return lf + 1;
    const size_t cr = octets.rfind('\r');
    return cr == std::string::npos ? 0 : cr + 1;
}

std::string Maintenant() {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char texte[32];
    std::strftime(texte, sizeof texte, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return texte;
}

struct Lu {
    science::Journee journee;  // headers only
    struct Mesure {
        size_t serie;
        science::Enregistrement r;
        std::optional<int64_t> utc;
    };
    std::vector<Mesure> mesures;
    std::vector<std::optional<int>> annees;
    size_t anomalies = 0;
    size_t lignes = 0;  // the last complete line's number
};

Lu Analyser(std::string_view octets, const science::ReglagesRecalcul& reglages) {
    Lu lu;
    science::LecteurJournee lecteur;
    science::Recalculateur calcul(reglages);
    lecteur.OnAnomalie = [&lu](const science::Anomalie&) { ++lu.anomalies; };
    lecteur.OnEnregistrement = [&](size_t s, const science::Enregistrement& r) {
        // The instant is the computation's: the zone, the year rule, midnight.
        const science::Resultat x = calcul.Calculer(lecteur.journee, s, r);
        lu.mesures.push_back({s, r, x.utc});
    };
    science::DecoupeurLignes decoupeur;
    decoupeur.OnLigne = [&](size_t numero, std::string_view ligne) {
        lecteur.Ligne(numero, ligne);
    };
    decoupeur.OnAnomalie = [&](size_t numero, std::string m) { lecteur.Signaler(numero, m); };
    decoupeur.Octets(octets);
    decoupeur.Fin();
    lu.lignes = decoupeur.Lignes();
    lecteur.FinSerie();
    lu.journee = std::move(lecteur.journee);
    for (const auto& s : lu.journee.series) lu.annees.push_back(calcul.Annee(s.enTete).annee);
    return lu;
}

int64_t IdSite(Connexion& base, const science::Site& site) {
    Requete cherche(base,
                    "SELECT id FROM sites WHERE latitude = ? AND longitude = ? AND altitude = ? "
                    "AND fuseau = ?");
    cherche.Lier(1, site.latitude)
        .Lier(2, site.longitude)
        .Lier(3, site.altitude)
        .Lier(4, site.fuseau);
    if (cherche.Pas()) return cherche.Entier(0);
    Requete ajoute(base,
                   "INSERT INTO sites (nom, latitude, longitude, altitude, fuseau) VALUES (?, ?, "
                   "?, ?, ?)");
    ajoute.Lier(1, NomSite(site)).Lier(2, site.latitude).Lier(3, site.longitude);
    ajoute.Lier(4, site.altitude).Lier(5, site.fuseau).Executer();
    return base.DerniereLigne();
}

}  // namespace

int64_t IdInstrument(Connexion& base, const std::string& numero, const std::string& version) {
    Requete cherche(base, "SELECT id FROM instruments WHERE numero = ? AND version = ?");
    cherche.Lier(1, numero).Lier(2, version);
    if (cherche.Pas()) return cherche.Entier(0);
    Requete ajoute(base, "INSERT INTO instruments (numero, version) VALUES (?, ?)");
    ajoute.Lier(1, numero).Lier(2, version).Executer();
    return base.DerniereLigne();
}

std::string NomSite(const science::Site& site) {
    std::string nom = science::Point(site.latitude, 6) + "," + science::Point(site.longitude, 6) +
                      "," + science::Point(site.altitude, 0);
    return nom;
}

bool FichierDeMesures(const std::string& chemin) {
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::ifstream fichier(chemin, std::ios::binary);
    std::string debut(20, '\0');
    fichier.read(debut.data(), static_cast<std::streamsize>(debut.size()));
    debut.resize(static_cast<size_t>(fichier.gcount()));
    if (debut.starts_with("\xEF\xBB\xBF")) debut.erase(0, 3);
    return debut.starts_with("SOLVENARE\r") || debut.starts_with("SOLVENARE\n") ||
           debut.starts_with("-- Date     : ");
}

std::vector<std::string> FichiersAImporter(const std::vector<std::string>& chemins,
                                           std::vector<BilanImport>& ignores) {
    std::vector<std::string> fichiers;
    const auto retenir = [&](const std::string& chemin) {
        if (FichierDeMesures(chemin))
            fichiers.push_back(chemin);
        else
            ignores.push_back({chemin, Issue::Ignore, 0, 0, "ce n'est pas un fichier de mesures"});
    };
    for (const std::string& chemin : chemins) {
        struct stat st {};
        if (::stat(chemin.c_str(), &st) != 0) throw EInOutError(errno);
        if (!S_ISDIR(st.st_mode)) {
            if (!S_ISREG(st.st_mode))
                ignores.push_back(
                    {chemin, Issue::Ignore, 0, 0, "ce n'est pas un fichier ordinaire"});
            else
                retenir(chemin);
            continue;
        }
        std::vector<std::string> trouves;
        std::error_code erreur;
        for (auto i = fs::recursive_directory_iterator(chemin, erreur); !erreur && i != fs::end(i);
             i.increment(erreur))
            if (i->is_regular_file(erreur)) trouves.push_back(i->path().string());
        if (erreur) throw EInOutError(erreur.value());
        std::sort(trouves.begin(), trouves.end());
        for (const std::string& t : trouves) {
            const std::string nom = fs::path(t).filename().string();
            // The program's own files and the archive itself are no data.
            if (nom.starts_with(".")) continue;
            retenir(t);
        }
    }
    return fichiers;
}

BilanImport ImporterFichier(Archive& archive, const std::string& chemin,
                            const ReglagesImport& reglages) {
    BilanImport bilan{chemin, Issue::Nouveau, 0, 0, ""};
    Connexion& base = archive.Base();
    std::error_code e;
    const std::string absolu = fs::weakly_canonical(fs::absolute(chemin), e).string();

    const std::string octets = Lire(chemin);
    const std::string_view complet(octets.data(), FinLignesCompletes(octets));
    science::ReglagesRecalcul calcul;
    calcul.site = reglages.site;
    calcul.site.ozone = std::nullopt;
    calcul.ozone = reglages.ozone ? reglages.ozone : reglages.site.ozone;
    calcul.annee = reglages.annee;
    calcul.modification = science::DateModification(chemin);
    const std::string empreinte = EmpreinteDe(complet);

    Transaction t(base);
    const int64_t site = IdSite(base, reglages.site);
    Requete cherche(base,
                    "SELECT id, taille, empreinte, lignes, site, annee, ozone, modification FROM "
                    "fichiers WHERE chemin = ? AND origine = ''");
    cherche.Lier(1, absolu);
    int64_t fichier = 0;  // rowids start at 1
    size_t dejaLignes = 0;
    if (cherche.Pas()) {
        fichier = cherche.Entier(0);
        const auto taille = static_cast<size_t>(cherche.Entier(1));
        // The modification date is not a setting: it moves whenever the
        // file grows or is touched.
        const bool memesReglages = cherche.Entier(4) == site &&
                                   cherche.EntierOuRien(5) == reglages.annee &&
                                   cherche.ReelOuRien(6) == calcul.ozone;
        const bool debutIntact =
            complet.size() >= taille && EmpreinteDe(complet.substr(0, taille)) == cherche.Texte(2);
        if (memesReglages && debutIntact && complet.size() == taille) {
            bilan.issue = Issue::DejaLa;
            return bilan;
        }
        if (memesReglages && debutIntact) {
            bilan.issue = Issue::Agrandi;
            dejaLignes = static_cast<size_t>(cherche.Entier(3));
            // The year rule of the first import: the file's new date must
            // not move the days already in the archive.
            if (const auto d = LireDate(cherche.Texte(7))) calcul.modification = *d;
        } else {
            bilan.issue = Issue::Remplace;
            bilan.raison = !debutIntact ? "son début a changé depuis son import"
                                        : "importé avec d'autres réglages";
            // The same row, so that the days it held are still known to
            // the summaries.
            Requete efface(base, "DELETE FROM series WHERE fichier = ?");
            efface.Lier(1, fichier).Executer();
        }
    }
    cherche.Reprendre();
    if (fichier == 0) {
        // The same bytes merged from another station's archive: counted once.
        Requete meme(base, "SELECT origine FROM fichiers WHERE empreinte = ? AND taille = ?");
        meme.Lier(1, empreinte).Lier(2, complet.size());
        if (meme.Pas()) {
            bilan.issue = Issue::DejaLa;
            bilan.raison = "les mêmes octets viennent de « " + meme.Texte(0) + " »";
            return bilan;
        }
    }

    const Lu lu = Analyser(complet, calcul);
    bilan.anomalies = lu.anomalies;
    if (fichier == 0) {
        Requete ajoute(
            base,
            "INSERT INTO fichiers (origine, chemin, taille, empreinte, lignes, site, "
            "annee, ozone, modification, importe) VALUES ('', ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        ajoute.Lier(1, absolu).Lier(2, complet.size()).Lier(3, empreinte).Lier(4, size_t{0});
        ajoute.Lier(5, site).Lier(6, reglages.annee).Lier(7, calcul.ozone);
        ajoute.Lier(8, TexteDate(calcul.modification)).Lier(9, Maintenant()).Executer();
        fichier = base.DerniereLigne();
    }
    {
        Requete maj(base,
                    "UPDATE fichiers SET taille = ?, empreinte = ?, lignes = ?, site = ?, annee = "
                    "?, ozone = ?, modification = ? WHERE id = ?");
        maj.Lier(1, complet.size()).Lier(2, empreinte).Lier(3, lu.lignes).Lier(4, site);
        maj.Lier(5, reglages.annee).Lier(6, calcul.ozone).Lier(7, TexteDate(calcul.modification));
        maj.Lier(8, fichier).Executer();
    }

    // The headers: a series whose header was torn at the last import is
    // completed now.
    Requete serie(
        base,
        "INSERT INTO series (fichier, ligne, instrument, bloc, date, jour_semaine, jour, mois, "
        "pression, angle, v0_vert, vn_vert, v0_rouge, vn_rouge, valeurs_refusees, "
        "pression_refusee, annee) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (fichier, ligne) DO UPDATE SET instrument = excluded.instrument, bloc = "
        "excluded.bloc, date = excluded.date, jour_semaine = excluded.jour_semaine, jour = "
        "excluded.jour, mois = excluded.mois, pression = excluded.pression, angle = "
        "excluded.angle, v0_vert = excluded.v0_vert, vn_vert = excluded.vn_vert, v0_rouge = "
        "excluded.v0_rouge, vn_rouge = excluded.vn_rouge, valeurs_refusees = "
        "excluded.valeurs_refusees, pression_refusee = excluded.pression_refusee, annee = "
        "excluded.annee");
    Requete idSerie(base, "SELECT id FROM series WHERE fichier = ? AND ligne = ?");
    std::vector<int64_t> ids;
    for (size_t s = 0; s < lu.journee.series.size(); ++s) {
        const science::EnTeteSerie& h = lu.journee.series[s].enTete;
        serie.Lier(1, fichier).Lier(2, h.ligne);
        serie.Lier(3, IdInstrument(base, h.photometre, h.logiciel));
        serie.Lier(4, std::string(1, h.bloc)).Lier(5, h.date).Lier(6, h.jourSemaine);
        serie.Lier(7, h.jour).Lier(8, h.mois).Lier(9, h.pression).Lier(10, h.angle);
        serie.Lier(11, h.v0Vert).Lier(12, h.vnVert).Lier(13, h.v0Rouge).Lier(14, h.vnRouge);
        serie.Lier(15, int{h.valeursRefusees}).Lier(16, int{h.pressionRefusee});
        serie.Lier(17, lu.annees[s]);
        serie.Executer();
        idSerie.Lier(1, fichier).Lier(2, h.ligne);
        idSerie.Pas();
        ids.push_back(idSerie.Entier(0));
        idSerie.Reprendre();
    }
    Requete mesure(base,
                   "INSERT INTO mesures (serie, ligne, utc, mode, jours, secondes, v_vert, "
                   "eo_vert, v_rouge, eo_rouge, temperature) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                   "?)");
    const auto millioniemes = [](const std::optional<double>& v) -> std::optional<int64_t> {
        if (!v) return std::nullopt;
        return Millioniemes(*v);
    };
    for (const Lu::Mesure& m : lu.mesures) {
        if (m.r.ligne <= dejaLignes) continue;
        mesure.Lier(1, ids[m.serie]).Lier(2, m.r.ligne).Lier(3, m.utc);
        mesure.Lier(4, m.r.mode == science::Mode::Continu ? 1 : 0).Lier(5, m.r.jours);
        mesure.Lier(6, m.r.secondes).Lier(7, millioniemes(m.r.vVert));
        mesure.Lier(8, millioniemes(m.r.eoVert)).Lier(9, millioniemes(m.r.vRouge));
        mesure.Lier(10, millioniemes(m.r.eoRouge)).Lier(11, m.r.temperature);
        mesure.Executer();
        ++bilan.ajoutes;
    }
    ActualiserResumes(archive, {fichier});
    t.Valider();
    return bilan;
}

}  // namespace archive
