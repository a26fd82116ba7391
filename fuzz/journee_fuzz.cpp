// Fuzzes the reading of data files: any bytes, cut into lines as the file
// reader cuts them, then every record computed again, exported as CSV and
// fitted by Langley. Nothing may crash, and what comes out must hold
// together: each line is a record or reported at most once, every value
// given is finite, the CSV has one row of 16 cells a record, and the same
// bytes read as a stream, in other blocks, hand out the same records,
// anomalies and results.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/checks.h"
#include "science/export_csv.h"
#include "science/fichier_journee.h"
#include "science/langley.h"
#include "science/lignes_fichier.h"
#include "science/recalcul.h"

namespace {

using namespace science;

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

// The bytes `bloc` at a time into the reader, as LireFichierJournee gives them.
size_t Lire(std::string_view octets, size_t bloc, LecteurJournee& lecteur) {
    DecoupeurLignes decoupeur;
    decoupeur.OnLigne = [&lecteur](size_t n, std::string_view l) {
        Check(l.size() <= LigneMaximale, "line length bounded");
        lecteur.Ligne(n, l);
    };
    decoupeur.OnAnomalie = [&lecteur](size_t n, std::string m) { lecteur.Signaler(n, m); };
    for (size_t i = 0; i < octets.size(); i += bloc) decoupeur.Octets(octets.substr(i, bloc));
    decoupeur.Fin();
    lecteur.FinSerie();
    return decoupeur.Lignes();
}

void Fini(const std::optional<double>& v, const char* quoi) {
    if (v) Check(std::isfinite(*v), quoi);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view octets(reinterpret_cast<const char*>(data), size);
    LecteurJournee entier;
    const size_t lignes = Lire(octets, octets.size() + 1, entier);
    const Journee& j = entier.journee;

    std::set<size_t> vues;
    for (const Anomalie& a : j.anomalies) {
        Check(a.ligne >= 1 && a.ligne <= lignes, "anomaly line in the file");
        Check(!a.message.empty(), "anomaly has a message");
    }
    size_t enregistrements = 0;
    for (const Serie& s : j.series) {
        Check(s.enTete.ligne >= 1 && s.enTete.ligne <= lignes, "header line in the file");
        for (const Enregistrement& r : s.enregistrements) {
            Check(r.ligne > s.enTete.ligne && r.ligne <= lignes, "record after its header");
            Check(vues.insert(r.ligne).second, "each line read once");
            Check(r.secondes >= 0 && r.secondes < 86400, "time of day");
            Check(r.jours >= 0 && static_cast<size_t>(r.jours) <= lignes, "days");
            ++enregistrements;
        }
    }

    ReglagesRecalcul reglages;
    reglages.site = {45.76, 4.84, 170, "UTC+1"};
    reglages.annee = 2025;
    const std::vector<Resultat> resultats = Recalculer(j, reglages);
    Check(resultats.size() == enregistrements, "one result a record");

    // The same bytes as a stream, in small blocks: nothing kept, the same out.
    {
        LecteurJournee flux;
        Recalculateur calcul(reglages);
        size_t k = 0;
        size_t anomalies = 0;
        flux.OnEnregistrement = [&](size_t s, const Enregistrement& r) {
            Check(flux.journee.series[s].enregistrements.empty(), "streamed records not kept");
            const Resultat x = calcul.Calculer(flux.journee, s, r);
            Check(k < resultats.size(), "no more records streamed");
            if (k >= resultats.size()) return;
            const Resultat& y = resultats[k++];
            Check(x.ligne == y.ligne && x.serie == y.serie, "same record streamed");
            Check(x.utc == y.utc && x.eoVert == y.eoVert && x.angstrom == y.angstrom,
                  "same result streamed");
        };
        flux.OnAnomalie = [&](const Anomalie& a) {
            Check(anomalies < j.anomalies.size() && j.anomalies[anomalies].ligne == a.ligne &&
                      j.anomalies[anomalies].message == a.message,
                  "same anomalies streamed");
            ++anomalies;
        };
        const size_t bloc = size == 0 ? 1 : 1 + data[0] % 17;
        Lire(octets, bloc, flux);
        Check(k == resultats.size() && anomalies == j.anomalies.size(), "all streamed");
        Check(flux.journee.anomalies.empty(), "streamed anomalies not kept");
    }
    for (const Resultat& r : resultats) {
        Fini(r.elevation, "elevation finite");
        Fini(r.masseAir, "air mass finite");
        Fini(r.eoVert, "green depth finite");
        Fini(r.eoRouge, "red depth finite");
        Fini(r.angstrom, "alpha finite");
        if (r.masseAir) Check(*r.masseAir >= 0.99 && *r.masseAir < 40, "air mass in range");
        if (r.angstrom) Check(r.eoVert && r.eoRouge, "alpha only from two depths");
    }

    std::ostringstream csv;
    EcrireCsv(csv, resultats, reglages.site);
    const std::string texte = csv.str();
    // Every row has the header's cells.
    const auto cellules =
        static_cast<size_t>(std::count(std::begin(EnTeteCsv), std::end(EnTeteCsv), ','));
    size_t rangs = 0, virgules = 0;
    for (char c : texte) {
        if (c == ',') ++virgules;
        if (c == '\n') {
            Check(virgules == cellules, "as many cells a row as the header");
            virgules = 0;
            ++rangs;
        }
    }
    Check(rangs == resultats.size() + 1, "one CSV row a record");

    for (size_t s = 0; s < j.series.size() && s < 4; ++s)
        for (const Voie voie : {Voie::Vert, Voie::Rouge})
            if (const auto a = AjusterLangley(PointsLangley(resultats, s, voie, 0, 86399)))
                Check(std::isfinite(a->pente) && a->points >= 3, "Langley fit sound");
    return 0;
}
