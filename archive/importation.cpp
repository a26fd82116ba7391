#include "archive/importation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>

#include "archive/demi_journees.h"
#include "archive/empreinte.h"
#include "archive/lecture.h"
#include "archive/resumes.h"
#include "platform/descripteur.h"
#include "platform/exception.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "science/filtrage_nuages.h"
#include "science/lignes_fichier.h"
#include "science/nombres.h"
#include "science/recalcul.h"

namespace archive {

namespace fs = std::filesystem;

namespace {

constexpr size_t TailleBloc = 64 * 1024;

// Up to n bytes at offset; fewer only at the end of the file.
size_t LireA(int fd, char* octets, size_t n, size_t position) {
    size_t lus = 0;
    while (lus < n) {
        const ssize_t r = platform::SansInterruption(
            [&] { return ::pread(fd, octets + lus, n - lus, static_cast<off_t>(position + lus)); });
        if (r < 0) throw EInOutError(errno);
        if (r == 0) break;
        lus += static_cast<size_t>(r);
    }
    return lus;
}

// The file's first `fin` bytes, a block at a time: memory does not grow
// with the file. A file that shrank meanwhile is said.
void Parcourir(int fd, size_t fin, const std::string& chemin,
               const std::function<void(std::string_view)>& bloc) {
    std::string tampon(TailleBloc, '\0');
    for (size_t position = 0; position < fin;) {
        const size_t n = LireA(fd, tampon.data(), std::min(TailleBloc, fin - position), position);
        if (n == 0)
            throw EInOutError::Said(EIO, "« " + chemin + " » a raccourci pendant son import");
        bloc(std::string_view(tampon.data(), n));
        position += n;
    }
}

// The end of the last complete line, found from the end of the file: a torn
// last line (a write under way) is left for the next import. A file without
// any LF ends its lines with lone CRs.
size_t FinLignesCompletes(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw EInOutError(errno);
    const auto taille = static_cast<size_t>(st.st_size);
    std::string tampon(TailleBloc, '\0');
    for (const char fin : {'\n', '\r'}) {
        for (size_t haut = taille; haut > 0;) {
            const size_t bas = haut > TailleBloc ? haut - TailleBloc : 0;
            const size_t n = LireA(fd, tampon.data(), haut - bas, bas);
            const size_t p = std::string_view(tampon.data(), n).rfind(fin);
            if (p != std::string_view::npos) return bas + p + 1;
            haut = bas;
        }
    }
    return 0;
}

// The hash of the first `fin` bytes and, when given, of the first `debut`.
struct Empreintes {
    std::string tout;
    std::optional<std::string> debut;
};

Empreintes Hacher(int fd, size_t fin, std::optional<size_t> debut, const std::string& chemin) {
    Empreintes h;
    Empreinte e;
    size_t position = 0;
    const auto noter = [&] {
        if (debut && !h.debut && position == *debut) h.debut = Empreinte(e).Hex();
    };
    noter();
    Parcourir(fd, fin, chemin, [&](std::string_view bloc) {
        if (debut && !h.debut && position < *debut && position + bloc.size() >= *debut) {
            const size_t k = *debut - position;
            e.Ajouter(bloc.substr(0, k));
            position += k;
            noter();
            bloc.remove_prefix(k);
        }
        e.Ajouter(bloc);
        position += bloc.size();
    });
    h.tout = e.Hex();
    return h;
}

std::string Maintenant() {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char texte[32];
    std::strftime(texte, sizeof texte, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return texte;
}

std::optional<int64_t> Millioniemes(const std::optional<double>& v) {
    if (!v) return std::nullopt;
    return archive::Millioniemes(*v);
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

std::vector<std::string> FichiersAImporter(const std::vector<std::string>& chemins,
                                           std::vector<BilanImport>& ignores) {
    std::vector<std::string> fichiers;
    const auto retenir = [&](const std::string& chemin) {
        if (science::FichierDeMesures(chemin))
            fichiers.push_back(chemin);
        else
            ignores.push_back(
                {chemin, Issue::Ignore, 0, 0, "ce n'est pas un fichier de mesures", {}});
    };
    for (const std::string& chemin : chemins) {
        struct stat st {};
        if (::stat(chemin.c_str(), &st) != 0) throw EInOutError(errno);
        if (!S_ISDIR(st.st_mode)) {
            if (!S_ISREG(st.st_mode))
                ignores.push_back(
                    {chemin, Issue::Ignore, 0, 0, "ce n'est pas un fichier ordinaire", {}});
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
    BilanImport bilan{chemin, Issue::Nouveau, 0, 0, "", {}};
    Connexion& base = archive.Base();
    std::error_code e;
    const std::string absolu = fs::weakly_canonical(fs::absolute(chemin), e).string();

    const platform::Descripteur fd = science::OuvrirFichierOrdinaire(chemin);
    const size_t fin = FinLignesCompletes(fd.Get());
    science::ReglagesRecalcul calcul;
    calcul.site = reglages.site;
    calcul.site.ozone = std::nullopt;
    calcul.ozone = reglages.ozone ? reglages.ozone : reglages.site.ozone;
    calcul.annee = reglages.annee;
    calcul.modification = science::DateModification(chemin);

    Transaction t(base);
    const int64_t site = IdSite(base, reglages.site);
    Requete cherche(base,
                    "SELECT id, taille, empreinte, lignes, site, annee, ozone, modification FROM "
                    "fichiers WHERE chemin = ? AND origine = ''");
    cherche.Lier(1, absolu);
    int64_t fichier = 0;  // rowids start at 1
    std::optional<size_t> taille;
    std::string empreinteAvant, modificationAvant;
    size_t dejaLignes = 0;
    bool memesReglages = false;
    if (cherche.Pas()) {
        fichier = cherche.Entier(0);
        taille = static_cast<size_t>(cherche.Entier(1));
        empreinteAvant = cherche.Texte(2);
        dejaLignes = static_cast<size_t>(cherche.Entier(3));
        // The modification date is not a setting: it moves whenever the
        // file grows or is touched.
        memesReglages = cherche.Entier(4) == site && cherche.EntierOuRien(5) == reglages.annee &&
                        cherche.ReelOuRien(6) == calcul.ozone;
        modificationAvant = cherche.Texte(7);
    }
    cherche.Reprendre();
    const Empreintes empreintes = Hacher(fd.Get(), fin, taille, chemin);
    if (fichier != 0) {
        const bool debutIntact = empreintes.debut == empreinteAvant;
        if (memesReglages && debutIntact && fin == *taille) {
            bilan.issue = Issue::DejaLa;
            return bilan;
        }
        if (memesReglages && debutIntact) {
            bilan.issue = Issue::Agrandi;
            // The year rule of the first import: the file's new date must
            // not move the days already in the archive.
            if (const auto d = LireDate(modificationAvant)) calcul.modification = *d;
        } else {
            bilan.issue = Issue::Remplace;
            bilan.raison = fin < *taille  ? "il a raccourci depuis son import"
                           : !debutIntact ? "son début a changé depuis son import"
                                          : "importé avec d'autres réglages";
            dejaLignes = 0;
            // The same row, so that the days it held are still known to
            // the summaries.
            Requete efface(base, "DELETE FROM series WHERE fichier = ?");
            efface.Lier(1, fichier).Executer();
        }
    } else {
        // The same bytes, copied elsewhere or merged from another station's
        // archive: counted once.
        Requete meme(base,
                     "SELECT origine, chemin FROM fichiers WHERE empreinte = ? AND taille = ?");
        meme.Lier(1, empreintes.tout).Lier(2, fin);
        if (meme.Pas()) {
            bilan.issue = Issue::DejaLa;
            bilan.raison = meme.Texte(0).empty()
                               ? "les mêmes octets sont déjà importés de « " + meme.Texte(1) + " »"
                               : "les mêmes octets viennent de l'archive « " + meme.Texte(0) + " »";
            return bilan;
        }
        Requete ajoute(
            base,
            "INSERT INTO fichiers (origine, chemin, taille, empreinte, lignes, site, "
            "annee, ozone, modification, importe) VALUES ('', ?, 0, '', 0, ?, ?, ?, ?, ?)");
        ajoute.Lier(1, absolu).Lier(2, site).Lier(3, reglages.annee).Lier(4, calcul.ozone);
        ajoute.Lier(5, TexteDate(calcul.modification)).Lier(6, Maintenant()).Executer();
        fichier = base.DerniereLigne();
    }

    // The headers: a series is written at its first record, as complete as
    // the file made it by then, and again at the end (a header torn at the
    // last import is completed now).
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
    Requete mesure(base,
                   "INSERT INTO mesures (serie, ligne, utc, mode, jours, secondes, v_vert, "
                   "eo_vert, v_rouge, eo_rouge, temperature) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                   "?)");
    science::LecteurJournee lecteur;
    science::Recalculateur recalcul(calcul);
    const auto ecrireSerie = [&](size_t s) {
        const science::EnTeteSerie& h = lecteur.journee.series[s].enTete;
        serie.Lier(1, fichier).Lier(2, h.ligne);
        serie.Lier(3, IdInstrument(base, h.photometre, h.logiciel));
        serie.Lier(4, std::string(1, h.bloc)).Lier(5, h.date).Lier(6, h.jourSemaine);
        serie.Lier(7, h.jour).Lier(8, h.mois).Lier(9, h.pression).Lier(10, h.angle);
        serie.Lier(11, h.v0Vert).Lier(12, h.vnVert).Lier(13, h.v0Rouge).Lier(14, h.vnRouge);
        serie.Lier(15, int{h.valeursRefusees}).Lier(16, int{h.pressionRefusee});
        serie.Lier(17, recalcul.Annee(h).annee);
        serie.Executer();
        idSerie.Lier(1, fichier).Lier(2, h.ligne);
        idSerie.Pas();
        const int64_t id = idSerie.Entier(0);
        idSerie.Reprendre();
        return id;
    };

    // Each record is computed once: its instant is stored, and its depths go
    // to the cloud screening's first pass and to the days' summaries. A few
    // figures a record are kept, never the file.
    std::vector<int64_t> ids;
    std::vector<MesureResumee> resumees;
    // A record's line is about 45 bytes; a day's file holds a few thousand.
    resumees.reserve(std::min<size_t>(fin / 40, size_t{1} << 20));
    science::FiltreNuages filtre;
    CalculDemiJournees demiJournees(reglages.site.altitude);
    lecteur.OnAnomalie = [&bilan](const science::Anomalie&) { ++bilan.anomalies; };
    lecteur.OnEnregistrement = [&](size_t s, const science::Enregistrement& r) {
        if (ids.size() <= s) ids.resize(s + 1, 0);
        if (ids[s] == 0) ids[s] = ecrireSerie(s);
        const science::Resultat x = recalcul.Calculer(lecteur.journee, s, r);
        filtre.Ajouter(x);
        demiJournees.Ajouter(x);
        resumees.push_back({s, DateLocale(x), false, false, x.eoVert, x.eoRouge, x.angstrom});
        if (r.ligne <= dejaLignes) return;
        mesure.Lier(1, ids[s]).Lier(2, r.ligne).Lier(3, x.utc);
        mesure.Lier(4, r.mode == science::Mode::Continu ? 1 : 0).Lier(5, r.jours);
        mesure.Lier(6, r.secondes).Lier(7, Millioniemes(r.vVert));
        mesure.Lier(8, Millioniemes(r.eoVert)).Lier(9, Millioniemes(r.vRouge));
        mesure.Lier(10, Millioniemes(r.eoRouge)).Lier(11, r.temperature);
        mesure.Executer();
        ++bilan.ajoutes;
    };
    science::DecoupeurLignes decoupeur;
    decoupeur.OnLigne = [&](size_t numero, std::string_view ligne) {
        lecteur.Ligne(numero, ligne);
    };
    decoupeur.OnAnomalie = [&](size_t numero, std::string m) { lecteur.Signaler(numero, m); };
    Empreinte relue;
    Parcourir(fd.Get(), fin, chemin, [&](std::string_view bloc) {
        relue.Ajouter(bloc);
        decoupeur.Octets(bloc);
    });
    decoupeur.Fin();
    lecteur.FinSerie();
    // Rewritten between the two readings: what was stored is not what was hashed.
    if (relue.Hex() != empreintes.tout)
        throw EInOutError::Said(EIO, "« " + chemin + " » a changé pendant son import");
    for (size_t s = 0; s < lecteur.journee.series.size(); ++s) ecrireSerie(s);

    Requete maj(base,
                "UPDATE fichiers SET taille = ?, empreinte = ?, lignes = ?, site = ?, annee = ?, "
                "ozone = ?, modification = ? WHERE id = ?");
    maj.Lier(1, fin).Lier(2, empreintes.tout).Lier(3, decoupeur.Lignes()).Lier(4, site);
    maj.Lier(5, reglages.annee).Lier(6, calcul.ozone).Lier(7, TexteDate(calcul.modification));
    maj.Lier(8, fichier).Executer();

    // The screening's second pass, in the same order.
    filtre.Conclure();
    for (MesureResumee& m : resumees)
        m.niveau15 = filtre.Verdict(m.serie, m.vert) == science::Critere::Aucun;
    // The bytes read are what the archive now holds for the file: its
    // records computed here are those a reading would compute again.
    ActualiserResumes(archive, fichier, lecteur.journee, resumees);
    const std::vector<DemiJournee> demis = demiJournees.Conclure(lecteur.journee);
    EcrireDemiJournees(base, fichier, demis);
    for (const DemiJournee& d : demis)
        if (std::find(bilan.instruments.begin(), bilan.instruments.end(), d.instrument) ==
            bilan.instruments.end())
            bilan.instruments.push_back(d.instrument);
    t.Valider();
    return bilan;
}

}  // namespace archive
