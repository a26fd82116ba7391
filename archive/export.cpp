#include "archive/export.h"

#include <sstream>
#include <tuple>

#include "archive/lecture.h"
#include "archive/niveau2.h"
#include "archive/resumes.h"
#include "science/export_csv.h"

namespace archive {

namespace {

bool Avant(const science::Date& a, const science::Date& b) {
    return std::tie(a.annee, a.mois, a.jour) < std::tie(b.annee, b.mois, b.jour);
}

}  // namespace

size_t Exporter(Archive& archive, const ChoixExport& choix, std::ostream& sortie,
                const std::function<void()>& verifier) {
    // The science writes whole tables: its header once, then only rows.
    constexpr size_t EnTeteLongueur = sizeof science::EnTeteCsv - 1 + 2;
    sortie << science::EnTeteCsv << "\r\n";
    verifier();
    size_t lignes = 0;
    const Niveau2 niveau2(NoeudsActuels(archive));
    // A file with no day chosen is not computed at all; the files' days are
    // known once the summaries are this computation's.
    const bool choisir = (choix.du || choix.au || choix.instrument) && CalculsAJour(archive);
    Requete dedans(archive.Base(),
                   "SELECT EXISTS (SELECT 1 FROM jours_fichiers WHERE fichier = ? AND (? IS NULL "
                   "OR jour >= ?) AND (? IS NULL OR jour <= ?) AND (? IS NULL OR instrument = ?))");
    for (const FichierArchive& f : Fichiers(archive)) {
        if (choisir) {
            dedans.Lier(1, f.id).Lier(2, TexteDate(choix.du)).Lier(3, TexteDate(choix.du));
            dedans.Lier(4, TexteDate(choix.au)).Lier(5, TexteDate(choix.au));
            dedans.Lier(6, choix.instrument).Lier(7, choix.instrument);
            const bool garder = dedans.Pas() && dedans.Entier(0) != 0;
            dedans.Reprendre();
            if (!garder) continue;
        }
        const science::Journee enTetes = EnTetesDe(archive, f.id);
        std::vector<science::Resultat> lot;
        const auto vider = [&] {
            if (lot.empty()) return;
            std::ostringstream texte;
            science::EcrireCsv(texte, lot, f.reglages.site);
            const std::string octets = texte.str();
            sortie.write(octets.data() + EnTeteLongueur,
                         static_cast<std::streamsize>(octets.size() - EnTeteLongueur));
            lignes += lot.size();
            lot.clear();
            verifier();
        };
        // Every record is computed and screened against its whole series;
        // only then are the chosen ones kept, at level 2.0 where they reach it.
        ParcourirResultats(archive, f, enTetes, [&](science::Resultat& r) {
            if (choix.instrument && enTetes.series[r.serie].enTete.photometre != *choix.instrument)
                return;
            if (choix.du || choix.au) {
                const auto date = DateLocale(r);
                if (!date || (choix.du && Avant(*date, *choix.du)) ||
                    (choix.au && Avant(*choix.au, *date)))
                    return;
            }
            niveau2.Appliquer(r, enTetes.series[r.serie].enTete, f.reglages);
            lot.push_back(std::move(r));
            if (lot.size() >= 256) vider();
        });
        vider();
    }
    return lignes;
}

}  // namespace archive
