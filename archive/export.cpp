#include "archive/export.h"

#include <sstream>
#include <tuple>

#include "archive/lecture.h"
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
    for (const FichierArchive& f : Fichiers(archive)) {
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
        // only then are the chosen ones kept.
        ParcourirResultats(archive, f, enTetes, [&](science::Resultat& r) {
            if (choix.instrument && enTetes.series[r.serie].enTete.photometre != *choix.instrument)
                return;
            if (choix.du || choix.au) {
                const auto date = DateLocale(r);
                if (!date || (choix.du && Avant(*date, *choix.du)) ||
                    (choix.au && Avant(*choix.au, *date)))
                    return;
            }
            lot.push_back(std::move(r));
            if (lot.size() >= 256) vider();
        });
        vider();
    }
    return lignes;
}

}  // namespace archive
