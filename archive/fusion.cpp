#include "archive/fusion.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "archive/importation.h"
#include "archive/resumes.h"

namespace archive {

namespace {

int64_t IdSiteCopie(Connexion& base, const Requete& f) {
    Requete cherche(base,
                    "SELECT id FROM sites WHERE latitude = ? AND longitude = ? AND altitude = ? "
                    "AND fuseau = ?");
    cherche.Lier(1, f.Reel(11)).Lier(2, f.Reel(12)).Lier(3, f.Reel(13)).Lier(4, f.Texte(14));
    if (cherche.Pas()) return cherche.Entier(0);
    Requete ajoute(base,
                   "INSERT INTO sites (nom, latitude, longitude, altitude, fuseau) VALUES (?, ?, "
                   "?, ?, ?)");
    ajoute.Lier(1, f.Texte(10)).Lier(2, f.Reel(11)).Lier(3, f.Reel(12)).Lier(4, f.Reel(13));
    ajoute.Lier(5, f.Texte(14)).Executer();
    return base.DerniereLigne();
}

}  // namespace

BilanFusion Fusionner(Archive& archive, Archive& autre) {
    BilanFusion bilan;
    Connexion& base = archive.Base();
    Connexion& source = autre.Base();
    const std::string nomAutre = std::filesystem::path(autre.Chemin()).filename().string();
    Requete fichiers(source,
                     "SELECT f.id, f.origine, f.chemin, f.taille, f.empreinte, f.lignes, f.annee, "
                     "f.ozone, f.modification, f.importe, s.nom, s.latitude, s.longitude, "
                     "s.altitude, s.fuseau FROM fichiers f JOIN sites s ON s.id = f.site ORDER BY "
                     "f.id");
    Requete series(source,
                   "SELECT s.id, s.ligne, i.numero, i.version, s.bloc, s.date, s.jour_semaine, "
                   "s.jour, s.mois, s.pression, s.angle, s.v0_vert, s.vn_vert, s.v0_rouge, "
                   "s.vn_rouge, s.valeurs_refusees, s.pression_refusee, s.annee FROM series s JOIN "
                   "instruments i ON i.id = s.instrument WHERE s.fichier = ? ORDER BY s.ligne");
    Requete mesures(source,
                    "SELECT ligne, utc, mode, jours, secondes, v_vert, eo_vert, v_rouge, "
                    "eo_rouge, temperature FROM mesures WHERE serie = ? ORDER BY ligne");
    while (fichiers.Pas()) {
        Transaction t(base);
        Requete deja(base, "SELECT count(*) FROM fichiers WHERE empreinte = ? AND taille = ?");
        deja.Lier(1, fichiers.Texte(4)).Lier(2, fichiers.Entier(3));
        deja.Pas();
        if (deja.Entier(0) > 0) {
            ++bilan.dejaLa;
            continue;
        }
        const int64_t site = IdSiteCopie(base, fichiers);
        Requete ajoute(
            base,
            "INSERT INTO fichiers (origine, chemin, taille, empreinte, lignes, site, "
            "annee, ozone, modification, importe) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        // Our own files are those with no origin: the other's get its name.
        const std::string origine = fichiers.Texte(1).empty() ? nomAutre : fichiers.Texte(1);
        ajoute.Lier(1, origine).Lier(2, fichiers.Texte(2)).Lier(3, fichiers.Entier(3));
        ajoute.Lier(4, fichiers.Texte(4)).Lier(5, fichiers.Entier(5)).Lier(6, site);
        ajoute.Lier(7, fichiers.EntierOuRien(6)).Lier(8, fichiers.ReelOuRien(7));
        ajoute.Lier(9, fichiers.Texte(8)).Lier(10, fichiers.Texte(9)).Executer();
        const int64_t fichier = base.DerniereLigne();
        Requete serie(base,
                      "INSERT INTO series (fichier, ligne, instrument, bloc, date, jour_semaine, "
                      "jour, mois, pression, angle, v0_vert, vn_vert, v0_rouge, vn_rouge, "
                      "valeurs_refusees, pression_refusee, annee) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                      "?, ?, ?, ?, ?, ?, ?, ?, ?)");
        Requete mesure(base,
                       "INSERT INTO mesures (serie, ligne, utc, mode, jours, secondes, v_vert, "
                       "eo_vert, v_rouge, eo_rouge, temperature) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?)");
        series.Lier(1, fichiers.Entier(0));
        while (series.Pas()) {
            serie.Lier(1, fichier).Lier(2, series.Entier(1));
            serie.Lier(3, IdInstrument(base, series.Texte(2), series.Texte(3)));
            serie.Lier(4, series.Texte(4)).Lier(5, series.Texte(5));
            for (int c = 6; c <= 10; ++c) serie.Lier(c, series.EntierOuRien(c));
            for (int c = 11; c <= 14; ++c) serie.Lier(c, series.ReelOuRien(c));
            serie.Lier(15, series.Entier(15)).Lier(16, series.Entier(16));
            serie.Lier(17, series.EntierOuRien(17)).Executer();
            const int64_t id = base.DerniereLigne();
            mesures.Lier(1, series.Entier(0));
            while (mesures.Pas()) {
                mesure.Lier(1, id);
                for (int c = 0; c < 10; ++c) mesure.Lier(c + 2, mesures.EntierOuRien(c));
                mesure.Executer();
                ++bilan.enregistrements;
            }
            mesures.Reprendre();
        }
        series.Reprendre();
        ActualiserResumes(archive, {fichier});
        Requete demis(base,
                      "SELECT DISTINCT i.numero FROM langleys l JOIN series s ON s.id = l.serie "
                      "JOIN instruments i ON i.id = l.instrument WHERE s.fichier = ?");
        demis.Lier(1, fichier);
        while (demis.Pas())
            if (std::find(bilan.instruments.begin(), bilan.instruments.end(), demis.Texte(0)) ==
                bilan.instruments.end())
                bilan.instruments.push_back(demis.Texte(0));
        t.Valider();
        ++bilan.fichiers;
    }
    return bilan;
}

}  // namespace archive
