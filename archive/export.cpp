#include "archive/export.h"

#include <sstream>

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
        const science::Journee j = JourneeDe(archive, f.id);
        // The screening judges a record against its whole series: every
        // record is computed, and only then are the chosen ones kept.
        std::vector<science::Resultat> gardes;
        for (science::Resultat& r : Resultats(f, j)) {
            if (choix.instrument && j.series[r.serie].enTete.photometre != *choix.instrument)
                continue;
            if (choix.du || choix.au) {
                const auto date = DateLocale(r);
                if (!date || (choix.du && Avant(*date, *choix.du)) ||
                    (choix.au && Avant(*choix.au, *date)))
                    continue;
            }
            gardes.push_back(std::move(r));
        }
        for (size_t debut = 0; debut < gardes.size(); debut += 256) {
            const size_t fin = std::min(gardes.size(), debut + 256);
            std::ostringstream texte;
            science::EcrireCsv(
                texte,
                std::vector<science::Resultat>(gardes.begin() + static_cast<long>(debut),
                                               gardes.begin() + static_cast<long>(fin)),
                f.reglages.site);
            const std::string octets = texte.str();
            sortie.write(octets.data() + EnTeteLongueur,
                         static_cast<std::streamsize>(octets.size() - EnTeteLongueur));
            verifier();
        }
        lignes += gardes.size();
    }
    return lignes;
}

}  // namespace archive
